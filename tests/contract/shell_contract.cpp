// The notification area's answers to Shell_NotifyIcon as the program relies on them: one icon
// per window and id, a modify or delete only of an icon that is there, a record of the one
// size the program sends (learn.microsoft.com, Shell_NotifyIconW and NOTIFYICONDATAW).
#include <cstring>

#include "contract/contract.h"

using namespace plat;

CONTRACT_CASE(NotifyIconsAreAddedOnceAndChangedOnlyWhileThere) {
    auto& user = *world.Os().user;
    auto& shell = *world.Os().shell;
    const HWND window =
        user.CreateWindowEx(0, "Tarnwick contract", 0, 0, [&user](HWND h, UINT m, WPARAM w, LPARAM l) {
            return user.DefWindowProc(h, m, w, l);
        });
    check.Check(window != 0, "a window for the icon");
    NOTIFYICONDATA d{};
    d.cbSize = NOTIFYICONDATA_SIZE;
    d.hWnd = static_cast<uint32_t>(window);
    d.uID = 7;
    d.uFlags = NIF_MESSAGE | NIF_TIP;
    d.uCallbackMessage = 0x8001;
    std::strcpy(d.szTip, "Tarnwick contract");
    check.Equal(shell.Shell_NotifyIcon(NIM_ADD, &d), BOOL(1), "the icon added");
    check.Equal(shell.Shell_NotifyIcon(NIM_ADD, &d), BOOL(0), "the same window and id again");
    check.Equal(shell.Shell_NotifyIcon(NIM_MODIFY, &d), BOOL(1), "the icon there modified");
    NOTIFYICONDATA version = d;
    version.uVersion = NOTIFYICON_VERSION_4;
    check.Equal(shell.Shell_NotifyIcon(NIM_SETVERSION, &version), BOOL(1), "version 4 taken");
    NOTIFYICONDATA other = d;
    other.uID = 8;
    check.Equal(shell.Shell_NotifyIcon(NIM_MODIFY, &other), BOOL(0), "an id never added");
    check.Equal(shell.Shell_NotifyIcon(NIM_DELETE, &other), BOOL(0), "nor deleted");
    NOTIFYICONDATA small = d;
    small.cbSize = 100;
    check.Equal(shell.Shell_NotifyIcon(NIM_MODIFY, &small), BOOL(0), "a record of another size");
    check.Equal(shell.Shell_NotifyIcon(NIM_DELETE, &d), BOOL(1), "the icon deleted");
    check.Equal(shell.Shell_NotifyIcon(NIM_DELETE, &d), BOOL(0), "deleted once only");
    check.Equal(shell.Shell_NotifyIcon(NIM_MODIFY, &d), BOOL(0), "nor modified after");
    user.DestroyWindow(window);
}
