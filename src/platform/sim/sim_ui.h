#pragma once
// Simulated windows, message queue, timers, menus, message boxes, icons and shell, all in the
// virtual time of the simulated kernel. Tests drive it with the pump calls (RunUntilIdle,
// RunFor) and inject what a user or Explorer would do.
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/sim/sim_kernel.h"
#include "platform/ui.h"

namespace sim {

// ASCII lower case, as the system compares names; the text of a fixed field up to its NUL.
inline std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}
inline std::string BoundedString(const char* p, size_t max) {
    size_t n = 0;
    while (n < max && p[n] != '\0')
        ++n;
    return std::string(p, n);
}

// One item of a popup menu as it was on screen (hidden items are not built into a menu).
struct SimMenuItem {
    plat::UINT_PTR Id = 0;
    std::string Caption;
    bool Enabled = true;
    bool Checked = false;
    bool Default = false;
    bool Separator = false;
    std::vector<SimMenuItem> SubItems; // for an item that opens a submenu
};

struct SimPopup {
    int32_t X = 0;
    int32_t Y = 0;
    plat::HWND Owner = 0;
    plat::UINT Flags = 0;
    uint64_t Time = 0;
    std::vector<SimMenuItem> Items;
    // Windows closes a menu on a click elsewhere only when its owner was the foreground
    // window as it opened; otherwise it stays on screen.
    bool ClosesOnClickOutside = false;
    // The item with this caption, or null.
    const SimMenuItem* Find(const std::string& caption) const;
    std::vector<std::string> Captions() const;
};

struct SimMessageBox {
    plat::HWND Owner = 0;
    std::string Text;
    std::string Caption;
    plat::UINT Type = 0;
    uint64_t Time = 0;
    // A box that answers itself after this long (0: it waits for good).
    plat::DWORD TimeoutMs = 0;
};

class SimUser : public plat::IUser {
  public:
    explicit SimUser(SimKernel& kernel);

    // IUser
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
    plat::UINT GetDoubleClickTime() override { return doubleClickTime_; }
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

    // ---- Pumping, in virtual time ----
    // Dispatches every message, due timer, due scheduled action and worker completion that
    // is deliverable now, without moving the clock. Returns how many were handled. A
    // retrieved WM_QUIT stops the pump and is remembered (QuitReceived).
    size_t RunUntilIdle();
    // Moves the clock forward by ms, stopping at each timer expiry and scheduled action on the
    // way and dispatching everything due there.
    void RunFor(uint64_t ms);
    // Runs action from the message loop once the clock has reached time (absolute ms).
    void At(uint64_t time, std::function<void()> action);
    void After(uint64_t ms, std::function<void()> action) {
        At(kernel_.GetTickCount64() + ms, std::move(action));
    }
    // Called at every pump (GetMessage, PeekMessage, RunUntilIdle): brings worker
    // completions to the main thread. busy answers whether a worker may still complete.
    void SetPumpHook(std::function<void()> runPending, std::function<bool()> busy = {});
    // A blocking GetMessage that would move the clock past this time (absolute ms) throws
    // instead, so that a loop nobody ends fails the test rather than spinning for ever.
    void SetTimeLimit(uint64_t time) { timeLimit_ = time; }
    bool QuitReceived() const { return quitReceived_; }
    int32_t QuitCode() const { return quitCode_; }
    bool QuitPosted() const { return quitPosted_; }
    // A new process on the same desktop: no quit is pending for it.
    void ForgetQuit() { quitPosted_ = quitReceived_ = false; }
    // Messages sent from another process (Explorer): UIPI applies when the process is elevated.
    void PostFromOtherProcess(plat::HWND hWnd, plat::UINT Msg, plat::WPARAM wParam, plat::LPARAM lParam);
    void BroadcastFromOtherProcess(plat::UINT Msg, plat::WPARAM wParam, plat::LPARAM lParam);
    void SetElevated(bool elevated) { elevated_ = elevated; }

    // ---- Windows ----
    struct WindowInfo {
        plat::HWND Handle = 0;
        plat::HWND Parent = 0;
        plat::DWORD Style = 0;
        plat::DWORD ExStyle = 0;
        std::string Text;
        bool Visible = false;
        bool Enabled = true;
        bool Minimized = false;
        std::set<plat::UINT> AllowedMessages; // through UIPI
    };
    const WindowInfo* Window(plat::HWND hWnd) const;
    std::vector<plat::HWND> Windows() const;
    size_t WindowCount() const { return windows_.size(); }
    bool IsTopLevel(plat::HWND hWnd) const;
    plat::HWND ForegroundWindow() const { return foreground_; }
    // Every message handed to a window procedure through SendMessage or DispatchMessage.
    struct DeliveredMessage {
        plat::HWND hwnd;
        plat::UINT message;
        plat::WPARAM wParam;
        plat::LPARAM lParam;
        uint64_t time;
    };
    const std::vector<DeliveredMessage>& Delivered() const { return delivered_; }
    void ClearDelivered() { delivered_.clear(); }
    size_t PendingPosted() const { return posted_.size(); }
    // Messages that UIPI kept from this elevated process.
    size_t DroppedByUipi() const { return droppedByUipi_; }

    // ---- Timers ----
    bool TimerSet(plat::HWND hWnd, plat::UINT_PTR id) const;
    std::optional<uint64_t> TimerDue(plat::HWND hWnd, plat::UINT_PTR id) const;
    size_t TimerCount() const { return timers_.size(); }
    // Ids of the timers set on this window, in id order.
    std::vector<plat::UINT_PTR> TimerIds(plat::HWND hWnd) const;
    void SetTimerFails(bool fails) { setTimerFails_ = fails; }

    // ---- Input ----
    void SetCursor(int32_t x, int32_t y) { cursor_ = {x, y}; }
    void SetCursorPosFails(bool fails) { cursorFails_ = fails; }
    void SetKeyDown(int32_t vKey, bool down);
    void SetDoubleClickTime(plat::UINT ms) { doubleClickTime_ = ms; }
    void SetSystemMetric(int32_t index, int32_t value) { metrics_[index] = value; }

    // ---- The display (sim_display.cpp): one monitor, its scale and its theme ----
    plat::UINT Dpi() const { return dpi_; }
    // The user changes the scale (Settings, or the laptop docked to another monitor): the new
    // scale holds from now, and `message` (WM_DPICHANGED, WM_SETTINGCHANGE or WM_DISPLAYCHANGE)
    // is sent to every top-level window (0: none is). GetSystemMetrics keeps the scale of the
    // logon, as on Windows.
    void ChangeScale(plat::UINT dpi, plat::UINT message = plat::WM_DPICHANGED);
    // High contrast on or off with its window, window-text and highlight colours (COLORREF),
    // told as Windows tells it: WM_SETTINGCHANGE (SPI_SETHIGHCONTRAST), then WM_SYSCOLORCHANGE.
    void SetHighContrast(bool on, plat::DWORD window = 0x000000, plat::DWORD windowText = 0xFFFFFF,
                         plat::DWORD highlight = 0xFFEB1A);
    // Windows before 10 1607: no GetDpiForWindow nor GetSystemMetricsForDpi (both answer 0).
    void SetPerMonitorDpiMissing(bool missing) { perMonitorDpiMissing_ = missing; }

    // ---- Menus ----
    const std::vector<SimPopup>& Popups() const { return popups_; }
    // Decides each popup: returns the id to choose (0 dismisses). Runs "while the menu is
    // open", so it may pump messages. Without a handler, queued choices are used, then 0.
    std::function<plat::UINT_PTR(const SimPopup&)> OnPopup;
    // The next popup chooses the enabled item with this caption (dismissed if there is none).
    void ChooseNextPopupItem(std::string caption) { popupChoices_.push_back(std::move(caption)); }
    size_t LiveMenuCount() const { return menus_.size(); }

    // ---- Message boxes ----
    const std::vector<SimMessageBox>& MessageBoxes() const { return boxes_; }
    // As on Windows, a message box or popup menu without a hook stays open for ms of virtual
    // time and runs a message loop of its own meanwhile: posted messages, timers and worker
    // completions are delivered inside it. 0 (the default) closes them at once.
    void SetModalLoopFor(uint64_t ms) { modalLoopMs_ = ms; }
    int OpenModalLoops() const { return modalDepth_; }
    int DeepestModalNesting() const { return deepestModal_; }
    void SetForegroundRefused(bool refused) { foregroundRefused_ = refused; }
    // Runs "while the box is open" and returns the button; without it the box returns IDOK
    // (IDYES for yes/no boxes) at once.
    std::function<int32_t(const SimMessageBox&)> OnMessageBox;
    // Nobody sits at the desk: a box with a time limit answers itself when it runs out (the
    // clock moves on by it); OnMessageBox is not asked.
    bool NobodyAnswers = false;

    // ---- Icons ----
    size_t LiveIconCount() const { return icons_.size(); }
    uint64_t IconsCreated() const { return iconsCreated_; }
    // DestroyIcon calls on a handle that is not a live icon (a double free in the program).
    uint64_t BadIconDestroys() const { return badIconDestroys_; }
    bool IsLiveIcon(plat::HICON h) const { return icons_.count(h) != 0; }
    bool IsStockIcon(plat::HICON h) const { return h == stockWinLogo_; }
    // Picture and label of a live icon; null / "" otherwise.
    const plat::IconImage* IconPicture(plat::HICON h) const;
    std::string IconName(plat::HICON h) const;

    SimKernel& Kernel() { return kernel_; }

  private:
    struct Window_ {
        WindowInfo info;
        std::shared_ptr<plat::WNDPROC> proc;
    };
    struct Timer {
        plat::UINT period;
        uint64_t due;
        uint64_t order;
    };
    struct MenuEntry {
        plat::UINT flags;
        plat::UINT_PTR id;
        std::string text;
    };
    struct Menu {
        std::vector<MenuEntry> entries;
        std::optional<plat::UINT> defaultId;
    };
    struct Icon {
        plat::IconImage image;
        std::string name;
    };
    struct Scheduled {
        uint64_t time;
        uint64_t order;
        std::function<void()> action;
    };

    Window_* Find(plat::HWND h);
    const Window_* Find(plat::HWND h) const;
    bool Matches(const plat::MSG& m, plat::HWND hWnd, plat::UINT lo, plat::UINT hi) const;
    void RunDueScheduled();
    bool NextMessage(plat::MSG* out, plat::HWND hWnd, plat::UINT lo, plat::UINT hi, bool remove);
    std::optional<uint64_t> NextEventTime() const;
    void Pump();
    std::vector<SimMenuItem> BuildItems(plat::HMENU h, int depth) const;
    plat::LRESULT Deliver(plat::HWND h, plat::UINT m, plat::WPARAM w, plat::LPARAM l);

    // True when a WM_QUIT ended it (and stays posted for the outer loop).
    bool ModalLoop();
    static constexpr int kModalDepthLimit = 64;
    uint64_t modalLoopMs_ = 0;
    int modalDepth_ = 0;
    int deepestModal_ = 0;
    bool foregroundRefused_ = false;
    SimKernel& kernel_;
    std::map<plat::HWND, Window_> windows_;
    plat::HWND nextWindow_ = 0x10010;
    std::deque<plat::MSG> posted_;
    bool quitPosted_ = false;
    int32_t quitCode_ = 0;
    bool quitReceived_ = false;
    bool trackingPopup_ = false; // a TrackPopupMenu is open
    std::map<std::pair<plat::HWND, plat::UINT_PTR>, Timer> timers_;
    uint64_t timerOrder_ = 0;
    bool setTimerFails_ = false;
    std::vector<Scheduled> scheduled_;
    uint64_t scheduledOrder_ = 0;
    std::function<void()> runPending_;
    std::function<bool()> busy_;
    uint64_t timeLimit_ = 7ull * 24 * 3600 * 1000; // a week of virtual time
    std::map<std::string, plat::UINT> registered_;
    plat::UINT nextRegistered_ = 0xC0F0;
    bool elevated_ = false;
    size_t droppedByUipi_ = 0;
    plat::HWND foreground_ = 0;
    std::vector<DeliveredMessage> delivered_;
    plat::POINT cursor_{100, 100};
    bool cursorFails_ = false;
    std::set<int32_t> keysDown_;
    plat::UINT doubleClickTime_ = 500;
    std::map<int32_t, int32_t> metrics_;
    plat::UINT dpi_ = plat::USER_DEFAULT_SCREEN_DPI;
    bool perMonitorDpiMissing_ = false;
    bool highContrast_ = false;
    std::map<int32_t, plat::DWORD> sysColors_{{plat::COLOR_WINDOW, 0xFFFFFF},
                                              {plat::COLOR_WINDOWTEXT, 0x000000},
                                              {plat::COLOR_HIGHLIGHT, 0xD77800}};
    std::map<plat::HMENU, Menu> menus_;
    plat::HMENU nextMenu_ = 0x20010;
    std::vector<SimPopup> popups_;
    std::deque<std::string> popupChoices_;
    std::vector<SimMessageBox> boxes_;
    std::map<plat::HICON, Icon> icons_;
    plat::HICON nextIcon_ = 0x30010;
    uint64_t iconsCreated_ = 0;
    uint64_t badIconDestroys_ = 0;
    plat::HICON stockWinLogo_ = 0x30001;
};

// One Shell_NotifyIcon call as the shell received it.
struct SimNotifyCall {
    plat::DWORD Operation = 0;
    std::array<uint8_t, 488> Bytes{};
    plat::BOOL Result = 0;
    uint64_t Time = 0;
    // The record read back from Bytes.
    plat::NOTIFYICONDATA Data() const;
    std::string Tip() const;
};

// An icon in the simulated notification area.
struct SimAreaIcon {
    plat::HWND Window = 0;
    plat::UINT Id = 0;
    plat::UINT CallbackMessage = 0;
    plat::HICON Icon = 0;
    std::string IconName;     // label of the icon at the time it was sent
    plat::IconImage Picture;  // the picture the shell copied
    bool IconWasLive = false; // the handle was a live icon when it was sent
    std::string Tip;
    plat::UINT Version = 0;
    std::vector<std::string> Balloons; // the text of each balloon shown, in order
};

struct SimShellExecute {
    plat::HWND Window = 0;
    std::string Operation, File, Parameters, Directory;
    int32_t ShowCmd = 0;
    plat::HWND Foreground = 0; // the foreground window when the launch was asked for
};

class SimShell : public plat::IShell {
  public:
    explicit SimShell(SimUser& user);

    plat::BOOL Shell_NotifyIcon(plat::DWORD dwMessage, const plat::NOTIFYICONDATA* lpData) override;
    intptr_t ShellExecute(plat::HWND hwnd, const char* lpOperation, const char* lpFile,
                          const char* lpParameters, const char* lpDirectory, int32_t nShowCmd) override;
    // Starts the program installed under lpFile as a process that runs alongside, with the
    // token and current directory the new process would get; "runas" goes through the
    // kernel's UAC answer and cannot reach a mapped drive.
    plat::BOOL ShellExecuteEx(plat::SHELLEXECUTEINFO* info) override;
    plat::DWORD GetFileVersionInfoSize(const char* lptstrFilename, plat::DWORD* lpdwHandle) override;
    plat::BOOL GetFileVersionInfo(const char* lptstrFilename, plat::DWORD dwHandle, plat::DWORD dwLen,
                                  void* lpData) override;
    plat::BOOL VerQueryValue(const void* pBlock, const char* lpSubBlock, void** lplpBuffer,
                             plat::UINT* puLen) override;

    // ---- Notification area ----
    const std::vector<SimNotifyCall>& Calls() const { return calls_; }
    void ClearCalls() { calls_.clear(); }
    // Called at each Shell_NotifyIcon call, after the area has been updated.
    std::function<void(const SimNotifyCall&)> OnNotifyIcon;
    const std::vector<SimAreaIcon>& Area() const { return area_; }
    const SimAreaIcon* FindIcon(plat::UINT uID) const;
    // The shell refuses every call while the taskbar is down (Explorer not running).
    void SetTaskbarRunning(bool running) { taskbarRunning_ = running; }
    // Explorer restarted: the area is emptied and "TaskbarCreated" is broadcast to the
    // top-level windows (subject to UIPI when the process is elevated).
    void RecreateTaskbar();
    // Explorer at logon: it refuses every call for refuseForMs from now, and broadcasts
    // "TaskbarCreated" after taskbarCreatedAfterMs, or never.
    void StartExplorerLate(uint64_t refuseForMs, std::optional<uint64_t> taskbarCreatedAfterMs);
    // A busy Explorer: the next count NIM_ADD calls time out (FALSE, ERROR_TIMEOUT) although
    // the shell takes the icon.
    void TimeOutAdds(int count) { addsTimingOut_ = count; }
    // Posts the icon's callback message as the shell does for the version the icon asked for:
    // version 0 wParam = uID, lParam = event; version 4 wParam = the cursor (x, y), lParam =
    // event | uID << 16, and after a button's release the notification version 4 adds to it
    // (NIN_SELECT after the left, WM_CONTEXTMENU at the cursor after the right). False when no
    // icon with that id is in the area.
    bool PostCallback(plat::UINT uID, plat::LPARAM event);
    // ---- The notification area from the keyboard (sim_tray_shell.cpp) ----
    // The highest NIM_SETVERSION the shell takes (0: it refuses version 4, as Wine's may).
    void SetHighestVersion(plat::UINT version) { highestVersion_ = version; }
    // Where the icons sit on the screen: the anchor point of keyboard notifications.
    void SetIconAnchor(int32_t x, int32_t y) { anchor_ = {x, y}; }
    // The icon selected with Win+B and the arrows, then Enter or Space (activate) or the menu
    // key (menu). Version 4: NIN_KEYSELECT or WM_CONTEXTMENU at the icon's anchor; version 0:
    // a right button press and release, as earlier shells send. False when the icon is absent.
    bool KeyboardActivate(plat::UINT uID);
    bool KeyboardMenu(plat::UINT uID);
    // Posts a callback to any window with any id (a stale or foreign one).
    void PostCallbackTo(plat::HWND hWnd, plat::UINT uID, plat::LPARAM event, plat::UINT message = 0x800);

    // ---- Other shell services ----
    const std::vector<SimShellExecute>& Executed() const { return executed_; }
    void SetShellExecuteResult(intptr_t result) { executeResult_ = result; }
    // A program file ShellExecuteEx can start: entry gets the parameters, returns the exit
    // code, and takes place when the process has run for runsForMs.
    void InstallProgram(const std::string& path, std::function<plat::DWORD(const std::string&)> entry,
                        uint64_t runsForMs = 0);
    // Version resource of a file (by name, case-insensitive); comctl32.dll is 6.0 initially.
    void SetFileVersion(const std::string& file, plat::DWORD ms, plat::DWORD ls);
    void RemoveFileVersion(const std::string& file);

  private:
    void PostVersioned(const SimAreaIcon& icon, plat::UINT event, plat::POINT at);
    bool KeyboardEvent(plat::UINT uID, plat::UINT version4Event);
    SimAreaIcon* Find(plat::HWND h, plat::UINT id);
    void Apply(SimAreaIcon& icon, const plat::NOTIFYICONDATA& d);

    SimUser& user_;
    std::vector<SimNotifyCall> calls_;
    std::vector<SimAreaIcon> area_;
    bool taskbarRunning_ = true;
    uint64_t explorerReadyAt_ = 0;
    int addsTimingOut_ = 0;
    plat::UINT highestVersion_ = 0;
    plat::POINT anchor_{1880, 1060};
    struct Program {
        std::function<plat::DWORD(const std::string&)> entry;
        uint64_t runsForMs = 0;
    };
    std::map<std::string, Program> programs_;
    std::vector<SimShellExecute> executed_;
    intptr_t executeResult_ = 42;
    std::map<std::string, std::pair<plat::DWORD, plat::DWORD>> versions_;
};

} // namespace sim
