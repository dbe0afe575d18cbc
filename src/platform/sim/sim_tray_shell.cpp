// The simulated notification area's versions and keyboard: how the shell reports what the user
// does to an icon, in the format of the version the icon asked for.
#include "platform/sim/sim_ui.h"

namespace sim {

using namespace plat;

namespace {

LPARAM MakeLong(UINT low, UINT high) {
    return static_cast<LPARAM>((low & 0xFFFFu) | ((high & 0xFFFFu) << 16));
}

} // namespace

void SimShell::PostVersioned(const SimAreaIcon& icon, UINT event, POINT at) {
    if (icon.Version >= NOTIFYICON_VERSION_4)
        user_.PostMessage(icon.Window, icon.CallbackMessage,
                          static_cast<WPARAM>(MakeLong(static_cast<UINT>(at.x), static_cast<UINT>(at.y))),
                          MakeLong(event, icon.Id));
    else
        user_.PostMessage(icon.Window, icon.CallbackMessage, icon.Id, event);
}

bool SimShell::KeyboardActivate(UINT uID) {
    const SimAreaIcon* icon = FindIcon(uID);
    if (!icon) return false;
    if (icon->Version >= NOTIFYICON_VERSION_4) {
        PostVersioned(*icon, NIN_KEYSELECT, anchor_);
    } else {
        PostVersioned(*icon, WM_RBUTTONDOWN, anchor_);
        PostVersioned(*icon, WM_RBUTTONUP, anchor_);
    }
    return true;
}

bool SimShell::KeyboardMenu(UINT uID) {
    const SimAreaIcon* icon = FindIcon(uID);
    if (!icon) return false;
    if (icon->Version >= NOTIFYICON_VERSION_4) {
        PostVersioned(*icon, WM_CONTEXTMENU, anchor_);
    } else {
        PostVersioned(*icon, WM_RBUTTONDOWN, anchor_);
        PostVersioned(*icon, WM_RBUTTONUP, anchor_);
    }
    return true;
}

} // namespace sim
