// The lamp follows the display: its frames are drawn at the small-icon size of the monitor's
// scale now, and in the colours of a high-contrast theme while one is on.
#include <algorithm>

#include "app/main_form.h"
#include "platform/platform.h"

namespace Main {

namespace {

uint32_t RgbOf(plat::DWORD colorref) {
    return ((colorref & 0xFF) << 16) | (colorref & 0xFF00) | ((colorref >> 16) & 0xFF);
}

images::Theme CurrentTheme() {
    auto& user = *plat::Os().user;
    plat::HIGHCONTRAST hc;
    if (!user.SystemParametersInfo(plat::SPI_GETHIGHCONTRAST, sizeof hc, &hc, 0) ||
        (hc.dwFlags & plat::HCF_HIGHCONTRASTON) == 0)
        return {};
    return {true, RgbOf(user.GetSysColor(plat::COLOR_WINDOW)),
            RgbOf(user.GetSysColor(plat::COLOR_WINDOWTEXT)), RgbOf(user.GetSysColor(plat::COLOR_HIGHLIGHT))};
}

// The scale of the monitor now, where the system tells it per monitor; otherwise the scale of
// the logon, which is all an older Windows knows.
int32_t CurrentSmallIconSize() {
    auto& user = *plat::Os().user;
    const plat::HWND window = fw::Application ? fw::Application->Handle() : 0;
    const plat::UINT dpi = window != 0 ? user.GetDpiForWindow(window) : 0;
    int32_t asked = dpi != 0 ? user.GetSystemMetricsForDpi(plat::SM_CXSMICON, dpi) : 0;
    if (asked <= 0) asked = user.GetSystemMetrics(plat::SM_CXSMICON);
    return asked <= 0 ? images::MinSize : std::clamp(asked, images::MinSize, images::MaxSize);
}

} // namespace

bool TForm1::DrawImageLists() {
    const int32_t size = CurrentSmallIconSize();
    const images::Theme theme = CurrentTheme();
    if (size == frameSize_ && theme == frameTheme_) return false;
    frameSize_ = size;
    frameTheme_ = theme;
    const std::pair<fw::TImageList*, images::FrameList> lists[] = {
        {DeTre, images::FrameList::DeTre},         {YellowHalf, images::FrameList::YellowHalf},
        {YellowFul, images::FrameList::YellowFul}, {RedFul, images::FrameList::RedFul},
        {GreenFul, images::FrameList::GreenFul},   {Boom, images::FrameList::Boom},
        {BoomLight, images::FrameList::BoomLight}, {BlackLight, images::FrameList::BlackLight}};
    for (auto [list, frames] : lists)
        list->SetImages(images::DrawFrames(frames, size, theme));
    // The same list and index in the new pictures; cycling keeps its timer, so a running
    // pulse goes on at its next step.
    if (TrayIcon1 && TrayIcon1->IconList()) TrayIcon1->SetIconIndex(TrayIcon1->IconIndex());
    return true;
}

bool TForm1::DisplayMessage(fw::TMessage& Message) {
    switch (Message.Msg) {
    case plat::WM_DPICHANGED:
    case plat::WM_SETTINGCHANGE:
    case plat::WM_DISPLAYCHANGE:
    case plat::WM_SYSCOLORCHANGE:
    case plat::WM_THEMECHANGED:
        DrawImageLists();
        break;
    default:
        // A new taskbar may sit on a monitor of another scale.
        if (TrayIcon::TaskbarCreatedMessage != 0 && Message.Msg == TrayIcon::TaskbarCreatedMessage)
            DrawImageLists();
        break;
    }
    return false;
}

} // namespace Main
