// The tray program on the machine most Windows 10/11 users have: started from the Run key
// without elevation, installed in Program Files, switching through an elevated copy of
// itself after the UAC prompt.
#include <algorithm>

#include "app_fixture.h"
#include "sharing/killserv.h"
#include "sharing/switch_command.h"

namespace {

const char* const EnabledTip = "Tarnwick v1.10\r\nSharing is enabled\r\nDouble click to disable";
const char* const DisabledTip = "Tarnwick v1.10\r\nSharing is disabled\r\nDouble click to enable";
const char* const UnableToStop =
    "Tarnwick was unable to stop sharing, if the problem persists you may have to reboot.";
const char* const UserFolder = "C:\\Users\\Ann\\AppData\\Local\\Tarnwick";

class StandardUser : public TarnwickTest {
  protected:
    StandardUser() {
        os.Become(sim::Machine::StandardUser());
        os.kernel.AddMissingFolder(UserFolder); // created at the first start
        os.services.Add("lanmanserver").Running();
        os.services.Add("Browser").Running().DependsOn({"LanmanServer"});
        os.services.Add("Fax").Stopped().DependsOn({"LanmanServer"});
        InstallElevatedCopy(std::string(Folder) + "\\Tarnwick.exe");
    }

    // The program file as the shell starts it: its own process, so the tray program's
    // choice of folder is its own again afterwards.
    void InstallElevatedCopy(const std::string& path) {
        os.shell.InstallProgram(path, [this](const std::string& parameters) {
            const std::string trayFolder = KillServ::DataFolderPath;
            copyRanElevated.push_back(os.kernel.IsProcessElevated());
            const uint32_t code = KillServ::RunSwitchCommand(parameters);
            KillServ::DataFolderPath = trayFolder;
            return code;
        });
    }
    std::string UserFile(const std::string& name) const {
        auto contents = os.files.Get(std::string(UserFolder) + "\\" + name);
        return contents ? *contents : "<missing>";
    }
    void SwitchAndVerify() {
        DoubleClick();
        os.user.RunFor(4000);
    }
    std::vector<std::string> RunasLaunches() const {
        std::vector<std::string> launches;
        for (const auto& e : os.shell.Executed())
            if (e.Operation == "runas") launches.push_back(e.File + " " + e.Parameters);
        return launches;
    }

    std::vector<bool> copyRanElevated;
};

TEST_F(StandardUser, ARunKeyStartFromProgramFilesComesUpGreenWithoutABoxAndKeepsItsFilesInTheUserFolder) {
    StartAndSettle();
    EXPECT_EQ(Shown(), "DeTre[1]");
    EXPECT_EQ(Tip(), EnabledTip);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(UserFile("code.ini"), "[Info]\r\nLastState=on\r\n");
    EXPECT_EQ(File("code.ini"), "<missing>");
    // The query needed no elevation and asked for none.
    EXPECT_TRUE(RunasLaunches().empty());
    EXPECT_FALSE(os.kernel.IsProcessElevated());
}

TEST_F(StandardUser, ADoubleClickWithTheUacPromptAcceptedSwitchesThroughTheElevatedCopyBothWays) {
    StartAndSettle();
    SwitchAndVerify();
    EXPECT_EQ(RunasLaunches(), std::vector<std::string>{std::string(Folder) + "\\Tarnwick.exe --switch-sharing "
                                                                             "--data-folder \"" +
                                                         UserFolder + "\""});
    EXPECT_EQ(copyRanElevated, std::vector<bool>{true});
    EXPECT_EQ(os.services.StateOf("Browser"), plat::SERVICE_STOPPED);
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_STOPPED);
    EXPECT_EQ(UserFile("srvStat.txt"), "Browser\r\n");
    EXPECT_EQ(File("srvStat.txt"), "<missing>");
    EXPECT_EQ(Shown(), "DeTre[0]");
    EXPECT_EQ(Tip(), DisabledTip);
    EXPECT_TRUE(Boxes().empty());

    SwitchAndVerify();
    EXPECT_EQ(os.services.StateOf("Browser"), plat::SERVICE_RUNNING);
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_RUNNING);
    EXPECT_EQ(os.services.StateOf("Fax"), plat::SERVICE_STOPPED); // stopped by someone else
    EXPECT_EQ(Shown(), "DeTre[1]");
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(os.kernel.OpenKernelHandles(), 0) << "the copy's process handle is closed";
    EXPECT_FALSE(os.kernel.IsProcessElevated());
}

TEST_F(StandardUser, DecliningOrLackingElevationSwitchesNothingAndRaisesNoBox) {
    for (auto answer : {sim::UacAnswer::Decline, sim::UacAnswer::Unavailable}) {
        SCOPED_TRACE(answer == sim::UacAnswer::Decline ? "declined" : "unavailable");
        os.kernel.SetUacAnswer(answer);
        if (!form) StartAndSettle();
        SwitchAndVerify();
        EXPECT_EQ(os.services.StateOf("Browser"), plat::SERVICE_RUNNING);
        EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_RUNNING);
        EXPECT_EQ(Shown(), "DeTre[1]");
        EXPECT_EQ(Tip(), EnabledTip);
        EXPECT_EQ(form->StopStart->Caption(), "&Stop sharing");
        EXPECT_TRUE(form->StopStart->Enabled());
        EXPECT_TRUE(Boxes().empty());
        EXPECT_EQ(UserFile("srvStat.txt"), "<missing>");
    }
    // Without UAC the copy did start, without rights, and touched nothing.
    EXPECT_EQ(copyRanElevated, std::vector<bool>{false});
}

TEST_F(StandardUser, ACopyWhoseRunFailsStopsNothingAndTheFailureBoxTellsSo) {
    StartAndSettle();
    os.files.FailReplaces(std::string(UserFolder) + "\\srvStat.txt");
    SwitchAndVerify();
    EXPECT_EQ(copyRanElevated, std::vector<bool>{true});
    EXPECT_EQ(os.services.StateOf("Browser"), plat::SERVICE_RUNNING);
    EXPECT_EQ(Boxes(), std::vector<std::string>{UnableToStop});
    EXPECT_EQ(Shown(), "DeTre[1]");
}

TEST_F(StandardUser, AProgramFileMissingForTheElevatedLaunchIsAFailureNotADecline) {
    os.shell.InstallProgram(std::string(Folder) + "\\Tarnwick.exe", {}); // removed
    StartAndSettle();
    SwitchAndVerify();
    EXPECT_EQ(Boxes(), std::vector<std::string>{UnableToStop});
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_RUNNING);
}

TEST_F(StandardUser, ASecondServiceConfiguredBesideTheProgramIsStillSwitched) {
    os.files.Put(std::string(Folder) + "\\code.ini", "[Info]\r\nSecondService=Spooler\r\n");
    os.services.Add("Spooler").Running();
    os.services.Add("PrintShare").Running().DependsOn({"Spooler"});
    StartAndSettle();
    SwitchAndVerify();
    EXPECT_EQ(os.services.StateOf("Spooler"), plat::SERVICE_STOPPED);
    EXPECT_EQ(os.services.StateOf("PrintShare"), plat::SERVICE_STOPPED);
    EXPECT_EQ(UserFile("srvStat.txt"), "PrintShare\r\nBrowser\r\n");
    // The administrator's file stays as it was.
    EXPECT_EQ(File("code.ini"), "[Info]\r\nSecondService=Spooler\r\n");
}

TEST_F(StandardUser, APortableFolderTheUserMayWriteKeepsTheFilesBesideTheProgram) {
    os.kernel.SetModuleFileName("D:\\Tools\\Tarnwick.exe");
    InstallElevatedCopy("D:\\Tools\\Tarnwick.exe");
    StartAndSettle();
    SwitchAndVerify();
    EXPECT_EQ(os.files.Get("D:\\Tools\\srvStat.txt").value_or("<missing>"), "Browser\r\n");
    EXPECT_EQ(os.files.Get("D:\\Tools\\code.ini").value_or("<missing>"), "[Info]\r\nLastState=off\r\n");
    EXPECT_EQ(RunasLaunches(), std::vector<std::string>{"D:\\Tools\\Tarnwick.exe --switch-sharing --data-folder "
                                                        "\"D:\\Tools\""});
    EXPECT_EQ(UserFile("code.ini"), "<missing>");
}

// A Cyrillic user name on a Western (1252) Windows: A calls spell the profile with '?'.
const char* const Dmitri = "C:\\Users\\\u0414\u043C\u0438\u0442\u0440\u0438\u0439";

TEST_F(StandardUser, AProfileOutsideTheCodePageHoldsTheFilesOfAProtectedInstallAndTheCopySwitchesThere) {
    const std::string local = std::string(Dmitri) + "\\AppData\\Local";
    const std::string folder = local + "\\Tarnwick";
    os.kernel.SetEnvironmentVariable("LOCALAPPDATA", local);
    os.kernel.AddMissingFolder(folder);
    StartAndSettle();
    EXPECT_EQ(os.files.Get(folder + "\\code.ini").value_or("<missing>"), "[Info]\r\nLastState=on\r\n");
    SwitchAndVerify();
    EXPECT_EQ(RunasLaunches(), std::vector<std::string>{std::string(Folder) +
                                                        "\\Tarnwick.exe --switch-sharing --data-folder \"" + folder + "\""});
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_STOPPED);
    EXPECT_EQ(os.files.Get(folder + "\\srvStat.txt").value_or("<missing>"), "Browser\r\n");
    EXPECT_EQ(Shown(), "DeTre[0]");
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(StandardUser, APortableCopyInAFolderOutsideTheCodePageKeepsEverythingBesideItself) {
    const std::string folder = std::string(Dmitri) + "\\Downloads\\Tarnwick";
    os.kernel.SetModuleFileName(folder + "\\Tarnwick.exe");
    InstallElevatedCopy(folder + "\\Tarnwick.exe");
    os.files.Put(folder + "\\main.html", "<html></html>");
    StartAndSettle();
    EXPECT_EQ(os.files.Get(folder + "\\code.ini").value_or("<missing>"), "[Info]\r\nLastState=on\r\n");
    EXPECT_EQ(RunValue(), folder + "\\Tarnwick.exe");
    ChooseFromMenu("Help");
    ASSERT_EQ(os.shell.Executed().size(), 1u);
    EXPECT_EQ(os.shell.Executed()[0].File, folder + "\\main.html");
    SwitchAndVerify();
    EXPECT_EQ(RunasLaunches(), std::vector<std::string>{folder + "\\Tarnwick.exe --switch-sharing --data-folder \"" +
                                                        folder + "\""});
    EXPECT_EQ(os.files.Get(folder + "\\srvStat.txt").value_or("<missing>"), "Browser\r\n");
    EXPECT_EQ(Shown(), "DeTre[0]");
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(UserFile("code.ini"), "<missing>");
}

TEST_F(StandardUser, StartedAsAdministratorItSwitchesInProcessAndUsesTheSameUserFolder) {
    os.kernel.SetElevated(true);
    StartAndSettle();
    SwitchAndVerify();
    EXPECT_TRUE(RunasLaunches().empty());
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_STOPPED);
    EXPECT_EQ(UserFile("srvStat.txt"), "Browser\r\n");
    EXPECT_EQ(File("srvStat.txt"), "<missing>");
}

TEST_F(StandardUser, AnExplorerThatIsNotReadyAtLogonGetsTheIconWithTheCurrentLampLater) {
    os.shell.StartExplorerLate(20000, std::nullopt); // and never says "TaskbarCreated"
    StartAndSettle();
    EXPECT_EQ(Shown(), "<absent>");
    os.user.RunFor(20000);
    EXPECT_EQ(Shown(), "DeTre[1]");
    EXPECT_EQ(Tip(), EnabledTip);
    EXPECT_EQ(os.shell.Area().size(), 1u);
}

TEST_F(StandardUser, AnExplorerLaterThanTwoMinutesGetsTheIconAtItsTaskbarCreated) {
    os.shell.StartExplorerLate(300000, 300000);
    StartAndSettle();
    os.user.RunFor(240000);
    EXPECT_EQ(Shown(), "<absent>");
    const size_t callsBefore = os.shell.Calls().size();
    os.user.RunFor(30000);
    EXPECT_EQ(os.shell.Calls().size(), callsBefore) << "the retries have stopped";
    os.user.RunFor(40000);
    EXPECT_EQ(Shown(), "DeTre[1]");
    EXPECT_EQ(Tip(), EnabledTip);
}

TEST_F(StandardUser, ASecondStartInTheSessionEndsQuietlyAndLeavesOneLamp) {
    int second = -1;
    size_t iconsAfterSecond = 0;
    os.user.After(4000, [&] {
        second = Main::RunProgram();
        iconsAfterSecond = os.shell.Area().size();
        Main::Form1->Close();
    });
    EXPECT_EQ(Main::RunProgram(), 0);
    EXPECT_EQ(second, 0);
    EXPECT_EQ(iconsAfterSecond, 1u);
    EXPECT_EQ(os.threads.StartedCount(), 1) << "only the first start queried";
    EXPECT_EQ(os.kernel.OpenKernelHandles(), 0) << "the first start let its mutex go when it ended";
    // A lamp started by another process of the session keeps this start out as well.
    os.kernel.HoldMutexElsewhere(Main::InstanceMutexName);
    EXPECT_EQ(Main::RunProgram(), 0);
    EXPECT_EQ(os.threads.StartedCount(), 1);
}

TEST_F(StandardUser, AnotherProcessClosingTheTimerWindowDoesNotStopThePulse) {
    StartAndSettle();
    os.user.PostFromOtherProcess(SimpleTimer::SharedTimerHandler->Window(), plat::WM_CLOSE, 0, 0);
    os.user.RunUntilIdle();
    os.threads.Hold(true); // the switch runs for a while
    DoubleClick();
    const size_t from = frames.size();
    os.user.RunFor(1000);
    const auto pulse = FramesSince(from);
    EXPECT_NE(std::find(pulse.begin(), pulse.end(), "YellowHalf[2]"), pulse.end()) << "the lamp keeps pulsing";
    os.threads.Hold(false);
    os.user.RunFor(4000);
    EXPECT_EQ(Shown(), "DeTre[0]");
}

} // namespace
