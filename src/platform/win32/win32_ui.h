#pragma once
// user32, gdi32 and shell32 as the portable code calls them. Free of windows.h.
#include "platform/ui.h"

namespace win32 {

class Win32User : public plat::IUser {
  public:
    plat::HWND CreateWindowEx(plat::DWORD dwExStyle, const char* lpWindowName, plat::DWORD dwStyle,
                              plat::HWND hWndParent, plat::WNDPROC lpfnWndProc) override;
    plat::BOOL DestroyWindow(plat::HWND hWnd) override;
    plat::BOOL IsWindow(plat::HWND hWnd) override;
    plat::LRESULT DefWindowProc(plat::HWND hWnd, plat::UINT Msg, plat::WPARAM wParam,
                                plat::LPARAM lParam) override;
    plat::WNDPROC GetWindowLong(plat::HWND hWnd, int32_t nIndex) override;
    plat::WNDPROC SetWindowLong(plat::HWND hWnd, int32_t nIndex, plat::WNDPROC dwNewLong) override;
    plat::LRESULT CallWindowProc(const plat::WNDPROC& lpPrevWndFunc, plat::HWND hWnd, plat::UINT Msg,
                                 plat::WPARAM wParam, plat::LPARAM lParam) override;
    plat::BOOL ShowWindow(plat::HWND hWnd, int32_t nCmdShow) override;
    plat::BOOL IsWindowVisible(plat::HWND hWnd) override;
    plat::BOOL SetForegroundWindow(plat::HWND hWnd) override;
    plat::BOOL SetWindowText(plat::HWND hWnd, const char* lpString) override;
    plat::BOOL EnableWindow(plat::HWND hWnd, plat::BOOL bEnable) override;
    plat::LRESULT SendMessage(plat::HWND hWnd, plat::UINT Msg, plat::WPARAM wParam,
                              plat::LPARAM lParam) override;
    plat::BOOL PostMessage(plat::HWND hWnd, plat::UINT Msg, plat::WPARAM wParam,
                           plat::LPARAM lParam) override;
    void PostQuitMessage(int32_t nExitCode) override;
    plat::BOOL GetMessage(plat::MSG* lpMsg, plat::HWND hWnd, plat::UINT wMsgFilterMin,
                          plat::UINT wMsgFilterMax) override;
    plat::BOOL PeekMessage(plat::MSG* lpMsg, plat::HWND hWnd, plat::UINT wMsgFilterMin,
                           plat::UINT wMsgFilterMax, plat::UINT wRemoveMsg) override;
    plat::BOOL TranslateMessage(const plat::MSG* lpMsg) override;
    plat::LRESULT DispatchMessage(const plat::MSG* lpMsg) override;
    plat::UINT RegisterWindowMessage(const char* lpString) override;
    plat::BOOL ChangeWindowMessageFilterEx(plat::HWND hWnd, plat::UINT message, plat::DWORD action) override;
    plat::UINT_PTR SetTimer(plat::HWND hWnd, plat::UINT_PTR nIDEvent, plat::UINT uElapse) override;
    plat::BOOL KillTimer(plat::HWND hWnd, plat::UINT_PTR uIDEvent) override;
    plat::BOOL GetCursorPos(plat::POINT* lpPoint) override;
    plat::SHORT GetAsyncKeyState(int32_t vKey) override;
    plat::UINT GetDoubleClickTime() override;
    int32_t GetSystemMetrics(int32_t nIndex) override;
    plat::UINT GetDpiForWindow(plat::HWND hwnd) override;
    int32_t GetSystemMetricsForDpi(int32_t nIndex, plat::UINT dpi) override;
    plat::BOOL SystemParametersInfo(plat::UINT uiAction, plat::UINT uiParam, void* pvParam,
                                    plat::UINT fWinIni) override;
    plat::DWORD GetSysColor(int32_t nIndex) override;
    plat::HMENU CreatePopupMenu() override;
    plat::BOOL AppendMenu(plat::HMENU hMenu, plat::UINT uFlags, plat::UINT_PTR uIDNewItem,
                          const char* lpNewItem) override;
    plat::BOOL SetMenuDefaultItem(plat::HMENU hMenu, plat::UINT uItem, plat::UINT fByPos) override;
    plat::BOOL TrackPopupMenu(plat::HMENU hMenu, plat::UINT uFlags, int32_t x, int32_t y, int32_t nReserved,
                              plat::HWND hWnd) override;
    plat::BOOL DestroyMenu(plat::HMENU hMenu) override;
    int32_t MessageBox(plat::HWND hWnd, const char* lpText, const char* lpCaption, plat::UINT uType) override;
    int32_t MessageBoxTimed(plat::HWND hWnd, const char* lpText, const char* lpCaption, plat::UINT uType,
                            plat::DWORD timeoutMs, int32_t timeoutAnswer) override;
    plat::HICON CreateIconFromImage(const plat::IconImage& image, const char* name) override;
    plat::HICON CopyIcon(plat::HICON hIcon) override;
    plat::BOOL DestroyIcon(plat::HICON hIcon) override;
    plat::HICON LoadIcon(plat::HINSTANCE hInstance, uintptr_t lpIconName) override;
};

class Win32Shell : public plat::IShell {
  public:
    // Copies the 488-byte record into the shell's structure of this build's bitness.
    plat::BOOL Shell_NotifyIcon(plat::DWORD dwMessage, const plat::NOTIFYICONDATA* lpData) override;
    plat::BOOL ShellExecuteEx(plat::SHELLEXECUTEINFO* info) override;
    intptr_t ShellExecute(plat::HWND hwnd, const char* lpOperation, const char* lpFile,
                          const char* lpParameters, const char* lpDirectory, int32_t nShowCmd) override;
    // version.dll is no KnownDLL: it is loaded at first use from the system folder only, so a
    // copy planted beside the program is never picked up.
    plat::DWORD GetFileVersionInfoSize(const char* lptstrFilename, plat::DWORD* lpdwHandle) override;
    plat::BOOL GetFileVersionInfo(const char* lptstrFilename, plat::DWORD dwHandle, plat::DWORD dwLen,
                                  void* lpData) override;
    plat::BOOL VerQueryValue(const void* pBlock, const char* lpSubBlock, void** lplpBuffer,
                             plat::UINT* puLen) override;
};

// Limits every later DLL load of the process to the system folder
// (SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)). The program entry calls it first
// thing. False when the system does not offer it.
bool RestrictDllSearchToSystem32();

} // namespace win32
