// Italian: the translation of lang_en.cpp, with Windows' own Italian terms (docs/l10n-terms.md).
#include "texts/texts_table.h"

namespace Texts {
namespace {
using enum TextId;
constexpr Entry kEntries[] = {
    {MenuSaveState, "Salva ultimo stato"},
    {MenuRunAtStartup, "Esegui all'avvio"},
    {MenuQuit, "Esci"},
    {MenuHelp, "Guida"},
    {MenuStopSharingFirst, "Interrompi condivisione"},
    {MenuStopSharing, "&Interrompi condivisione"},
    {MenuStartSharing, "&Avvia condivisione"},
    {MenuOffOnPublicNetworks, "&Disattiva su reti pubbliche"},
    {TipStarting, "Tarnwick\r\nAvvio del programma\r\nAttendere..."},
    {TipDisabling, "Tarnwick\r\nDisattivazione della condivisione\r\nAttendere..."},
    {TipEnabling, "Tarnwick\r\nAttivazione della condivisione\r\nAttendere..."},
    {TipEnabled, "Tarnwick v{1}\r\nCondivisione attivata\r\nDoppio clic per disattivarla"},
    {TipDisabled, "Tarnwick v{1}\r\nCondivisione disattivata\r\nDoppio clic per attivarla"},
    {TipSuggestOff, "Tarnwick v{1}\r\nConnessione a una rete pubblica con la condivisione file "
                    "attiva.\r\nDoppio clic per disattivarla."},
    {TipSuggestOn, "Tarnwick v{1}\r\nNessuna rete pubblica connessa; condivisione ancora "
                   "disattivata.\r\nDoppio clic per attivarla"},
    {TipRuleUnavailable, "\r\nRegola reti pubbliche: errore {1}"},
    {BalloonSuggestOff,
     "È stata stabilita una connessione a una rete pubblica mentre la condivisione file è attiva. "
     "Fare clic qui per disattivarla."},
    {BalloonSuggestOn,
     "Non è più connessa alcuna rete pubblica e la condivisione file è ancora disattivata. Fare "
     "clic qui per riattivarla."},
    {BalloonCutOff, "La condivisione file è disattivata perché è connessa una rete pubblica. 1 computer era "
                    "connesso alle cartelle "
                    "condivise."
                    "|La condivisione file è disattivata perché è connessa una rete pubblica. {1} di "
                    "computer erano connessi alle "
                    "cartelle condivise."
                    "|La condivisione file è disattivata perché è connessa una rete pubblica. {1} computer "
                    "erano connessi alle "
                    "cartelle condivise."},
    {BalloonCutOffUnknown, "La condivisione file è disattivata perché è connessa una rete pubblica. Non è "
                           "stato possibile elencare chi era "
                           "connesso (errore {1})."},
    {BoxErrorTitle, "Errore"},
    {BoxUnknownError, "Errore sconosciuto"},
    {BoxUnableToStop,
     "Tarnwick non è riuscito a interrompere la condivisione. Se il problema persiste, potrebbe "
     "essere necessario riavviare il computer."},
    {BoxUnableToStart,
     "Tarnwick non è riuscito ad avviare la condivisione. Se il problema persiste, potrebbe essere "
     "necessario riavviare il computer."},
    {BoxBusy,
     "Era già in corso un'altra commutazione della condivisione file, quindi Tarnwick non ha modificato "
     "nulla. Riprovare al termine dell'operazione."},
    {BoxDeniedByPolicy,
     "Tarnwick non è riuscito a commutare la condivisione: in questo computer un criterio "
     "impedisce di eseguire programmi come amministratore. Un amministratore deve consentirlo."},
    {BoxUnreachableProgram, "Tarnwick non è riuscito a commutare la condivisione: è stato avviato da "
                            "un'unità di rete che un programma "
                            "eseguito come amministratore non può raggiungere. Avviare Tarnwick da una "
                            "cartella locale o tramite il suo "
                            "percorso di rete."},
    {BoxUntrustedFolder, "Tarnwick non è riuscito a commutare la condivisione: la cartella {1} non è stata "
                         "creata da un amministratore, "
                         "quindi Tarnwick non si fida del suo contenuto. Un amministratore dovrebbe "
                         "eliminare la cartella; Tarnwick la "
                         "creerà di nuovo."},
    {BoxLockUnavailable,
     "Tarnwick non è riuscito a commutare la condivisione: non è stato possibile creare il file "
     "di blocco {1}. Riavviare il computer; se il problema si ripresenta, un amministratore "
     "dovrebbe eliminare il file."},
    {BoxUntrustedProgram, "Tarnwick è in esecuzione come amministratore dalla cartella {1}, che un altro "
                          "account può modificare, quindi "
                          "non commuta nulla. Eseguirlo da Program Files o da una cartella che solo l'utente "
                          "e gli amministratori possono "
                          "modificare."},
    {FailedStop, "Arresto di {1} non riuscito: {2} (errore {3})"},
    {FailedStart, "Avvio di {1} non riuscito: {2} (errore {3})"},
    {FailedPause, "Sospensione di {1} non riuscita: {2} (errore {3})"},
    {FailedContinue, "Ripresa di {1} non riuscita: {2} (errore {3})"},
    {TimedOutStop, "L'arresto di {1} non è terminato entro 4 minuti."},
    {TimedOutStart, "L'avvio di {1} non è terminato entro 4 minuti."},
    {TimedOutPause, "La sospensione di {1} non è terminata entro 4 minuti."},
    {TimedOutContinue, "La ripresa di {1} non è terminata entro 4 minuti."},
    {WentBackStart, "Avvio di {1} non riuscito: il servizio si è arrestato di nuovo durante l'avvio. ({2})"},
    {WentBackStop,
     "Arresto di {1} non riuscito: il servizio è tornato in esecuzione durante l'arresto. ({2})"},
    {WentBackStartWithReason,
     "Avvio di {1} non riuscito: il servizio si è arrestato di nuovo durante l'avvio. {3} ({2})"},
    {WentBackStopWithReason,
     "Arresto di {1} non riuscito: il servizio è tornato in esecuzione durante l'arresto. {3} ({2})"},
    {ServiceNamed, "\"{1}\" ({2})"},
    {ServiceShown, "\"{1}\""},
    {ExitCodeNone, "codice di uscita 0"},
    {ExitCodeError, "errore {1}"},
    {ExitCodeOwn, "errore {1}, codice specifico del servizio {2}"},
    {NoReasonText, "Windows non fornisce alcun testo per questo errore."},
    {AdviceWentBackStart, "Il registro Sistema del Visualizzatore eventi (eventvwr.msc) potrebbe indicare "
                          "perché {1} si è arrestato. "
                          "Riprovare dopo aver risolto il problema."},
    {AdviceWentBackStop,
     "Il registro Sistema del Visualizzatore eventi (eventvwr.msc) potrebbe indicare perché {1} è "
     "rimasto in esecuzione. Riprovare dopo aver risolto il problema."},
    {AdviceStillStarting, "Il servizio potrebbe essere ancora in fase di avvio. Riprovare tra un minuto."},
    {AdviceStillStopping, "Il servizio potrebbe essere ancora in fase di arresto. Riprovare tra un minuto."},
    {AdviceDisabled,
     "Il servizio è disabilitato. Per utilizzarlo di nuovo, aprire Servizi (services.msc), fare doppio "
     "clic su {1}, impostare Tipo di avvio su Manuale o Automatico, fare clic su OK e riprovare."},
    {AdviceAccessDenied,
     "Windows non ha consentito a Tarnwick di modificare {1}. Un amministratore deve consentirlo."},
    {AdviceCannotStop,
     "{1} non accetta richieste di arresto, quindi Tarnwick ha lasciato tutti i servizi come erano. "
     "Arrestare {1} manualmente in Servizi (services.msc), oppure chiudere il programma a cui "
     "appartiene, e riprovare."},
    {AdviceBusy,
     "{1} è in fase di avvio o di arresto e al momento non può accettare la richiesta. Riprovare tra un "
     "minuto."},
    {AdviceDependentNamed,
     "{1} dipende da esso ed è ancora in esecuzione. Arrestare prima {1} oppure riprovare dopo "
     "che si è arrestato."},
    {AdviceDependent,
     "Un servizio che dipende da esso è ancora in esecuzione. Riprovare dopo che si è arrestato."},
    {QuestionConnected, "1 computer è connesso alle cartelle condivise: {2}."
                        "|{1} di computer sono connessi alle cartelle condivise: {2}."
                        "|{1} computer sono connessi alle cartelle condivise: {2}."},
    {QuestionFilesHidden, "I file aperti vengono mostrati solo agli amministratori."},
    {QuestionStopAnyway, "Interrompere comunque la condivisione?"},
    {SentenceSeparator, " "},
    {ListSeparator, ", "},
    {ListAndMore, "{2} e 1 altro|{2} e {1} altri|{2} e {1} altri"},
    {ConnectionWith, "{1} ({2})"},
    {ConnectionUserFiles, "{1}, {2}"},
    {OpenFiles, "1 file aperto: {2}|{1} di file aperti: {2}|{1} file aperti: {2}"},
    {ErrorUnableToWrite, "Impossibile scrivere in {1}"},
    {ErrorFailedToSetData, "Impossibile impostare i dati per \"{1}\""},
    {ErrorInvalidDataType, "Tipo di dati non valido per \"{1}\""},
    {ErrorAutorunOff, "Impossibile impostare Tarnwick in modo che non venga avviato con Windows."},
    {ErrorAutorunOn, "Impossibile impostare Tarnwick in modo che venga avviato con Windows."},
    {HelpElevated,
     "Tarnwick è in esecuzione come amministratore, quindi non apre la pagina della Guida: anche il "
     "browser verrebbe eseguito come amministratore. Aprire invece {1} da Esplora file."},
};
} // namespace

const Language Italian = {"it", PluralRule::OneManyOther, kEntries, std::size(kEntries)};

} // namespace Texts
