#include "platform/win32/win32_ui.h"

#include "platform/win32/win32_system_dll.h"
#include "platform/win32/win32_text.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace win32 {
namespace {

const wchar_t* const kWindowClass = L"TarnwickWindow";

HWND H(plat::HWND h) {
    return reinterpret_cast<HWND>(h);
}
plat::HWND P(HWND h) {
    return reinterpret_cast<plat::HWND>(h);
}
HMENU M(plat::HMENU h) {
    return reinterpret_cast<HMENU>(h);
}
HICON I(plat::HICON h) {
    return reinterpret_cast<HICON>(h);
}
// Handles cross bitness as 32-bit values that widen with their sign.
HWND FromRecord32(uint32_t v) {
    return reinterpret_cast<HWND>(static_cast<intptr_t>(static_cast<int32_t>(v)));
}
HICON IconFromRecord32(uint32_t v) {
    return reinterpret_cast<HICON>(static_cast<intptr_t>(static_cast<int32_t>(v)));
}

// The procedures of the windows made through Win32User, and of foreign windows it subclassed.
// Touched on the user-interface thread only, as the windows are.
std::unordered_map<HWND, std::shared_ptr<plat::WNDPROC>>& Procedures() {
    static std::unordered_map<HWND, std::shared_ptr<plat::WNDPROC>> procs;
    return procs;
}

plat::WNDPROC NativeProcedure(::WNDPROC native) {
    return [native](plat::HWND h, plat::UINT m, plat::WPARAM w, plat::LPARAM l) -> plat::LRESULT {
        return ::CallWindowProcW(native, H(h), m, w, l);
    };
}

LRESULT CALLBACK Route(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto& procs = Procedures();
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        if (auto* proc = static_cast<plat::WNDPROC*>(create->lpCreateParams))
            procs[hwnd] = std::make_shared<plat::WNDPROC>(std::move(*proc));
    }
    auto it = procs.find(hwnd);
    if (it == procs.end()) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    // The holder keeps the procedure alive even if it replaces itself while it runs.
    std::shared_ptr<plat::WNDPROC> proc = it->second;
    LRESULT result = 0;
    try {
        result = (*proc)(P(hwnd), message, wParam, lParam);
    } catch (...) {
        // No exception may unwind through the system's dispatch code.
        result = 0;
    }
    if (message == WM_NCDESTROY) procs.erase(hwnd);
    return result;
}

bool EnsureWindowClass() {
    static const bool registered = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Route;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = kWindowClass;
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        return ::RegisterClassW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    return registered;
}

void ToNative(const plat::MSG& in, ::MSG& out) {
    out.hwnd = H(in.hwnd);
    out.message = in.message;
    out.wParam = in.wParam;
    out.lParam = in.lParam;
    out.time = in.time;
    out.pt.x = in.pt.x;
    out.pt.y = in.pt.y;
}

void FromNative(const ::MSG& in, plat::MSG& out) {
    out.hwnd = P(in.hwnd);
    out.message = in.message;
    out.wParam = in.wParam;
    out.lParam = in.lParam;
    out.time = in.time;
    out.pt.x = in.pt.x;
    out.pt.y = in.pt.y;
}

// version.dll, loaded from the system folder only.
struct VersionApi {
    using SizeFn = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
    using InfoFn = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);
    using QueryFn = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);
    SizeFn size = nullptr;
    InfoFn info = nullptr;
    QueryFn query = nullptr;

    static const VersionApi& Get() {
        static const VersionApi api = Load();
        return api;
    }

  private:
    static VersionApi Load() {
        VersionApi api;
        HMODULE module = LoadSystemDll(L"version.dll");
        if (!module) return api;
        api.size = reinterpret_cast<SizeFn>(
            reinterpret_cast<void (*)()>(::GetProcAddress(module, "GetFileVersionInfoSizeW")));
        api.info = reinterpret_cast<InfoFn>(
            reinterpret_cast<void (*)()>(::GetProcAddress(module, "GetFileVersionInfoW")));
        api.query = reinterpret_cast<QueryFn>(
            reinterpret_cast<void (*)()>(::GetProcAddress(module, "VerQueryValueW")));
        return api;
    }
};

template <typename Fn> Fn User32Function(const char* name) {
    HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    if (!user32) return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(::GetProcAddress(user32, name)));
}

} // namespace

// ---- Windows ----

plat::HWND Win32User::CreateWindowEx(plat::DWORD dwExStyle, const char* lpWindowName, plat::DWORD dwStyle,
                                     plat::HWND hWndParent, plat::WNDPROC lpfnWndProc) {
    if (!lpfnWndProc || !EnsureWindowClass()) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // Handed to the window at WM_NCCREATE; whatever is left is ours to free.
    std::wstring title;
    if (!Widen(lpWindowName ? lpWindowName : "", title)) return 0;
    auto proc = std::make_unique<plat::WNDPROC>(std::move(lpfnWndProc));
    HWND h = ::CreateWindowExW(dwExStyle, kWindowClass, title.c_str(), dwStyle, 0, 0, 0, 0, H(hWndParent),
                               nullptr, ::GetModuleHandleW(nullptr), proc.get());
    return P(h);
}

plat::BOOL Win32User::DestroyWindow(plat::HWND hWnd) {
    return ::DestroyWindow(H(hWnd));
}

plat::BOOL Win32User::IsWindow(plat::HWND hWnd) {
    return ::IsWindow(H(hWnd));
}

plat::LRESULT Win32User::DefWindowProc(plat::HWND hWnd, plat::UINT Msg, plat::WPARAM wParam,
                                       plat::LPARAM lParam) {
    return ::DefWindowProcW(H(hWnd), Msg, wParam, lParam);
}

plat::WNDPROC Win32User::GetWindowLong(plat::HWND hWnd, int32_t nIndex) {
    if (nIndex != plat::GWL_WNDPROC) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return {};
    }
    auto it = Procedures().find(H(hWnd));
    if (it != Procedures().end()) return *it->second;
    const auto native = reinterpret_cast<::WNDPROC>(::GetWindowLongPtrW(H(hWnd), GWLP_WNDPROC));
    if (!native) return {};
    return NativeProcedure(native);
}

plat::WNDPROC Win32User::SetWindowLong(plat::HWND hWnd, int32_t nIndex, plat::WNDPROC dwNewLong) {
    if (nIndex != plat::GWL_WNDPROC || !dwNewLong || !::IsWindow(H(hWnd))) {
        ::SetLastError(nIndex != plat::GWL_WNDPROC || !dwNewLong ? ERROR_INVALID_PARAMETER
                                                                 : ERROR_INVALID_WINDOW_HANDLE);
        return {};
    }
    auto& procs = Procedures();
    auto it = procs.find(H(hWnd));
    if (it != procs.end()) {
        plat::WNDPROC old = *it->second;
        it->second = std::make_shared<plat::WNDPROC>(std::move(dwNewLong));
        return old;
    }
    // A window of another class: route it through our procedure from now on.
    const auto native = reinterpret_cast<::WNDPROC>(
        ::SetWindowLongPtrW(H(hWnd), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Route)));
    if (!native) return {};
    procs[H(hWnd)] = std::make_shared<plat::WNDPROC>(std::move(dwNewLong));
    return NativeProcedure(native);
}

plat::LRESULT Win32User::CallWindowProc(const plat::WNDPROC& lpPrevWndFunc, plat::HWND hWnd, plat::UINT Msg,
                                        plat::WPARAM wParam, plat::LPARAM lParam) {
    if (!lpPrevWndFunc) return ::DefWindowProcW(H(hWnd), Msg, wParam, lParam);
    return lpPrevWndFunc(hWnd, Msg, wParam, lParam);
}

plat::BOOL Win32User::ShowWindow(plat::HWND hWnd, int32_t nCmdShow) {
    return ::ShowWindow(H(hWnd), nCmdShow);
}

plat::BOOL Win32User::IsWindowVisible(plat::HWND hWnd) {
    return ::IsWindowVisible(H(hWnd));
}

plat::BOOL Win32User::SetForegroundWindow(plat::HWND hWnd) {
    return ::SetForegroundWindow(H(hWnd));
}

plat::BOOL Win32User::SetWindowText(plat::HWND hWnd, const char* lpString) {
    const WideArg text(lpString);
    return text.ok() && ::SetWindowTextW(H(hWnd), text.get());
}

plat::BOOL Win32User::EnableWindow(plat::HWND hWnd, plat::BOOL bEnable) {
    return ::EnableWindow(H(hWnd), bEnable);
}

// ---- Messages ----

plat::LRESULT Win32User::SendMessage(plat::HWND hWnd, plat::UINT Msg, plat::WPARAM wParam,
                                     plat::LPARAM lParam) {
    return ::SendMessageW(H(hWnd), Msg, wParam, lParam);
}

plat::BOOL Win32User::PostMessage(plat::HWND hWnd, plat::UINT Msg, plat::WPARAM wParam, plat::LPARAM lParam) {
    return ::PostMessageW(H(hWnd), Msg, wParam, lParam);
}

void Win32User::PostQuitMessage(int32_t nExitCode) {
    ::PostQuitMessage(nExitCode);
}

plat::BOOL Win32User::GetMessage(plat::MSG* lpMsg, plat::HWND hWnd, plat::UINT wMsgFilterMin,
                                 plat::UINT wMsgFilterMax) {
    if (!lpMsg) return -1;
    ::MSG m{};
    const BOOL got = ::GetMessageW(&m, H(hWnd), wMsgFilterMin, wMsgFilterMax);
    if (got != -1) FromNative(m, *lpMsg);
    return got;
}

plat::BOOL Win32User::PeekMessage(plat::MSG* lpMsg, plat::HWND hWnd, plat::UINT wMsgFilterMin,
                                  plat::UINT wMsgFilterMax, plat::UINT wRemoveMsg) {
    if (!lpMsg) return 0;
    ::MSG m{};
    const BOOL got = ::PeekMessageW(&m, H(hWnd), wMsgFilterMin, wMsgFilterMax, wRemoveMsg);
    if (got) FromNative(m, *lpMsg);
    return got;
}

plat::BOOL Win32User::TranslateMessage(const plat::MSG* lpMsg) {
    if (!lpMsg) return 0;
    ::MSG m;
    ToNative(*lpMsg, m);
    return ::TranslateMessage(&m);
}

plat::LRESULT Win32User::DispatchMessage(const plat::MSG* lpMsg) {
    if (!lpMsg) return 0;
    ::MSG m;
    ToNative(*lpMsg, m);
    return ::DispatchMessageW(&m);
}

plat::UINT Win32User::RegisterWindowMessage(const char* lpString) {
    const WideArg name(lpString);
    return name.ok() ? ::RegisterWindowMessageW(name.get()) : 0;
}

plat::BOOL Win32User::ChangeWindowMessageFilterEx(plat::HWND hWnd, plat::UINT message, plat::DWORD action) {
    // Windows 7 and later; looked up at run time so that the program still starts without it.
    using Fn = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
    static const Fn filter = User32Function<Fn>("ChangeWindowMessageFilterEx");
    if (!filter) {
        ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return 0;
    }
    return filter(H(hWnd), message, action, nullptr);
}

// ---- Timers and input ----

plat::UINT_PTR Win32User::SetTimer(plat::HWND hWnd, plat::UINT_PTR nIDEvent, plat::UINT uElapse) {
    return ::SetTimer(H(hWnd), nIDEvent, uElapse, nullptr);
}

plat::BOOL Win32User::KillTimer(plat::HWND hWnd, plat::UINT_PTR uIDEvent) {
    return ::KillTimer(H(hWnd), uIDEvent);
}

plat::BOOL Win32User::GetCursorPos(plat::POINT* lpPoint) {
    if (!lpPoint) return 0;
    ::POINT p{};
    if (!::GetCursorPos(&p)) return 0;
    lpPoint->x = p.x;
    lpPoint->y = p.y;
    return 1;
}

plat::SHORT Win32User::GetAsyncKeyState(int32_t vKey) {
    return ::GetAsyncKeyState(vKey);
}

plat::UINT Win32User::GetDoubleClickTime() {
    return ::GetDoubleClickTime();
}

int32_t Win32User::GetSystemMetrics(int32_t nIndex) {
    return ::GetSystemMetrics(nIndex);
}

// Windows 10 1607 and later; looked up at run time so that the program starts on older ones.
plat::UINT Win32User::GetDpiForWindow(plat::HWND hwnd) {
    using Fn = UINT(WINAPI*)(HWND);
    static const Fn get = User32Function<Fn>("GetDpiForWindow");
    return get ? get(H(hwnd)) : 0;
}

int32_t Win32User::GetSystemMetricsForDpi(int32_t nIndex, plat::UINT dpi) {
    using Fn = int(WINAPI*)(int, UINT);
    static const Fn get = User32Function<Fn>("GetSystemMetricsForDpi");
    return get ? get(nIndex, dpi) : 0;
}

plat::BOOL Win32User::SystemParametersInfo(plat::UINT uiAction, plat::UINT, void* pvParam,
                                           plat::UINT fWinIni) {
    if (uiAction != SPI_GETHIGHCONTRAST || !pvParam) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    ::HIGHCONTRASTW native{};
    native.cbSize = sizeof native;
    if (!::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof native, &native, fWinIni)) return 0;
    static_cast<plat::HIGHCONTRAST*>(pvParam)->dwFlags = native.dwFlags;
    return 1;
}

plat::DWORD Win32User::GetSysColor(int32_t nIndex) {
    return ::GetSysColor(nIndex);
}

// ---- Menus and message boxes ----

plat::HMENU Win32User::CreatePopupMenu() {
    return reinterpret_cast<plat::HMENU>(::CreatePopupMenu());
}

plat::BOOL Win32User::AppendMenu(plat::HMENU hMenu, plat::UINT uFlags, plat::UINT_PTR uIDNewItem,
                                 const char* lpNewItem) {
    // Without MF_STRING's text (a separator) the item carries no string.
    const WideArg text((uFlags & (MF_SEPARATOR | MF_BITMAP | MF_OWNERDRAW)) ? nullptr : lpNewItem);
    if (!text.ok()) return FALSE;
    return ::AppendMenuW(M(hMenu), uFlags, uIDNewItem, text.get());
}

plat::BOOL Win32User::SetMenuDefaultItem(plat::HMENU hMenu, plat::UINT uItem, plat::UINT fByPos) {
    return ::SetMenuDefaultItem(M(hMenu), uItem, fByPos);
}

plat::BOOL Win32User::TrackPopupMenu(plat::HMENU hMenu, plat::UINT uFlags, int32_t x, int32_t y,
                                     int32_t nReserved, plat::HWND hWnd) {
    return ::TrackPopupMenu(M(hMenu), uFlags, x, y, nReserved, H(hWnd), nullptr);
}

plat::BOOL Win32User::DestroyMenu(plat::HMENU hMenu) {
    return ::DestroyMenu(M(hMenu));
}

int32_t Win32User::MessageBox(plat::HWND hWnd, const char* lpText, const char* lpCaption, plat::UINT uType) {
    const WideArg text(lpText), caption(lpCaption);
    if (!text.ok() || !caption.ok()) return 0;
    return ::MessageBoxW(H(hWnd), text.get(), caption.get(), uType);
}

namespace {

// The box this thread shows, answered by a click on the given button when its time is up:
// documented calls only (a thread timer, which the box's own loop dispatches, and BM_CLICK).
thread_local int32_t timedAnswer = 0;

BOOL CALLBACK ClickTimedAnswer(HWND window, LPARAM) {
    wchar_t name[16] = {};
    if (::GetClassNameW(window, name, 16) && std::wcscmp(name, L"#32770") == 0) {
        if (HWND button = ::GetDlgItem(window, timedAnswer)) {
            ::SendMessageW(button, BM_CLICK, 0, 0);
            return FALSE;
        }
    }
    return TRUE;
}

void CALLBACK TimedBoxRanOut(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    ::EnumThreadWindows(::GetCurrentThreadId(), ClickTimedAnswer, 0);
}

} // namespace

int32_t Win32User::MessageBoxTimed(plat::HWND hWnd, const char* lpText, const char* lpCaption, plat::UINT uType,
                                   plat::DWORD timeoutMs, int32_t timeoutAnswer) {
    const WideArg text(lpText), caption(lpCaption);
    if (!text.ok() || !caption.ok()) return 0;
    timedAnswer = timeoutAnswer;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, timeoutMs, TimedBoxRanOut);
    const int answer = ::MessageBoxW(H(hWnd), text.get(), caption.get(), uType);
    if (timer) ::KillTimer(nullptr, timer);
    return answer;
}

// ---- Icons ----

plat::HICON Win32User::CreateIconFromImage(const plat::IconImage& image, const char*) {
    const size_t pixels =
        image.Empty() ? 0 : static_cast<size_t>(image.Width) * static_cast<size_t>(image.Height);
    if (pixels == 0 || image.Width > 256 || image.Height > 256 || image.Pixels.size() != pixels ||
        (!image.Mask.empty() && image.Mask.size() != pixels)) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const auto transparent = [&](size_t i) { return !image.Mask.empty() && image.Mask[i] != 0; };

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = image.Width;
    info.bmiHeader.biHeight = -image.Height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = ::GetDC(nullptr);
    HBITMAP colour = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ::ReleaseDC(nullptr, screen);
    if (!colour || !bits) {
        if (colour) ::DeleteObject(colour);
        return 0;
    }
    auto* out = static_cast<uint32_t*>(bits);
    for (size_t i = 0; i < pixels; ++i) {
        uint32_t p = image.Pixels[i];
        // Transparent pixels are black in the colour plane; an opaque pixel given without
        // alpha is fully opaque, so that the shell does not treat it as see-through.
        if (transparent(i))
            p = 0;
        else if ((p >> 24) == 0)
            p |= 0xFF000000u;
        out[i] = p;
    }
    const size_t rowBytes = ((static_cast<size_t>(image.Width) + 15) / 16) * 2; // word-aligned rows
    std::vector<uint8_t> maskBits(rowBytes * static_cast<size_t>(image.Height), 0);
    for (int32_t y = 0; y < image.Height; ++y)
        for (int32_t x = 0; x < image.Width; ++x)
            if (transparent(static_cast<size_t>(y) * static_cast<size_t>(image.Width) +
                            static_cast<size_t>(x)))
                maskBits[static_cast<size_t>(y) * rowBytes + static_cast<size_t>(x) / 8] |=
                    static_cast<uint8_t>(0x80u >> (x % 8));
    HBITMAP mask = ::CreateBitmap(image.Width, image.Height, 1, 1, maskBits.data());
    HICON icon = nullptr;
    if (mask) {
        ICONINFO ii{};
        ii.fIcon = TRUE;
        ii.hbmMask = mask;
        ii.hbmColor = colour;
        icon = ::CreateIconIndirect(&ii);
        ::DeleteObject(mask);
    }
    ::DeleteObject(colour);
    return reinterpret_cast<plat::HICON>(icon);
}

plat::HICON Win32User::CopyIcon(plat::HICON hIcon) {
    return reinterpret_cast<plat::HICON>(::CopyIcon(I(hIcon)));
}

plat::BOOL Win32User::DestroyIcon(plat::HICON hIcon) {
    return ::DestroyIcon(I(hIcon));
}

plat::HICON Win32User::LoadIcon(plat::HINSTANCE hInstance, uintptr_t lpIconName) {
    return reinterpret_cast<plat::HICON>(
        ::LoadIconW(reinterpret_cast<HINSTANCE>(hInstance), MAKEINTRESOURCEW(static_cast<WORD>(lpIconName))));
}

// ---- Shell ----

namespace {

// A UTF-8 field of the portable record into the shell's UTF-16 one; the portable field is never
// longer in characters than in bytes, so it always fits.
template <size_t N, size_t M> bool WidenField(const char (&in)[N], wchar_t (&out)[M]) {
    static_assert(M >= N, "the shell's field holds every character of ours");
    std::wstring text;
    if (!Widen({in, strnlen(in, N)}, text)) return false;
    std::memset(out, 0, sizeof out);
    std::copy_n(text.data(), std::min(text.size(), M - 1), out);
    return true;
}

} // namespace

plat::BOOL Win32Shell::Shell_NotifyIcon(plat::DWORD dwMessage, const plat::NOTIFYICONDATA* lpData) {
    if (!lpData || lpData->cbSize != plat::NOTIFYICONDATA_SIZE) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // The whole record of this Windows: version 4 and NIF_SHOWTIP are taken only with it.
    ::NOTIFYICONDATAW n{};
    n.cbSize = sizeof n;
    n.hWnd = FromRecord32(lpData->hWnd);
    n.uID = lpData->uID;
    n.uFlags = lpData->uFlags;
    n.uCallbackMessage = lpData->uCallbackMessage;
    n.hIcon = IconFromRecord32(lpData->hIcon);
    n.dwState = lpData->dwState;
    n.dwStateMask = lpData->dwStateMask;
    n.uVersion = lpData->uVersion;
    n.dwInfoFlags = lpData->dwInfoFlags;
    if (!WidenField(lpData->szTip, n.szTip) || !WidenField(lpData->szInfo, n.szInfo) ||
        !WidenField(lpData->szInfoTitle, n.szInfoTitle))
        return 0;
    return ::Shell_NotifyIconW(dwMessage, &n);
}

intptr_t Win32Shell::ShellExecute(plat::HWND hwnd, const char* lpOperation, const char* lpFile,
                                  const char* lpParameters, const char* lpDirectory, int32_t nShowCmd) {
    const WideArg operation(lpOperation), file(lpFile), parameters(lpParameters), directory(lpDirectory);
    if (!operation.ok() || !file.ok() || !parameters.ok() || !directory.ok()) return SE_ERR_FNF;
    return reinterpret_cast<intptr_t>(
        ::ShellExecuteW(H(hwnd), operation.get(), file.get(), parameters.get(), directory.get(), nShowCmd));
}

plat::BOOL Win32Shell::ShellExecuteEx(plat::SHELLEXECUTEINFO* info) {
    if (!info) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const WideArg verb(info->lpVerb), file(info->lpFile), parameters(info->lpParameters),
        directory(info->lpDirectory);
    if (!verb.ok() || !file.ok() || !parameters.ok() || !directory.ok()) return FALSE;
    ::SHELLEXECUTEINFOW native{};
    native.cbSize = sizeof native;
    native.fMask = info->fMask;
    native.hwnd = H(info->hwnd);
    native.lpVerb = verb.get();
    native.lpFile = file.get();
    native.lpParameters = parameters.get();
    native.lpDirectory = directory.get();
    native.nShow = info->nShow;
    // The shell may hand the launch to its extensions, which need COM on this thread.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const BOOL ok = ::ShellExecuteExW(&native);
    const DWORD error = ::GetLastError();
    if (SUCCEEDED(com)) ::CoUninitialize();
    ::SetLastError(error);
    info->hProcess = reinterpret_cast<plat::HANDLE>(native.hProcess);
    return ok;
}

plat::DWORD Win32Shell::GetFileVersionInfoSize(const char* lptstrFilename, plat::DWORD* lpdwHandle) {
    const auto& api = VersionApi::Get();
    if (!api.size) {
        ::SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    const WideArg file(lptstrFilename);
    if (!file.ok()) return 0;
    DWORD handle = 0;
    const DWORD size = api.size(file.get(), &handle);
    if (lpdwHandle) *lpdwHandle = handle;
    return size;
}

plat::BOOL Win32Shell::GetFileVersionInfo(const char* lptstrFilename, plat::DWORD dwHandle, plat::DWORD dwLen,
                                          void* lpData) {
    const auto& api = VersionApi::Get();
    if (!api.info) {
        ::SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    const WideArg file(lptstrFilename);
    return file.ok() && api.info(file.get(), dwHandle, dwLen, lpData);
}

plat::BOOL Win32Shell::VerQueryValue(const void* pBlock, const char* lpSubBlock, void** lplpBuffer,
                                     plat::UINT* puLen) {
    const auto& api = VersionApi::Get();
    if (!api.query) {
        ::SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    const WideArg block(lpSubBlock);
    if (!block.ok()) return 0;
    UINT length = 0;
    const BOOL ok = api.query(pBlock, block.get(), lplpBuffer, &length);
    if (puLen) *puLen = length;
    return ok;
}

bool RestrictDllSearchToSystem32() {
    using Fn = BOOL(WINAPI*)(DWORD);
    HMODULE kernel32 = ::GetModuleHandleW(L"kernel32.dll");
    const auto set = kernel32 ? reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(
                                    ::GetProcAddress(kernel32, "SetDefaultDllDirectories")))
                              : nullptr;
    return set && set(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

} // namespace win32
