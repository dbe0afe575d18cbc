// The elevated copy's command line and its run. It runs with administrator rights, so
// anything but our own exact command line must do nothing.
#include "sharing/switch_command.h"

#include "sharing_fixture.h"

namespace {

using KillServ::ParseSwitchCommandLine;

TEST(SwitchCommandLine, OurOwnCommandLineIsReadBackWithItsFolder) {
    for (const std::string folder : {"C:\\Users\\Ann\\AppData\\Local\\Tarnwick", "C:\\Program Files\\Tarnwick", "D:\\",
                                     "\\\\server\\share\\Tarnwick"}) {
        const auto request = ParseSwitchCommandLine(KillServ::SwitchCommandLine(folder));
        ASSERT_TRUE(request) << folder;
        EXPECT_EQ(request->dataFolder, folder);
    }
    // A trailing separator is not sent; blanks and tabs between the words are allowed.
    EXPECT_EQ(KillServ::SwitchCommandLine("C:\\Tools\\"), "--switch-sharing --data-folder \"C:\\Tools\"");
    EXPECT_EQ(ParseSwitchCommandLine(" \t--switch-sharing\t --data-folder  \"C:\\Tools\" \t")->dataFolder, "C:\\Tools");
    EXPECT_EQ(ParseSwitchCommandLine("--switch-sharing --data-folder C:\\Tools ")->dataFolder, "C:\\Tools");
}

TEST(SwitchCommandLine, AnythingElseIsRefused) {
    const char* const refused[] = {
        "",
        "--switch-sharing",
        "--switch-sharing --data-folder",
        "--switch-sharing --data-folder \"\"",
        "--switch-sharing --data-folder C:\\My Tools",
        "--switch-sharing --data-folder C:\\Tools\"",
        "--switch-sharing --data-folder \"C:\\Tools",
        "--switch-sharing --data-folder \"C:\\Tools\" --again",
        "--switch-sharing --data-folder \"C:\\Tools\"\"\"",
        "--switch-sharing --data-folder=\"C:\\Tools\"",
        "--switch-sharingx --data-folder \"C:\\Tools\"",
        "--SWITCH-SHARING --data-folder \"C:\\Tools\"",
        "--data-folder \"C:\\Tools\" --switch-sharing",
        "--switch-sharing --data-folder \"Tools\"",
        "--switch-sharing --data-folder \"C:Tools\"",
        "--switch-sharing --data-folder \"\\Tools\"",
        "--switch-sharing --data-folder \"C:\\Tools\\\"",
        "--switch-sharing --data-folder \"C:\\Tools\\..\\Windows\"",
        "--switch-sharing --data-folder \"C:\\.\\Tools\"",
        "--switch-sharing --data-folder \"C:\\Tools\\\\x\"",
        "--switch-sharing --data-folder \"C:\\To*ls\"",
        "--switch-sharing --data-folder \"C:\\To?ls\"",
        "--switch-sharing --data-folder \"C:\\Tools|x\"",
        "--switch-sharing --data-folder \"C:\\Tools:stream\"",
        "--switch-sharing --data-folder \"C:/Tools\"",
        "--switch-sharing --data-folder \"C:\\To\tols\"",
        "--switch-sharing --data-folder \"\\\\server\"",
        "--switch-sharing --data-folder \"\\\\\\server\\share\"",
        "--switch-sharing --data-folder \"\\\\?\\C:\\Tools\"",
        "--switch-sharing --data-folder \"\\\\.\\pipe\\x\"",
    };
    for (const char* line : refused)
        EXPECT_FALSE(ParseSwitchCommandLine(line)) << line;
    EXPECT_FALSE(ParseSwitchCommandLine("--switch-sharing --data-folder \"C:\\" + std::string(257, 'a') + "\""));
    EXPECT_TRUE(ParseSwitchCommandLine("--switch-sharing --data-folder \"C:\\" + std::string(256, 'a') + "\""));
    EXPECT_FALSE(ParseSwitchCommandLine(std::string("--switch-sharing --data-folder \"C:\\T\0ols\"", 40)));
}

TEST(SwitchCommandLine, OnlyTheVerbAsFirstWordAsksForTheCopy) {
    EXPECT_TRUE(KillServ::IsSwitchCommandLine("--switch-sharing"));
    EXPECT_TRUE(KillServ::IsSwitchCommandLine("  --switch-sharing junk"));
    EXPECT_FALSE(KillServ::IsSwitchCommandLine(""));
    EXPECT_FALSE(KillServ::IsSwitchCommandLine("/switch-sharing"));
    EXPECT_FALSE(KillServ::IsSwitchCommandLine("--switch-sharingx"));
    EXPECT_FALSE(KillServ::IsSwitchCommandLine("anything --switch-sharing"));
}

class ElevatedCopy : public SharingTest {
  protected:
    ElevatedCopy() {
        os.kernel.SetModuleFileName("C:\\Program Files\\Tarnwick\\Tarnwick.exe");
        os.kernel.SetCurrentDirectory("C:\\Windows\\System32"); // where elevation leaves it
        os.services.Add("lanmanserver").Running();
        os.services.Add("Browser").Running().DependsOn({"LanmanServer"});
    }
    void TearDown() override {
        KillServ::DataFolderPath.clear();
        SharingTest::TearDown();
    }
    bool NothingTouched() {
        return os.services.Actions().empty() && os.files.ReplaceCount() == 0 &&
               os.registry.OpenHandleCount() == 0;
    }
    const std::string folder = "C:\\Users\\Ann\\AppData\\Local\\Tarnwick";
};

TEST_F(ElevatedCopy, RunsOneSwitchIntoTheGivenFolderAndSaysSo) {
    EXPECT_EQ(KillServ::RunSwitchCommand(KillServ::SwitchCommandLine(folder)), KillServ::SwitchRan);
    EXPECT_EQ(os.services.Actions(), (std::vector<std::string>{"stop Browser", "stop lanmanserver"}));
    EXPECT_EQ(os.files.Get(folder + "\\srvStat.txt").value_or("<none>"), "Browser\r\n");
    EXPECT_FALSE(os.files.FileExists("C:\\Windows\\System32\\srvStat.txt"));
    EXPECT_EQ(os.threads.StartedCount(), 0) << "no thread, no window";
    EXPECT_TRUE(os.shell.Calls().empty()) << "no icon";

    EXPECT_EQ(KillServ::RunSwitchCommand(KillServ::SwitchCommandLine(folder)), KillServ::SwitchRan);
    EXPECT_EQ(os.services.StateOf("Browser"), plat::SERVICE_RUNNING);
}

TEST_F(ElevatedCopy, ABadCommandLineOrAMissingRightOrFolderDoesNothing) {
    EXPECT_EQ(KillServ::RunSwitchCommand("--switch-sharing"), KillServ::SwitchRefusedCommandLine);
    EXPECT_EQ(KillServ::RunSwitchCommand("--switch-sharing --data-folder \"C:\\x\\..\\y\""),
              KillServ::SwitchRefusedCommandLine);
    os.kernel.AddMissingFolder("D:\\Gone");
    EXPECT_EQ(KillServ::RunSwitchCommand(KillServ::SwitchCommandLine("D:\\Gone")), KillServ::SwitchNoDataFolder);
    os.kernel.SetElevated(false);
    EXPECT_EQ(KillServ::RunSwitchCommand(KillServ::SwitchCommandLine(folder)), KillServ::SwitchNotElevated);
    EXPECT_TRUE(NothingTouched());
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_RUNNING);
}

TEST_F(ElevatedCopy, ARunThatCannotWriteTheRecordStopsNothingAndSaysSo) {
    os.files.FailReplaces(folder + "\\srvStat.txt");
    EXPECT_EQ(KillServ::RunSwitchCommand(KillServ::SwitchCommandLine(folder)), KillServ::SwitchRunFailed);
    EXPECT_TRUE(os.services.Actions().empty());
}

// ---- the service manager's default security, as a standard user meets it ----

class StandardUserServices : public SharingTest {
  protected:
    StandardUserServices() {
        os.Become(sim::Machine::StandardUser());
        os.services.Add("lanmanserver").Running();
    }
};

TEST_F(StandardUserServices, TheQueryAnswersTruthfullyWithItsOwnRights) {
    EXPECT_TRUE(Run(0));
    EXPECT_EQ(result, 1);
    for (const auto& call : os.services.Calls()) {
        if (call.op == "OpenSCManager") {
            EXPECT_EQ(call.value, plat::SC_MANAGER_CONNECT | plat::SC_MANAGER_ENUMERATE_SERVICE);
        }
        if (call.op == "OpenService") {
            EXPECT_EQ(call.value, plat::SERVICE_QUERY_STATUS);
        }
    }
    // The switch's rights are refused, the manager's lock and a service's start and stop alike.
    EXPECT_EQ(os.services.OpenSCManager(nullptr, nullptr, 0xA0000000), 0u);
    EXPECT_EQ(os.kernel.GetLastError(), plat::ERROR_ACCESS_DENIED);
    const plat::SC_HANDLE manager = os.services.OpenSCManager(nullptr, nullptr, plat::GENERIC_READ);
    ASSERT_NE(manager, 0u);
    EXPECT_EQ(os.services.OpenService(manager, "lanmanserver", plat::SERVICE_STOP), 0u);
    EXPECT_EQ(os.kernel.GetLastError(), plat::ERROR_ACCESS_DENIED);
    const plat::SC_HANDLE service = os.services.OpenService(manager, "lanmanserver", plat::GENERIC_READ);
    ASSERT_NE(service, 0u);
    plat::SERVICE_STATUS status{};
    EXPECT_FALSE(os.services.ControlService(service, plat::SERVICE_CONTROL_STOP, &status));
    EXPECT_EQ(os.kernel.GetLastError(), plat::ERROR_ACCESS_DENIED);
    os.services.CloseServiceHandle(service);
    os.services.CloseServiceHandle(manager);
}

TEST_F(StandardUserServices, ASwitchInTheUnelevatedProcessItselfWouldChangeNothing) {
    // What the tray program would do without its elevated copy: the stop is refused.
    KillServ::TKT worker(KillServ::TKT::InPlace{}, 1, nullptr);
    worker.SwitchSharing();
    EXPECT_TRUE(os.services.Actions().empty());
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_RUNNING);
    EXPECT_FALSE(KillServ::ErrorList.empty());
}

TEST_F(StandardUserServices, ProgramFilesIsWrittenOnlyWhenElevated) {
    const std::string ini = "C:\\Program Files\\Tarnwick\\code.ini";
    EXPECT_FALSE(os.files.WritePrivateProfileString("Info", "LastState", "on", ini.c_str()));
    EXPECT_EQ(os.kernel.GetLastError(), plat::ERROR_ACCESS_DENIED);
    EXPECT_FALSE(os.files.ReplaceFileAtomically("C:\\Program Files\\Tarnwick\\srvStat.txt", ""));
    EXPECT_FALSE(os.files.CanCreateFilesIn("C:\\Program Files\\Tarnwick"));
    EXPECT_TRUE(os.files.CanCreateFilesIn("C:\\Users\\Ann\\AppData\\Local"));
    EXPECT_TRUE(os.files.ReplaceFileAtomically("C:\\Program Files Extra\\srvStat.txt", "")) << "only that folder";
    os.kernel.SetElevated(true);
    EXPECT_TRUE(os.files.WritePrivateProfileString("Info", "LastState", "on", ini.c_str()));
}

} // namespace
