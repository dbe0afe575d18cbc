// Frame animations of the tray lamp. Every sequence blocks the main thread between frames.
#include "app/main_form.h"
#include "platform/platform.h"

namespace Main {

namespace {

// Frames 0, 1 and 7 of a colour list are the same pictures as 4, 3 and 5; walking between
// folded indexes stays inside the run of rising brightness 2..6.
int32_t Fold(int32_t frame) {
    if (frame == 7) frame = 5;
    if (frame == 1) frame = 3;
    if (frame == 0) frame = 4;
    return frame;
}

} // namespace

fw::TCustomImageList* TForm1::StateList(int32_t State) {
    switch (State) {
    case 0:
        return RedFul;
    case 1:
        return GreenFul;
    case 2:
        return YellowFul;
    default:
        return nullptr;
    }
}

void TForm1::PlayFrames(fw::TCustomImageList* List, int32_t From, int32_t To, int32_t Delay) {
    TrayIcon1->SetCycleIcons(false);
    TrayIcon1->SetIconList(List);
    TrayIcon1->SetIconIndex(From);
    TrayIcon1->RefreshIcon();
    const int32_t step = To > From ? 1 : -1;
    for (int32_t i = From;; i += step) {
        TrayIcon1->SetIconIndex(i);
        TrayIcon1->RefreshIcon();
        plat::Os().kernel->Sleep(static_cast<plat::DWORD>(Delay < 0 ? 0 : Delay));
        if (i == To) break;
    }
}

void TForm1::PlayCurrentFrames(int32_t From, int32_t To, int32_t Delay) {
    fw::TCustomImageList* current = CurrentIconList();
    PlayFrames(current, From, To, Delay);
}

fw::TCustomImageList* TForm1::CurrentIconList() {
    fw::TCustomImageList* shown = TrayIcon1->IconList();
    for (fw::TCustomImageList* known : {static_cast<fw::TCustomImageList*>(YellowFul),
                                        static_cast<fw::TCustomImageList*>(RedFul),
                                        static_cast<fw::TCustomImageList*>(GreenFul),
                                        static_cast<fw::TCustomImageList*>(YellowHalf),
                                        static_cast<fw::TCustomImageList*>(Boom),
                                        static_cast<fw::TCustomImageList*>(BoomLight),
                                        static_cast<fw::TCustomImageList*>(DeTre)})
        if (shown == known) return known;
    return YellowFul;
}

void TForm1::AnimateToFrame(fw::TCustomImageList* List, int32_t Target, int32_t Delay) {
    const int32_t current = TrayIcon1->IconIndex();
    if (List == YellowHalf) List = YellowFul;
    PlayFrames(List, Fold(current), Fold(Target), Delay);
}

void TForm1::AnimateStateToFrame(int32_t Target, int32_t Delay) {
    fw::TCustomImageList* list = CurrentIconList();
    if (list == DeTre)
        if (auto* light = StateList(SharingState)) list = light;
    AnimateToFrame(list, Target, Delay);
}

void TForm1::StartCycling(fw::TCustomImageList* List, uint32_t Interval) {
    TrayIcon1->SetIconList(List);
    TrayIcon1->SetCycleInterval(Interval);
    TrayIcon1->SetCycleIcons(true);
    TrayIcon1->RefreshIcon();
}

} // namespace Main
