// The tray in the user's language: chosen from Windows' display languages, or pinned by a
// policy or code.ini; the decisions that read the menu decide as they do in English.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <sstream>

#include "app_fixture.h"
#include "sharing/policy.h"
#include "sharing/switch_command.h"

namespace {

using Texts::TextId;

std::string In(const std::string& tag, TextId id) {
    return Texts::SayIn(tag, id, 0, {});
}

// Elevated, the tray switches and asks in its own process; the copy's case says so.
class Language : public TarnwickTest {
  protected:
    Language() : TarnwickTest(sim::Machine::Elevated()) {
        Texts::SetLanguage(Texts::EnglishTag);
        os.services.Add("lanmanserver").DisplayName("Server").Running();
    }
    void On(const std::vector<std::string>& display) { os.kernel.SetDisplayLanguages(display); }
    // The shell's record goes on to the end of the base's teardown, past this member's life.
    ~Language() override {
        os.shell.OnNotifyIcon = nullptr;
        os.user.OnMessageBox = nullptr;
    }
    std::vector<std::string> shown; // what the screens showed, as a test collects it
    std::vector<std::string> Menu() {
        ChooseFromMenu("");
        return os.user.Popups().back().Captions();
    }
};

struct Display {
    const char* shown;       // Windows' display language
    const char* tag;         // the language Tarnwick speaks
    const char* deniedWords; // the simulated Windows' text for error 5 in that language
    const char* pinned = ""; // code.ini's Language, when it pins one
};

class InTheDisplayLanguage : public Language, public ::testing::WithParamInterface<Display> {};

TEST_P(InTheDisplayLanguage, MenuTipFailureBoxAndQuestionSpeakItAndLastStateIsWrittenAsInEnglish) {
    const Display d = GetParam();
    On({d.shown, "ja-JP", "en-US"});
    if (*d.pinned)
        os.files.Put(std::string(Folder) + "\\code.ini", std::string("[Info]\r\nLanguage=") + d.pinned);
    os.services.Add("lanmanserver").RefusesControl(plat::ERROR_ACCESS_DENIED);
    os.shares.Connect("ANNA-PC", "anna", {});
    os.user.OnMessageBox = [](const sim::SimMessageBox&) { return plat::IDYES; };
    StartAndSettle();
    const auto menu = Menu();
    EXPECT_EQ(menu,
              (std::vector<std::string>{In(d.tag, TextId::MenuRunAtStartup), In(d.tag, TextId::MenuQuit),
                                        In(d.tag, TextId::MenuHelp), In(d.tag, TextId::MenuStopSharing),
                                        In(d.tag, TextId::MenuOffOnPublicNetworks)}));
    EXPECT_EQ(menu[3] == "&Stop sharing", d.tag == std::string("en"));
    EXPECT_EQ(Tip(), Texts::SayIn(d.tag, TextId::TipEnabled, 0, {"1.10"}));
    // As in English: the start-up's query found the first caption, which is not "&Stop sharing".
    EXPECT_NE(File("code.ini").find("LastState=on"), std::string::npos) << File("code.ini");

    DoubleClick();
    os.user.RunFor(3000);
    const auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0], Texts::SayIn(d.tag, TextId::QuestionConnected, 1, {"1", "ANNA-PC (anna)"}) +
                            In(d.tag, TextId::SentenceSeparator) + In(d.tag, TextId::QuestionStopAnyway));
    EXPECT_EQ(boxes[1].substr(0, boxes[1].find("\r\n")), In(d.tag, TextId::BoxUnableToStop));
    EXPECT_NE(boxes[1].find(d.deniedWords), std::string::npos)
        << "Windows' reason in the same language: " << boxes[1];
    const std::string server = Texts::SayIn(d.tag, TextId::ServiceShown, 0, {"Server"});
    EXPECT_NE(boxes[1].find(Texts::SayIn(d.tag, TextId::AdviceAccessDenied, 0, {server})), std::string::npos);
    EXPECT_EQ(os.user.MessageBoxes().back().Caption, In(d.tag, TextId::BoxErrorTitle));
    // ... and the verifying query found "&Stop sharing" in the menu.
    EXPECT_NE(File("code.ini").find("LastState=off"), std::string::npos) << File("code.ini");
}

INSTANTIATE_TEST_SUITE_P(Languages, InTheDisplayLanguage,
                         ::testing::Values(Display{"en-US", "en", "Access is denied."},
                                           Display{"de-DE", "de", "Zugriff verweigert"},
                                           Display{"ja-JP", "ja", "アクセスが拒否されました。"},
                                           Display{"pt-BR", "pt-BR", "Acesso negado."},
                                           // Pinned, in the language Windows is shown in second.
                                           Display{"de-DE", "ja", "アクセスが拒否されました。", "ja"}),
                         [](const auto& info) {
                             std::string name =
                                 std::string(*info.param.pinned ? "pinned" : "") + info.param.tag;
                             name.erase(std::remove(name.begin(), name.end(), '-'), name.end());
                             return name;
                         });

TEST_F(Language, FallsBackFromUnknownPortugueseAndTraditionalChineseAndIsPinnedByPolicyThenCodeIni) {
    StartAndSettle();
    EXPECT_EQ(form->StopStart->Caption(), "&Stop sharing");
    for (const auto& [shown, expected] :
         std::vector<std::pair<std::vector<std::string>, std::string>>{{{"sw-KE"}, "en"},
                                                                       {{"pt-PT"}, "pt-BR"},
                                                                       {{"zh-TW", "zh-CN"}, "zh-CN"},
                                                                       {{"zh-TW"}, "en"},
                                                                       {{"de-AT", "ja-JP"}, "de"},
                                                                       {{}, "en"}}) {
        On(shown);
        EXPECT_EQ(form->ChooseLanguage(), expected) << (shown.empty() ? "none" : shown[0]);
    }
    On({"de-DE"});
    os.files.Put(std::string(Folder) + "\\code.ini", "[Info]\r\nLanguage=fr-CA\r\n");
    EXPECT_EQ(form->ChooseLanguage(), "fr");
    os.registry.SetString(plat::HKEY_LOCAL_MACHINE, KillServ::PolicyKey, "Language", "ja");
    EXPECT_EQ(form->ChooseLanguage(), "ja");
    // A pin Tarnwick cannot follow leaves the choice to the next.
    os.registry.SetString(plat::HKEY_LOCAL_MACHINE, KillServ::PolicyKey, "Language", "sw");
    EXPECT_EQ(form->ChooseLanguage(), "fr");
    os.files.Put(std::string(Folder) + "\\code.ini", "[Info]\r\nLanguage=tlh\r\n");
    EXPECT_EQ(form->ChooseLanguage(), "de");
}

TEST_F(Language, HelpOpensThePageInTheMenusLanguageOrTheEnglishOne) {
    os.kernel.SetElevated(false);
    On({"de-DE"});
    os.files.Put(std::string(Folder) + "\\main.html", "<html></html>");
    os.files.Put(std::string(Folder) + "\\main.de.html", "<html lang=de></html>");
    StartAndSettle();
    ChooseFromMenu(In("de", TextId::MenuHelp));
    os.files.Put(std::string(Folder) + "\\code.ini", "[Info]\r\nLanguage=ja\r\n");
    app.reset();
    TrayIcon::UnitFinalization();
    Main::ResetUnitState();
    StartAndSettle();
    ChooseFromMenu(In("ja", TextId::MenuHelp));
    ASSERT_EQ(os.shell.Executed().size(), 2u);
    EXPECT_EQ(os.shell.Executed()[0].File, std::string(Folder) + "\\main.de.html");
    EXPECT_EQ(os.shell.Executed()[1].File, std::string(Folder) + "\\main.html")
        << "there is no Japanese page";
}

TEST_F(Language, TheElevatedCopyAsksInTheTraysLanguageAndRefusesOneNotShipped) {
    static constexpr const char* Installed = "C:\\Program Files\\Tarnwick\\Tarnwick.exe";
    os.Become(sim::Machine::StandardUser());
    os.kernel.SetModuleFileName(Installed);
    On({"pl-PL"});
    os.shares.Connect("ANNA-PC", "anna", {});
    os.shares.FailSessionEnum(8); // the tray cannot list: the copy asks
    os.shell.InstallProgram(Installed, [&](const std::string& parameters) {
        os.shares.FailSessionEnum(0);
        os.kernel.SetDisplayLanguages({"en-US"}); // the administrator's own language
        return KillServ::RunSwitchCommand(parameters);
    });
    std::vector<std::string> asked;
    os.user.OnMessageBox = [&](const sim::SimMessageBox& box) {
        asked.push_back(box.Text);
        return plat::IDNO;
    };
    StartAndSettle();
    DoubleClick();
    os.user.RunFor(4000);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].rfind(Texts::SayIn("pl", TextId::QuestionConnected, 1, {"1", "ANNA-PC (anna)"}), 0),
              0u)
        << asked[0];
    os.kernel.SetElevated(true);
    EXPECT_EQ(KillServ::RunSwitchCommand("--switch-sharing --language sw-KE"),
              KillServ::SwitchRefusedCommandLine);
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_RUNNING);
}

// The pseudo-language through every screen: whatever is shown comes from the table (no run
// of plain English letters but the data put in), and nothing is cut (every "[" closed).
TEST_F(Language, ThePseudoLanguageLeavesNoEnglishTextAndNoCutTextOnAnyScreen) {
    os.files.Put(std::string(TarnwickTest::Folder) + "\\code.ini",
                 "[Info]\r\nLanguage=qps-ploc\r\nPublicNetworks=off\r\n");
    os.services.Add("lanmanserver").RefusesControl(plat::ERROR_SERVICE_DISABLED);
    os.shares.Connect("ANNA-PC", "anna", {"D:\\a.txt", "D:\\b.txt", "D:\\c.txt"});
    os.user.OnMessageBox = [](const sim::SimMessageBox&) { return plat::IDYES; };
    os.shell.OnNotifyIcon = [this](const sim::SimNotifyCall& call) { shown.push_back(call.Tip()); };
    Start();
    os.user.RunFor(3000);
    for (const auto& caption : Menu())
        shown.push_back(caption);
    DoubleClick();
    os.user.RunFor(3000);
    for (const auto& box : os.user.MessageBoxes()) {
        shown.push_back(box.Text);
        shown.push_back(box.Caption);
    }
    ASSERT_GE(os.user.MessageBoxes().size(), 2u);
    // Unelevated, a public network brings a balloon that suggests the switch, and its tool tip.
    os.kernel.SetElevated(false);
    os.networks.Connect("{cafe}", plat::NLM_NETWORK_CATEGORY_PUBLIC);
    os.user.RunFor(Main::TNetworkRule::IdentifyMs + Main::TNetworkRule::SettleMs + 5000);
    const auto* icon = os.shell.FindIcon(form->TrayIcon1->TrayIconId());
    ASSERT_TRUE(icon && icon->Balloons.size() == 1u);
    shown.push_back(icon->Balloons[0]);
    const std::string windowsWords =
        "The service cannot be started, either because it is disabled or because it has no enabled devices "
        "associated with it.";
    // The data put in, which no table translates.
    const char* const data[] = {"lanmanserver", "Tarnwick", "1.10",  "ANNA-PC", "anna",
                                "a.txt",        "b.txt",    "c.txt", "Server",  "\r"};
    for (std::string text : shown) {
        for (size_t at; (at = text.find(windowsWords)) != std::string::npos;)
            text.erase(at, windowsWords.size());
        std::string rest = text;
        for (const char* value : data)
            for (size_t at; (at = rest.find(value)) != std::string::npos;)
                rest.erase(at, std::strlen(value));
        std::string line;
        for (std::istringstream lines(rest); std::getline(lines, line);) {
            if (std::none_of(line.begin(), line.end(),
                             [](char c) { return std::isalpha(static_cast<unsigned char>(c)); }))
                continue;
            EXPECT_TRUE(line.front() == '[' || line.rfind("&[", 0) == 0) << "not from the table: " << text;
            EXPECT_EQ(line.back(), ']') << "cut: " << text;
        }
    }
}

} // namespace
