#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "framework/forms.h"
#include "framework/imglist.h"
#include "framework/menus.h"
#include "platform/sim/sim_platform.h"
#include "timer/simple_timer.h"
#include "trayicon/tray_icon.h"

namespace {

using TrayIcon::TTrayIcon;

plat::IconImage Picture(uint32_t colour) {
    plat::IconImage image;
    image.Width = image.Height = 16;
    image.Pixels.assign(256, colour);
    image.Mask.assign(256, 0);
    return image;
}

uint32_t U32(const std::array<uint8_t, 488>& bytes, size_t offset) {
    uint32_t v;
    std::memcpy(&v, bytes.data() + offset, 4);
    return v;
}

bool AllZero(const std::array<uint8_t, 488>& bytes, size_t from, size_t to) {
    for (size_t i = from; i < to; ++i)
        if (bytes[i] != 0) return false;
    return true;
}

// The application's main form, owning one tray icon; configure runs before loading ends.
class TrayForm : public fw::TForm {
  public:
    explicit TrayForm(fw::TComponent* owner) : fw::TForm(owner) {
        tray = new TTrayIcon(this);
        if (configure) configure(*this);
    }
    TTrayIcon* tray;
    static inline std::function<void(TrayForm&)> configure;
};

class TrayTest : public ::testing::Test {
  protected:
    TrayTest() {
        app.CreateForm(form);
        tray = form->tray;
    }
    ~TrayTest() override {
        TrayForm::configure = nullptr;
        delete app.MainForm();
        TrayIcon::UnitFinalization();
        SimpleTimer::UnitFinalization();
    }

    plat::HWND HandlerWindow() const { return TrayIcon::SharedTrayIconHandler->Window(); }
    void Event(plat::LPARAM e) {
        os.shell.PostCallbackTo(HandlerWindow(), tray->TrayIconId(), e);
        os.user.RunUntilIdle();
    }
    fw::TImageList* List(const std::string& name, int count) {
        auto* list = new fw::TImageList(form);
        list->SetName(name);
        for (int i = 0; i < count; ++i)
            list->Add(Picture(0xFF000000u + static_cast<uint32_t>(i)));
        return list;
    }
    // Label of the icon the notification area shows.
    std::string Shown() const {
        const auto* icon = os.shell.FindIcon(tray->TrayIconId());
        return icon ? icon->IconName : "<absent>";
    }
    const sim::SimNotifyCall& Last() const { return os.shell.Calls().back(); }
    void LogEvents() {
        tray->OnClick = [this](fw::TObject*) { log.push_back("click"); };
        tray->OnDblClick = [this](fw::TObject*) { log.push_back("dbl"); };
        tray->OnMouseDown = [this](fw::TObject*, TrayIcon::TMouseButton b, TrayIcon::TShiftState s, int32_t x,
                                   int32_t y) {
            log.push_back("down " + std::to_string(b) + " " + std::to_string(s) + " " + std::to_string(x) +
                          "," + std::to_string(y));
        };
        tray->OnMouseUp = [this](fw::TObject*, TrayIcon::TMouseButton b, TrayIcon::TShiftState s, int32_t,
                                 int32_t) {
            log.push_back("up " + std::to_string(b) + " " + std::to_string(s));
        };
        tray->OnMouseMove = [this](fw::TObject*, TrayIcon::TShiftState, int32_t, int32_t) {
            log.push_back("move");
        };
        tray->OnMouseEnter = [this](fw::TObject*) { log.push_back("enter"); };
        tray->OnMouseExit = [this](fw::TObject*) { log.push_back("exit"); };
    }
    fw::TMenuItem* Item(fw::TPopupMenu* menu, const std::string& caption) {
        auto* item = new fw::TMenuItem(form);
        item->SetCaption(caption);
        item->OnClick = [this, caption](fw::TObject*) { log.push_back("item " + caption); };
        menu->Items()->Add(item);
        return item;
    }
    // The icon shown and cycling every 100 ms through a new list; cycled gets each step's next index.
    void StartCycling(const std::string& name, int count) {
        tray->SetIconVisible(true);
        tray->SetIconList(List(name, count));
        tray->OnCycle = [this](fw::TObject*, int32_t next) { cycled.push_back(next); };
        tray->SetCycleInterval(100);
        tray->SetCycleIcons(true);
    }

    sim::SimPlatform os;
    fw::TApplication app;
    TrayForm* form = nullptr;
    TTrayIcon* tray = nullptr;
    std::vector<std::string> log;
    std::vector<int32_t> cycled;
};

using Log = std::vector<std::string>;

// ---- The notification record ----

TEST_F(TrayTest, AddModifyAndDeleteSendTheShellsRecordByteForByte) {
    tray->SetIconList(List("DeTre", 5));
    tray->SetHint("Tarnwick\r\nProgram is starting");
    for (plat::DWORD op : {plat::NIM_ADD, plat::NIM_MODIFY, plat::NIM_DELETE}) {
        if (op == plat::NIM_ADD) tray->SetIconVisible(true);
        if (op == plat::NIM_MODIFY) tray->RefreshIcon();
        if (op == plat::NIM_DELETE) tray->SetIconVisible(false);
        const auto& calls = os.shell.Calls();
        const auto& call =
            *std::find_if(calls.rbegin(), calls.rend(), [op](const auto& c) { return c.Operation == op; });
        SCOPED_TRACE(op);
        EXPECT_EQ(call.Result, 1);
        EXPECT_EQ(U32(call.Bytes, 0), 488u);
        EXPECT_EQ(U32(call.Bytes, 4), static_cast<uint32_t>(HandlerWindow()));
        EXPECT_EQ(U32(call.Bytes, 8), tray->TrayIconId());
        // NIF_SHOWTIP joins message, icon and tip once the shell has taken version 4.
        EXPECT_EQ(U32(call.Bytes, 12), op == plat::NIM_ADD ? 7u : 0x87u);
        EXPECT_EQ(U32(call.Bytes, 16), 0x800u);
        EXPECT_EQ(U32(call.Bytes, 20), static_cast<uint32_t>(tray->Icon()->Handle()));
        EXPECT_EQ(os.user.IconName(U32(call.Bytes, 20)), "DeTre[0]");
        EXPECT_EQ(call.Tip(), "Tarnwick\r\nProgram is starting");
        EXPECT_TRUE(AllZero(call.Bytes, 24 + 29, 488));
    }
    EXPECT_TRUE(os.shell.Area().empty());
}

TEST_F(TrayTest, TipKeepsAtMost127BytesOfWholeCharactersAndNeverWritesPastItsField) {
    std::string hint;
    for (int i = 0; i < 200; ++i)
        hint += static_cast<char>('A' + i % 26);
    tray->SetHint(hint);
    EXPECT_EQ(Last().Tip(), hint.substr(0, 127));
    EXPECT_EQ(Last().Bytes[24 + 127], 0);
    EXPECT_TRUE(AllZero(Last().Bytes, 152, 488));
    // A two-byte letter across the 127th byte is left out whole, not cut in half.
    tray->SetHint(hint.substr(0, 126) + "\u03A9");
    EXPECT_EQ(Last().Tip(), hint.substr(0, 126));
    tray->SetHint("short");
    EXPECT_EQ(Last().Tip(), "short");
    EXPECT_TRUE(AllZero(Last().Bytes, 24 + 5, 152));
    tray->SetShowHint(false);
    EXPECT_TRUE(AllZero(Last().Bytes, 24, 152));
    tray->SetShowHint(true);
    tray->SetHint("");
    EXPECT_TRUE(AllZero(Last().Bytes, 24, 152));
}

TEST_F(TrayTest, HintOrRefreshWhileHiddenSendsARefusedModifyAndNothingElseChanges) {
    const size_t before = os.shell.Calls().size();
    tray->SetHint("Tarnwick");
    tray->RefreshIcon();
    ASSERT_EQ(os.shell.Calls().size(), before + 2);
    for (size_t i = before; i < before + 2; ++i) {
        EXPECT_EQ(os.shell.Calls()[i].Operation, plat::NIM_MODIFY);
        EXPECT_EQ(os.shell.Calls()[i].Result, 0);
    }
    EXPECT_FALSE(tray->IconVisible());
    EXPECT_TRUE(os.shell.Area().empty());
}

TEST_F(TrayTest, RefusedAddStaysMeantToBeVisibleAndTheIconThatArrivesLateAsksForVersionFour) {
    os.shell.SetHighestVersion(plat::NOTIFYICON_VERSION_4);
    // Explorer not ready at logon.
    os.shell.StartExplorerLate(2500, std::nullopt);
    tray->SetIconVisible(true);
    EXPECT_EQ(Last().Result, 0);
    EXPECT_TRUE(tray->IconVisible());
    os.user.RunFor(3500);
    ASSERT_NE(os.shell.FindIcon(tray->TrayIconId()), nullptr);
    EXPECT_EQ(os.shell.FindIcon(tray->TrayIconId())->Version, plat::NOTIFYICON_VERSION_4);
    // An add the shell took although it answered no: the next try finds the icon there.
    tray->SetIconVisible(false);
    os.shell.SetTaskbarRunning(false);
    tray->SetIconVisible(true);
    os.shell.SetTaskbarRunning(true);
    os.shell.Shell_NotifyIcon(plat::NIM_ADD, &tray->NotifyData());
    const size_t before = os.shell.Calls().size();
    os.user.RunFor(5000);
    EXPECT_EQ(os.shell.Calls().size(), before + 3); // modify, version, modify: no more tries
    EXPECT_EQ(os.shell.FindIcon(tray->TrayIconId())->Version, plat::NOTIFYICON_VERSION_4);
    // A busy shell times out answering an add it took: the icon is found at once and kept,
    // exactly one, with version 4, and no add is tried again.
    tray->SetIconVisible(false);
    os.shell.TimeOutAdds(1);
    const size_t atAdd = os.shell.Calls().size();
    tray->SetIconVisible(true);
    ASSERT_EQ(os.shell.Calls()[atAdd].Operation, plat::NIM_ADD);
    EXPECT_EQ(os.shell.Calls()[atAdd].Result, 0);
    EXPECT_EQ(os.shell.FindIcon(tray->TrayIconId())->Version, plat::NOTIFYICON_VERSION_4);
    os.user.RunFor(5000);
    EXPECT_EQ(os.shell.Area().size(), 1u);
    size_t adds = 0;
    for (size_t i = atAdd; i < os.shell.Calls().size(); ++i)
        adds += os.shell.Calls()[i].Operation == plat::NIM_ADD;
    EXPECT_EQ(adds, 1u);
}

TEST_F(TrayTest, AssigningAnIconCopiesItInExactlyOneModifyAndAPictureThatCannotBeAnIconIsSentAsNoIcon) {
    fw::TIcon source;
    source.SetImage(Picture(0xFFFF0000), "red");
    tray->SetIconVisible(true);
    const size_t before = os.shell.Calls().size();
    tray->SetIcon(&source);
    EXPECT_EQ(os.shell.Calls().size(), before + 1);
    EXPECT_EQ(Shown(), "red");
    EXPECT_NE(U32(Last().Bytes, 20), static_cast<uint32_t>(source.Handle()));
    fw::TIcon broken;
    plat::IconImage bad = Picture(0xFF00FF00);
    bad.Mask.resize(7);
    broken.SetImage(bad);
    EXPECT_NO_THROW(tray->SetIcon(&broken));
    EXPECT_EQ(U32(Last().Bytes, 20), 0u);
    EXPECT_EQ(Last().Result, 1);
}

// ---- Clicks, double clicks and the menu ----

TEST_F(TrayTest, ClickComesAtReleaseBeforeMouseUpWithoutADoubleClickHandlerOrAfterTheDoubleClickTime) {
    os.user.SetDoubleClickTime(300);
    os.user.SetCursor(700, 590);
    for (bool handler : {false, true}) {
        log.clear();
        LogEvents();
        if (!handler) tray->OnDblClick = nullptr;
        Event(plat::WM_LBUTTONDOWN);
        os.user.RunFor(handler ? 400 : 0); // held longer than the double-click time
        EXPECT_EQ(log, Log{"down 0 8 700,590"});
        Event(plat::WM_LBUTTONUP);
        EXPECT_EQ(log, (Log{"down 0 8 700,590", "click", "up 0 8"}));
    }
}

TEST_F(TrayTest, WithADoubleClickHandlerASingleClickWaitsForTheDoubleClickTimeAndADoubleClickGivesNoClick) {
    LogEvents();
    Event(plat::WM_LBUTTONDOWN);
    os.user.RunFor(100);
    Event(plat::WM_LBUTTONUP);
    os.user.RunFor(399);
    EXPECT_EQ(log, (Log{"down 0 8 100,100", "up 0 8"}));
    os.user.RunFor(1);
    EXPECT_EQ(log, (Log{"down 0 8 100,100", "up 0 8", "click"}));
    os.user.RunFor(2000);
    EXPECT_EQ(log.size(), 3u);
    // A double click gives OnDblClick and no click.
    Event(plat::WM_LBUTTONDOWN);
    os.user.RunFor(80);
    Event(plat::WM_LBUTTONUP);
    os.user.RunFor(80);
    Event(plat::WM_LBUTTONDBLCLK);
    os.user.RunFor(80);
    Event(plat::WM_LBUTTONUP);
    os.user.RunFor(2000);
    EXPECT_EQ(log,
              (Log{"down 0 8 100,100", "up 0 8", "click", "down 0 8 100,100", "up 0 8", "dbl", "up 0 8"}));
    // The next single click is a click again.
    Event(plat::WM_LBUTTONDOWN);
    Event(plat::WM_LBUTTONUP);
    os.user.RunFor(500);
    EXPECT_EQ(log.back(), "click");
}

TEST_F(TrayTest, ShiftAndPositionAreReadWhenTheCallbackIsHandled) {
    LogEvents();
    os.user.SetKeyDown(plat::VK_SHIFT, true);
    os.user.SetKeyDown(plat::VK_CONTROL, true);
    os.shell.PostCallbackTo(HandlerWindow(), tray->TrayIconId(), plat::WM_MBUTTONDOWN);
    os.user.SetCursor(5, -7);
    os.user.RunUntilIdle();
    os.user.SetKeyDown(plat::VK_CONTROL, false);
    os.user.SetKeyDown(plat::VK_MENU, true);
    Event(plat::WM_MBUTTONUP);
    Event(plat::WM_RBUTTONUP);
    EXPECT_EQ(log, (Log{"down 2 37 5,-7", "up 2 35", "up 1 19"}));
}

TEST_F(TrayTest, DisabledIconIgnoresEveryMouseCallbackUntilEnabledAgain) {
    LogEvents();
    auto* menu = new fw::TPopupMenu(form);
    Item(menu, "Quit")->SetDefault(true);
    tray->SetPopupMenu(menu);
    tray->SetWantEnterExitEvents(true);
    tray->SetEnabled(false);
    for (plat::LPARAM e : {plat::WM_MOUSEMOVE, plat::WM_LBUTTONDOWN, plat::WM_LBUTTONDBLCLK,
                           plat::WM_RBUTTONDOWN, plat::WM_RBUTTONUP, plat::WM_MBUTTONDOWN})
        Event(e);
    os.user.RunFor(1000);
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(os.user.Popups().empty());
    tray->SetEnabled(true);
    // The press made while disabled left no trace: this release alone is no click.
    Event(plat::WM_LBUTTONUP);
    os.user.RunFor(1000);
    EXPECT_EQ(log, Log{"up 0 8"});
    Event(plat::WM_RBUTTONDOWN);
    EXPECT_EQ(os.user.Popups().size(), 1u);
}

TEST_F(TrayTest, RightButtonOpensTheMenuAtTheCursorInTheForeground) {
    auto* menu = new fw::TPopupMenu(form);
    Item(menu, "Quit");
    tray->SetPopupMenu(menu);
    os.user.SetCursor(760, 590);
    os.user.OnPopup = [&](const sim::SimPopup& popup) { return popup.Find("Quit")->Id; };
    os.user.ClearDelivered();
    Event(plat::WM_RBUTTONDOWN);
    ASSERT_EQ(os.user.Popups().size(), 1u);
    EXPECT_EQ(os.user.Popups()[0].X, 760);
    EXPECT_EQ(os.user.Popups()[0].Y, 590);
    // Only a menu opened from the foreground closes when the user clicks elsewhere.
    EXPECT_TRUE(os.user.Popups()[0].ClosesOnClickOutside);
    EXPECT_EQ(os.user.ForegroundWindow(), app.Handle());
    EXPECT_EQ(menu->PopupComponent(), tray);
    EXPECT_EQ(log, Log{"item Quit"});
    bool nullToOwner = false;
    for (const auto& m : os.user.Delivered())
        nullToOwner |= m.hwnd == form->Handle() && m.message == plat::WM_NULL;
    EXPECT_TRUE(nullToOwner);
}

TEST_F(TrayTest, LeftPopupOpensTheMenuOnLeftDownAndAutoPopupFalseNeverOpensIt) {
    auto* menu = new fw::TPopupMenu(form);
    Item(menu, "Quit");
    tray->SetPopupMenu(menu);
    Event(plat::WM_LBUTTONDOWN);
    EXPECT_EQ(os.user.Popups().size(), 0u);
    tray->SetLeftPopup(true);
    Event(plat::WM_LBUTTONDOWN);
    EXPECT_EQ(os.user.Popups().size(), 1u);
    menu->SetAutoPopup(false);
    Event(plat::WM_LBUTTONDOWN);
    Event(plat::WM_RBUTTONDOWN);
    EXPECT_EQ(os.user.Popups().size(), 1u);
    menu->SetAutoPopup(true);
    os.user.SetCursorPosFails(true);
    Event(plat::WM_RBUTTONDOWN);
    EXPECT_EQ(os.user.Popups().size(), 1u);
}

TEST_F(TrayTest, DoubleClickRunsTheFirstDefaultItemUnlessTheMenuOpensOnTheLeft) {
    tray->OnDblClick = [this](fw::TObject*) { log.push_back("dbl"); };
    auto* menu = new fw::TPopupMenu(form);
    Item(menu, "Run at startup");
    Item(menu, "Help")->SetDefault(true);
    Item(menu, "Quit");
    Item(menu, "&Stop sharing")->SetDefault(true);
    tray->SetPopupMenu(menu);
    Event(plat::WM_LBUTTONDBLCLK);
    EXPECT_EQ(log, (Log{"dbl", "item Help"}));
    tray->SetLeftPopup(true);
    Event(plat::WM_LBUTTONDBLCLK);
    EXPECT_EQ(log, (Log{"dbl", "item Help", "dbl"}));
    EXPECT_TRUE(os.user.Popups().empty());
}

// ---- Version 4: the keyboard and the anchor point ----

// A shell that takes version 4, as Windows does since Vista; the icon in the area with a menu
// whose default item is the double click's command.
class TrayVersion4Test : public TrayTest {
  protected:
    explicit TrayVersion4Test(plat::UINT version = plat::NOTIFYICON_VERSION_4) {
        os.shell.SetHighestVersion(version);
        os.shell.SetIconAnchor(1500, 1050);
        os.user.SetCursor(100, 100);
        LogEvents();
        menu = new fw::TPopupMenu(form);
        Item(menu, "Help");
        Item(menu, "Switch")->SetDefault(true);
        tray->SetPopupMenu(menu);
        tray->SetHint("Tarnwick");
        tray->SetIconVisible(true);
    }
    void Shell(plat::LPARAM event) {
        os.shell.PostCallback(tray->TrayIconId(), event);
        os.user.RunUntilIdle();
    }
    std::vector<std::pair<int32_t, int32_t>> PopupPoints() const {
        std::vector<std::pair<int32_t, int32_t>> at;
        for (const auto& p : os.user.Popups())
            at.emplace_back(p.X, p.Y);
        return at;
    }
    fw::TPopupMenu* menu = nullptr;
};

class TrayVersion0Test : public TrayVersion4Test {
  protected:
    TrayVersion0Test() : TrayVersion4Test(0) {}
};

TEST_F(TrayVersion4Test, AnAcceptedVersionFourKeepsTheToolTipShownAndTheIdInTheCallback) {
    EXPECT_EQ(tray->NotifyVersion(), plat::NOTIFYICON_VERSION_4);
    EXPECT_EQ(os.shell.Area()[0].Version, plat::NOTIFYICON_VERSION_4);
    EXPECT_EQ(U32(Last().Bytes, 12), 7u | plat::NIF_SHOWTIP);
    EXPECT_EQ(os.shell.Area()[0].Tip, "Tarnwick");
    // Old-format callbacks and callbacks of an id nobody has are ignored.
    os.shell.PostCallbackTo(HandlerWindow(), 0, plat::WM_CONTEXTMENU | (0x7777 << 16));
    os.user.RunUntilIdle();
    EXPECT_TRUE(os.user.Popups().empty());
}

TEST_F(TrayVersion4Test, TheMenuKeyOpensTheMenuAtTheIconAndARightClickOpensOneAtThePointer) {
    // Monitors left of or above the main one have negative coordinates.
    os.shell.SetIconAnchor(-420, 1050);
    os.user.SetCursor(-300, -20);
    os.shell.KeyboardMenu(tray->TrayIconId());
    os.user.RunUntilIdle();
    Shell(plat::WM_RBUTTONDOWN);
    Shell(plat::WM_RBUTTONUP); // the shell adds WM_CONTEXTMENU at the pointer
    EXPECT_EQ(PopupPoints(), (std::vector<std::pair<int32_t, int32_t>>{{-420, 1050}, {-300, -20}}));
    EXPECT_EQ(log, (Log{"down 1 16 -300,-20", "up 1 16"}));
}

TEST_F(TrayVersion4Test, EnterOrSpaceDoesWhatTheDoubleClickDoesOncePerKey) {
    os.shell.KeyboardActivate(tray->TrayIconId());
    os.user.RunUntilIdle();
    EXPECT_EQ(log, (Log{"dbl", "item Switch"}));
    // The shell's second report of one Enter, within the double-click time, is the same key.
    os.user.RunFor(100);
    os.shell.KeyboardActivate(tray->TrayIconId());
    os.user.RunUntilIdle();
    EXPECT_EQ(log.size(), 2u);
    os.user.RunFor(1000);
    os.shell.KeyboardActivate(tray->TrayIconId());
    os.user.RunUntilIdle();
    EXPECT_EQ(log, (Log{"dbl", "item Switch", "dbl", "item Switch"}));
    EXPECT_TRUE(os.user.Popups().empty());
}

TEST_F(TrayVersion4Test, ClickAndDoubleClickKeepTheirTimingAmongTheSelectNotifications) {
    Shell(plat::WM_LBUTTONDOWN);
    Shell(plat::WM_LBUTTONUP); // the shell adds NIN_SELECT
    os.user.RunFor(600);
    for (plat::LPARAM e :
         {plat::WM_LBUTTONDOWN, plat::WM_LBUTTONUP, plat::WM_LBUTTONDBLCLK, plat::WM_LBUTTONUP})
        Shell(e);
    os.user.RunFor(600);
    EXPECT_EQ(log, (Log{"down 0 8 100,100", "up 0 8", "click", "down 0 8 100,100", "up 0 8", "dbl",
                        "item Switch", "up 0 8"}));
}

TEST_F(TrayVersion0Test, AShellOfVersionZeroBehavesAsBeforeTheMenuAtThePointer) {
    EXPECT_EQ(tray->NotifyVersion(), 0u);
    EXPECT_EQ(U32(Last().Bytes, 12), 7u);
    // Earlier shells report the keyboard as right button presses.
    os.shell.KeyboardMenu(tray->TrayIconId());
    os.user.RunUntilIdle();
    os.shell.KeyboardActivate(tray->TrayIconId());
    os.user.RunUntilIdle();
    EXPECT_EQ(PopupPoints(), (std::vector<std::pair<int32_t, int32_t>>{{100, 100}, {100, 100}}));
    EXPECT_EQ(log, (Log{"down 1 16 100,100", "up 1 16", "down 1 16 100,100", "up 1 16"}));
}

TEST_F(TrayTest, BalloonNotificationsArriveEvenWhileDisabledAndOtherDoubleClicksAreIgnored) {
    LogEvents();
    tray->OnBalloonHintShow = [this](fw::TObject* s) { log.push_back(s == tray ? "show" : "?"); };
    tray->OnBalloonHintClick = [this](fw::TObject*) { log.push_back("balloon click"); };
    Event(plat::WM_RBUTTONDBLCLK);
    Event(plat::WM_MBUTTONDBLCLK);
    tray->SetEnabled(false);
    Event(plat::NIN_BALLOONSHOW);
    Event(plat::NIN_BALLOONUSERCLICK);
    Event(plat::NIN_BALLOONHIDE);
    EXPECT_EQ(log, (Log{"show", "balloon click"}));
}

TEST_F(TrayTest, EnterAndExitFollowTheMovesThatTheShellReports) {
    LogEvents();
    Event(plat::WM_MOUSEMOVE);
    EXPECT_EQ(log, Log{"move"});
    tray->SetWantEnterExitEvents(true);
    Event(plat::WM_MOUSEMOVE);
    Event(plat::WM_MOUSEMOVE);
    os.user.RunFor(200);
    EXPECT_EQ(log, (Log{"move", "enter", "move", "move"}));
    os.user.SetCursor(300, 300);
    os.user.RunFor(20);
    EXPECT_EQ(log.back(), "exit");
    Event(plat::WM_MOUSEMOVE);
    EXPECT_EQ(log, (Log{"move", "enter", "move", "move", "exit", "enter", "move"}));
    tray->SetWantEnterExitEvents(false);
    os.user.SetCursor(1, 1);
    os.user.RunFor(200);
    EXPECT_EQ(log.back(), "move");
}

TEST_F(TrayTest, CallbackForAComponentThatIsGoneIsDiscarded) {
    auto* other = new TTrayIcon(form); // keeps the shared window
    int clicks = 0;
    other->OnClick = [&](fw::TObject*) { ++clicks; };
    const plat::UINT staleId = other->TrayIconId();
    delete other;
    auto* fresh = new TTrayIcon(form);
    fresh->OnClick = [&](fw::TObject*) { ++clicks; };
    for (plat::UINT id : {staleId, 0u, 0xDEADBEEFu}) {
        os.shell.PostCallbackTo(HandlerWindow(), id, plat::WM_LBUTTONDOWN);
        os.shell.PostCallbackTo(HandlerWindow(), id, plat::WM_LBUTTONUP);
    }
    os.user.RunFor(1000);
    EXPECT_EQ(clicks, 0);
}

TEST_F(TrayTest, SharedWindowAgreesToEndTheSessionAndCannotBeClosedByAMessage) {
    EXPECT_EQ(os.user.SendMessage(HandlerWindow(), plat::WM_QUERYENDSESSION, 0, 0), 1);
    EXPECT_EQ(os.user.SendMessage(HandlerWindow(), plat::WM_CLOSE, 0, 0), 1);
    EXPECT_TRUE(os.user.IsWindow(HandlerWindow()));
}

// ---- The taskbar coming back ----

TEST_F(TrayTest, RecreatedTaskbarGetsTheIconBackOnlyWhileItIsVisible) {
    os.shell.SetHighestVersion(plat::NOTIFYICON_VERSION_4);
    tray->SetIconVisible(true);
    os.shell.RecreateTaskbar();
    EXPECT_TRUE(os.shell.Area().empty());
    os.user.RunUntilIdle();
    ASSERT_NE(os.shell.FindIcon(tray->TrayIconId()), nullptr);
    // The new shell knows nothing of the version the old one was asked for.
    EXPECT_EQ(os.shell.FindIcon(tray->TrayIconId())->Version, plat::NOTIFYICON_VERSION_4);
    tray->SetIconVisible(false);
    const size_t before = os.shell.Calls().size();
    os.shell.RecreateTaskbar();
    os.user.RunUntilIdle();
    EXPECT_EQ(os.shell.Calls().size(), before);
    EXPECT_TRUE(os.shell.Area().empty());
}

TEST_F(TrayTest, ElevatedProcessStillHearsThatTheTaskbarWasRecreated) {
    os.user.SetElevated(true);
    tray->SetIconVisible(true);
    os.shell.RecreateTaskbar();
    os.user.RunUntilIdle();
    EXPECT_NE(os.shell.FindIcon(tray->TrayIconId()), nullptr);
    EXPECT_EQ(os.user.Window(app.Handle())->AllowedMessages.count(TrayIcon::TaskbarCreatedMessage), 1u);
}

TEST_F(TrayTest, BeforeCommonControls471NothingIsRegisteredAndWmNullDoesNotReAdd) {
    delete app.MainForm();
    TrayIcon::UnitFinalization();
    os.shell.SetFileVersion("comctl32.dll", 0x00040046, 0);
    app.CreateForm(form);
    tray = form->tray;
    EXPECT_EQ(TrayIcon::TaskbarCreatedMessage, 0u);
    tray->SetIconVisible(true);
    const size_t before = os.shell.Calls().size();
    os.user.SendMessage(app.Handle(), plat::WM_NULL, 0, 0);
    EXPECT_EQ(os.shell.Calls().size(), before);
}

TEST(CommonControlsVersion, UnreadableVersionIsZeroAndReadAgainLater) {
    sim::SimPlatform os;
    TrayIcon::UnitFinalization();
    os.shell.RemoveFileVersion("comctl32.dll");
    EXPECT_EQ(TrayIcon::CommonControlsVersion(), 0u);
    os.shell.SetFileVersion("comctl32.dll", 0x00050050, 0);
    EXPECT_EQ(TrayIcon::CommonControlsVersion(), 0x00050050u);
    os.shell.SetFileVersion("comctl32.dll", 0x00060000, 0);
    EXPECT_EQ(TrayIcon::CommonControlsVersion(), 0x00050050u); // cached once read
    TrayIcon::UnitFinalization();
}

// ---- Image lists and cycling ----

TEST_F(TrayTest, CyclingStepsThroughTheListAndReportsTheNextIndex) {
    StartCycling("YellowHalf", 4);
    std::vector<std::string> shown{Shown()};
    for (int i = 0; i < 5; ++i) {
        os.user.RunFor(100);
        shown.push_back(Shown());
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"YellowHalf[0]", "YellowHalf[1]", "YellowHalf[2]",
                                               "YellowHalf[3]", "YellowHalf[0]", "YellowHalf[1]"}));
    EXPECT_EQ(cycled, (std::vector<int32_t>{1, 2, 3, 0, 1}));
    tray->SetCycleIcons(false);
    os.user.RunFor(1000);
    EXPECT_EQ(Shown(), "YellowHalf[1]");
    EXPECT_EQ(tray->IconIndex(), 1);
}

TEST_F(TrayTest, ExpiryQueuedBeforeCyclingStoppedLeavesTheRestingFrameAlone) {
    const plat::HWND timers = SimpleTimer::SharedTimerHandler->Window();
    const auto before = os.user.TimerIds(timers);
    StartCycling("GreenFul", 8);
    std::vector<plat::UINT_PTR> cycling;
    for (plat::UINT_PTR id : os.user.TimerIds(timers))
        if (std::find(before.begin(), before.end(), id) == before.end()) cycling.push_back(id);
    ASSERT_EQ(cycling.size(), 1u);
    os.user.RunFor(300);
    ASSERT_EQ(cycled.size(), 3u);
    // The way the animation stops a cycle to rest on a frame; the expiry the system had
    // already queued still arrives afterwards.
    tray->SetCycleIcons(false);
    tray->SetIconList(List("RedFul", 8));
    tray->SetIconIndex(4);
    os.user.PostMessage(timers, plat::WM_TIMER, cycling[0], 0);
    os.user.RunUntilIdle();
    EXPECT_EQ(Shown(), "RedFul[4]");
    EXPECT_EQ(tray->IconIndex(), 4);
    EXPECT_EQ(cycled.size(), 3u);
}

TEST_F(TrayTest, CycleHandlerThatStopsCyclingKeepsTheFrameItChose) {
    StartCycling("YellowHalf", 4);
    auto* rest = List("DeTre", 5);
    tray->OnCycle = [&](fw::TObject*, int32_t) {
        tray->SetCycleIcons(false);
        tray->SetIconList(rest);
        tray->SetIconIndex(0);
    };
    os.user.RunFor(500);
    EXPECT_EQ(Shown(), "DeTre[0]");
    EXPECT_EQ(tray->IconIndex(), 0);
}

TEST_F(TrayTest, NewIntervalRestartsCyclingAtImageZeroButStartsNothingWhenOff) {
    tray->SetIconVisible(true);
    tray->SetIconList(List("GreenFul", 8));
    tray->SetCycleInterval(100);
    os.user.RunFor(500);
    EXPECT_EQ(Shown(), "GreenFul[0]");
    tray->SetCycleIcons(true);
    os.user.RunFor(300);
    EXPECT_EQ(Shown(), "GreenFul[3]");
    tray->SetCycleInterval(200);
    EXPECT_EQ(Shown(), "GreenFul[0]");
    os.user.RunFor(100);
    EXPECT_EQ(Shown(), "GreenFul[0]");
    os.user.RunFor(100);
    EXPECT_EQ(Shown(), "GreenFul[1]");
    tray->SetCycleInterval(0);
    os.user.RunFor(1000);
    EXPECT_EQ(Shown(), "GreenFul[0]");
    EXPECT_TRUE(tray->CycleIcons());
}

TEST_F(TrayTest, ListTakenAwayWhileCyclingLeavesStepsWithoutEffect) {
    StartCycling("YellowFul", 8);
    os.user.RunFor(200);
    tray->SetIconList(nullptr);
    EXPECT_EQ(tray->IconIndex(), 0);
    const size_t before = os.shell.Calls().size();
    os.user.RunFor(1000);
    EXPECT_EQ(cycled, (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(os.shell.Calls().size(), before);
    EXPECT_EQ(Shown(), "YellowFul[2]");
}

TEST_F(TrayTest, IndexBeyondTheListIsClampedAndANegativeOneShowsNoIcon) {
    tray->SetIconVisible(true);
    tray->SetIconList(List("Boom", 14));
    tray->SetIconIndex(99);
    EXPECT_EQ(tray->IconIndex(), 13);
    EXPECT_EQ(Shown(), "Boom[13]");
    tray->SetIconIndex(-3);
    EXPECT_EQ(tray->IconIndex(), -3);
    EXPECT_EQ(U32(Last().Bytes, 20), 0u);
    tray->SetIconList(List("Empty", 0));
    EXPECT_EQ(tray->IconIndex(), -1);
    EXPECT_EQ(U32(Last().Bytes, 20), 0u);
    tray->SetIconList(nullptr);
    tray->SetIconIndex(5);
    EXPECT_EQ(tray->IconIndex(), 0);
}

TEST_F(TrayTest, FreeingTheListClearsIconListAndTheIconKeepsItsImage) {
    tray->SetIconVisible(true);
    auto* list = List("RedFul", 8);
    tray->SetIconList(list);
    tray->SetIconIndex(6);
    delete list;
    EXPECT_EQ(tray->IconList(), nullptr);
    EXPECT_EQ(tray->IconIndex(), 0);
    EXPECT_EQ(Shown(), "RedFul[6]");
    auto* menu = new fw::TPopupMenu(form);
    tray->SetPopupMenu(menu);
    delete menu;
    EXPECT_EQ(tray->PopupMenu(), nullptr);
    Event(plat::WM_RBUTTONDOWN);
}

TEST_F(TrayTest, TenThousandCycleStepsLeaveTheLiveIconCountUnchanged) {
    StartCycling("YellowHalf", 4);
    tray->OnCycle = nullptr;
    os.user.RunFor(100);
    const size_t live = os.user.LiveIconCount();
    const uint64_t created = os.user.IconsCreated();
    os.user.RunFor(100 * 10'000);
    EXPECT_GE(os.user.IconsCreated() - created, 10'000u); // every step made new icons
    EXPECT_EQ(os.user.LiveIconCount(), live);
    EXPECT_EQ(os.user.BadIconDestroys(), 0u);
    EXPECT_TRUE(os.shell.FindIcon(tray->TrayIconId())->IconWasLive);
}

// ---- Life cycle, start-up and the owner window ----

class StartupTest : public ::testing::Test {
  protected:
    ~StartupTest() override {
        TrayForm::configure = nullptr;
        TrayIcon::UnitFinalization();
        SimpleTimer::UnitFinalization();
    }
    sim::SimPlatform os;
};

TEST_F(StartupTest, OnlyAHandlerThatAnswersNoKeepsTheMainFormFromBeingShown) {
    for (std::optional<bool> answer :
         {std::optional<bool>{}, std::optional<bool>{true}, std::optional<bool>{false}}) {
        SCOPED_TRACE(answer ? (*answer ? "yes" : "no") : "no handler");
        fw::TApplication app;
        int asked = 0;
        if (answer)
            TrayForm::configure = [&](TrayForm& f) {
                f.tray->OnStartup = [&](fw::TObject*, bool& show) {
                    ++asked;
                    show = *answer;
                };
            };
        TrayForm* form = nullptr;
        app.CreateForm(form);
        EXPECT_EQ(asked, answer ? 1 : 0);
        EXPECT_EQ(app.ShowMainForm(), answer.value_or(true));
        os.user.After(100, [&] { form->Close(); });
        app.Run();
        EXPECT_EQ(os.user.IsWindowVisible(form->Handle()), answer.value_or(true));
        delete form;
        TrayForm::configure = nullptr;
    }
}

TEST_F(StartupTest, LoadingSendsModifyThenTheStoredVisibilityThenAsksForVersionFour) {
    os.shell.SetHighestVersion(0); // a shell that answers only the first version, as Wine's may
    fw::TApplication app;
    TrayForm::configure = [](TrayForm& f) {
        f.tray->SetHint("Tarnwick");
        f.tray->SetIconVisible(true);
    };
    TrayForm* form = nullptr;
    os.shell.ClearCalls();
    app.CreateForm(form);
    std::vector<plat::DWORD> ops;
    for (const auto& c : os.shell.Calls())
        ops.push_back(c.Operation);
    // Hint (refused), the stored IconVisible, then after loading: modify, add again (refused:
    // the icon is there, which a modify finds at once), version as the add found it and as
    // loading ends.
    EXPECT_EQ(ops, (std::vector<plat::DWORD>{plat::NIM_MODIFY, plat::NIM_ADD, plat::NIM_MODIFY, plat::NIM_ADD,
                                             plat::NIM_MODIFY, plat::NIM_SETVERSION, plat::NIM_SETVERSION}));
    // This shell answers only version 0: the icon stays at version 0, its flags as they were.
    EXPECT_EQ(os.shell.Calls().back().Result, 0);
    EXPECT_EQ(U32(os.shell.Calls().back().Bytes, 416), plat::NOTIFYICON_VERSION_4);
    EXPECT_EQ(os.shell.Area()[0].Version, 0u);
    EXPECT_EQ(form->tray->NotifyVersion(), 0u);
    EXPECT_EQ(form->tray->NotifyData().uFlags, 7u);
}

TEST_F(StartupTest, SharedWindowIsMadeWithTheFirstIconAndDestroyedWithTheLast) {
    fw::TApplication app;
    fw::TForm form(&app);
    EXPECT_EQ(TrayIcon::SharedTrayIconHandler, nullptr);
    auto* a = new TTrayIcon(&form);
    auto* b = new TTrayIcon(&form);
    const plat::HWND window = TrayIcon::SharedTrayIconHandler->Window();
    EXPECT_TRUE(os.user.IsTopLevel(window));
    EXPECT_EQ(TrayIcon::SharedTrayIconHandler->UserCount, 2u);
    delete a;
    EXPECT_TRUE(os.user.IsWindow(window));
    delete b;
    EXPECT_EQ(TrayIcon::SharedTrayIconHandler, nullptr);
    EXPECT_FALSE(os.user.IsWindow(window));
    auto* c = new TTrayIcon(&form);
    ASSERT_NE(TrayIcon::SharedTrayIconHandler, nullptr);
    EXPECT_NE(TrayIcon::SharedTrayIconHandler->Window(), window);
    c->SetIconVisible(true);
    EXPECT_EQ(os.shell.Calls().back().Result, 1);
    delete c;
}

TEST_F(TrayTest, DestroyingRemovesTheIconAndTheOwnerWindowKeepsWorkingWithoutIt) {
    tray->SetIconVisible(true);
    int minimized = 0;
    tray->SetMinimizeToTray(true);
    tray->OnMinimizeToTray = [&](fw::TObject*) { ++minimized; };
    const plat::HWND owner = form->Handle();
    const plat::UINT id = tray->TrayIconId();
    delete tray;
    tray = nullptr;
    EXPECT_EQ(Last().Operation, plat::NIM_DELETE);
    EXPECT_EQ(Last().Result, 1);
    EXPECT_EQ(os.shell.FindIcon(id), nullptr);
    // The owner's own procedure answers again; the freed component is not reached.
    EXPECT_EQ(os.user.SendMessage(owner, plat::WM_SYSCOMMAND, plat::SC_MINIMIZE, 0), 0);
    EXPECT_EQ(minimized, 0);
}

TEST_F(TrayTest, ShownOwnerComesToTheFrontAndMinimizeToTrayNeedsItsHandlerThereButNotOnTheApplicationWindow) {
    const plat::HWND owner = form->Handle();
    int handled = 0;
    form->Show();
    EXPECT_EQ(os.user.ForegroundWindow(), form->Handle());
    // MinimizeToTray off: the owner's own procedure gets the request.
    EXPECT_EQ(os.user.SendMessage(owner, plat::WM_SYSCOMMAND, plat::SC_MINIMIZE, 0), 0);
    EXPECT_FALSE(tray->IconVisible());
    tray->SetMinimizeToTray(true);
    EXPECT_EQ(os.user.SendMessage(owner, plat::WM_SYSCOMMAND, plat::SC_MINIMIZE, 0), 0);
    EXPECT_FALSE(tray->IconVisible());
    tray->OnMinimizeToTray = [&](fw::TObject*) { ++handled; };
    EXPECT_EQ(os.user.SendMessage(owner, plat::WM_SYSCOMMAND, plat::SC_MINIMIZE, 0), 1);
    EXPECT_EQ(handled, 1);
    EXPECT_TRUE(tray->IconVisible());
    EXPECT_FALSE(form->Visible());
    // Restoring from the application window brings the main form back.
    os.user.SendMessage(app.Handle(), plat::WM_SYSCOMMAND, plat::SC_RESTORE, 0);
    EXPECT_TRUE(form->Visible());
    tray->SetIconVisible(false);
    tray->OnMinimizeToTray = nullptr;
    os.user.SendMessage(app.Handle(), plat::WM_SIZE, plat::SIZE_MINIMIZED, 0);
    EXPECT_TRUE(tray->IconVisible());
    EXPECT_FALSE(form->Visible());
}

} // namespace
