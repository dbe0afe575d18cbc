// The lamp for every user: the default item, the keyboard, a change of scale or of theme.
#include <set>

#include "app/images.h"
#include "app_fixture.h"

namespace {

class LampTest : public TarnwickTest {
  protected:
    LampTest() : TarnwickTest(sim::Machine::Elevated()) { os.services.Add("lanmanserver").Running(); }
    const plat::IconImage& Picture() const {
        return os.shell.FindIcon(form->TrayIcon1->TrayIconId())->Picture;
    }
    // The index of the frame shown, from its label "List[i]".
    int Index() const {
        const std::string name = Shown();
        return std::stoi(name.substr(name.find('[') + 1));
    }
};

// The network rule's item comes last, so the others keep their places.
TEST_F(LampTest, TheSharingCommandIsTheBoldDefaultAndTheItemsKeepTheirOrder) {
    StartAndSettle();
    ChooseFromMenu("");
    const auto& menu = os.user.Popups().back();
    EXPECT_EQ(menu.Captions(), (std::vector<std::string>{"Run at startup", "Quit", "Help", "&Stop sharing",
                                                      "&Off on public networks"}));
    for (const auto& item : menu.Items)
        EXPECT_EQ(item.Default, item.Caption == "&Stop sharing") << item.Caption;
    // A double click switches once, through the default item.
    DoubleClick();
    os.user.RunFor(3000);
    EXPECT_EQ(Tip(), DisabledTip);
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_STOPPED);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(LampTest, FromTheKeyboardTheMenuOpensAtTheIconAndEnterSwitches) {
    os.shell.SetHighestVersion(plat::NOTIFYICON_VERSION_4);
    os.shell.SetIconAnchor(1700, 1040);
    os.user.SetCursor(300, 200);
    StartAndSettle();
    EXPECT_EQ(form->TrayIcon1->NotifyVersion(), plat::NOTIFYICON_VERSION_4);
    os.shell.KeyboardMenu(form->TrayIcon1->TrayIconId());
    os.user.RunUntilIdle();
    ASSERT_EQ(os.user.Popups().size(), 1u);
    EXPECT_EQ(os.user.Popups()[0].X, 1700);
    EXPECT_EQ(os.user.Popups()[0].Y, 1040);
    os.shell.KeyboardActivate(form->TrayIcon1->TrayIconId());
    os.user.RunFor(3000);
    EXPECT_EQ(Tip(), DisabledTip);
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_STOPPED);
}

TEST_F(LampTest, AScaleChangeRedrawsTheFramesAtTheNewSizeAndThePulseGoesOn) {
    StartAndSettle();
    EXPECT_EQ(Picture().Width, 16);
    os.threads.Hold(true); // the switch stays under way: the yellow pulse runs
    DoubleClick();
    ASSERT_EQ(Shown().rfind("YellowHalf[", 0), 0u);
    const std::pair<plat::UINT, plat::UINT> changes[] = {
        {plat::WM_DPICHANGED, 144}, {plat::WM_SETTINGCHANGE, 192}, {plat::WM_DISPLAYCHANGE, 120}};
    for (auto [message, dpi] : changes) {
        SCOPED_TRACE(message);
        const int size = static_cast<int>(dpi * 16 / 96);
        os.user.RunFor(30);
        const int index = Index();
        os.user.ChangeScale(dpi, message);
        EXPECT_EQ(Picture().Width, size);
        EXPECT_EQ(Shown(), "YellowHalf[" + std::to_string(index) + "]");
        EXPECT_EQ(Picture(),
                  images::DrawFrames(images::FrameList::YellowHalf, size)[static_cast<size_t>(index)]);
        // The next step comes on time, at the new size.
        os.user.RunFor(100);
        EXPECT_EQ(Index(), (index + 1) % 4);
        EXPECT_EQ(Picture().Width, size);
    }
    // A scale changed while Explorer was away is picked up when the taskbar comes back.
    os.user.ChangeScale(96, 0);
    os.shell.RecreateTaskbar();
    os.user.RunUntilIdle();
    EXPECT_EQ(Picture().Width, 16);
}

TEST_F(LampTest, WithoutPerMonitorScalesTheLampTakesTheScaleOfTheLogon) {
    os.user.SetPerMonitorDpiMissing(true);
    os.user.SetSystemMetric(plat::SM_CXSMICON, 20);
    os.user.ChangeScale(192);
    StartAndSettle();
    EXPECT_EQ(Picture().Width, 20);
}

TEST_F(LampTest, HighContrastDrawsTheLampInTheThemesColoursUntilItIsSwitchedOff) {
    StartAndSettle();
    // COLORREF: 0x00BBGGRR.
    os.user.SetHighContrast(true, 0x000000, 0xFFFFFF, 0xFFEB1A);
    std::set<uint32_t> colours;
    for (size_t i = 0; i < Picture().Pixels.size(); ++i)
        if (Picture().Mask[i] == 0) colours.insert(Picture().Pixels[i] & 0xFFFFFF);
    EXPECT_EQ(colours, (std::set<uint32_t>{0x000000, 0xFFFFFF, 0x1AEBFF}));
    // Each part in its own colour: the rim in the text colour, the unlit lens in the window's.
    const auto at = [&](size_t x, size_t y) { return Picture().Pixels[y * 16 + x] & 0xFFFFFF; };
    EXPECT_EQ(at(1, 7), 0xFFFFFFu);
    EXPECT_EQ(at(3, 7), 0x000000u);
    EXPECT_EQ(Shown(), "DeTre[1]");
    os.user.SetHighContrast(false);
    EXPECT_EQ(Picture(), images::DrawFrames(images::FrameList::DeTre, 16)[1]);
}

} // namespace
