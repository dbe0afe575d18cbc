#pragma once
// Windows, messages, timers, menus, message boxes, icons and the shell, as the portable code
// calls them. Names and argument order follow user32/shell32; the types are our own.
#include <cstdint>
#include <functional>

#include "platform/image.h"
#include "platform/types.h"

namespace plat {

using SHORT = int16_t;
using UINT_PTR = uintptr_t;
using HINSTANCE = uintptr_t;

struct POINT {
    LONG x = 0;
    LONG y = 0;
};

struct RECT {
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;
};

struct MSG {
    HWND hwnd = 0;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    DWORD time = 0;
    POINT pt;
};

// A window procedure as a value: windows made through IUser carry one, and subclassing
// saves, replaces and calls on such values (GWL_WNDPROC).
using WNDPROC = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

// Window messages
inline constexpr UINT WM_NULL = 0x0000;
inline constexpr UINT WM_DESTROY = 0x0002;
inline constexpr UINT WM_SIZE = 0x0005;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_QUERYENDSESSION = 0x0011;
inline constexpr UINT WM_QUIT = 0x0012;
inline constexpr UINT WM_ENDSESSION = 0x0016;
inline constexpr UINT WM_SHOWWINDOW = 0x0018;
inline constexpr UINT WM_SYSCOLORCHANGE = 0x0015;
inline constexpr UINT WM_SETTINGCHANGE = 0x001A;
inline constexpr UINT WM_CONTEXTMENU = 0x007B;
inline constexpr UINT WM_DISPLAYCHANGE = 0x007E;
inline constexpr UINT WM_DPICHANGED = 0x02E0;
inline constexpr UINT WM_THEMECHANGED = 0x031A;
inline constexpr UINT WM_WINDOWPOSCHANGED = 0x0047;
inline constexpr UINT WM_NCDESTROY = 0x0082;
inline constexpr UINT WM_COMMAND = 0x0111;
inline constexpr UINT WM_SYSCOMMAND = 0x0112;
inline constexpr UINT WM_TIMER = 0x0113;
inline constexpr UINT WM_MOUSEMOVE = 0x0200;
inline constexpr UINT WM_LBUTTONDOWN = 0x0201;
inline constexpr UINT WM_LBUTTONUP = 0x0202;
inline constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
inline constexpr UINT WM_RBUTTONDOWN = 0x0204;
inline constexpr UINT WM_RBUTTONUP = 0x0205;
inline constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
inline constexpr UINT WM_MBUTTONDOWN = 0x0207;
inline constexpr UINT WM_MBUTTONUP = 0x0208;
inline constexpr UINT WM_MBUTTONDBLCLK = 0x0209;
inline constexpr UINT WM_USER = 0x0400;
// The shell's notifications of version 4 (and 0x402.. of balloons of every version).
inline constexpr UINT NIN_SELECT = 0x0400;
inline constexpr UINT NIN_KEYSELECT = 0x0401;
inline constexpr UINT NIN_BALLOONSHOW = 0x0402;
inline constexpr UINT NIN_BALLOONHIDE = 0x0403;
inline constexpr UINT NIN_BALLOONTIMEOUT = 0x0404;
inline constexpr UINT NIN_BALLOONUSERCLICK = 0x0405;
inline constexpr UINT WM_APP = 0x8000;

inline constexpr WPARAM SIZE_MINIMIZED = 1;
inline constexpr WPARAM SC_MINIMIZE = 0xF020;
inline constexpr WPARAM SC_RESTORE = 0xF120;
inline constexpr LPARAM SW_PARENTCLOSING = 1;

// Windows
inline constexpr HWND HWND_BROADCAST = 0xFFFF;
inline constexpr HWND HWND_MESSAGE = static_cast<HWND>(-3);
inline constexpr DWORD WS_POPUP = 0x80000000u;
inline constexpr DWORD WS_VISIBLE = 0x10000000u;
inline constexpr DWORD WS_CAPTION = 0x00C00000u;
inline constexpr DWORD WS_SYSMENU = 0x00080000u;
inline constexpr DWORD WS_EX_TOOLWINDOW = 0x00000080u;
inline constexpr int32_t GWL_WNDPROC = -4;
inline constexpr int32_t SW_HIDE = 0;
inline constexpr int32_t SW_SHOWNORMAL = 1;
inline constexpr DWORD SEE_MASK_NOCLOSEPROCESS = 0x00000040;
inline constexpr DWORD SEE_MASK_NOASYNC = 0x00000100;
inline constexpr DWORD SEE_MASK_FLAG_NO_UI = 0x00000400;

// The fields of SHELLEXECUTEINFO the program uses.
struct SHELLEXECUTEINFO {
    DWORD fMask = 0;
    HWND hwnd = 0;
    const char* lpVerb = nullptr;
    const char* lpFile = nullptr;
    const char* lpParameters = nullptr;
    const char* lpDirectory = nullptr;
    int32_t nShow = 0;
    HANDLE hProcess = 0; // out, with SEE_MASK_NOCLOSEPROCESS
};
inline constexpr int32_t SW_SHOWMINIMIZED = 2;
inline constexpr int32_t SW_SHOW = 5;
inline constexpr int32_t SW_MINIMIZE = 6;
inline constexpr int32_t SW_SHOWNA = 8;
inline constexpr int32_t SW_RESTORE = 9;
inline constexpr UINT PM_NOREMOVE = 0;
inline constexpr UINT PM_REMOVE = 1;
inline constexpr DWORD MSGFLT_ALLOW = 1;
inline constexpr DWORD MSGFLT_DISALLOW = 2;
inline constexpr DWORD ERROR_INVALID_WINDOW_HANDLE = 1400;
inline constexpr DWORD ERROR_INVALID_MENU_HANDLE = 1401;
inline constexpr DWORD ERROR_POPUP_ALREADY_ACTIVE = 1446;
inline constexpr DWORD ERROR_INVALID_CURSOR_HANDLE = 1402;
inline constexpr DWORD ERROR_INVALID_ICON_HANDLE = 1414;

// Keys and metrics
inline constexpr int32_t VK_SHIFT = 0x10;
inline constexpr int32_t VK_CONTROL = 0x11;
inline constexpr int32_t VK_MENU = 0x12;
inline constexpr int32_t SM_CXSMICON = 49;
inline constexpr int32_t SM_CYSMICON = 50;
inline constexpr UINT USER_DEFAULT_SCREEN_DPI = 96;

// Display settings (SystemParametersInfo) and system colours (GetSysColor, COLORREF 0x00BBGGRR)
inline constexpr UINT SPI_GETHIGHCONTRAST = 0x0042;
inline constexpr UINT SPI_SETHIGHCONTRAST = 0x0043;
inline constexpr DWORD HCF_HIGHCONTRASTON = 0x00000001;
struct HIGHCONTRAST {
    UINT cbSize = sizeof(HIGHCONTRAST);
    DWORD dwFlags = 0;
};
inline constexpr int32_t COLOR_WINDOW = 5;
inline constexpr int32_t COLOR_WINDOWTEXT = 8;
inline constexpr int32_t COLOR_HIGHLIGHT = 13;

// Menus
inline constexpr UINT MF_STRING = 0x0000;
inline constexpr UINT MF_GRAYED = 0x0001;
inline constexpr UINT MF_DISABLED = 0x0002;
inline constexpr UINT MF_CHECKED = 0x0008;
inline constexpr UINT MF_POPUP = 0x0010;
inline constexpr UINT MF_SEPARATOR = 0x0800;
inline constexpr UINT TPM_LEFTALIGN = 0x0000;
inline constexpr UINT TPM_RIGHTBUTTON = 0x0002;
inline constexpr UINT TPM_NONOTIFY = 0x0080;
inline constexpr UINT TPM_RETURNCMD = 0x0100;

// Message boxes
inline constexpr UINT MB_OK = 0x00000000;
inline constexpr UINT MB_OKCANCEL = 0x00000001;
inline constexpr UINT MB_YESNO = 0x00000004;
inline constexpr UINT MB_ICONERROR = 0x00000010;
inline constexpr UINT MB_ICONQUESTION = 0x00000020;
inline constexpr UINT MB_ICONWARNING = 0x00000030;
inline constexpr UINT MB_ICONINFORMATION = 0x00000040;
inline constexpr UINT MB_DEFBUTTON2 = 0x00000100;
inline constexpr UINT MB_TASKMODAL = 0x00002000;
inline constexpr UINT MB_SETFOREGROUND = 0x00010000;
inline constexpr UINT MB_TOPMOST = 0x00040000;
inline constexpr int32_t IDOK = 1;
inline constexpr int32_t IDCANCEL = 2;
inline constexpr int32_t IDYES = 6;
inline constexpr int32_t IDNO = 7;

// Stock icon number of LoadIcon (IDI_WINLOGO)
inline constexpr uintptr_t IDI_WINLOGO = 32517;

// Windows, messages, timers, menus, message boxes and icons (user32/gdi32).
class IUser {
  public:
    virtual ~IUser() = default;

    // Windows of the program's own window class: the procedure comes with the window.
    // hWndParent 0 makes a top-level window (it receives broadcasts), HWND_MESSAGE a
    // message-only one. WM_DESTROY and WM_NCDESTROY reach the procedure on DestroyWindow.
    virtual HWND CreateWindowEx(DWORD dwExStyle, const char* lpWindowName, DWORD dwStyle, HWND hWndParent,
                                WNDPROC lpfnWndProc) = 0;
    virtual BOOL DestroyWindow(HWND hWnd) = 0;
    virtual BOOL IsWindow(HWND hWnd) = 0;
    virtual LRESULT DefWindowProc(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) = 0;
    // nIndex GWL_WNDPROC only: the window's procedure, empty when hWnd is no window.
    virtual WNDPROC GetWindowLong(HWND hWnd, int32_t nIndex) = 0;
    // nIndex GWL_WNDPROC only: installs dwNewLong, returns the procedure it replaced (empty on failure).
    virtual WNDPROC SetWindowLong(HWND hWnd, int32_t nIndex, WNDPROC dwNewLong) = 0;
    virtual LRESULT CallWindowProc(const WNDPROC& lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam,
                                   LPARAM lParam) = 0;
    virtual BOOL ShowWindow(HWND hWnd, int32_t nCmdShow) = 0;
    virtual BOOL IsWindowVisible(HWND hWnd) = 0;
    virtual BOOL SetForegroundWindow(HWND hWnd) = 0;
    virtual BOOL SetWindowText(HWND hWnd, const char* lpString) = 0;
    virtual BOOL EnableWindow(HWND hWnd, BOOL bEnable) = 0;

    // Messages. PostMessage with HWND_BROADCAST posts to every top-level window.
    virtual LRESULT SendMessage(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) = 0;
    virtual BOOL PostMessage(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) = 0;
    virtual void PostQuitMessage(int32_t nExitCode) = 0;
    // 0 for WM_QUIT, -1 on failure, otherwise non-zero.
    virtual BOOL GetMessage(MSG* lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) = 0;
    virtual BOOL PeekMessage(MSG* lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax,
                             UINT wRemoveMsg) = 0;
    virtual BOOL TranslateMessage(const MSG* lpMsg) = 0;
    virtual LRESULT DispatchMessage(const MSG* lpMsg) = 0;
    virtual UINT RegisterWindowMessage(const char* lpString) = 0;
    // Lets message through the UIPI filter of an elevated process (user32, loaded at run time).
    virtual BOOL ChangeWindowMessageFilterEx(HWND hWnd, UINT message, DWORD action) = 0;

    // Timers without a timer procedure: expiries arrive as WM_TIMER with wParam = nIDEvent.
    virtual UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse) = 0;
    virtual BOOL KillTimer(HWND hWnd, UINT_PTR uIDEvent) = 0;

    // Input state
    virtual BOOL GetCursorPos(POINT* lpPoint) = 0;
    virtual SHORT GetAsyncKeyState(int32_t vKey) = 0;
    virtual UINT GetDoubleClickTime() = 0;
    virtual int32_t GetSystemMetrics(int32_t nIndex) = 0;
    // The scale of the window's monitor now (per-monitor awareness), and a metric at a scale;
    // 0 where the system has neither (before Windows 10 1607).
    virtual UINT GetDpiForWindow(HWND hwnd) = 0;
    virtual int32_t GetSystemMetricsForDpi(int32_t nIndex, UINT dpi) = 0;
    // uiAction SPI_GETHIGHCONTRAST only, pvParam a HIGHCONTRAST.
    virtual BOOL SystemParametersInfo(UINT uiAction, UINT uiParam, void* pvParam, UINT fWinIni) = 0;
    virtual DWORD GetSysColor(int32_t nIndex) = 0;

    // Popup menus. TrackPopupMenu returns when the menu has closed; with TPM_RETURNCMD its
    // result is the chosen item's id (0 when dismissed).
    virtual HMENU CreatePopupMenu() = 0;
    virtual BOOL AppendMenu(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, const char* lpNewItem) = 0;
    virtual BOOL SetMenuDefaultItem(HMENU hMenu, UINT uItem, UINT fByPos) = 0;
    virtual BOOL TrackPopupMenu(HMENU hMenu, UINT uFlags, int32_t x, int32_t y, int32_t nReserved,
                                HWND hWnd) = 0;
    virtual BOOL DestroyMenu(HMENU hMenu) = 0;

    // A modal box; returns the id of the button that closed it, 0 on failure.
    virtual int32_t MessageBox(HWND hWnd, const char* lpText, const char* lpCaption, UINT uType) = 0;
    // The same, answered with the button timeoutAnswer by itself when nobody has answered
    // within timeoutMs.
    virtual int32_t MessageBoxTimed(HWND hWnd, const char* lpText, const char* lpCaption, UINT uType,
                                    DWORD timeoutMs, int32_t timeoutAnswer) = 0;

    // Icons. name labels the icon for diagnostics only. 0 when the picture is not a valid icon.
    virtual HICON CreateIconFromImage(const IconImage& image, const char* name) = 0;
    virtual HICON CopyIcon(HICON hIcon) = 0;
    virtual BOOL DestroyIcon(HICON hIcon) = 0;
    // hInstance 0 and a numeric stock icon (IDI_WINLOGO); the result is shared, not owned.
    virtual HICON LoadIcon(HINSTANCE hInstance, uintptr_t lpIconName) = 0;
};

// Shell_NotifyIcon operations and flags
inline constexpr DWORD NIM_ADD = 0;
inline constexpr DWORD NIM_MODIFY = 1;
inline constexpr DWORD NIM_DELETE = 2;
inline constexpr DWORD NIM_SETVERSION = 4;
inline constexpr UINT NIF_MESSAGE = 1;
inline constexpr UINT NIF_ICON = 2;
inline constexpr UINT NIF_TIP = 4;
// With version 4 the shell shows the standard tool tip only when asked for.
inline constexpr UINT NIF_SHOWTIP = 0x80;
inline constexpr UINT NOTIFYICON_VERSION_4 = 4;
inline constexpr UINT NIF_INFO = 0x10; // a balloon: szInfo, szInfoTitle, dwInfoFlags
inline constexpr DWORD NIIF_INFO = 1;

// The shell's notification record in the 488-byte form of its ANSI version, little-endian,
// every field at its fixed offset, the texts in UTF-8 (the Win32 backend sends the wide
// record); handles are carried in 32 bits as Windows does across bitness.
struct NOTIFYICONDATA {
    DWORD cbSize;
    uint32_t hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    uint32_t hIcon;
    char szTip[128];
    DWORD dwState;
    DWORD dwStateMask;
    char szInfo[256];
    UINT uVersion; // uTimeout
    char szInfoTitle[64];
    DWORD dwInfoFlags;
};
static_assert(sizeof(NOTIFYICONDATA) == 488, "the shell's record is 488 bytes");

inline constexpr DWORD NOTIFYICONDATA_SIZE = 488;

// The fixed part of a version resource ("\" block of VerQueryValue).
struct VS_FIXEDFILEINFO {
    DWORD dwSignature;
    DWORD dwStrucVersion;
    DWORD dwFileVersionMS;
    DWORD dwFileVersionLS;
    DWORD dwProductVersionMS;
    DWORD dwProductVersionLS;
    DWORD dwFileFlagsMask;
    DWORD dwFileFlags;
    DWORD dwFileOS;
    DWORD dwFileType;
    DWORD dwFileSubtype;
    DWORD dwFileDateMS;
    DWORD dwFileDateLS;
};
static_assert(sizeof(VS_FIXEDFILEINFO) == 52);

// The shell: notification area, opening documents, file version resources.
class IShell {
  public:
    virtual ~IShell() = default;
    virtual BOOL Shell_NotifyIcon(DWORD dwMessage, const NOTIFYICONDATA* lpData) = 0;
    // Above 32 on success, an error number up to 32 otherwise.
    virtual intptr_t ShellExecute(HWND hwnd, const char* lpOperation, const char* lpFile,
                                  const char* lpParameters, const char* lpDirectory, int32_t nShowCmd) = 0;
    // With the verb "runas" the program starts elevated, after the UAC prompt when there is one;
    // a declined prompt fails with ERROR_CANCELLED.
    virtual BOOL ShellExecuteEx(SHELLEXECUTEINFO* info) = 0;
    // version.dll, loaded at run time from the system folder only.
    virtual DWORD GetFileVersionInfoSize(const char* lptstrFilename, DWORD* lpdwHandle) = 0;
    virtual BOOL GetFileVersionInfo(const char* lptstrFilename, DWORD dwHandle, DWORD dwLen,
                                    void* lpData) = 0;
    virtual BOOL VerQueryValue(const void* pBlock, const char* lpSubBlock, void** lplpBuffer,
                               UINT* puLen) = 0;
};

} // namespace plat
