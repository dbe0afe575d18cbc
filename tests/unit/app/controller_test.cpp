#include <algorithm>
#include <functional>

#include "app_fixture.h"
#include "sharing/killserv_report.h"

namespace {

const char* const StartingTip = "Tarnwick\r\nProgram is starting\r\nPlease wait...";
const char* const UnableToStart =
    "Tarnwick was unable to start sharing, if the problem persists you may have to reboot.";

class Controller : public TarnwickTest {
  protected:
    // An elevated tray switches in its own process; the standard user's way is StandardUser's.
    Controller() : TarnwickTest(sim::Machine::Elevated()) {
        os.services.Add("lanmanserver").Running();
        os.services.Add("Browser").Running().DependsOn({"LanmanServer"});
    }
    // Double click, then let the switch worker, the next tick and the verifying query run.
    // Runs the queued worker and its completion without pumping: no timer tick comes between.
    void RunWorkerOnly() {
        os.threads.Hold(false);
        os.threads.RunPending();
        os.threads.Hold(true);
    }
    void SwitchAndVerify() {
        DoubleClick();
        os.user.RunFor(3000);
    }
};

TEST_F(Controller, StartupShowsTheSparkWithTheStartingTipAndIgnoresTheMouseUntilTheQueryIsIn) {
    Start();
    EXPECT_EQ(Shown(), "Boom[2]");
    EXPECT_EQ(Tip(), StartingTip);
    EXPECT_FALSE(form->TrayIcon1->Enabled());
    EXPECT_EQ(Main::ShownState, 2);
    EXPECT_EQ(Main::WorkerCount, 1);

    os.user.ChooseNextPopupItem("Quit");
    os.shell.PostCallback(form->TrayIcon1->TrayIconId(), 0x204);
    os.shell.PostCallback(form->TrayIcon1->TrayIconId(), 0x203);
    // Nothing ran yet: the callbacks wait in the queue behind the start-up query.
    EXPECT_TRUE(os.user.Popups().empty());
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_RUNNING);
}

TEST_F(Controller, FirstResultPlaysTheExplosionAndLightsTheMeasuredLampInAboutTwoSeconds) {
    Start();
    const size_t before = frames.size();
    const uint64_t t0 = os.kernel.GetTickCount64();
    os.user.RunFor(1);
    const uint64_t took = os.kernel.GetTickCount64() - t0;

    const auto expected = Frames("Boom", 0, 13) + Frames("BoomLight", 0, 0) + Frames("BoomLight", 13, 0) +
                          Frames("GreenFul", 0, 0) + Frames("GreenFul", 2, 6) + Frames("GreenFul", 0, 0) +
                          Frames("GreenFul", 5, 5) + Frames("GreenFul", 0, 0) + Frames("GreenFul", 4, 4) +
                          Frames("GreenFul", 0, 0) + Frames("GreenFul", 3, 3) + Frames("GreenFul", 0, 0) +
                          Frames("GreenFul", 4, 4) + Frames("GreenFul", 0, 0) + Frames("GreenFul", 5, 5) +
                          Frames("DeTre", 0, 1);
    EXPECT_EQ(FramesSince(before), expected);
    EXPECT_GE(took, 2300u);
    EXPECT_LT(took, 2400u);
    EXPECT_EQ(Shown(), "DeTre[1]");
    EXPECT_EQ(Tip(), EnabledTip);
    EXPECT_EQ(form->StopStart->Caption(), "&Stop sharing");
    EXPECT_TRUE(form->StopStart->Enabled());
    EXPECT_TRUE(form->TrayIcon1->Enabled());
    EXPECT_EQ(Main::ShownState, 1);
    EXPECT_FALSE(Main::FirstCompletion);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(Controller, StartupWithSharingOffRestsOnRedAndNeverComplains) {
    os.services.SetState("lanmanserver", plat::SERVICE_STOPPED);
    os.services.SetState("Browser", plat::SERVICE_STOPPED);
    StartAndSettle();
    EXPECT_EQ(Shown(), "DeTre[0]");
    EXPECT_EQ(Tip(), DisabledTip);
    EXPECT_EQ(form->StopStart->Caption(), "&Start sharing");
    EXPECT_TRUE(Boxes().empty());
    // The start-up query writes "on" whatever it finds: the caption still reads the design text.
    EXPECT_NE(File("code.ini").find("LastState=on"), std::string::npos);
}

TEST_F(Controller, DoubleClickDimsTheLampPulsesYellowAndAnnouncesTheChangeUntilTheResultWalksTheYellowDown) {
    StartAndSettle();
    const size_t before = frames.size();
    os.threads.Hold(true);
    DoubleClick();
    EXPECT_EQ(FramesSince(before), Frames("GreenFul", 0, 0) + Frames("GreenFul", 3, 2) + Frames("BlackLight", 0, 0) +
                                       Frames("BlackLight", 2, 2) + Frames("YellowHalf", 0, 0));
    EXPECT_EQ(Tip(), "Tarnwick\r\nDisableing sharing\r\nPlease wait...");
    EXPECT_FALSE(form->StopStart->Enabled());
    EXPECT_EQ(Main::ShownState, 2);
    EXPECT_EQ(Main::StateBeforeSwitch, 1);

    // While the worker runs the lamp pulses 0, 1, 2, 3, 0 at 100 ms steps.
    std::vector<std::string> pulse;
    for (int i = 0; i < 5; ++i) {
        os.user.RunFor(100);
        pulse.push_back(Shown());
    }
    EXPECT_EQ(pulse, Frames("YellowHalf", 1, 3) + Frames("YellowHalf", 0, 1));

    RunWorkerOnly(); // the switch worker ends: nothing visible changes
    EXPECT_EQ(Main::WorkerCount, 0);
    EXPECT_EQ(Shown(), "YellowHalf[1]");
    const size_t walk = frames.size();
    os.threads.Hold(false);
    os.user.RunFor(1000); // the tick starts the verifying query, which completes
    auto got = FramesSince(walk);
    // The pulse steps on until the tick; the walk starts from the index it had then, read
    // as a frame of YellowFul: up to 4, down to 2, dark, the new colour at pinpoint and
    // small, and the resting lamp.
    const auto first = std::find(got.begin(), got.end(), "YellowFul[0]");
    ASSERT_NE(first, got.end());
    ASSERT_NE(first, got.begin());
    const std::string last = *(first - 1);
    ASSERT_EQ(last.rfind("YellowHalf[", 0), 0u);
    const int c = last[11] - '0';
    const int from = c == 1 ? 3 : c == 0 ? 4 : c;
    got.erase(got.begin(), first);
    auto expected = Frames("YellowFul", 0, 0) + Frames("YellowFul", from, 4) + Frames("YellowFul", 0, 0) +
                    Frames("YellowFul", 4, 2) + Frames("DeTre", 0, 0) + Frames("DeTre", 3, 3) +
                    Frames("RedFul", 0, 0) + Frames("RedFul", 2, 1) + Frames("DeTre", 0, 0);
    expected.erase(std::unique(expected.begin(), expected.end()), expected.end());
    EXPECT_EQ(got, expected);
    EXPECT_EQ(Tip(), DisabledTip);
}

TEST_F(Controller, SwitchOffStopsDependentsThenServerAndShowsRedAndSwitchOnStartsThemAgainAndKeepsTheRecord) {
    StartAndSettle();
    SwitchAndVerify();
    EXPECT_EQ(os.services.StateOf("Browser"), plat::SERVICE_STOPPED);
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_STOPPED);
    EXPECT_EQ(File("srvStat.txt"), "Browser\r\n");
    EXPECT_EQ(Shown(), "DeTre[0]");
    EXPECT_EQ(Tip(), DisabledTip);
    EXPECT_EQ(form->StopStart->Caption(), "&Start sharing");
    EXPECT_TRUE(form->StopStart->Enabled());
    EXPECT_TRUE(Boxes().empty());
    // Written when the verifying query started, while the caption still showed the old state.
    EXPECT_NE(File("code.ini").find("LastState=off"), std::string::npos);
    EXPECT_EQ(Main::WorkerCount, 0);
    EXPECT_EQ(Main::LastWorkerKind, 0);

    SwitchAndVerify();
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_RUNNING);
    EXPECT_EQ(os.services.StateOf("Browser"), plat::SERVICE_RUNNING);
    EXPECT_EQ(File("srvStat.txt"), "Browser\r\n");
    EXPECT_EQ(Shown(), "DeTre[1]");
    EXPECT_EQ(Tip(), EnabledTip);
    EXPECT_EQ(form->StopStart->Caption(), "&Stop sharing");
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(Controller, ASwitchThatDidNotTakeEffectSaysSoAndTheLightStaysTruthful) {
    os.services.Add("lanmanserver").DisplayName("Server").RefusesControl(plat::ERROR_ACCESS_DENIED);
    StartAndSettle();
    SwitchAndVerify();
    EXPECT_EQ(FirstLines(), std::vector<std::string>{UnableToStop});
    EXPECT_EQ(os.user.MessageBoxes().back().Caption, "Error");
    EXPECT_EQ(os.user.MessageBoxes().back().Type & 0xF0u, plat::MB_ICONERROR);
    EXPECT_EQ(Shown(), "DeTre[1]");
    EXPECT_EQ(Tip(), EnabledTip);
    EXPECT_EQ(form->StopStart->Caption(), "&Stop sharing");
}

// Each cause of a failed stop, the words Windows has for it and the advice that fits.
struct Cause {
    const char* name;
    std::function<void(sim::SimPlatform&)> arrange;
    std::string whatFailed; // the line below the first sentence
    std::string advice;     // the line after it; empty when the cause is not known
};

class FailureReasons : public Controller, public ::testing::WithParamInterface<Cause> {};

TEST_P(FailureReasons, TheBoxKeepsItsFirstSentenceAndTellsWhatFailedAndWhatToDo) {
    os.services.Add("lanmanserver").DisplayName("Server");
    os.services.Add("Browser").DisplayName("Computer Browser");
    GetParam().arrange(os);
    StartAndSettle();
    SwitchAndVerify();
    std::string expected = std::string(UnableToStop) + "\r\n\r\n" + GetParam().whatFailed;
    if (!GetParam().advice.empty()) expected += "\r\n" + GetParam().advice;
    EXPECT_EQ(Boxes(), std::vector<std::string>{expected});
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_RUNNING);
    EXPECT_EQ(Shown(), "DeTre[1]");
}

INSTANTIATE_TEST_SUITE_P(
    EachCause, FailureReasons,
    ::testing::Values(
        Cause{"AccessDenied",
              [](sim::SimPlatform& os) { os.services.Add("lanmanserver").RefusesControl(plat::ERROR_ACCESS_DENIED); },
              "Stopping \"Server\" (lanmanserver) failed: Access is denied. (error 5)",
              "Windows did not let Tarnwick change \"Server\". An administrator must allow it."},
        Cause{"ADependentDoesNotAcceptStop", [](sim::SimPlatform& os) { os.services.Add("Browser").DoesNotAcceptStop(); },
              "Stopping \"Computer Browser\" (Browser) failed: The requested control is not valid for this service. "
              "(error 1052)",
              "\"Computer Browser\" does not accept a stop request, so Tarnwick left every service as it was. Stop "
              "\"Computer Browser\" yourself in Services (services.msc), or end the program it belongs to, and try "
              "again."},
        Cause{"ServiceBusy",
              [](sim::SimPlatform& os) {
                  os.services.Add("lanmanserver").RefusesControl(plat::ERROR_SERVICE_CANNOT_ACCEPT_CTRL);
              },
              "Stopping \"Server\" (lanmanserver) failed: The service cannot accept control messages at this time. "
              "(error 1061)",
              "\"Server\" is busy starting or stopping and cannot take the request now. Try again in a minute."},
        Cause{"ADependentStartedAndPausedMeanwhile",
              [](sim::SimPlatform& os) {
                  os.services.Add("Fax").Stopped().DependsOn({"LanmanServer"});
                  os.services.OnCall = [&os](const sim::SimServices::Call& call) {
                      // paused: Windows counts it as running
                      if (call.op == "ControlService" && call.service == "Browser") os.services.SetState("Fax", 7);
                  };
              },
              "Stopping \"Server\" (lanmanserver) failed: A stop control has been sent to a service that other running "
              "services are dependent on. (error 1051)",
              "\"Fax\" depends on it and is still running. Stop \"Fax\" first, or try again once it has stopped."},
        Cause{"TheWaitRanOut", [](sim::SimPlatform& os) { os.services.Add("Browser").NeverSettles(); },
              "Stopping \"Computer Browser\" (Browser) did not finish within 4 minutes.",
              "The service may still be stopping. Try again in a minute."},
        Cause{"TheStopWentBack", [](sim::SimPlatform& os) { os.services.Add("Browser").PendingFor(300).StopFails(); },
              "Stopping \"Computer Browser\" (Browser) failed: the service went back to running while it was "
              "stopping. (exit code 0)",
              "The System log in Event Viewer (eventvwr.msc) may say why \"Computer Browser\" kept running. Try "
              "again once that is put right."},
        Cause{"WindowsTimedOut",
              [](sim::SimPlatform& os) {
                  os.services.Add("lanmanserver").RefusesControl(plat::ERROR_SERVICE_REQUEST_TIMEOUT);
              },
              "Stopping \"Server\" (lanmanserver) failed: The service did not respond to the start or control request "
              "in a timely fashion. (error 1053)",
              "The service may still be stopping. Try again in a minute."},
        Cause{"UnknownToTarnwick",
              [](sim::SimPlatform& os) {
                  os.kernel.SetSystemMessage(1079, "The account specified for this service is different.\r\n");
                  os.services.Add("lanmanserver").RefusesControl(1079);
              },
              "Stopping \"Server\" (lanmanserver) failed: The account specified for this service is different. (error "
              "1079)",
              ""},
        Cause{"UnknownToWindowsToo",
              [](sim::SimPlatform& os) { os.services.Add("lanmanserver").RefusesControl(0x2BAD); },
              "Stopping \"Server\" (lanmanserver) failed: Windows gives no text for this error. (error 11181)", ""}),
    [](const ::testing::TestParamInfo<Cause>& info) { return std::string(info.param.name); });

TEST_F(Controller, AStartThatDidNotTakeEffectSaysUnableToStartAndHowToEnableTheService) {
    os.services.Add("lanmanserver").Stopped().DisplayName("Server").RefusesStart(plat::ERROR_SERVICE_DISABLED);
    os.services.SetState("Browser", plat::SERVICE_STOPPED);
    StartAndSettle();
    SwitchAndVerify();
    EXPECT_EQ(Boxes(), std::vector<std::string>{
                           std::string(UnableToStart) +
                           "\r\n\r\nStarting \"Server\" (lanmanserver) failed: The service cannot be started, either "
                           "because it is disabled or because it has no enabled devices associated with it. (error "
                           "1058)\r\nThe service is disabled. To use it again, open Services (services.msc), "
                           "double-click \"Server\", set its Startup type to Manual or Automatic, click OK and try "
                           "again."});
    EXPECT_EQ(Shown(), "DeTre[0]");
    // A start that crashes while pending is told within seconds, with the service's own code.
    os.kernel.SetSystemMessage(plat::ERROR_SERVICE_SPECIFIC_ERROR, "The service has returned a service-specific error code.\r\n");
    os.services.Add("lanmanserver").RefusesStart(0).PendingFor(800).FailsWhileStarting(plat::ERROR_SERVICE_SPECIFIC_ERROR, 42);
    const uint64_t before = os.kernel.GetTickCount64();
    SwitchAndVerify();
    EXPECT_LT(os.kernel.GetTickCount64() - before, 10000u) << "not the 239 s of a wait that runs out";
    ASSERT_EQ(Boxes().size(), 2u);
    EXPECT_EQ(Boxes()[1], std::string(UnableToStart) +
                              "\r\n\r\nStarting \"Server\" (lanmanserver) failed: the service stopped again while it was "
                              "starting. The service has returned a service-specific error code. (error 1066, the "
                              "service's own code 42)\r\nThe System log in Event Viewer (eventvwr.msc) may say why "
                              "\"Server\" stopped. Try again once that is put right.");
    EXPECT_EQ(form->StopStart->Caption(), "&Start sharing");
}

TEST_F(Controller, DoubleClicksWhileAWorkerIsCountedAreRefusedSilently) {
    StartAndSettle();
    os.threads.Hold(true);
    DoubleClick();
    const int started = os.threads.StartedCount();
    DoubleClick(); // switching: refused
    EXPECT_EQ(os.threads.StartedCount(), started);
    EXPECT_EQ(Main::StateBeforeSwitch, 1);
    EXPECT_FALSE(form->StopStart->Enabled());
    os.threads.Hold(false);
    os.user.RunFor(3000);
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_STOPPED);
    EXPECT_EQ(Shown(), "DeTre[0]");
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(Controller, ASecondSwitchInTheGapBeforeTheTickIsAcceptedAndCannotComplain) {
    StartAndSettle();
    os.threads.Hold(true);
    DoubleClick();
    os.user.RunFor(200);
    RunWorkerOnly(); // switch worker done; the verifying query waits for the tick
    ASSERT_EQ(Main::WorkerCount, 0);
    ASSERT_EQ(Main::LastWorkerKind, 1);
    DoubleClick();
    EXPECT_EQ(Main::StateBeforeSwitch, 2);
    EXPECT_EQ(Tip(), "Tarnwick\r\nEnableing sharing\r\nPlease wait...");
    os.threads.Hold(false);
    os.user.RunFor(5000);
    // Off and on again: sharing is back and nothing was reported.
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_RUNNING);
    EXPECT_EQ(Shown(), "DeTre[1]");
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(Controller, TheMenuCommandSwitchesLikeADoubleClickAndIsGreyedMeanwhile) {
    StartAndSettle();
    os.threads.Hold(true);
    ChooseFromMenu("&Stop sharing");
    EXPECT_FALSE(form->StopStart->Enabled());
    EXPECT_EQ(Main::LastWorkerKind, 1);
    os.threads.Hold(false);
    os.user.RunFor(3000);
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_STOPPED);
    EXPECT_EQ(form->StopStart->Caption(), "&Start sharing");
    EXPECT_TRUE(form->StopStart->Enabled());
}

TEST_F(Controller, AWorkerThatCannotBeStartedIsReportedAndLeavesTheControllerFree) {
    StartAndSettle();
    os.threads.FailNextStart();
    DoubleClick();
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(Boxes()[0].rfind("Thread creation error", 0), 0u);
    EXPECT_EQ(Main::WorkerCount, 0);
    SwitchAndVerify();
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_STOPPED);
    EXPECT_EQ(Shown(), "DeTre[0]");
}

TEST_F(Controller, AWorkerRefusedEverythingStillEndsAndTheControllerNeverStaysBusy) {
    os.services.FailOpenManager(plat::ERROR_ACCESS_DENIED);
    StartAndSettle();
    EXPECT_EQ(Main::WorkerCount, 0);
    EXPECT_EQ(Shown(), "DeTre[0]");
    SwitchAndVerify();
    EXPECT_EQ(Main::WorkerCount, 0);
    EXPECT_EQ(FirstLines(), std::vector<std::string>{UnableToStart});
    EXPECT_TRUE(form->StopStart->Enabled());
}

TEST_F(Controller, AnUnwritableIniIsReportedAtStartupAndTheIconStillComesToLife) {
    os.files.SetReadOnly(std::string(Folder) + "\\code.ini");
    StartAndSettle();
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Unable to write to ./code.ini"});
    EXPECT_EQ(Shown(), "DeTre[1]");
    EXPECT_TRUE(form->TrayIcon1->Enabled());
}

TEST_F(Controller, AnIniAWorkerHoldsForAMomentIsWrittenOnceItIsFree) {
    const std::string ini = std::string(Folder) + "\\code.ini";
    os.files.HoldOpenElsewhere(ini, 3);
    StartAndSettle();
    EXPECT_EQ(Boxes(), std::vector<std::string>{});
    char state[8] = {};
    os.files.GetPrivateProfileString("Info", "LastState", "", state, sizeof state, ini.c_str());
    EXPECT_STREQ(state, "on");
}

// Before a stop the user asked for: who would be cut off.
class WhoIsConnected : public Controller {
  protected:
    void AnswerQuestion(int32_t button) {
        os.user.OnMessageBox = [this, button](const sim::SimMessageBox& box) -> int32_t {
            questions.push_back(box);
            return box.Caption == "Tarnwick" ? button : plat::IDOK;
        };
    }
    std::vector<sim::SimMessageBox> questions;
};

TEST_F(WhoIsConnected, NobodyConnectedMeansNoQuestionAndNoDelay) {
    StartAndSettle();
    // A stop the user asks for takes exactly as long as one a rule makes, which asks nobody.
    auto stopTakes = [this](const std::function<void()>& ask) {
        os.threads.Hold(true);
        const uint64_t before = os.kernel.GetTickCount64();
        ask();
        const uint64_t took = os.kernel.GetTickCount64() - before;
        EXPECT_EQ(Main::WorkerCount, 1);
        os.threads.Hold(false);
        os.user.RunFor(3000);
        EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_STOPPED);
        SwitchAndVerify();
        return took;
    };
    const uint64_t byRule = stopTakes([this] { form->ChangeState(false); });
    EXPECT_EQ(os.shares.Enumerations(), 0);
    EXPECT_EQ(stopTakes([this] { DoubleClick(); }), byRule);
    EXPECT_GT(os.shares.Enumerations(), 0);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(WhoIsConnected, TwoComputersWithOpenFilesAreNamedAndNoKeepsEverythingRunning) {
    os.shares.Connect("\\\\ANNA-PC", "anna", {"D:\\Shares\\Q3 report.xlsx", "D:\\Shares\\notes.txt", "D:\\Shares\\x.doc"});
    os.shares.Connect("\\\\192.168.1.20", "guest", {"\\PIPE\\srvsvc"}); // a pipe is no file
    StartAndSettle();
    AnswerQuestion(plat::IDNO);
    DoubleClick();
    os.user.RunFor(3000);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].Text,
              "2 computers are connected to your shared folders: ANNA-PC (anna, 3 open files: Q3 report.xlsx, "
              "notes.txt and 1 more), 192.168.1.20 (guest). Stop sharing anyway?");
    EXPECT_EQ(questions[0].Type & 0xFu, plat::MB_YESNO);
    EXPECT_EQ(questions[0].Type & plat::MB_DEFBUTTON2, plat::MB_DEFBUTTON2) << "No is the default";
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_RUNNING);
    EXPECT_EQ(os.services.StateOf("Browser"), plat::SERVICE_RUNNING);
    EXPECT_TRUE(os.services.Actions().empty());
    EXPECT_EQ(Shown(), "DeTre[1]");
    EXPECT_EQ(Tip(), EnabledTip);
    EXPECT_TRUE(form->StopStart->Enabled());
    EXPECT_EQ(Main::WorkerCount, 0);
    EXPECT_NE(Log().find("kept sharing on"), std::string::npos) << Log();

    AnswerQuestion(plat::IDYES);
    SwitchAndVerify();
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_STOPPED);
    EXPECT_EQ(Shown(), "DeTre[0]");
    EXPECT_EQ(os.user.MessageBoxes().size(), 2u) << "the two questions and no other box";
    // Switching on cuts nobody off: no question.
    SwitchAndVerify();
    EXPECT_EQ(os.user.MessageBoxes().size(), 2u);
    EXPECT_EQ(Shown(), "DeTre[1]");
}

TEST_F(WhoIsConnected, AnEnumerationThatFailsNeverHoldsTheSwitchUp) {
    os.shares.Connect("ANNA-PC", "anna");
    StartAndSettle();
    for (plat::DWORD error : {plat::ERROR_NOT_SUPPORTED, plat::NERR_ServerNotStarted, plat::ERROR_ACCESS_DENIED}) {
        SCOPED_TRACE(error);
        os.shares.FailSessionEnum(error);
        SwitchAndVerify();
        EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_STOPPED);
        SwitchAndVerify();
        EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_RUNNING);
    }
    EXPECT_TRUE(Boxes().empty());
    // Sessions without their files (Wine answers NetFileEnum with 50): asked about by name.
    os.shares.FailSessionEnum(0);
    os.shares.FailFileEnum(plat::ERROR_NOT_SUPPORTED);
    AnswerQuestion(plat::IDNO);
    DoubleClick();
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].Text,
              "1 computer is connected to your shared folders: ANNA-PC (anna). Stop sharing anyway?");
}

TEST_F(WhoIsConnected, ALongListIsCutShort) {
    os.shares.Connect("PC1", "a", {"C:\\s\\1.txt", "C:\\s\\2.txt", "C:\\s\\3.txt", "C:\\s\\4.txt"});
    os.shares.Connect("PC2", "b");
    os.shares.Connect(std::string(100, 'N'), "c");
    os.shares.Connect("PC4", "d");
    os.shares.Connect("PC5", "e");
    StartAndSettle();
    AnswerQuestion(plat::IDNO);
    DoubleClick();
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].Text, "5 computers are connected to your shared folders: PC1 (a, 4 open files: 1.txt, "
                                 "2.txt and 2 more), PC2 (b), " +
                                     std::string(60, 'N') + "... (c) and 2 more. Stop sharing anyway?");
}

TEST_F(Controller, TheLogHoldsEachSwitchAndStaysWithinItsSize) {
    os.shares.Connect("ANNA-PC", "anna");
    StartAndSettle();
    SwitchAndVerify();
    SwitchAndVerify();
    const std::string log = Log();
    EXPECT_EQ(log.rfind("2026-12-09 08:00:", 0), 0u) << log;
    const std::string off = "switch off\r\n  connected: ANNA-PC (anna)\r\n  stop Browser: done\r\n  stop "
                            "lanmanserver: done\r\n  outcome: the switch ran; sharing is off\r\n";
    const std::string on = "switch on\r\n  connected: not asked\r\n  start lanmanserver: done\r\n  start Browser: "
                           "done\r\n  outcome: the switch ran; sharing is on\r\n";
    EXPECT_NE(log.find(off), std::string::npos) << log;
    EXPECT_NE(log.find(on), std::string::npos) << log;
    EXPECT_LT(log.find(off), log.find(on));

    // A full log moves to tarnwick.log.1 whole and a new one begins.
    const std::string full(KillServ::LogLimitBytes - 10, 'x');
    os.files.Put(std::string(Folder) + "\\tarnwick.log", full);
    SwitchAndVerify();
    EXPECT_EQ(File("tarnwick.log.1"), full);
    EXPECT_NE(Log().find(off), std::string::npos);
    EXPECT_LT(Log().size(), 1000u);
    // One that cannot be written is no reason to stop switching.
    os.files.SetReadOnly(std::string(Folder) + "\\tarnwick.log");
    SwitchAndVerify();
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_RUNNING);
    for (const auto& box : os.user.MessageBoxes()) EXPECT_EQ(box.Caption, "Tarnwick") << box.Text;
}

} // namespace
