// German: the translation of lang_en.cpp, with Windows' own German terms (docs/l10n-terms.md).
#include "texts/texts_table.h"

namespace Texts {
namespace {
using enum TextId;
constexpr Entry kEntries[] = {
    {MenuSaveState, "Letzten Zustand speichern"},
    {MenuRunAtStartup, "Beim Systemstart ausführen"},
    {MenuQuit, "Beenden"},
    {MenuHelp, "Hilfe"},
    {MenuStopSharingFirst, "Freigabe beenden"},
    {MenuStopSharing, "&Freigabe beenden"},
    {MenuStartSharing, "&Freigabe starten"},
    {MenuOffOnPublicNetworks, "In öffentlichen Netzwerken &aus"},
    {TipStarting, "Tarnwick\r\nProgramm wird gestartet\r\nBitte warten..."},
    {TipDisabling, "Tarnwick\r\nFreigabe wird deaktiviert\r\nBitte warten..."},
    {TipEnabling, "Tarnwick\r\nFreigabe wird aktiviert\r\nBitte warten..."},
    {TipEnabled, "Tarnwick v{1}\r\nFreigabe ist aktiviert\r\nDoppelklicken zum Deaktivieren"},
    {TipDisabled, "Tarnwick v{1}\r\nFreigabe ist deaktiviert\r\nDoppelklicken zum Aktivieren"},
    {TipSuggestOff, "Tarnwick v{1}\r\nÖffentliches Netzwerk verbunden, die Dateifreigabe ist "
                    "an.\r\nDoppelklicken zum Ausschalten."},
    {TipSuggestOn, "Tarnwick v{1}\r\nKein öffentliches Netzwerk verbunden; die Freigabe ist noch "
                   "aus.\r\nDoppelklicken zum Aktivieren"},
    {TipRuleUnavailable, "\r\nNetzwerkregel nicht verfügbar: {1}"},
    {BalloonSuggestOff,
     "Sie haben sich mit einem öffentlichen Netzwerk verbunden, während die Dateifreigabe aktiviert ist. "
     "Klicken Sie hier, um sie auszuschalten."},
    {BalloonSuggestOn,
     "Es ist kein öffentliches Netzwerk mehr verbunden, und die Dateifreigabe ist noch ausgeschaltet. "
     "Klicken Sie hier, um sie wieder einzuschalten."},
    {BalloonCutOff,
     "Die Dateifreigabe ist aus, weil ein öffentliches Netzwerk verbunden ist. 1 Computer war mit Ihren "
     "freigegebenen "
     "Ordnern verbunden."
     "|Die Dateifreigabe ist aus, weil ein öffentliches Netzwerk verbunden ist. {1} Computer waren mit Ihren "
     "freigegebenen Ordnern verbunden."},
    {BalloonCutOffUnknown, "Die Dateifreigabe ist aus, weil ein öffentliches Netzwerk verbunden ist. Wer "
                           "verbunden war, konnte nicht "
                           "ermittelt werden (Fehler {1})."},
    {BoxErrorTitle, "Fehler"},
    {BoxUnknownError, "Unbekannter Fehler"},
    {BoxUnableToStop,
     "Tarnwick konnte die Freigabe nicht beenden. Wenn das Problem weiterhin besteht, müssen Sie den "
     "Computer möglicherweise neu starten."},
    {BoxUnableToStart,
     "Tarnwick konnte die Freigabe nicht starten. Wenn das Problem weiterhin besteht, müssen Sie den "
     "Computer möglicherweise neu starten."},
    {BoxBusy,
     "Es lief bereits ein anderes Umschalten der Dateifreigabe, daher hat Tarnwick nichts umgeschaltet. "
     "Versuchen Sie es erneut, wenn es abgeschlossen ist."},
    {BoxDeniedByPolicy,
     "Tarnwick konnte die Freigabe nicht umschalten: Auf diesem Computer verbietet eine Richtlinie, "
     "Programme als Administrator auszuführen. Ein Administrator muss es erlauben."},
    {BoxUnreachableProgram,
     "Tarnwick konnte die Freigabe nicht umschalten: Es wurde von einem Netzlaufwerk gestartet, das ein als "
     "Administrator ausgeführtes Programm nicht erreichen kann. Starten Sie Tarnwick aus einem lokalen "
     "Ordner oder "
     "über seinen Netzwerkpfad."},
    {BoxUntrustedFolder, "Tarnwick konnte die Freigabe nicht umschalten: Der Ordner {1} wurde nicht von "
                         "einem Administrator angelegt, "
                         "daher vertraut Tarnwick seinem Inhalt nicht. Ein Administrator sollte diesen "
                         "Ordner löschen; Tarnwick legt ihn "
                         "dann neu an."},
    {BoxLockUnavailable,
     "Tarnwick konnte die Freigabe nicht umschalten: Die Sperrdatei {1} konnte nicht angelegt "
     "werden. Starten Sie den Computer neu; wenn es wieder vorkommt, sollte ein Administrator "
     "diese Datei löschen."},
    {BoxUntrustedProgram, "Tarnwick wird als Administrator aus dem Ordner {1} ausgeführt, den ein anderes "
                          "Konto ändern kann, daher "
                          "schaltet es nichts um. Führen Sie es aus „Program Files“ aus oder aus einem "
                          "Ordner, den nur Sie und die "
                          "Administratoren ändern dürfen."},
    {FailedStop, "Das Beenden von {1} ist fehlgeschlagen: {2} (Fehler {3})"},
    {FailedStart, "Das Starten von {1} ist fehlgeschlagen: {2} (Fehler {3})"},
    {FailedPause, "Das Anhalten von {1} ist fehlgeschlagen: {2} (Fehler {3})"},
    {FailedContinue, "Das Fortsetzen von {1} ist fehlgeschlagen: {2} (Fehler {3})"},
    {TimedOutStop, "Das Beenden von {1} wurde nicht innerhalb von 4 Minuten abgeschlossen."},
    {TimedOutStart, "Das Starten von {1} wurde nicht innerhalb von 4 Minuten abgeschlossen."},
    {TimedOutPause, "Das Anhalten von {1} wurde nicht innerhalb von 4 Minuten abgeschlossen."},
    {TimedOutContinue, "Das Fortsetzen von {1} wurde nicht innerhalb von 4 Minuten abgeschlossen."},
    {WentBackStart,
     "Das Starten von {1} ist fehlgeschlagen: Der Dienst wurde während des Startens wieder beendet. ({2})"},
    {WentBackStop,
     "Das Beenden von {1} ist fehlgeschlagen: Der Dienst wurde während des Beendens wieder ausgeführt. "
     "({2})"},
    {WentBackStartWithReason, "Das Starten von {1} ist fehlgeschlagen: Der Dienst wurde während des Startens "
                              "wieder beendet. {3} ({2})"},
    {WentBackStopWithReason, "Das Beenden von {1} ist fehlgeschlagen: Der Dienst wurde während des Beendens "
                             "wieder ausgeführt. {3} ({2})"},
    {ServiceNamed, "„{1}“ ({2})"},
    {ServiceShown, "„{1}“"},
    {ExitCodeNone, "Exitcode 0"},
    {ExitCodeError, "Fehler {1}"},
    {ExitCodeOwn, "Fehler {1}, eigener Code des Dienstes {2}"},
    {NoReasonText, "Windows liefert zu diesem Fehler keinen Text."},
    {AdviceWentBackStart, "Im Protokoll „System“ der Ereignisanzeige (eventvwr.msc) steht möglicherweise, "
                          "warum {1} beendet wurde. "
                          "Versuchen Sie es erneut, sobald das behoben ist."},
    {AdviceWentBackStop,
     "Im Protokoll „System“ der Ereignisanzeige (eventvwr.msc) steht möglicherweise, warum {1} "
     "weiter ausgeführt wurde. Versuchen Sie es erneut, sobald das behoben ist."},
    {AdviceStillStarting,
     "Der Dienst wird möglicherweise noch gestartet. Versuchen Sie es in einer Minute erneut."},
    {AdviceStillStopping,
     "Der Dienst wird möglicherweise noch beendet. Versuchen Sie es in einer Minute erneut."},
    {AdviceDisabled,
     "Der Dienst ist deaktiviert. Um ihn wieder zu verwenden, öffnen Sie „Dienste“ (services.msc), "
     "doppelklicken Sie auf {1}, setzen Sie den Starttyp auf „Manuell“ oder „Automatisch“, klicken "
     "Sie auf „OK“, und versuchen Sie es erneut."},
    {AdviceAccessDenied,
     "Windows hat Tarnwick nicht erlaubt, {1} zu ändern. Ein Administrator muss es erlauben."},
    {AdviceCannotStop,
     "{1} nimmt keine Anforderung zum Beenden an, daher hat Tarnwick alle Dienste so belassen, wie "
     "sie waren. Beenden Sie {1} selbst unter „Dienste“ (services.msc), oder beenden Sie das "
     "Programm, zu dem der Dienst gehört, und versuchen Sie es erneut."},
    {AdviceBusy,
     "{1} wird gerade gestartet oder beendet und kann die Anforderung jetzt nicht annehmen. Versuchen Sie "
     "es in einer Minute erneut."},
    {AdviceDependentNamed,
     "{1} hängt davon ab und wird noch ausgeführt. Beenden Sie zuerst {1}, oder versuchen Sie es "
     "erneut, sobald der Dienst beendet wurde."},
    {AdviceDependent,
     "Ein davon abhängiger Dienst wird noch ausgeführt. Versuchen Sie es erneut, sobald er beendet "
     "wurde."},
    {QuestionConnected, "1 Computer ist mit Ihren freigegebenen Ordnern verbunden: {2}."
                        "|{1} Computer sind mit Ihren freigegebenen Ordnern verbunden: {2}."},
    {QuestionFilesHidden, "Geöffnete Dateien werden nur Administratoren angezeigt."},
    {QuestionStopAnyway, "Freigabe trotzdem beenden?"},
    {SentenceSeparator, " "},
    {ListSeparator, ", "},
    {ListAndMore, "{2} und noch 1|{2} und noch {1}"},
    {ConnectionWith, "{1} ({2})"},
    {ConnectionUserFiles, "{1}, {2}"},
    {OpenFiles, "1 geöffnete Datei: {2}|{1} geöffnete Dateien: {2}"},
    {ErrorUnableToWrite, "{1} kann nicht geschrieben werden"},
    {ErrorFailedToSetData, "Die Daten für „{1}“ konnten nicht festgelegt werden"},
    {ErrorInvalidDataType, "Ungültiger Datentyp für „{1}“"},
    {ErrorAutorunOff, "Tarnwick konnte nicht so eingestellt werden, dass es nicht mit Windows startet."},
    {ErrorAutorunOn, "Tarnwick konnte nicht so eingestellt werden, dass es mit Windows startet."},
    {HelpElevated,
     "Tarnwick wird als Administrator ausgeführt und öffnet seine Hilfeseite daher nicht: Der Browser "
     "würde ebenfalls als Administrator ausgeführt. Öffnen Sie {1} stattdessen im Datei-Explorer."},
};
} // namespace

const Language German = {"de", PluralRule::OneOther, kEntries, std::size(kEntries)};

} // namespace Texts
