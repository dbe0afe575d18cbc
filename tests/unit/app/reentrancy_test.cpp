// Boxes run a message loop of their own, as on Windows: clicks, ticks and worker completions
// arrive while one is open. The controller must come out of that with a truthful lamp.
#include <algorithm>

#include "app_fixture.h"

namespace {

class Reentrancy : public TarnwickTest {
  protected:
    Reentrancy() : TarnwickTest(sim::Machine::Elevated()) {
        os.services.Add("lanmanserver").Running();
        os.services.Add("Browser").Running().DependsOn({"LanmanServer"});
    }
    void PostDoubleClick() {
        for (plat::LPARAM event : {0x201, 0x202, 0x203, 0x202})
            os.shell.PostCallback(Main::Form1->TrayIcon1->TrayIconId(), event);
    }
};

TEST_F(Reentrancy, ASwitchLetInByTheFailureBoxKeepsItsPulseAndReportsItsOwnFailure) {
    os.services.Add("lanmanserver").RefusesControl(plat::ERROR_SERVICE_CANNOT_ACCEPT_CTRL);
    StartAndSettle();
    int boxes = 0;
    os.user.OnMessageBox = [&](const sim::SimMessageBox&) {
        if (++boxes == 1) {
            // While the first box is open: another double click, and a switch that runs on.
            os.threads.Hold(true);
            PostDoubleClick();
            os.user.RunFor(500);
        }
        return plat::IDOK;
    };
    DoubleClick();
    os.user.RunFor(3000);
    ASSERT_EQ(FirstLines(), std::vector<std::string>{UnableToStop});
    // The first box has closed; the second switch still runs.
    EXPECT_EQ(Shown().rfind("YellowHalf[", 0), 0u) << Shown();
    EXPECT_EQ(Tip(), "Tarnwick\r\nDisableing sharing\r\nPlease wait...");
    EXPECT_TRUE(form->TrayIcon1->CycleIcons());

    os.threads.Hold(false);
    os.user.RunFor(4000);
    // It failed as well (the server still refuses), and that is reported too.
    EXPECT_EQ(FirstLines(), (std::vector<std::string>{UnableToStop, UnableToStop}));
    EXPECT_EQ(Shown(), "DeTre[1]");
    EXPECT_EQ(Tip(), EnabledTip);
    EXPECT_FALSE(form->TrayIcon1->CycleIcons());
    EXPECT_EQ(Main::WorkerCount, 0);
}

TEST_F(Reentrancy, AWorkerThatCannotStartAtTheVerifyingTickIsReportedOnceNotOncePerTick) {
    StartAndSettle();
    os.user.SetModalLoopFor(5000); // the user reads each box for five seconds
    os.threads.Hold(true);
    DoubleClick();
    os.threads.FailStarts(true); // from now on no thread can be had
    os.threads.Hold(false);
    os.user.RunFor(12000);
    EXPECT_EQ(Boxes().size(), 1u);
    EXPECT_EQ(os.user.DeepestModalNesting(), 1);
    EXPECT_EQ(Boxes().front().rfind("Thread creation error", 0), 0u) << Boxes().front();

    os.threads.FailStarts(false);
    os.user.RunFor(5000);
    EXPECT_EQ(Shown(), "DeTre[0]");
    EXPECT_EQ(Tip(), DisabledTip);
    EXPECT_EQ(Boxes().size(), 1u);

    // Once a worker could be had again, the next such failure is reported anew.
    os.threads.Hold(true);
    DoubleClick();
    os.threads.FailStarts(true);
    os.threads.Hold(false);
    os.user.RunFor(12000);
    EXPECT_EQ(Boxes().size(), 2u);
    os.threads.FailStarts(false);
    os.user.RunFor(5000);
}

TEST_F(Reentrancy, QuitWhileTheStartupErrorBoxIsOpenEndsTheProgram) {
    os.files.SetReadOnly(std::string(Folder) + "\\code.ini");
    os.user.SetModalLoopFor(60000);
    // The start-up query completes inside the box and brings the lamp to life; the user quits.
    os.user.After(4000, [&] {
        os.user.ChooseNextPopupItem("Quit");
        os.shell.PostCallback(Main::Form1->TrayIcon1->TrayIconId(), 0x204);
        os.shell.PostCallback(Main::Form1->TrayIcon1->TrayIconId(), 0x205);
    });
    Start();
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Unable to write to ./code.ini"});
    EXPECT_TRUE(os.user.QuitPosted());
    EXPECT_TRUE(app->Terminated());
    EXPECT_LT(os.kernel.GetTickCount64(), 60000u) << "the box closed when the program ended";
    EXPECT_EQ(Shown(), "Boom[0]") << "the closing animation played";
}

TEST_F(Reentrancy, AnErrorInsideACompletionReachesTheErrorReportAndLeavesTheControllerFree) {
    os.services.Add("lanmanserver").RefusesControl(plat::ERROR_SERVICE_CANNOT_ACCEPT_CTRL);
    StartAndSettle();
    os.user.OnMessageBox = [&](const sim::SimMessageBox& box) -> int32_t {
        if (box.Text.rfind(UnableToStop, 0) == 0) throw std::runtime_error("the box could not be shown");
        return plat::IDOK;
    };
    DoubleClick();
    EXPECT_NO_THROW(os.user.RunFor(3000));
    EXPECT_EQ(FirstLines(), (std::vector<std::string>{UnableToStop, "the box could not be shown"}));
    EXPECT_EQ(os.threads.EscapedCompletionErrors(), 0);
    EXPECT_TRUE(Main::CompletionIdle);
    EXPECT_EQ(Main::WorkerCount, 0);
    os.user.OnMessageBox = {};
    os.services.Add("lanmanserver").RefusesControl(0);
    DoubleClick(); // the controller takes the next request
    os.user.RunFor(4000);
    EXPECT_EQ(Shown(), "DeTre[0]");
}

TEST_F(Reentrancy, AMenuOpenedWithoutTheForegroundStillWorks) {
    StartAndSettle();
    os.user.SetForegroundRefused(true);
    ChooseFromMenu("&Stop sharing");
    os.user.RunFor(4000);
    EXPECT_EQ(Shown(), "DeTre[0]");
}

TEST_F(Reentrancy, ACompletionAfterTheFormHasGoneFindsNoForm) {
    StartAndSettle();
    os.threads.Hold(true);
    DoubleClick();
    delete Main::Form1;
    EXPECT_EQ(Main::Form1, nullptr);
    os.threads.Hold(false);
    EXPECT_NO_THROW(os.threads.RunPending());
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_STOPPED);
    form = nullptr;
}

} // namespace
