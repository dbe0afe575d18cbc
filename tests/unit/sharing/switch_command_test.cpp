// The elevated copy's command line and its run. It runs with administrator rights, so
// anything but our own exact command line must do nothing.
#include "sharing/switch_command.h"
#include "sharing/killserv_report.h"

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
                             "--switch-sharing --asked x", "--switch-sharing --ASKED", "--switch-sharing --askedx",
                             "--switch-sharing--asked"})
        EXPECT_FALSE(ParseSwitchCommandLine(line)) << line;
    // The copy takes no folder, nor anything else, from the unelevated side.
    for (const char* line : {"", "--switch-sharing --data-folder \"C:\\Users\\Ann\\AppData\\Local\\Tarnwick\"",
                             "--switch-sharing x", "--switch-sharingx", "--SWITCH-SHARING", "x --switch-sharing"})
        EXPECT_FALSE(ParseSwitchCommandLine(line)) << line;
    EXPECT_FALSE(ParseSwitchCommandLine(std::string("--switch-sharing\0", 17)));
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
    EXPECT_FALSE(os.files.FileExists(user + "\\srvStat.txt")) << "the old record is read once";
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
    os.files.Put("C:\\Program Files\\Tarnwick\\srvStat.txt", "Browser\r\n"); // an elevated run of an old build
    os.files.Put(user + "\\srvStat.txt", "Fax\r\nBrowser\r\n");
    os.files.Put(user + "\\srvStat.done", "Browser\r\n");
    EXPECT_EQ(KillServ::RunSwitchCommand("--switch-sharing"), KillServ::SwitchRan);
    EXPECT_EQ(os.services.StateOf("Browser"), plat::SERVICE_RUNNING);
    EXPECT_EQ(os.services.StateOf("Fax"), plat::SERVICE_RUNNING);
    for (const std::string& old : {std::string("C:\\Program Files\\Tarnwick\\srvStat.txt"), user + "\\srvStat.txt", user + "\\srvStat.done"})
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
    EXPECT_EQ(os.files.GetFolderTrust("C:\\Users\\Ann\\AppData\\Local"), plat::FolderTrust::UserWritable);
    EXPECT_TRUE(os.files.ReplaceFileAtomically("C:\\Program Files Extra\\srvStat.txt", "")) << "only that folder";
    os.kernel.SetElevated(true);
    EXPECT_TRUE(os.files.WritePrivateProfileString("Info", "LastState", "on", ini.c_str()));
}

} // namespace
