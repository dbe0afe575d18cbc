// The elevated copy's command line and its run. It runs with administrator rights, so
// anything but our own exact command line must do nothing.
#include "sharing/killserv_report.h"
#include "sharing/switch_command.h"

#include "sharing_fixture.h"

namespace {

using KillServ::ParseSwitchCommandLine;

TEST(SwitchCommandLine, OnlyTheVerbItselfIsARequest) {
    EXPECT_TRUE(ParseSwitchCommandLine("--switch-sharing"));
    EXPECT_TRUE(ParseSwitchCommandLine(" \t--switch-sharing \t"));
    EXPECT_FALSE(ParseSwitchCommandLine("--switch-sharing")->asked);
    // The one word more it knows only spares the copy a second question.
    EXPECT_TRUE(ParseSwitchCommandLine("--switch-sharing --asked")->asked);
    EXPECT_TRUE(ParseSwitchCommandLine(" --switch-sharing\t--asked ")->asked);
    for (const char* line : {"--asked", "--asked --switch-sharing", "--switch-sharing --asked --asked",
                             "--switch-sharing --asked x", "--switch-sharing --ASKED",
                             "--switch-sharing --askedx", "--switch-sharing--asked"})
        EXPECT_FALSE(ParseSwitchCommandLine(line)) << line;
    // The copy takes no folder, nor anything else, from the unelevated side.
    for (const char* line :
         {"", "--switch-sharing --data-folder \"C:\\Users\\Ann\\AppData\\Local\\Tarnwick\"",
          "--switch-sharing x", "--switch-sharingx", "--SWITCH-SHARING", "x --switch-sharing"})
        EXPECT_FALSE(ParseSwitchCommandLine(line)) << line;
    EXPECT_FALSE(ParseSwitchCommandLine(std::string("--switch-sharing\0", 17)));
    // The tray's language, last, and only one Tarnwick ships: the copy shows the tray
    // user's question, never text it was handed.
    EXPECT_EQ(ParseSwitchCommandLine("--switch-sharing --asked --language pt-BR")->language, "pt-BR");
    EXPECT_EQ(ParseSwitchCommandLine("--switch-sharing\t--language\tja ")->language, "ja");
    for (const char* line : {"--switch-sharing --language", "--switch-sharing --language sw-KE",
                             "--switch-sharing --language pt-br", "--switch-sharing --language de --asked",
                             "--switch-sharing --language de de", "--switch-sharing --language ../de",
                             "--switch-sharing --asked--language de"})
        EXPECT_FALSE(ParseSwitchCommandLine(line)) << line;
}

TEST(SwitchCommandLine, OnlyTheVerbAsFirstWordAsksForTheCopy) {
    EXPECT_TRUE(KillServ::IsSwitchCommandLine("--switch-sharing"));
    EXPECT_TRUE(KillServ::IsSwitchCommandLine("  --switch-sharing junk"));
    EXPECT_FALSE(KillServ::IsSwitchCommandLine(""));
    EXPECT_FALSE(KillServ::IsSwitchCommandLine("/switch-sharing"));
    EXPECT_FALSE(KillServ::IsSwitchCommandLine("--switch-sharingx"));
    EXPECT_FALSE(KillServ::IsSwitchCommandLine("anything --switch-sharing"));
}

// The copy as Windows starts it after the UAC prompt: elevated, in the system folder, for a
// program in Program Files on the strict machine.
class ElevatedCopy : public SharingTest {
  protected:
    ElevatedCopy() {
        os.Become(sim::Machine::StandardUser());
        os.kernel.SetElevated(true);
        os.kernel.AddMissingFolder(machine);
        os.kernel.SetModuleFileName("C:\\Program Files\\Tarnwick\\Tarnwick.exe");
        os.kernel.SetCurrentDirectory("C:\\Windows\\System32"); // where elevation leaves it
        os.services.Add("lanmanserver").Running();
        os.services.Add("Browser").Running().DependsOn({"LanmanServer"});
        os.services.Add("RemoteRegistry").Stopped();
        os.services.Add("BFE").Running();
    }
    // The homes as the copy chooses them.
    static KillServ::THomes Homes() { return KillServ::ChooseHomes(false); }
    bool NothingTouched() {
        return os.services.Actions().empty() && os.files.ReplaceCount() == 0 &&
               os.registry.OpenHandleCount() == 0;
    }
    std::string MachineRecord() { return os.files.Get(machine + "\\srvStat.txt").value_or("<none>"); }
    const std::string machine = "C:\\ProgramData\\Tarnwick";
    const std::string user = "C:\\Users\\Ann\\AppData\\Local\\Tarnwick";
};

TEST_F(ElevatedCopy, RunsOneSwitchIntoTheMachineFolderItMadeForAdministratorsAndSaysSo) {
    EXPECT_EQ(KillServ::RunSwitchCommand("--switch-sharing"), KillServ::SwitchRan);
    EXPECT_EQ(os.services.Actions(), (std::vector<std::string>{"stop Browser", "stop lanmanserver"}));
    EXPECT_EQ(MachineRecord(), "Browser\r\n");
    EXPECT_EQ(os.files.GetFolderTrust(machine), plat::FolderTrust::AdminOnly);
    EXPECT_FALSE(os.files.FileExists("C:\\Windows\\System32\\srvStat.txt"));
    EXPECT_EQ(os.threads.StartedCount(), 0) << "no thread, no window";
    EXPECT_TRUE(os.shell.Calls().empty()) << "no icon";

    EXPECT_EQ(KillServ::RunSwitchCommand("--switch-sharing"), KillServ::SwitchRan);
    EXPECT_EQ(os.services.StateOf("Browser"), plat::SERVICE_RUNNING);
    // The second service: the administrators' machine setting first, then the program folder's.
    os.files.Put(machine + "\\code.ini", "[Info]\r\nSecondService=BFE\r\n");
    os.files.Put("C:\\Program Files\\Tarnwick\\code.ini", "[Info]\r\nSecondService=RemoteRegistry\r\n");
    EXPECT_EQ(KillServ::SecondServiceName(Homes()), "BFE");
    os.files.Remove(machine + "\\code.ini");
    EXPECT_EQ(KillServ::SecondServiceName(Homes()), "RemoteRegistry");
}

TEST_F(ElevatedCopy, ItsRecordReachesTheTrayOnlyWhenFreshAndWellFormed) {
    os.services.Add("Browser").DoesNotAcceptStop();
    EXPECT_EQ(KillServ::RunSwitchCommand("--switch-sharing"), KillServ::SwitchRan);
    const std::string record = os.files.Get(machine + "\\srvStat.report").value_or("");
    ASSERT_FALSE(record.empty());
    KillServ::TSwitchReport report;
    EXPECT_FALSE(KillServ::ParseSwitchRecord(record, os.kernel.GetTickCount64() + 1, report))
        << "an older run's";
    EXPECT_FALSE(report.FirstFailure);
    ASSERT_TRUE(KillServ::ParseSwitchRecord(record, 0, report));
    ASSERT_TRUE(report.FirstFailure);
    EXPECT_EQ(report.FirstFailure->Service, "Browser");
    EXPECT_EQ(report.FirstFailure->Error, plat::ERROR_INVALID_SERVICE_CONTROL);
    EXPECT_EQ(report.Direction, "off");
    // Lines that are not ours are passed over; a record without its start is nobody's.
    report = {};
    EXPECT_TRUE(
        KillServ::ParseSwitchRecord("started=5\r\nstep=explode\tBrowser\t0\t0\t\r\nfailure=stop\t\t5\t0\t"
                                    "\r\nfailure=stop\tX\t99999999999\t0\t\r\ndirection=sideways\r\n=\r\n",
                                    0, report));
    EXPECT_FALSE(report.FirstFailure);
    EXPECT_TRUE(report.Steps.empty());
    EXPECT_EQ(report.Direction, "");
    EXPECT_FALSE(KillServ::ParseSwitchRecord("step=stop\tBrowser\t5\t0\t\r\n", 0, report));
    // Every DWORD is an error code a service may report.
    ASSERT_TRUE(KillServ::ParseSwitchRecord("started=5\r\nfailure=start\tX\t4294967295\t0\t\r\n", 0, report));
    ASSERT_TRUE(report.FirstFailure);
    EXPECT_EQ(report.FirstFailure->Error, 0xFFFFFFFFu);
    EXPECT_FALSE(KillServ::ParseSwitchRecord("started=99999999999999999999999\r\n", 0, report));
}

TEST_F(ElevatedCopy, ABadCommandLineOrAMissingRightDoesNothing) {
    EXPECT_EQ(KillServ::RunSwitchCommand("--switch-sharing --data-folder \"C:\\Users\\Ann\""),
              KillServ::SwitchRefusedCommandLine);
    EXPECT_EQ(KillServ::RunSwitchCommand(""), KillServ::SwitchRefusedCommandLine);
    os.kernel.SetElevated(false);
    EXPECT_EQ(KillServ::RunSwitchCommand("--switch-sharing"), KillServ::SwitchNotElevated);
    EXPECT_TRUE(NothingTouched());
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_RUNNING);
}

TEST_F(ElevatedCopy, ARunThatCannotWriteTheRecordStopsNothingAndSaysSo) {
    os.files.FailReplaces(machine + "\\srvStat.txt");
    EXPECT_EQ(KillServ::RunSwitchCommand("--switch-sharing"), KillServ::SwitchRunFailed);
    EXPECT_TRUE(os.services.Actions().empty());
}

TEST_F(ElevatedCopy, WhatTheUserCanWriteDoesNotSteerIt) {
    // The user's own files name a second service and a service to start; the environment
    // points ProgramData at the user's profile.
    os.files.Put(user + "\\code.ini", "[Info]\r\nSecondService=BFE\r\n");
    os.files.Put(user + "\\srvStat.txt", "RemoteRegistry\r\nBrowser\r\n");
    os.kernel.SetEnvironmentVariable("ProgramData", "C:\\Users\\Ann");
    EXPECT_EQ(KillServ::RunSwitchCommand("--switch-sharing"), KillServ::SwitchRan);
    EXPECT_EQ(os.services.Actions(), (std::vector<std::string>{"stop Browser", "stop lanmanserver"}));
    EXPECT_EQ(MachineRecord(), "Browser\r\n") << "the old record's other name is copied nowhere";
    EXPECT_EQ(KillServ::RunSwitchCommand("--switch-sharing"), KillServ::SwitchRan);
    EXPECT_EQ(os.services.StateOf("RemoteRegistry"), plat::SERVICE_STOPPED);
    EXPECT_EQ(os.services.StateOf("BFE"), plat::SERVICE_RUNNING);
    EXPECT_EQ(os.files.Get(machine + "\\srvStat.done").value_or("<none>"), "Browser\r\n");
    EXPECT_TRUE(os.files.FileExists(user + "\\srvStat.txt")) << "the copy deletes nothing of the user's";
    EXPECT_FALSE(os.files.FileExists("C:\\Users\\Ann\\Tarnwick\\srvStat.txt"));
}

TEST_F(ElevatedCopy, AMachineFolderAStandardUserMadeFirstOrALinkIsNotTrusted) {
    os.kernel.SetElevated(false);
    ASSERT_TRUE(os.files.CreateDirectory(machine.c_str())) << "ProgramData lets users create folders";
    os.files.Put(machine + "\\code.ini", "[Info]\r\nSecondService=BFE\r\n");
    os.kernel.SetElevated(true);
    EXPECT_EQ(KillServ::RunSwitchCommand("--switch-sharing"), KillServ::SwitchUntrustedFolder);
    EXPECT_TRUE(os.services.Actions().empty());
    EXPECT_EQ(os.files.Get(machine + "\\srvStat.txt"), std::nullopt);
    EXPECT_EQ(KillServ::SecondServiceName(Homes()), "") << "the tray's lamp does not follow it either";

    // A junction planted in its place, to a folder only administrators may write.
    os.files.Remove(machine + "\\code.ini");
    os.files.PlantLink(machine, "C:\\Windows\\System32");
    EXPECT_EQ(KillServ::RunSwitchCommand("--switch-sharing"), KillServ::SwitchUntrustedFolder);
    EXPECT_TRUE(os.services.Actions().empty());
    EXPECT_FALSE(os.files.FileExists("C:\\Windows\\System32\\srvStat.txt"));
}

TEST_F(ElevatedCopy, OldRecordsBesideTheProgramAndInTheUserFolderAreHonouredOnce) {
    os.services.Add("Fax").Stopped().DependsOn({"lanmanserver"});
    os.services.SetState("Browser", plat::SERVICE_STOPPED);
    os.services.SetState("lanmanserver", plat::SERVICE_STOPPED);
    os.files.Put("C:\\Program Files\\Tarnwick\\srvStat.txt",
                 "Browser\r\n"); // an elevated run of an old build
    os.files.Put(user + "\\srvStat.txt", "Fax\r\nBrowser\r\n");
    os.files.Put(user + "\\srvStat.done", "Browser\r\n");
    EXPECT_EQ(KillServ::RunSwitchCommand("--switch-sharing"), KillServ::SwitchRan);
    EXPECT_EQ(os.services.StateOf("Browser"), plat::SERVICE_RUNNING);
    EXPECT_EQ(os.services.StateOf("Fax"), plat::SERVICE_RUNNING);
    EXPECT_FALSE(os.files.FileExists("C:\\Program Files\\Tarnwick\\srvStat.txt"))
        << "only administrators' goes";
    // The user's own records are the user's process's to retire; once the machine keeps its
    // own record they are not read again.
    EXPECT_TRUE(os.files.FileExists(user + "\\srvStat.txt"));
    os.services.SetState("Fax", plat::SERVICE_STOPPED);
    EXPECT_EQ(KillServ::RunSwitchCommand("--switch-sharing"), KillServ::SwitchRan);
    EXPECT_EQ(KillServ::RunSwitchCommand("--switch-sharing"), KillServ::SwitchRan);
    EXPECT_EQ(os.services.StateOf("Fax"), plat::SERVICE_STOPPED);
    os.kernel.SetElevated(false);
    KillServ::RetireTheUsersOldRecords(KillServ::ChooseHomes(false));
    for (const std::string& old : {user + "\\srvStat.txt", user + "\\srvStat.done"})
        EXPECT_FALSE(os.files.FileExists(old)) << old;
}

TEST_F(ElevatedCopy, AnOldRecordIsNotDeletedThroughALinkNorInAFolderTheUserCannotChange) {
    os.files.Put("C:\\Windows\\Tarnwick\\srvStat.txt", "Browser\r\n");
    os.files.PlantLink(user, "C:\\Windows\\Tarnwick");
    EXPECT_EQ(KillServ::RunSwitchCommand("--switch-sharing"), KillServ::SwitchRan);
    EXPECT_EQ(MachineRecord(), "Browser\r\n");
    EXPECT_TRUE(os.files.FileExists("C:\\Windows\\Tarnwick\\srvStat.txt"));
    // The user sets LOCALAPPDATA: pointed at a folder of the administrators', nothing there goes.
    os.kernel.SetEnvironmentVariable("LOCALAPPDATA", "C:\\Windows");
    EXPECT_EQ(KillServ::RunSwitchCommand("--switch-sharing"), KillServ::SwitchRan);
    EXPECT_EQ(os.services.StateOf("Browser"), plat::SERVICE_RUNNING);
    EXPECT_TRUE(os.files.FileExists("C:\\Windows\\Tarnwick\\srvStat.txt"));
}

TEST_F(ElevatedCopy, AStandardUsersPortableCopyElevatedByAnAdministratorBorrowsNothingOfTheUsers) {
    const std::string portable = "C:\\Users\\Ann\\Downloads\\Tarnwick";
    os.kernel.SetModuleFileName(portable + "\\Tarnwick.exe");
    os.kernel.SetCurrentDirectory(portable.c_str()); // as the tray runs
    os.files.Put(portable + "\\code.ini", "[Info]\r\nSecondService=BFE\r\n");
    os.files.Put(portable + "\\srvStat.txt", "RemoteRegistry\r\n");
    // Ann's own account elevates as itself: her copy keeps its second service and its files.
    EXPECT_TRUE(Homes().BesideTheProgram());
    EXPECT_EQ(KillServ::SecondServiceName(Homes()), "BFE");
    // A standard account's prompt took the administrator's password: the copy runs as Admin.
    os.kernel.SetAdministratorAccount(false);
    os.kernel.SetElevated(false);
    const KillServ::THomes trays = KillServ::ChooseHomes(false);
    EXPECT_EQ(trays.MachineFolder, machine) << "the tray expects the record where the copy puts it";
    EXPECT_EQ(KillServ::SecondServiceName(trays), "") << "its lamp does not follow the user's file either";
    os.kernel.SetAccount("Admin");
    os.kernel.SetElevated(true);
    EXPECT_FALSE(Homes().TrustsProgramFolder);
    EXPECT_EQ(KillServ::RunSwitchCommand("--switch-sharing"), KillServ::SwitchRan);
    EXPECT_EQ(os.services.Actions(), (std::vector<std::string>{"stop Browser", "stop lanmanserver"}));
    EXPECT_EQ(MachineRecord(), "Browser\r\n");
    EXPECT_FALSE(os.files.FileExists(portable + "\\srvStat.report"));
    EXPECT_EQ(KillServ::RunSwitchCommand("--switch-sharing"), KillServ::SwitchRan);
    EXPECT_EQ(os.services.StateOf("RemoteRegistry"), plat::SERVICE_STOPPED);
    EXPECT_EQ(os.services.StateOf("BFE"), plat::SERVICE_RUNNING);
}

TEST_F(ElevatedCopy, TheSwitchLockIsNobodyElsesAndALockThatCannotBeHadIsToldAsSuch) {
    EXPECT_EQ(KillServ::RunSwitchCommand("--switch-sharing"), KillServ::SwitchRan);
    EXPECT_FALSE(os.files.FileExists(KillServ::SwitchLockPath())) << "gone with its handle";
    // A standard user may neither make it nor hold it.
    os.kernel.SetElevated(false);
    EXPECT_EQ(os.files.TakeLockFile(KillServ::SwitchLockPath()), 0u);
    EXPECT_EQ(os.kernel.GetLastError(), plat::ERROR_ACCESS_DENIED);
    EXPECT_TRUE(KillServ::WaitWhileSwitchRuns());
    // Another reason than another switch: said at once, not after a minute as "busy".
    os.kernel.SetElevated(true);
    os.files.SetReadOnly(machine);
    const uint64_t before = os.kernel.GetTickCount64();
    EXPECT_EQ(KillServ::RunSwitchCommand("--switch-sharing"), KillServ::SwitchLockUnavailable);
    EXPECT_EQ(os.kernel.GetTickCount64(), before);
    EXPECT_EQ(os.services.StateOf("Browser"), plat::SERVICE_STOPPED) << "untouched since the first switch";
}

TEST_F(ElevatedCopy, AQuestionNobodyAnswersCountsAsNoAfterAMinute) {
    os.shares.Connect("ANNA-PC", "anna", {"Q3 report.xlsx"});
    os.user.NobodyAnswers = true;
    const uint64_t before = os.kernel.GetTickCount64();
    EXPECT_EQ(KillServ::RunSwitchCommand("--switch-sharing"), KillServ::SwitchKeptOn);
    ASSERT_EQ(os.user.MessageBoxes().size(), 1u);
    EXPECT_EQ(os.user.MessageBoxes()[0].TimeoutMs, KillServ::CopyQuestionTimeoutMs);
    EXPECT_LT(os.kernel.GetTickCount64() - before, KillServ::CopyQuestionTimeoutMs + 1000u);
    EXPECT_TRUE(os.services.Actions().empty());
    EXPECT_FALSE(os.files.FileExists(KillServ::SwitchLockPath())) << "the lock goes with it";
}

TEST_F(ElevatedCopy, AMachineFileWithASecondNameInTheUsersFolderIsNotBelieved) {
    ASSERT_EQ(KillServ::RunSwitchCommand("--switch-sharing"), KillServ::SwitchRan);
    os.files.Put(user + "\\code.ini", "[Info]\r\nSecondService=BFE\r\n");
    os.files.PlantHardLink(machine + "\\code.ini", user + "\\code.ini");
    EXPECT_EQ(KillServ::SecondServiceName(Homes()), "");
    os.files.Put(user + "\\srvStat.txt", "Browser\r\n");
    os.files.Remove(machine + "\\srvStat.txt");
    os.files.PlantHardLink(machine + "\\srvStat.txt", user + "\\srvStat.txt");
    EXPECT_EQ(KillServ::RunSwitchCommand("--switch-sharing"), KillServ::SwitchRunFailed);
    EXPECT_EQ(os.services.StateOf("Browser"), plat::SERVICE_STOPPED) << "nothing started from it";
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_STOPPED);
}

// ---- the moment between a check and a use ----

// One elevated switch on a fresh standard user's machine, while Ann (a standard account)
// flips a folder into a mount point to C:\Windows\System32 at the given file-system calls.
struct FlippedRun {
    uint32_t exitCode = 0;
    int calls = 0;
    std::vector<std::string> inSystem32, inWindowsTarnwick;
    std::optional<std::string> machineRecord;
};

enum class Squat { MachineFolderFirst, UserFolder, RenamableMachineFolder };

FlippedRun RunFlipped(Squat squat, std::vector<int> flipAt) {
    FlippedRun run;
    sim::Machine machine = sim::Machine::StandardUser();
    machine.administratorAccount = false;
    sim::SimPlatform os(machine);
    os.kernel.SetModuleFileName("C:\\Program Files\\Tarnwick\\Tarnwick.exe");
    os.services.Add("lanmanserver").Running();
    os.services.Add("Browser").Running().DependsOn({"LanmanServer"});
    const std::string folder = "C:\\ProgramData\\Tarnwick";
    const std::string user = "C:\\Users\\Ann\\AppData\\Local\\Tarnwick";
    os.files.Put("C:\\Windows\\Tarnwick\\srvStat.txt", "Browser\r\n");
    os.files.Put(user + "\\srvStat.txt", "Browser\r\n");
    if (squat == Squat::MachineFolderFirst) os.files.CreateDirectory(folder.c_str()); // as Ann
    if (squat == Squat::RenamableMachineFolder) os.files.LetUsersDeleteIn("C:\\ProgramData");
    os.files.FlipAtCalls(squat == Squat::UserFolder ? user : folder,
                         squat == Squat::UserFolder ? "C:\\Windows\\Tarnwick" : "C:\\Windows\\System32",
                         std::move(flipAt));
    // The administrator's elevated copy.
    os.kernel.SetAccount("Admin");
    os.kernel.SetElevated(true);
    run.exitCode = KillServ::RunSwitchCommand("--switch-sharing");
    run.calls = os.files.Calls();
    run.inSystem32 = os.files.FilesIn("C:\\Windows\\System32");
    run.inWindowsTarnwick = os.files.FilesIn("C:\\Windows\\Tarnwick");
    run.machineRecord = os.files.Get(folder + "\\srvStat.txt");
    return run;
}

TEST(TrustByHandle, AFolderFlippedIntoAMountPointBetweenAnyTwoCallsGetsNothingWrittenMovedOrDeleted) {
    for (const Squat squat : {Squat::MachineFolderFirst, Squat::UserFolder, Squat::RenamableMachineFolder}) {
        const int calls = RunFlipped(squat, {}).calls;
        ASSERT_GT(calls, 5);
        for (int at = 1; at <= calls + 1; ++at) {
            // Flipped for good at one call, and flipped back at the next.
            for (const auto& plan : {std::vector<int>{at}, std::vector<int>{at, at + 1}}) {
                const FlippedRun run = RunFlipped(squat, plan);
                const std::string where = "squat " + std::to_string(int(squat)) + ", flip at " +
                                          std::to_string(at) + (plan.size() > 1 ? " and back" : "");
                EXPECT_TRUE(run.inSystem32.empty()) << where << ": " << run.inSystem32.front();
                EXPECT_EQ(run.inWindowsTarnwick,
                          std::vector<std::string>{"C:\\WINDOWS\\TARNWICK\\SRVSTAT.TXT"})
                    << where;
                if (squat == Squat::MachineFolderFirst) {
                    EXPECT_EQ(run.exitCode, KillServ::SwitchUntrustedFolder) << where;
                } else if (run.exitCode == KillServ::SwitchRan) {
                    EXPECT_EQ(run.machineRecord.value_or("<none>"), "Browser\r\n") << where;
                }
            }
        }
    }
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
    EXPECT_EQ(os.files.GetFolderTrust("C:\\Program Files\\Tarnwick"), plat::FolderTrust::AdminOnly);
    EXPECT_EQ(os.files.GetFolderTrust("C:\\Users\\Ann\\AppData\\Local"), plat::FolderTrust::OwnUserOnly);
    EXPECT_TRUE(os.files.ReplaceFileAtomically("C:\\Program Files Extra\\srvStat.txt", ""))
        << "only that folder";
    os.kernel.SetElevated(true);
    EXPECT_TRUE(os.files.WritePrivateProfileString("Info", "LastState", "on", ini.c_str()));
}

} // namespace
