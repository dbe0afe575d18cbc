// The least a program with one notification icon needs: a window class, a hidden window, one
// icon with a tool tip and a message loop. scripts/footprint.sh measures it beside Tarnwick, so
// that what Wine itself costs a tray program is not counted against Tarnwick.
//   bare_tray.exe [SECONDS]     ends on WM_CLOSE, or after SECONDS (default 120)
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <cwchar>

namespace {

constexpr UINT kIconId = 1;
constexpr UINT kCallback = WM_APP + 1;
constexpr UINT_PTR kTimeoutTimer = 1;
UINT taskbarCreated = 0;

bool AddIcon(HWND window) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = kIconId;
    data.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
    data.uCallbackMessage = kCallback;
    data.hIcon = ::LoadIconW(nullptr, MAKEINTRESOURCEW(32512)); // IDI_APPLICATION
    std::wcsncpy(data.szTip, L"bare tray", sizeof data.szTip / sizeof data.szTip[0] - 1);
    return ::Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
}

void RemoveIcon(HWND window) {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = window;
    data.uID = kIconId;
    ::Shell_NotifyIconW(NIM_DELETE, &data);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        if (wParam == kTimeoutTimer) ::PostMessageW(window, WM_CLOSE, 0, 0);
        return 0;
    case WM_CLOSE:
        ::DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        RemoveIcon(window);
        ::PostQuitMessage(0);
        return 0;
    default:
        // A restarted shell forgets every icon; Tarnwick adds its own again, so this does too.
        if (taskbarCreated && message == taskbarCreated) {
            AddIcon(window);
            return 0;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    UINT seconds = 120;
    if (commandLine && *commandLine) {
        const long given = std::strtol(commandLine, nullptr, 10);
        if (given > 0 && given < 86400) seconds = static_cast<UINT>(given);
    }
    taskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = L"BareTrayWindow";
    if (!::RegisterClassExW(&wc)) return 1;
    HWND window = ::CreateWindowExW(0, wc.lpszClassName, L"bare tray", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                                    instance, nullptr);
    if (!window) return 1;
    if (!AddIcon(window)) return 1;
    ::SetTimer(window, kTimeoutTimer, seconds * 1000, nullptr);

    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}
