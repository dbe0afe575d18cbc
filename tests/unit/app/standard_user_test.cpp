// The tray program on the machine most Windows 10/11 users have: started from the Run key
// without elevation, installed in Program Files, switching through an elevated copy of
// itself after the UAC prompt.
#include <algorithm>

#include "app_fixture.h"
#include "sharing/killserv.h"
#include "sharing/killserv_report.h"
#include "sharing/switch_command.h"

namespace {

const char* const UserFolder = "C:\\Users\\Ann\\AppData\\Local\\Tarnwick";
const char* const MachineFolder = "C:\\ProgramData\\Tarnwick";

class StandardUser : public TarnwickTest {
  protected:
    // Installed: Program Files is protected, so nothing of the user's is kept beside it.
    static constexpr const char* Folder = "C:\\Program Files\\Tarnwick";

    StandardUser() {
        os.Become(sim::Machine::StandardUser());
        os.kernel.SetModuleFileName(std::string(Folder) + "\\Tarnwick.exe");
        programFolder = Folder;
        os.kernel.AddMissingFolder(UserFolder);    // created at the first start
        os.kernel.AddMissingFolder(MachineFolder); // created by the first elevated switch
        os.services.Add("lanmanserver").Running();
        os.services.Add("Browser").Running().DependsOn({"LanmanServer"});
        os.services.Add("Fax").Stopped().DependsOn({"LanmanServer"});
        InstallElevatedCopy(std::string(Folder) + "\\Tarnwick.exe");
    }

    // The program file as the shell starts it: its own process, so the tray program's
    // choice of folder is its own again afterwards.
    void InstallElevatedCopy(const std::string& path, uint64_t runsForMs = 0) {
        os.shell.InstallProgram(
            path,
            [this](const std::string& parameters) {
                copyRanElevated.push_back(os.kernel.IsProcessElevated());
                // Nothing of the tray's goes in or comes out but the command line, the exit
                // code and the copy's record.
                return KillServ::RunSwitchCommand(parameters);
            },
            runsForMs);
    }
    std::string UserFile(const std::string& name) const {
        auto contents = os.files.Get(std::string(UserFolder) + "\\" + name);
        return contents ? *contents : "<missing>";
    }
    std::string MachineFile(const std::string& name) const {
        auto contents = os.files.Get(std::string(MachineFolder) + "\\" + name);
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
    // An earlier version's record in the user's folder: taken over by the copy, then retired
    // by the tray itself.
    os.files.Put(std::string(UserFolder) + "\\srvStat.txt", "Browser\r\n");
    SwitchAndVerify();
    EXPECT_EQ(RunasLaunches(), std::vector<std::string>{std::string(Folder) +
                                                        "\\Tarnwick.exe --switch-sharing --language en"});
    // The prompt belongs to the tray's window, which the double click brought to the front.
    ASSERT_FALSE(os.shell.Executed().empty());
    EXPECT_NE(os.shell.Executed().back().Window, 0u);
    EXPECT_EQ(os.shell.Executed().back().Foreground, os.shell.Executed().back().Window);
    EXPECT_EQ(copyRanElevated, std::vector<bool>{true});
    EXPECT_EQ(os.services.StateOf("Browser"), plat::SERVICE_STOPPED);
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_STOPPED);
    EXPECT_EQ(MachineFile("srvStat.txt"), "Browser\r\n");
    EXPECT_EQ(UserFile("srvStat.txt"), "<missing>");
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
        EXPECT_EQ(MachineFile("srvStat.txt"), "<missing>");
    }
    // Without UAC the copy did start, without rights, and touched nothing.
    EXPECT_EQ(copyRanElevated, std::vector<bool>{false});
}

TEST_F(StandardUser, ACopyWhoseRunFailsOrWhoseFileIsMissingStopsNothingAndTheFailureBoxTellsSo) {
    StartAndSettle();
    os.files.FailReplaces(std::string(MachineFolder) + "\\srvStat.txt");
    SwitchAndVerify();
    EXPECT_EQ(copyRanElevated, std::vector<bool>{true});
    EXPECT_EQ(os.services.StateOf("Browser"), plat::SERVICE_RUNNING);
    EXPECT_EQ(Boxes(), std::vector<std::string>{UnableToStop});
    EXPECT_EQ(Shown(), "DeTre[1]");
    // A program file gone by the elevated launch is a failure, not a decline.
    os.shell.InstallProgram(std::string(Folder) + "\\Tarnwick.exe", {});
    SwitchAndVerify();
    EXPECT_EQ(Boxes(), (std::vector<std::string>{UnableToStop, UnableToStop}));
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_RUNNING);
    // No copy, no record: the log still knows which way the switch went.
    const std::string log = UserFile("tarnwick.log");
    EXPECT_NE(log.find(" switch off\r\n"), log.rfind(" switch off\r\n")) << "both entries: " << log;
}

// Sessions are listed to everybody, open files to administrators only: the tray names the
// computers it could list, the copy counts the files for the report.
TEST_F(StandardUser, TheTrayNamesTheComputersItCouldListAndTheCopyCountsTheirFiles) {
    os.shares.Connect("ANNA-PC", "anna", {"D:\\Shares\\Q3 report.xlsx"});
    std::vector<sim::SimMessageBox> asked;
    int32_t answer = plat::IDNO;
    os.user.OnMessageBox = [&](const sim::SimMessageBox& box) {
        asked.push_back(box);
        return answer;
    };
    StartAndSettle();
    SwitchAndVerify();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].Text, "1 computer is connected to your shared folders: ANNA-PC (anna). Open files are "
                             "shown to administrators only. Stop sharing anyway?");
    EXPECT_NE(asked[0].Owner, 0u) << "the tray's box";
    EXPECT_TRUE(copyRanElevated.empty()) << "No: nothing is elevated";
    EXPECT_TRUE(os.services.Actions().empty());
    EXPECT_EQ(Shown(), "DeTre[1]");
    EXPECT_NE(UserFile("tarnwick.log").find("kept sharing on"), std::string::npos)
        << UserFile("tarnwick.log");

    answer = plat::IDYES;
    SwitchAndVerify();
    EXPECT_EQ(asked.size(), 2u) << "the copy, told the answer, does not ask again";
    EXPECT_EQ(RunasLaunches().back(),
              std::string(Folder) + "\\Tarnwick.exe --switch-sharing --asked --language en");
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_STOPPED);
    EXPECT_EQ(Shown(), "DeTre[0]");
    // The copy's report, which every user may read, counts the files the tray could not list.
    EXPECT_NE(MachineFile("srvStat.report").find("\r\nconnected=1 computer, 1 open file\r\n"),
              std::string::npos)
        << MachineFile("srvStat.report");
    EXPECT_EQ(MachineFile("srvStat.report").find("ANNA"), std::string::npos);
    EXPECT_NE(UserFile("tarnwick.log").find("connected: 1 computer, 1 open file\r\n"), std::string::npos)
        << UserFile("tarnwick.log");

    // A start cuts nobody off: the copy is not told anybody was asked.
    SwitchAndVerify();
    EXPECT_EQ(RunasLaunches().back(), std::string(Folder) + "\\Tarnwick.exe --switch-sharing --language en");
    EXPECT_EQ(asked.size(), 2u);
}

// The tray could not list the sessions (a passing failure): the copy asks, and its No keeps
// sharing on without a failure box; its report counts, and names nobody.
TEST_F(StandardUser, WhenTheTrayCouldNotListTheCopyAsksAndItsNoKeepsSharingOnQuietly) {
    os.shares.Connect("ANNA-PC", "anna", {"D:\\Shares\\Q3 report.xlsx"});
    os.shares.FailSessionEnum(8); // ERROR_NOT_ENOUGH_MEMORY
    os.shell.InstallProgram(std::string(Folder) + "\\Tarnwick.exe", [this](const std::string& parameters) {
        os.shares.FailSessionEnum(0);
        return KillServ::RunSwitchCommand(parameters);
    });
    std::vector<sim::SimMessageBox> boxes;
    os.user.OnMessageBox = [&](const sim::SimMessageBox& box) {
        boxes.push_back(box);
        return plat::IDNO;
    };
    StartAndSettle();
    SwitchAndVerify();
    EXPECT_EQ(RunasLaunches().back(), std::string(Folder) + "\\Tarnwick.exe --switch-sharing --language en");
    ASSERT_EQ(boxes.size(), 1u) << "the question, and no failure box after it";
    EXPECT_EQ(boxes[0].Owner, 0u) << "the copy's box";
    EXPECT_TRUE(os.services.Actions().empty());
    EXPECT_EQ(Shown(), "DeTre[1]");
    EXPECT_NE(MachineFile("srvStat.report").find("\r\nconnected=1 computer, 1 open file\r\n"),
              std::string::npos)
        << MachineFile("srvStat.report");
    EXPECT_EQ(MachineFile("srvStat.report").find("ANNA"), std::string::npos);
}

TEST_F(StandardUser, AFailureInTheElevatedCopyIsToldInTheTraysBoxAndLog) {
    os.services.Add("lanmanserver").DisplayName("Server");
    os.services.Add("Browser").DisplayName("Computer Browser").DoesNotAcceptStop();
    StartAndSettle();
    SwitchAndVerify();
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(FirstLines()[0], UnableToStop);
    EXPECT_NE(Boxes()[0].find("\r\n\r\nStopping \"Computer Browser\" (Browser) failed: "), std::string::npos)
        << Boxes()[0];
    EXPECT_NE(UserFile("tarnwick.log").find("stop Browser: error 1052"), std::string::npos)
        << UserFile("tarnwick.log");
    EXPECT_NE(MachineFile("srvStat.report"), "<missing>") << "written by the copy, in the machine's folder";
    // A record left from that run is not taken for a later copy's that could write none.
    os.files.FailReplaces(std::string(MachineFolder) + "\\srvStat.report");
    SwitchAndVerify();
    ASSERT_EQ(Boxes().size(), 2u);
    EXPECT_EQ(Boxes()[1], UnableToStop);
}

TEST_F(StandardUser, ASecondServiceConfiguredBesideTheProgramIsStillSwitched) {
    os.files.Put(std::string(Folder) + "\\code.ini", "[Info]\r\nSecondService=Spooler\r\n");
    os.services.Add("Spooler").Running();
    os.services.Add("PrintShare").Running().DependsOn({"Spooler"});
    StartAndSettle();
    SwitchAndVerify();
    EXPECT_EQ(os.services.StateOf("Spooler"), plat::SERVICE_STOPPED);
    EXPECT_EQ(os.services.StateOf("PrintShare"), plat::SERVICE_STOPPED);
    EXPECT_EQ(MachineFile("srvStat.txt"), "PrintShare\r\nBrowser\r\n");
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
    EXPECT_EQ(RunasLaunches(),
              std::vector<std::string>{"D:\\Tools\\Tarnwick.exe --switch-sharing --language en"});
    EXPECT_EQ(UserFile("code.ini"), "<missing>");
}

// A Cyrillic user name on a Western (1252) Windows: A calls spell the profile with '?'.
const char* const Dmitri = "C:\\Users\\\u0414\u043C\u0438\u0442\u0440\u0438\u0439";

TEST_F(StandardUser, AProfileOutsideTheCodePageHoldsTheSettingsOfAProtectedInstallAndTheCopySwitches) {
    const std::string local = std::string(Dmitri) + "\\AppData\\Local";
    const std::string folder = local + "\\Tarnwick";
    os.kernel.SetEnvironmentVariable("LOCALAPPDATA", local);
    os.kernel.AddMissingFolder(folder);
    StartAndSettle();
    EXPECT_EQ(os.files.Get(folder + "\\code.ini").value_or("<missing>"), "[Info]\r\nLastState=on\r\n");
    SwitchAndVerify();
    EXPECT_EQ(RunasLaunches(), std::vector<std::string>{std::string(Folder) +
                                                        "\\Tarnwick.exe --switch-sharing --language en"});
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_STOPPED);
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
    EXPECT_EQ(RunasLaunches(),
              std::vector<std::string>{folder + "\\Tarnwick.exe --switch-sharing --language en"});
    EXPECT_EQ(os.files.Get(folder + "\\srvStat.txt").value_or("<missing>"), "Browser\r\n");
    EXPECT_EQ(Shown(), "DeTre[0]");
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(UserFile("code.ini"), "<missing>");
}

TEST_F(StandardUser, StartedAsAdministratorItSwitchesInProcessAndUsesTheSameFolders) {
    os.kernel.SetElevated(true);
    StartAndSettle();
    SwitchAndVerify();
    EXPECT_TRUE(RunasLaunches().empty());
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_STOPPED);
    EXPECT_EQ(MachineFile("srvStat.txt"), "Browser\r\n");
    EXPECT_EQ(UserFile("code.ini"), "[Info]\r\nLastState=off\r\n");
    EXPECT_EQ(File("srvStat.txt"), "<missing>");
}

TEST_F(StandardUser, AQuestionBoxEndedByWmQuitAsAtLogoffCountsAsNo) {
    os.kernel.SetElevated(true); // the tray asks itself
    os.shares.Connect("ANNA-PC", "anna", {"D:\\Shares\\Q3 report.xlsx"});
    StartAndSettle();
    os.user.SetModalLoopFor(60000);
    os.user.After(500, [this] { os.user.PostQuitMessage(0); });
    DoubleClick();
    os.user.RunFor(4000);
    ASSERT_EQ(os.user.MessageBoxes().size(), 1u);
    EXPECT_TRUE(os.user.QuitPosted()) << "the box's loop left WM_QUIT for the outer one";
    // Whatever the answer started runs on (a worker outlives the loop's end).
    os.user.ForgetQuit();
    os.user.RunFor(4000);
    EXPECT_TRUE(os.services.Actions().empty());
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_RUNNING);
}

TEST_F(StandardUser, ASecondUserSwitchesSharingBackOnAndEveryDependentTheFirstStoppedRunsAgain) {
    StartAndSettle();
    SwitchAndVerify();
    // Ann logs off; Bob logs on with a profile of his own.
    app.reset();
    TrayIcon::UnitFinalization();
    SimpleTimer::UnitFinalization();
    os.user.ForgetQuit();
    Main::ResetUnitState();
    os.kernel.SetEnvironmentVariable("LOCALAPPDATA", "C:\\Users\\Bob\\AppData\\Local");
    StartAndSettle();
    EXPECT_EQ(Shown(), "DeTre[0]");
    SwitchAndVerify();
    EXPECT_EQ(os.services.StateOf("Browser"), plat::SERVICE_RUNNING);
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_RUNNING);
    EXPECT_EQ(Shown(), "DeTre[1]");
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(StandardUser, ASlowElevatedSwitchIsWaitedForToItsEndAndEndsRedWithoutABox) {
    InstallElevatedCopy(std::string(Folder) + "\\Tarnwick.exe", 10 * 60 * 1000);
    StartAndSettle();
    SwitchAndVerify();
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_STOPPED);
    EXPECT_EQ(Shown(), "DeTre[0]");
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(StandardUser, AProgramOnAMappedDriveLaunchesItsCopyByTheNetworkPath) {
    os.kernel.MapDrive("Z:", "\\\\files\\tools");
    os.kernel.SetModuleFileName("Z:\\Tarnwick\\Tarnwick.exe");
    InstallElevatedCopy("\\\\files\\tools\\Tarnwick\\Tarnwick.exe");
    StartAndSettle();
    SwitchAndVerify();
    EXPECT_EQ(
        RunasLaunches(),
        std::vector<std::string>{"\\\\files\\tools\\Tarnwick\\Tarnwick.exe --switch-sharing --language en"});
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_STOPPED);
    // A folder on the network is judged from what its server says: the record stays off it.
    EXPECT_EQ(MachineFile("srvStat.txt"), "Browser\r\n");
    EXPECT_FALSE(os.files.FileExists("Z:\\Tarnwick\\srvStat.txt"));
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(StandardUser, ElevationThatCannotBeHadSaysWhyInsteadOfAdvisingAReboot) {
    os.kernel.SetUacAnswer(sim::UacAnswer::DeniedByPolicy);
    StartAndSettle();
    SwitchAndVerify();
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_NE(Boxes()[0].find("An administrator must allow it."), std::string::npos) << Boxes()[0];
    // A mapped drive whose network path cannot be had is not launched at all.
    os.kernel.SetUacAnswer(sim::UacAnswer::Accept);
    os.kernel.MapDrive("Y:", "");
    os.kernel.SetModuleFileName("Y:\\Tarnwick.exe");
    SwitchAndVerify();
    ASSERT_EQ(Boxes().size(), 2u);
    EXPECT_NE(Boxes()[1].find("network drive"), std::string::npos) << Boxes()[1];
    EXPECT_EQ(RunasLaunches().size(), 1u);
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_RUNNING);
}

TEST_F(StandardUser, SwitchesInTwoSessionsRunOneAfterTheOther) {
    os.kernel.SetElevated(true);
    StartAndSettle();
    uint64_t firstStop = 0;
    os.services.OnCall = [&](const sim::SimServices::Call& call) {
        if (call.op == "ControlService" && !firstStop) firstStop = os.kernel.GetTickCount64();
    };
    // Another user's switch, in another session, holds the machine's switch for 5 s.
    const uint64_t until = os.kernel.GetTickCount64() + 5000;
    os.files.HoldLockElsewhere(KillServ::SwitchLockPath(), 5000);
    SwitchAndVerify();
    EXPECT_GE(firstStop, until) << "ours began when theirs had ended";
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_STOPPED);
    EXPECT_TRUE(Boxes().empty());
    // One that runs longer than we wait: nothing switched, and the box says so plainly.
    os.files.HoldLockElsewhere(KillServ::SwitchLockPath(), 10 * 60 * 1000);
    SwitchAndVerify();
    os.user.RunFor(KillServ::SwitchLockWaitMs);
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_STOPPED);
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].rfind("Another switch of file sharing was running", 0), 0u) << Boxes()[0];
}

TEST_F(StandardUser, ARestartedTrayWaitsForTheCopyItsPredecessorLeftRunning) {
    // The elevated copy of the tray that was quit holds the switch for 20 s more.
    os.files.HoldLockElsewhere(KillServ::SwitchLockPath(), 20000);
    StartAndSettle();
    os.user.RunFor(20000);
    const uint64_t copyEnded = 20000;
    DoubleClick();
    os.user.RunFor(4000);
    EXPECT_EQ(RunasLaunches().size(), 1u);
    EXPECT_GE(os.kernel.GetTickCount64(), copyEnded);
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_STOPPED);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(StandardUser, APerUserFolderThatCannotBeCreatedIsNotUsed) {
    os.files.SetReadOnly("C:\\Users\\Ann\\AppData\\Local");
    StartAndSettle();
    EXPECT_EQ(form->Homes.UserFolder, "");
    EXPECT_FALSE(os.files.FolderExists(UserFolder));
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
    // A lamp started by another process of the session keeps this start out as well, an
    // elevated one too, whose mutex this process may not open (error 5).
    os.kernel.HoldMutexElsewhere(Main::InstanceMutexName, true, true);
    EXPECT_EQ(Main::RunProgram(), 0);
    EXPECT_EQ(os.kernel.GetLastError(), plat::ERROR_ACCESS_DENIED);
    EXPECT_EQ(os.threads.StartedCount(), 1);
    // A lamp killed while it owned the mutex, whose name another process still holds open:
    // the mutex is abandoned, and this start is the lamp.
    os.kernel.HoldMutexElsewhere(Main::InstanceMutexName, false);
    os.kernel.OwnMutexElsewhere(Main::InstanceMutexName, 0, sim::Session::This, false, true);
    os.kernel.HoldMutexElsewhere(Main::InstanceMutexName);
    size_t iconsOfTheHeir = 0;
    os.user.After(4000, [&] {
        iconsOfTheHeir = os.shell.Area().size();
        Main::Form1->Close();
    });
    EXPECT_EQ(Main::RunProgram(), 0);
    EXPECT_EQ(iconsOfTheHeir, 1u);
    EXPECT_EQ(os.threads.StartedCount(), 2);
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
    EXPECT_NE(std::find(pulse.begin(), pulse.end(), "YellowHalf[2]"), pulse.end())
        << "the lamp keeps pulsing";
    os.threads.Hold(false);
    os.user.RunFor(4000);
    EXPECT_EQ(Shown(), "DeTre[0]");
}

// Without elevation the network rule asks with a balloon instead of a UAC prompt out of nowhere.
TEST_F(StandardUser,
       APublicNetworkBringsABalloonWhoseClickSwitchesThroughThePromptAndADeclineWaitsForTheNextChange) {
    const char* const Suggestion =
        "You joined a public network while file sharing is on. Click here to switch it off.";
    os.kernel.RemoveMissingFolder(UserFolder);
    os.files.Put(std::string(UserFolder) + "\\code.ini", "[Info]\r\nPublicNetworks=off\r\n");
    os.networks.Connect("{cafe}", plat::NLM_NETWORK_CATEGORY_PUBLIC);
    StartAndSettle();
    os.user.RunFor(Main::TNetworkRule::IdentifyMs + 3000);
    const auto balloons = [this] { return os.shell.FindIcon(form->TrayIcon1->TrayIconId())->Balloons; };
    EXPECT_EQ(balloons(), std::vector<std::string>{Suggestion});
    EXPECT_EQ(Tip(),
              "Tarnwick v1.10\r\nYou joined a public network while file sharing is on.\r\nDouble click to "
              "switch it off.");
    EXPECT_TRUE(RunasLaunches().empty());
    // Gone before it is followed, the network takes its suggestion along; back, it brings a new one.
    os.networks.Disconnect("{cafe}");
    os.user.RunUntilIdle();
    EXPECT_EQ(Tip(), EnabledTip);
    os.networks.Connect("{cafe}", plat::NLM_NETWORK_CATEGORY_PUBLIC);
    os.user.RunFor(Main::TNetworkRule::IdentifyMs + 3000);

    os.kernel.SetUacAnswer(sim::UacAnswer::Decline);
    Click(0x405);
    os.user.RunFor(Main::TNetworkRule::SettleMs + 4000);
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_RUNNING);
    EXPECT_EQ(Tip(), EnabledTip);
    EXPECT_EQ(balloons().size(), 2u);
    EXPECT_TRUE(Boxes().empty());

    os.kernel.SetUacAnswer(sim::UacAnswer::Accept);
    os.networks.Connect("{airport}", plat::NLM_NETWORK_CATEGORY_PUBLIC);
    os.user.RunFor(Main::TNetworkRule::IdentifyMs + 3000);
    ASSERT_EQ(balloons().size(), 3u);
    Click(0x405);
    os.user.RunFor(4000);
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_STOPPED);
    EXPECT_EQ(RunasLaunches().size(), 2u);
    EXPECT_EQ(MachineFile("srvStat.txt"), "Browser\r\n");
    EXPECT_TRUE(Boxes().empty());
}

} // namespace
