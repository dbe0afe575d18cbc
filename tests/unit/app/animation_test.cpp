#include "app_fixture.h"

namespace {

class Animation : public TarnwickTest {
  protected:
    Animation() {
        os.services.Add("lanmanserver").Running();
        StartAndSettle();
        mark = frames.size();
        t0 = os.kernel.GetTickCount64();
    }
    void Show(fw::TCustomImageList* list, int32_t index) {
        form->PlayFrames(list, index, index, 0);
        mark = frames.size();
        t0 = os.kernel.GetTickCount64();
    }
    std::vector<std::string> Played() const { return FramesSince(mark); }
    uint64_t Took() { return os.kernel.GetTickCount64() - t0; }

    size_t mark = 0;
    uint64_t t0 = 0;
};

TEST_F(Animation, PlayFramesPassesFrameZeroThenShowsEachFrameForItsDelayAndAnIndexPastTheListAsItsLast) {
    form->PlayFrames(form->Boom, 13, 0, 35);
    EXPECT_EQ(Played(), Frames("Boom", 0, 0) + Frames("Boom", 13, 0));
    EXPECT_EQ(Took(), 14u * 35u);

    Show(form->RedFul, 5);
    form->PlayFrames(form->GreenFul, 3, 3, 120);
    EXPECT_EQ(Played(), Frames("GreenFul", 0, 0) + Frames("GreenFul", 3, 3));
    EXPECT_EQ(Took(), 120u);
    EXPECT_EQ(Shown(), "GreenFul[3]");

    Show(form->RedFul, 5);
    form->PlayFrames(form->BoomLight, 0, 13, 0); // a delay of zero shows every frame without time
    EXPECT_EQ(Played(), Frames("BoomLight", 0, 13));
    EXPECT_EQ(Took(), 0u);

    form->PlayFrames(form->DeTre, 9, 9, 0);
    EXPECT_EQ(Shown(), "DeTre[4]");
    EXPECT_EQ(form->TrayIcon1->IconIndex(), 4);
}

TEST_F(Animation, AnimateToFrameFoldsTheTwinFramesOntoTheRisingRunAndWalksTheHalfYellowPulseOnTheFullList) {
    Show(form->RedFul, 7);
    form->AnimateToFrame(form->RedFul, 1, 10);
    EXPECT_EQ(Played(), Frames("RedFul", 0, 0) + Frames("RedFul", 5, 3));

    Show(form->RedFul, 0);
    form->AnimateToFrame(form->RedFul, 0, 10);
    // Frame 0 was already shown, so the list change adds no new picture to the record.
    EXPECT_EQ(Played(), Frames("RedFul", 4, 4));
    EXPECT_EQ(Took(), 10u);

    Show(form->YellowHalf, 1);
    form->AnimateToFrame(form->YellowHalf, 4, 10);
    EXPECT_EQ(Played(), Frames("YellowFul", 0, 0) + Frames("YellowFul", 3, 4));
}

TEST_F(Animation, TheDarkLampIsNotAKnownListSoTheCurrentListIsYellow) {
    Show(form->BlackLight, 2);
    EXPECT_EQ(form->CurrentIconList(), form->YellowFul);
    Show(form->BoomLight, 2);
    EXPECT_EQ(form->CurrentIconList(), form->BoomLight);
}

TEST_F(Animation, FromTheRestingLampTheWalkUsesTheStatesColour) {
    Show(form->DeTre, 1); // green resting lamp
    form->AnimateStateToFrame(2, 100);
    EXPECT_EQ(Played(), Frames("GreenFul", 0, 0) + Frames("GreenFul", 3, 2));
    EXPECT_EQ(Took(), 200u);

    Main::SharingState = 0;
    Show(form->DeTre, 0); // red resting lamp
    form->AnimateStateToFrame(2, 100);
    EXPECT_EQ(Played(), Frames("RedFul", 0, 0) + Frames("RedFul", 4, 2));
    EXPECT_EQ(Took(), 300u);
}

TEST_F(Animation, AStateWithoutALightListSkipsTheLightSteps) {
    Main::SharingState = 7;
    Show(form->DeTre, 3);
    form->AnimateStateToFrame(2, 10);
    // DeTre stays the list walked: its index 3 to the folded target 2.
    EXPECT_EQ(Played(), Frames("DeTre", 0, 0) + Frames("DeTre", 3, 2));
    EXPECT_EQ(form->StateList(7), nullptr);
}

TEST_F(Animation, CyclingShowsTheListInOrderUntilTheNextPlay) {
    form->StartCycling(form->YellowHalf, 100);
    std::vector<std::string> seen{Shown()};
    for (int i = 0; i < 5; ++i) {
        os.user.RunFor(100);
        seen.push_back(Shown());
    }
    EXPECT_EQ(seen, Frames("YellowHalf", 0, 3) + Frames("YellowHalf", 0, 1));
    form->PlayFrames(form->DeTre, 1, 1, 0);
    os.user.RunFor(500);
    EXPECT_EQ(Shown(), "DeTre[1]");
}

TEST_F(Animation, HoursOfPulsingLeaveTheNumberOfLiveIconsFlat) {
    form->StartCycling(form->YellowHalf, 100);
    os.user.RunFor(1000);
    const size_t live = os.user.LiveIconCount();
    os.user.RunFor(100 * 10000);
    EXPECT_EQ(os.user.LiveIconCount(), live);
}

} // namespace
