// Polish: the translation of lang_en.cpp, with Windows' own Polish terms (docs/l10n-terms.md).
#include "texts/texts_table.h"

namespace Texts {
namespace {
using enum TextId;
constexpr Entry kEntries[] = {
    {MenuSaveState, "Zapisz ostatni stan"},
    {MenuRunAtStartup, "Uruchamiaj przy starcie systemu"},
    {MenuQuit, "Zakończ"},
    {MenuHelp, "Pomoc"},
    {MenuStopSharingFirst, "Zatrzymaj udostępnianie"},
    {MenuStopSharing, "&Zatrzymaj udostępnianie"},
    {MenuStartSharing, "&Uruchom udostępnianie"},
    {MenuOffOnPublicNetworks, "&Wyłącz w sieciach publicznych"},
    {TipStarting, "Tarnwick\r\nProgram się uruchamia\r\nProszę czekać..."},
    {TipDisabling, "Tarnwick\r\nWyłączanie udostępniania\r\nProszę czekać..."},
    {TipEnabling, "Tarnwick\r\nWłączanie udostępniania\r\nProszę czekać..."},
    {TipEnabled, "Tarnwick v{1}\r\nUdostępnianie włączone\r\nKliknij dwukrotnie, aby wyłączyć"},
    {TipDisabled, "Tarnwick v{1}\r\nUdostępnianie wyłączone\r\nKliknij dwukrotnie, aby włączyć"},
    {TipSuggestOff, "Tarnwick v{1}\r\nPołączono z siecią publiczną; udostępnianie włączone.\r\nKliknij "
                    "dwukrotnie, aby wyłączyć."},
    {TipSuggestOn, "Tarnwick v{1}\r\nBrak sieci publicznej; udostępnianie nadal wyłączone.\r\nKliknij "
                   "dwukrotnie, aby włączyć"},
    {TipRuleUnavailable, "\r\nBłąd reguły sieci: {1}"},
    {BalloonSuggestOff,
     "Połączono z siecią publiczną, gdy udostępnianie plików jest włączone. Kliknij tutaj, aby je "
     "wyłączyć."},
    {BalloonSuggestOn,
     "Nie jest już połączona żadna sieć publiczna, a udostępnianie plików jest nadal wyłączone. "
     "Kliknij tutaj, aby je ponownie włączyć."},
    {BalloonCutOff, "Udostępnianie plików jest wyłączone, ponieważ połączono z siecią publiczną. 1 komputer "
                    "był połączony z Twoimi "
                    "folderami udostępnionymi."
                    "|Udostępnianie plików jest wyłączone, ponieważ połączono z siecią publiczną. {1} "
                    "komputery były połączone z "
                    "Twoimi folderami udostępnionymi."
                    "|Udostępnianie plików jest wyłączone, ponieważ połączono z siecią publiczną. {1} "
                    "komputerów było połączonych z "
                    "Twoimi folderami udostępnionymi."},
    {BalloonCutOffUnknown, "Udostępnianie plików jest wyłączone, ponieważ połączono z siecią publiczną. Nie "
                           "udało się ustalić, kto był "
                           "połączony (błąd {1})."},
    {BoxErrorTitle, "Błąd"},
    {BoxUnknownError, "Nieznany błąd"},
    {BoxUnableToStop,
     "Program Tarnwick nie mógł zatrzymać udostępniania. Jeśli problem będzie się powtarzał, może "
     "być konieczne ponowne uruchomienie komputera."},
    {BoxUnableToStart,
     "Program Tarnwick nie mógł uruchomić udostępniania. Jeśli problem będzie się powtarzał, może "
     "być konieczne ponowne uruchomienie komputera."},
    {BoxBusy,
     "Trwało już inne przełączanie udostępniania plików, więc program Tarnwick niczego nie przełączył. "
     "Spróbuj ponownie, gdy się zakończy."},
    {BoxDeniedByPolicy,
     "Program Tarnwick nie mógł przełączyć udostępniania: na tym komputerze zasady nie pozwalają "
     "uruchamiać programów jako administrator. Administrator musi na to zezwolić."},
    {BoxUnreachableProgram, "Program Tarnwick nie mógł przełączyć udostępniania: został uruchomiony z dysku "
                            "sieciowego, do którego program "
                            "uruchomiony jako administrator nie ma dostępu. Uruchom program Tarnwick z "
                            "folderu lokalnego lub przez jego "
                            "ścieżkę sieciową."},
    {BoxUntrustedFolder, "Program Tarnwick nie mógł przełączyć udostępniania: folder {1} nie został "
                         "utworzony przez administratora, więc "
                         "program Tarnwick nie ufa jego zawartości. Administrator powinien usunąć ten "
                         "folder; program Tarnwick utworzy go "
                         "wtedy na nowo."},
    {BoxLockUnavailable,
     "Program Tarnwick nie mógł przełączyć udostępniania: nie mógł utworzyć swojego pliku blokady "
     "{1}. Uruchom ponownie komputer; jeśli sytuacja się powtórzy, administrator powinien usunąć "
     "ten plik."},
    {BoxUntrustedProgram, "Program Tarnwick działa jako administrator z folderu {1}, który może zmienić inne "
                          "konto, więc niczego nie "
                          "przełącza. Uruchom go z folderu Program Files lub z folderu, który mogą zmieniać "
                          "tylko Ty i administratorzy."},
    {FailedStop, "Zatrzymywanie usługi {1} nie powiodło się: {2} (błąd {3})"},
    {FailedStart, "Uruchamianie usługi {1} nie powiodło się: {2} (błąd {3})"},
    {FailedPause, "Wstrzymywanie usługi {1} nie powiodło się: {2} (błąd {3})"},
    {FailedContinue, "Wznawianie usługi {1} nie powiodło się: {2} (błąd {3})"},
    {TimedOutStop, "Zatrzymywanie usługi {1} nie zakończyło się w ciągu 4 minut."},
    {TimedOutStart, "Uruchamianie usługi {1} nie zakończyło się w ciągu 4 minut."},
    {TimedOutPause, "Wstrzymywanie usługi {1} nie zakończyło się w ciągu 4 minut."},
    {TimedOutContinue, "Wznawianie usługi {1} nie zakończyło się w ciągu 4 minut."},
    {WentBackStart,
     "Uruchamianie usługi {1} nie powiodło się: usługa zatrzymała się ponownie podczas uruchamiania. "
     "({2})"},
    {WentBackStop,
     "Zatrzymywanie usługi {1} nie powiodło się: usługa ponownie zaczęła działać podczas zatrzymywania. "
     "({2})"},
    {WentBackStartWithReason,
     "Uruchamianie usługi {1} nie powiodło się: usługa zatrzymała się ponownie podczas "
     "uruchamiania. {3} ({2})"},
    {WentBackStopWithReason,
     "Zatrzymywanie usługi {1} nie powiodło się: usługa ponownie zaczęła działać podczas "
     "zatrzymywania. {3} ({2})"},
    {ServiceNamed, "„{1}” ({2})"},
    {ServiceShown, "„{1}”"},
    {ExitCodeNone, "kod zakończenia 0"},
    {ExitCodeError, "błąd {1}"},
    {ExitCodeOwn, "błąd {1}, własny kod usługi {2}"},
    {NoReasonText, "System Windows nie podaje opisu tego błędu."},
    {AdviceWentBackStart, "Dziennik System w Podglądzie zdarzeń (eventvwr.msc) może wyjaśnić, dlaczego "
                          "usługa {1} się zatrzymała. Spróbuj "
                          "ponownie po usunięciu przyczyny."},
    {AdviceWentBackStop,
     "Dziennik System w Podglądzie zdarzeń (eventvwr.msc) może wyjaśnić, dlaczego usługa {1} "
     "nadal działała. Spróbuj ponownie po usunięciu przyczyny."},
    {AdviceStillStarting, "Usługa może się jeszcze uruchamiać. Spróbuj ponownie za minutę."},
    {AdviceStillStopping, "Usługa może się jeszcze zatrzymywać. Spróbuj ponownie za minutę."},
    {AdviceDisabled,
     "Usługa jest wyłączona. Aby znów jej używać, otwórz Usługi (services.msc), kliknij dwukrotnie "
     "usługę {1}, ustaw Typ uruchomienia na Ręczny lub Automatyczny, kliknij OK i spróbuj ponownie."},
    {AdviceAccessDenied,
     "System Windows nie pozwolił programowi Tarnwick zmienić usługi {1}. Administrator musi na to "
     "zezwolić."},
    {AdviceCannotStop,
     "Usługa {1} nie przyjmuje żądania zatrzymania, więc program Tarnwick pozostawił wszystkie "
     "usługi bez zmian. Zatrzymaj usługę {1} samodzielnie w oknie Usługi (services.msc) lub zamknij "
     "program, do którego należy, i spróbuj ponownie."},
    {AdviceBusy,
     "Usługa {1} jest właśnie uruchamiana lub zatrzymywana i nie może teraz przyjąć żądania. Spróbuj "
     "ponownie za minutę."},
    {AdviceDependentNamed,
     "Usługa {1} zależy od niej i nadal działa. Najpierw zatrzymaj usługę {1} lub spróbuj "
     "ponownie, gdy się zatrzyma."},
    {AdviceDependent, "Usługa, która od niej zależy, nadal działa. Spróbuj ponownie, gdy się zatrzyma."},
    {QuestionConnected, "1 komputer jest połączony z Twoimi folderami udostępnionymi: {2}."
                        "|{1} komputery są połączone z Twoimi folderami udostępnionymi: {2}."
                        "|{1} komputerów jest połączonych z Twoimi folderami udostępnionymi: {2}."},
    {QuestionFilesHidden, "Otwarte pliki są widoczne tylko dla administratorów."},
    {QuestionStopAnyway, "Czy mimo to zatrzymać udostępnianie?"},
    {SentenceSeparator, " "},
    {ListSeparator, ", "},
    {ListAndMore, "{2} i 1 inny|{2} i {1} inne|{2} i {1} innych"},
    {ConnectionWith, "{1} ({2})"},
    {ConnectionUserFiles, "{1}, {2}"},
    {OpenFiles, "1 otwarty plik: {2}|{1} otwarte pliki: {2}|{1} otwartych plików: {2}"},
    {ErrorUnableToWrite, "Nie można zapisać pliku {1}"},
    {ErrorFailedToSetData, "Nie udało się ustawić danych wartości „{1}”"},
    {ErrorInvalidDataType, "Nieprawidłowy typ danych wartości „{1}”"},
    {ErrorAutorunOff,
     "Nie udało się ustawić, aby program Tarnwick nie uruchamiał się razem z systemem Windows."},
    {ErrorAutorunOn, "Nie udało się ustawić, aby program Tarnwick uruchamiał się razem z systemem Windows."},
    {HelpElevated,
     "Program Tarnwick działa jako administrator, więc nie otwiera swojej strony pomocy: przeglądarka "
     "również działałaby jako administrator. Zamiast tego otwórz {1} w Eksploratorze plików."},
};
} // namespace

const Language Polish = {"pl", PluralRule::OneFewMany, kEntries, std::size(kEntries)};

} // namespace Texts
