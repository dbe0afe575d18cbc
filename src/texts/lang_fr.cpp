// French: the translation of lang_en.cpp, with Windows' own French terms (docs/l10n-terms.md).
#include "texts/texts_table.h"

namespace Texts {
namespace {
using enum TextId;
constexpr Entry kEntries[] = {
    {MenuSaveState, "Enregistrer le dernier état"},
    {MenuRunAtStartup, "Exécuter au démarrage"},
    {MenuQuit, "Quitter"},
    {MenuHelp, "Aide"},
    {MenuStopSharingFirst, "Arrêter le partage"},
    {MenuStopSharing, "&Arrêter le partage"},
    {MenuStartSharing, "&Démarrer le partage"},
    {MenuOffOnPublicNetworks, "Désactiver sur les réseaux &publics"},
    {TipStarting, "Tarnwick\r\nDémarrage du programme\r\nVeuillez patienter..."},
    {TipDisabling, "Tarnwick\r\nDésactivation du partage\r\nVeuillez patienter..."},
    {TipEnabling, "Tarnwick\r\nActivation du partage\r\nVeuillez patienter..."},
    {TipEnabled, "Tarnwick v{1}\r\nPartage activé\r\nDouble-clic pour désactiver"},
    {TipDisabled, "Tarnwick v{1}\r\nPartage désactivé\r\nDouble-clic pour activer"},
    {TipSuggestOff,
     "Tarnwick v{1}\r\nRéseau public rejoint, partage de fichiers actif.\r\nDouble-clic pour le désactiver."},
    {TipSuggestOn, "Tarnwick v{1}\r\nAucun réseau public connecté ; partage toujours "
                   "désactivé.\r\nDouble-clic pour activer"},
    {TipRuleUnavailable, "\r\nRègle réseau public indisponible : {1}"},
    {BalloonSuggestOff,
     "Vous avez rejoint un réseau public alors que le partage de fichiers est activé. Cliquez ici "
     "pour le désactiver."},
    {BalloonSuggestOn,
     "Plus aucun réseau public n’est connecté et le partage de fichiers est toujours désactivé. "
     "Cliquez ici pour le réactiver."},
    {BalloonCutOff, "Le partage de fichiers est désactivé, car un réseau public est connecté. {1} ordinateur "
                    "était connecté à vos "
                    "dossiers partagés."
                    "|Le partage de fichiers est désactivé, car un réseau public est connecté. "
                    "{1} d’ordinateurs étaient connectés "
                    "à vos dossiers partagés."
                    "|Le partage de fichiers est désactivé, car un réseau public est connecté. "
                    "{1} ordinateurs étaient connectés à "
                    "vos dossiers partagés."},
    {BalloonCutOffUnknown, "Le partage de fichiers est désactivé, car un réseau public est connecté. La "
                           "liste des ordinateurs qui étaient "
                           "connectés n’a pas pu être obtenue (erreur {1})."},
    {BoxErrorTitle, "Erreur"},
    {BoxUnknownError, "Erreur inconnue"},
    {BoxUnableToStop,
     "Tarnwick n’a pas pu arrêter le partage. Si le problème persiste, vous devrez peut-être "
     "redémarrer l’ordinateur."},
    {BoxUnableToStart,
     "Tarnwick n’a pas pu démarrer le partage. Si le problème persiste, vous devrez peut-être "
     "redémarrer l’ordinateur."},
    {BoxBusy,
     "Une autre commutation du partage de fichiers était en cours, Tarnwick n’a donc rien modifié. Réessayez "
     "lorsqu’elle sera terminée."},
    {BoxDeniedByPolicy,
     "Tarnwick n’a pas pu commuter le partage : sur cet ordinateur, une stratégie interdit "
     "d’exécuter des programmes en tant qu’administrateur. Un administrateur doit l’autoriser."},
    {BoxUnreachableProgram, "Tarnwick n’a pas pu commuter le partage : il a été lancé depuis un lecteur "
                            "réseau qu’un programme exécuté en "
                            "tant qu’administrateur ne peut pas atteindre. Lancez Tarnwick depuis un dossier "
                            "local ou par son chemin réseau."},
    {BoxUntrustedFolder, "Tarnwick n’a pas pu commuter le partage : le dossier {1} n’a pas été créé par un "
                         "administrateur, Tarnwick ne "
                         "fait donc pas confiance à son contenu. Un administrateur devrait supprimer ce "
                         "dossier ; Tarnwick le recréera "
                         "ensuite."},
    {BoxLockUnavailable,
     "Tarnwick n’a pas pu commuter le partage : il n’a pas pu créer son fichier de verrou {1}. "
     "Redémarrez l’ordinateur ; si cela se reproduit, un administrateur devrait supprimer ce "
     "fichier."},
    {BoxUntrustedProgram, "Tarnwick s’exécute en tant qu’administrateur depuis le dossier {1}, qu’un autre "
                          "compte peut modifier ; il ne "
                          "commute donc rien. Exécutez-le depuis Program Files ou depuis un dossier que "
                          "seuls vous et les administrateurs "
                          "pouvez modifier."},
    {FailedStop, "L’arrêt de {1} a échoué : {2} (erreur {3})"},
    {FailedStart, "Le démarrage de {1} a échoué : {2} (erreur {3})"},
    {FailedPause, "La suspension de {1} a échoué : {2} (erreur {3})"},
    {FailedContinue, "La reprise de {1} a échoué : {2} (erreur {3})"},
    {TimedOutStop, "L’arrêt de {1} ne s’est pas terminé en moins de 4 minutes."},
    {TimedOutStart, "Le démarrage de {1} ne s’est pas terminé en moins de 4 minutes."},
    {TimedOutPause, "La suspension de {1} ne s’est pas terminée en moins de 4 minutes."},
    {TimedOutContinue, "La reprise de {1} ne s’est pas terminée en moins de 4 minutes."},
    {WentBackStart,
     "Le démarrage de {1} a échoué : le service s’est de nouveau arrêté pendant son démarrage. ({2})"},
    {WentBackStop,
     "L’arrêt de {1} a échoué : le service s’est remis en cours d’exécution pendant son arrêt. ({2})"},
    {WentBackStartWithReason,
     "Le démarrage de {1} a échoué : le service s’est de nouveau arrêté pendant son démarrage. {3} ({2})"},
    {WentBackStopWithReason,
     "L’arrêt de {1} a échoué : le service s’est remis en cours d’exécution pendant son arrêt. {3} ({2})"},
    {ServiceNamed, "« {1} » ({2})"},
    {ServiceShown, "« {1} »"},
    {ExitCodeNone, "code de sortie 0"},
    {ExitCodeError, "erreur {1}"},
    {ExitCodeOwn, "erreur {1}, code propre au service {2}"},
    {NoReasonText, "Windows ne fournit aucun texte pour cette erreur."},
    {AdviceWentBackStart, "Le journal Système de l’Observateur d’événements (eventvwr.msc) peut indiquer "
                          "pourquoi {1} s’est arrêté. "
                          "Réessayez une fois le problème corrigé."},
    {AdviceWentBackStop,
     "Le journal Système de l’Observateur d’événements (eventvwr.msc) peut indiquer pourquoi {1} "
     "a continué de s’exécuter. Réessayez une fois le problème corrigé."},
    {AdviceStillStarting,
     "Le service est peut-être encore en cours de démarrage. Réessayez dans une minute."},
    {AdviceStillStopping, "Le service est peut-être encore en cours d’arrêt. Réessayez dans une minute."},
    {AdviceDisabled,
     "Le service est désactivé. Pour l’utiliser à nouveau, ouvrez Services (services.msc), "
     "double-cliquez sur {1}, définissez son Type de démarrage sur Manuel ou Automatique, cliquez sur "
     "OK et réessayez."},
    {AdviceAccessDenied,
     "Windows n’a pas permis à Tarnwick de modifier {1}. Un administrateur doit l’autoriser."},
    {AdviceCannotStop,
     "{1} n’accepte pas de demande d’arrêt ; Tarnwick a donc laissé tous les services tels quels. "
     "Arrêtez vous-même {1} dans Services (services.msc), ou fermez le programme auquel il "
     "appartient, puis réessayez."},
    {AdviceBusy,
     "{1} est en cours de démarrage ou d’arrêt et ne peut pas traiter la demande maintenant. Réessayez "
     "dans une minute."},
    {AdviceDependentNamed,
     "{1} en dépend et est toujours en cours d’exécution. Arrêtez d’abord {1}, ou réessayez "
     "une fois qu’il sera arrêté."},
    {AdviceDependent,
     "Un service qui en dépend est toujours en cours d’exécution. Réessayez une fois qu’il sera "
     "arrêté."},
    {QuestionConnected, "{1} ordinateur est connecté à vos dossiers partagés : {2}."
                        "|{1} d’ordinateurs sont connectés à vos dossiers partagés : {2}."
                        "|{1} ordinateurs sont connectés à vos dossiers partagés : {2}."},
    {QuestionFilesHidden, "Les fichiers ouverts ne sont visibles que par les administrateurs."},
    {QuestionStopAnyway, "Arrêter quand même le partage ?"},
    {SentenceSeparator, " "},
    {ListSeparator, ", "},
    {ListAndMore, "{2} et {1} autre|{2} et {1} autres|{2} et {1} autres"},
    {ConnectionWith, "{1} ({2})"},
    {ConnectionUserFiles, "{1}, {2}"},
    {OpenFiles, "{1} fichier ouvert : {2}|{1} de fichiers ouverts : {2}|{1} fichiers ouverts : {2}"},
    {ErrorUnableToWrite, "Impossible d’écrire dans {1}"},
    {ErrorFailedToSetData, "Impossible de définir les données de « {1} »"},
    {ErrorInvalidDataType, "Type de données non valide pour « {1} »"},
    {ErrorAutorunOff, "Impossible d’empêcher Tarnwick de démarrer avec Windows."},
    {ErrorAutorunOn, "Impossible de configurer Tarnwick pour qu’il démarre avec Windows."},
    {HelpElevated,
     "Tarnwick s’exécute en tant qu’administrateur ; il n’ouvre donc pas sa page d’aide, car le "
     "navigateur s’exécuterait lui aussi en tant qu’administrateur. Ouvrez plutôt {1} depuis "
     "l’Explorateur de fichiers."},
};
} // namespace

const Language French = {"fr", PluralRule::ZeroOneManyOther, kEntries, std::size(kEntries)};

} // namespace Texts
