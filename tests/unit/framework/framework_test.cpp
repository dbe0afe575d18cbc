#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/dialogs.h"
#include "framework/exception.h"
#include "framework/extctrls.h"
#include "framework/forms.h"
#include "framework/graphics.h"
#include "framework/imglist.h"
#include "framework/menus.h"
#include "platform/sim/sim_platform.h"

namespace {

plat::IconImage Picture(uint32_t colour, int32_t size = 16) {
    plat::IconImage image;
    image.Width = image.Height = size;
    image.Pixels.assign(static_cast<size_t>(size * size), colour);
    image.Mask.assign(static_cast<size_t>(size * size), 0);
    return image;
}

class FrameworkTest : public ::testing::Test {
  protected:
    sim::SimPlatform os;
    fw::TApplication app;
};

// ---- Application window, loop and error report ----

TEST_F(FrameworkTest, ApplicationWindowIsTopLevelSoTaskbarCreatedReachesItsHooks) {
    EXPECT_TRUE(os.user.IsTopLevel(app.Handle()));
    std::vector<plat::UINT> seen;
    app.HookMainWindow([&](fw::TMessage& m) {
        seen.push_back(m.Msg);
        return false;
    });
    os.shell.RecreateTaskbar();
    os.user.RunUntilIdle();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], os.user.RegisterWindowMessage("TaskbarCreated"));
}

TEST_F(FrameworkTest, HookThatHandlesAMessageKeepsItFromLaterHooksAndUnhookedOnesSeeNothing) {
    int first = 0, second = 0, removed = 0;
    const int32_t gone = app.HookMainWindow([&](fw::TMessage&) { return ++removed, false; });
    app.HookMainWindow([&](fw::TMessage& m) {
        ++first;
        m.Result = 42;
        return true;
    });
    app.HookMainWindow([&](fw::TMessage&) { return ++second, false; });
    app.UnhookMainWindow(gone);
    EXPECT_EQ(os.user.SendMessage(app.Handle(), plat::WM_USER + 1, 0, 0), 42);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 0);
    EXPECT_EQ(removed, 0);
}

TEST_F(FrameworkTest, ErrorRaisedInATimerHandlerIsShownAsErrorBoxAndTheLoopGoesOn) {
    fw::TTimer timer(&app);
    int ticks = 0;
    timer.OnTimer = [&](fw::TObject*) {
        if (++ticks == 1) throw fw::Exception("Unable to write to ./code.ini");
    };
    os.user.RunFor(2000);
    EXPECT_EQ(ticks, 2);
    ASSERT_EQ(os.user.MessageBoxes().size(), 1u);
    const auto& box = os.user.MessageBoxes()[0];
    EXPECT_EQ(box.Text, "Unable to write to ./code.ini");
    EXPECT_EQ(box.Caption, "Error");
    EXPECT_EQ(box.Type, plat::MB_OK | plat::MB_ICONERROR);
}

class ClosingForm : public fw::TForm {
  public:
    explicit ClosingForm(fw::TComponent* owner) : fw::TForm(owner) {
        OnCreate = [this](fw::TObject*) {
            created = true;
            throw fw::Exception("create failed");
        };
        OnClose = [this](fw::TObject*, fw::TCloseAction& action) {
            closes++;
            if (refuse) action = fw::caNone;
        };
    }
    bool created = false;
    bool refuse = false;
    int closes = 0;
};

TEST_F(FrameworkTest, ClosingTheMainFormEndsRunUnlessOnCloseAnswersNone) {
    ClosingForm* form = nullptr;
    app.CreateForm(form);
    app.SetShowMainForm(false);
    form->refuse = true;
    os.user.After(1000, [&] { form->Close(); });
    os.user.After(2000, [&] {
        form->refuse = false;
        form->Close();
    });
    app.Run();
    EXPECT_TRUE(app.Terminated());
    EXPECT_EQ(form->closes, 2);
    EXPECT_EQ(os.kernel.GetTickCount64(), 2000u);
    EXPECT_FALSE(form->Visible());
}

TEST_F(FrameworkTest, ErrorInOnCreateIsReportedAndTheFormStillBecomesTheMainFormThatRunShows) {
    ClosingForm* form = nullptr;
    app.CreateForm(form);
    EXPECT_TRUE(form->created);
    EXPECT_EQ(app.MainForm(), form);
    ASSERT_EQ(os.user.MessageBoxes().size(), 1u);
    EXPECT_EQ(os.user.MessageBoxes()[0].Text, "create failed");
    os.user.After(10, [&] {
        EXPECT_TRUE(os.user.IsWindowVisible(form->Handle()));
        form->Close();
    });
    app.Run();
    EXPECT_TRUE(form->Visible());
}

TEST_F(FrameworkTest, SimulatedLoopThatNobodyEndsFailsInsteadOfHanging) {
    EXPECT_THROW(app.HandleMessage(), std::runtime_error); // nothing could ever arrive
    fw::TTimer timer(&app);
    os.user.SetTimeLimit(5000);
    EXPECT_THROW(app.Run(), std::runtime_error);
    EXPECT_EQ(os.kernel.GetTickCount64(), 5000u);
}

TEST_F(FrameworkTest, WorkerCompletionRunsFromTheMessageLoop) {
    bool body = false, done = false;
    os.threads.StartThread([&] { body = true; }, [&] { done = true; });
    EXPECT_FALSE(done);
    app.ProcessMessages();
    EXPECT_TRUE(body);
    EXPECT_TRUE(done);
}

// ---- Components ----

class Probe : public fw::TComponent {
  public:
    Probe(fw::TComponent* owner, std::vector<std::string>& log, std::string name)
        : fw::TComponent(owner), log_(log) {
        SetName(std::move(name));
    }
    ~Probe() override { log_.push_back("free " + Name()); }
    fw::TComponent* removed = nullptr;
    int loads = 0;

  protected:
    void AfterLoad() override {
        ++loads;
        log_.push_back("load " + Name());
    }
    void ComponentRemoved(fw::TComponent* c) override {
        fw::TComponent::ComponentRemoved(c);
        removed = c;
    }

  private:
    std::vector<std::string>& log_;
};

TEST_F(FrameworkTest, FormLoadsItsComponentsOnceInOrderAndFreesThemWithItself) {
    std::vector<std::string> log;
    auto* form = new fw::TForm(&app);
    auto* a = new Probe(form, log, "a");
    auto* b = new Probe(form, log, "b");
    EXPECT_TRUE(a->Loading());
    form->AfterConstruction();
    form->AfterConstruction();
    EXPECT_FALSE(a->Loading());
    EXPECT_EQ(a->loads, 1);
    EXPECT_EQ(b->loads, 1);
    delete form;
    EXPECT_EQ(log, (std::vector<std::string>{"load a", "load b", "free b", "free a"}));
}

TEST_F(FrameworkTest, SiblingsAndWatchersHearThatAComponentWasRemoved) {
    std::vector<std::string> log;
    fw::TForm form(&app);
    auto* watcher = new Probe(&form, log, "watcher");
    auto* sibling = new Probe(&form, log, "sibling");
    Probe outsider(nullptr, log, "outsider");
    auto* victim = new Probe(&form, log, "victim");
    outsider.FreeNotification(victim);
    delete victim;
    EXPECT_EQ(watcher->removed, victim);
    EXPECT_EQ(sibling->removed, victim);
    EXPECT_EQ(outsider.removed, victim);
    EXPECT_EQ(form.ComponentCount(), 2);
}

// ---- Menus ----

class MenuTest : public FrameworkTest {
  protected:
    fw::TMenuItem* Item(const std::string& caption) {
        auto* item = new fw::TMenuItem(&form);
        item->SetCaption(caption);
        item->OnClick = [this, caption](fw::TObject*) { clicked.push_back(caption); };
        menu->Items()->Add(item);
        return item;
    }
    fw::TForm form{&app};
    fw::TPopupMenu* menu = new fw::TPopupMenu(&form);
    std::vector<std::string> clicked;
};

TEST_F(MenuTest, PopupShowsVisibleItemsWithTheirStateAndRunsTheChosenOne) {
    Item("Save last state")->SetVisible(false);
    Item("Run at startup")->SetChecked(true);
    Item("Quit")->SetDefault(true);
    Item("-");
    Item("&Stop sharing")->SetEnabled(false);
    os.user.ChooseNextPopupItem("Quit");
    menu->Popup(700, 580);
    ASSERT_EQ(os.user.Popups().size(), 1u);
    const auto& popup = os.user.Popups()[0];
    EXPECT_EQ(popup.Captions(), (std::vector<std::string>{"Run at startup", "Quit", "&Stop sharing"}));
    EXPECT_EQ(popup.X, 700);
    EXPECT_EQ(popup.Y, 580);
    EXPECT_TRUE(popup.Find("Run at startup")->Checked);
    EXPECT_TRUE(popup.Find("Quit")->Default);
    EXPECT_FALSE(popup.Find("&Stop sharing")->Enabled);
    EXPECT_TRUE(popup.Items[2].Separator);
    EXPECT_EQ(clicked, (std::vector<std::string>{"Quit"}));
    EXPECT_EQ(os.user.LiveMenuCount(), 0u);
}

TEST_F(MenuTest, GreyItemCannotBeChosenAndDismissingChoosesNothing) {
    Item("&Stop sharing")->SetEnabled(false);
    os.user.ChooseNextPopupItem("&Stop sharing");
    menu->Popup(0, 0);
    menu->Popup(0, 0);
    EXPECT_TRUE(clicked.empty());
    EXPECT_EQ(os.user.Popups().size(), 2u);
}

TEST_F(MenuTest, ItemFreedWhileTheMenuIsOpenIsNotClicked) {
    fw::TMenuItem* quit = Item("Quit");
    os.user.OnPopup = [&](const sim::SimPopup& p) {
        const auto id = p.Find("Quit")->Id;
        delete quit;
        return id;
    };
    menu->Popup(0, 0);
    EXPECT_TRUE(clicked.empty());
    EXPECT_EQ(menu->Items()->Count(), 0);
}

// ---- Icons and image lists ----

TEST_F(FrameworkTest, IconDestroysEveryHandleItReplacesOrDrops) {
    {
        fw::TIcon icon;
        int changes = 0;
        icon.OnChange = [&](fw::TObject*) { ++changes; };
        icon.SetImage(Picture(0xFFFF0000), "red");
        const plat::HICON first = icon.Handle();
        EXPECT_EQ(os.user.IconName(first), "red");
        EXPECT_EQ(icon.Handle(), first);
        icon.SetImage(Picture(0xFF00FF00), "green");
        EXPECT_FALSE(os.user.IsLiveIcon(first));
        const plat::HICON second = icon.Handle();
        fw::TIcon copy;
        copy.Assign(&icon);
        EXPECT_NE(copy.Handle(), second);
        EXPECT_EQ(*os.user.IconPicture(copy.Handle()), Picture(0xFF00FF00));
        icon.SetHandle(0);
        EXPECT_FALSE(os.user.IsLiveIcon(second));
        EXPECT_EQ(changes, 3);
        EXPECT_EQ(os.user.LiveIconCount(), 1u);
    }
    EXPECT_EQ(os.user.LiveIconCount(), 0u);
    EXPECT_EQ(os.user.BadIconDestroys(), 0u);
}

TEST_F(FrameworkTest, PictureThatCannotBeAnIconRaisesAReadError) {
    fw::TIcon icon;
    plat::IconImage broken = Picture(0xFF000000);
    broken.Pixels.resize(3);
    icon.SetImage(broken);
    EXPECT_THROW(icon.Handle(), fw::EReadError);
    EXPECT_EQ(os.user.LiveIconCount(), 0u);
}

TEST_F(FrameworkTest, ImageListCopiesImageIntoIconAndEmptiesItForABadIndex) {
    fw::TImageList list(&app);
    list.SetName("Boom");
    list.Add(Picture(0xFF111111));
    list.Add(Picture(0xFF222222));
    fw::TIcon icon;
    int changes = 0;
    icon.OnChange = [&](fw::TObject*) { ++changes; };
    list.GetIcon(1, icon);
    EXPECT_EQ(icon.Image(), Picture(0xFF222222));
    EXPECT_EQ(os.user.IconName(icon.Handle()), "Boom[1]");
    for (int32_t bad : {2, -1}) {
        list.GetIcon(1, icon);
        list.GetIcon(bad, icon);
        EXPECT_TRUE(icon.Empty());
        EXPECT_EQ(icon.Handle(), 0u);
    }
    EXPECT_EQ(changes, 5);
}

// ---- Standard timer and the simulated queue ----

TEST_F(FrameworkTest, FormTimerTicksEverySecondByDefaultAndMergesTicksMissedWhileBusy) {
    fw::TTimer timer(&app);
    EXPECT_TRUE(timer.Enabled());
    EXPECT_EQ(timer.Interval(), 1000u);
    std::vector<uint64_t> ticks;
    timer.OnTimer = [&](fw::TObject*) {
        ticks.push_back(os.kernel.GetTickCount64());
        if (ticks.size() == 1) os.kernel.Sleep(3500); // a blocking animation
    };
    os.user.RunFor(6000);
    EXPECT_EQ(ticks, (std::vector<uint64_t>{1000, 4500, 5000, 6000}));
    timer.SetEnabled(false);
    os.user.RunFor(3000);
    EXPECT_EQ(ticks.size(), 4u);
}

TEST_F(FrameworkTest, MessageBoxHookRunsWhileTheBoxIsOpen) {
    fw::TTimer timer(&app);
    int ticks = 0;
    timer.OnTimer = [&](fw::TObject*) { ++ticks; };
    os.user.OnMessageBox = [&](const sim::SimMessageBox&) {
        os.user.RunFor(1000);
        return plat::IDOK;
    };
    EXPECT_EQ(fw::MessageBox("text", "Error", plat::MB_OK), plat::IDOK);
    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(os.user.MessageBoxes()[0].Owner, app.Handle());
}

} // namespace
