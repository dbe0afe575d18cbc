// The simulated window manager: windows, the message queue and its loops, input and icons.
// Timers are in sim_timers.cpp, menus and message boxes in sim_menus.cpp.
#include "platform/sim/sim_ui.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <stdexcept>
#include <thread>

namespace sim {
using namespace plat;

namespace {

// A pump that keeps finding work after this many messages is a program that posts to itself
// for ever; the test should fail rather than hang.
constexpr size_t kRunawayLimit = 1'000'000;

void CollectCaptions(const std::vector<SimMenuItem>& items, std::vector<std::string>& out) {
    for (const auto& i : items) {
        if (!i.Separator) out.push_back(i.Caption);
        CollectCaptions(i.SubItems, out);
    }
}

const SimMenuItem* FindItem(const std::vector<SimMenuItem>& items, const std::string& caption) {
    for (const auto& i : items) {
        if (!i.Separator && i.SubItems.empty() && i.Caption == caption) return &i;
        if (const auto* sub = FindItem(i.SubItems, caption)) return sub;
    }
    return nullptr;
}

} // namespace

const SimMenuItem* SimPopup::Find(const std::string& caption) const {
    return FindItem(Items, caption);
}

std::vector<std::string> SimPopup::Captions() const {
    std::vector<std::string> out;
    CollectCaptions(Items, out);
    return out;
}

SimUser::SimUser(SimKernel& kernel) : kernel_(kernel) {
    metrics_[SM_CXSMICON] = 16;
    metrics_[SM_CYSMICON] = 16;
}

SimUser::Window_* SimUser::Find(HWND h) {
    auto it = windows_.find(h);
    return it == windows_.end() ? nullptr : &it->second;
}

const SimUser::Window_* SimUser::Find(HWND h) const {
    auto it = windows_.find(h);
    return it == windows_.end() ? nullptr : &it->second;
}

const SimUser::WindowInfo* SimUser::Window(HWND hWnd) const {
    const auto* w = Find(hWnd);
    return w ? &w->info : nullptr;
}

std::vector<HWND> SimUser::Windows() const {
    std::vector<HWND> out;
    for (const auto& [h, w] : windows_)
        out.push_back(h);
    return out;
}

bool SimUser::IsTopLevel(HWND hWnd) const {
    const auto* w = Find(hWnd);
    return w && w->info.Parent == 0;
}

// ---- Windows ----

HWND SimUser::CreateWindowEx(DWORD dwExStyle, const char* lpWindowName, DWORD dwStyle, HWND hWndParent,
                              WNDPROC lpfnWndProc) {
    if (!lpfnWndProc || (hWndParent != 0 && hWndParent != HWND_MESSAGE && !Find(hWndParent))) {
        kernel_.SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const HWND h = nextWindow_;
    nextWindow_ += 4;
    Window_ w;
    w.info.Handle = h;
    w.info.Parent = hWndParent;
    w.info.Style = dwStyle;
    w.info.ExStyle = dwExStyle;
    w.info.Text = lpWindowName ? lpWindowName : "";
    w.info.Visible = (dwStyle & WS_VISIBLE) != 0;
    w.proc = std::make_shared<WNDPROC>(std::move(lpfnWndProc));
    windows_.emplace(h, std::move(w));
    return h;
}

BOOL SimUser::DestroyWindow(HWND hWnd) {
    if (!Find(hWnd)) {
        kernel_.SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    Deliver(hWnd, WM_DESTROY, 0, 0);
    Deliver(hWnd, WM_NCDESTROY, 0, 0);
    windows_.erase(hWnd);
    for (auto it = timers_.begin(); it != timers_.end();)
        it = it->first.first == hWnd ? timers_.erase(it) : std::next(it);
    std::erase_if(posted_, [hWnd](const MSG& m) { return m.hwnd == hWnd; });
    if (foreground_ == hWnd) foreground_ = 0;
    return 1;
}

BOOL SimUser::IsWindow(HWND hWnd) {
    return Find(hWnd) ? 1 : 0;
}

LRESULT SimUser::DefWindowProc(HWND hWnd, UINT Msg, WPARAM, LPARAM) {
    // What the system's default procedure does for the messages this program meets.
    switch (Msg) {
    case WM_CLOSE:
        DestroyWindow(hWnd);
        return 0;
    case WM_QUERYENDSESSION:
        return 1;
    default:
        return 0;
    }
}

WNDPROC SimUser::GetWindowLong(HWND hWnd, int32_t nIndex) {
    auto* w = Find(hWnd);
    if (!w || nIndex != GWL_WNDPROC) {
        kernel_.SetLastError(w ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return {};
    }
    return *w->proc;
}

WNDPROC SimUser::SetWindowLong(HWND hWnd, int32_t nIndex, WNDPROC dwNewLong) {
    auto* w = Find(hWnd);
    if (!w || nIndex != GWL_WNDPROC || !dwNewLong) {
        kernel_.SetLastError(w ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return {};
    }
    WNDPROC old = *w->proc;
    // A new holder, so that a procedure running now keeps its own target alive.
    w->proc = std::make_shared<WNDPROC>(std::move(dwNewLong));
    return old;
}

LRESULT SimUser::CallWindowProc(const WNDPROC& lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam,
                                 LPARAM lParam) {
    if (!lpPrevWndFunc) return DefWindowProc(hWnd, Msg, wParam, lParam);
    return lpPrevWndFunc(hWnd, Msg, wParam, lParam);
}

BOOL SimUser::ShowWindow(HWND hWnd, int32_t nCmdShow) {
    auto* w = Find(hWnd);
    if (!w) {
        kernel_.SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    const bool wasVisible = w->info.Visible;
    const bool show = nCmdShow != SW_HIDE;
    const bool minimize = nCmdShow == SW_MINIMIZE || nCmdShow == SW_SHOWMINIMIZED;
    if (show != wasVisible) {
        // WM_SHOWWINDOW comes before the state changes, as the system sends it.
        Deliver(hWnd, WM_SHOWWINDOW, show ? 1 : 0, 0);
        if (auto* again = Find(hWnd)) again->info.Visible = show;
    }
    if (auto* again = Find(hWnd)) {
        if (minimize && !again->info.Minimized) {
            again->info.Minimized = true;
            Deliver(hWnd, WM_SIZE, SIZE_MINIMIZED, 0);
        } else if (show && !minimize) {
            again->info.Minimized = false;
        }
    }
    return wasVisible ? 1 : 0;
}

BOOL SimUser::IsWindowVisible(HWND hWnd) {
    const auto* w = Find(hWnd);
    return (w && w->info.Visible) ? 1 : 0;
}

BOOL SimUser::SetForegroundWindow(HWND hWnd) {
    // Windows refuses it to a process that is not in the foreground itself.
    // rule: foreground-lock
    if (!Find(hWnd) || foregroundRefused_) return 0;
    foreground_ = hWnd;
    return 1;
}

BOOL SimUser::SetWindowText(HWND hWnd, const char* lpString) {
    auto* w = Find(hWnd);
    if (!w) return 0;
    w->info.Text = lpString ? lpString : "";
    return 1;
}

BOOL SimUser::EnableWindow(HWND hWnd, BOOL bEnable) {
    auto* w = Find(hWnd);
    if (!w) return 0;
    const bool wasDisabled = !w->info.Enabled;
    w->info.Enabled = bEnable != 0;
    return wasDisabled ? 1 : 0;
}

// ---- Messages ----

LRESULT SimUser::Deliver(HWND h, UINT m, WPARAM w, LPARAM l) {
    auto* win = Find(h);
    if (!win) return 0;
    delivered_.push_back({h, m, w, l, kernel_.GetTickCount64()});
    // The holder keeps the procedure alive even if it replaces itself or destroys the window.
    std::shared_ptr<WNDPROC> proc = win->proc;
    return (*proc)(h, m, w, l);
}

LRESULT SimUser::SendMessage(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    if (hWnd == HWND_BROADCAST) {
        for (HWND h : Windows())
            if (IsTopLevel(h)) Deliver(h, Msg, wParam, lParam);
        return 0;
    }
    if (!Find(hWnd)) {
        kernel_.SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return Deliver(hWnd, Msg, wParam, lParam);
}

BOOL SimUser::PostMessage(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    const DWORD now = static_cast<DWORD>(kernel_.GetTickCount64());
    if (hWnd == HWND_BROADCAST) {
        for (HWND h : Windows())
            if (IsTopLevel(h)) posted_.push_back({h, Msg, wParam, lParam, now, cursor_});
        return 1;
    }
    if (hWnd != 0 && !Find(hWnd)) {
        kernel_.SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    posted_.push_back({hWnd, Msg, wParam, lParam, now, cursor_});
    return 1;
}

void SimUser::PostFromOtherProcess(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    const auto* w = Find(hWnd);
    if (!w) return;
    // rule: uipi-message-filter
    if (elevated_ && Msg >= WM_USER && w->info.AllowedMessages.count(Msg) == 0) {
        ++droppedByUipi_;
        return;
    }
    PostMessage(hWnd, Msg, wParam, lParam);
}

void SimUser::BroadcastFromOtherProcess(UINT Msg, WPARAM wParam, LPARAM lParam) {
    for (HWND h : Windows())
        if (IsTopLevel(h)) PostFromOtherProcess(h, Msg, wParam, lParam);
}

void SimUser::PostQuitMessage(int32_t nExitCode) {
    quitPosted_ = true;
    quitCode_ = nExitCode;
}

bool SimUser::Matches(const MSG& m, HWND hWnd, UINT lo, UINT hi) const {
    if (hWnd != 0 && m.hwnd != hWnd) return false;
    if (lo == 0 && hi == 0) return true;
    return m.message >= lo && m.message <= hi;
}

void SimUser::RunDueScheduled() {
    for (;;) {
        const uint64_t now = kernel_.GetTickCount64();
        auto due = scheduled_.end();
        for (auto it = scheduled_.begin(); it != scheduled_.end(); ++it)
            if (it->time <= now &&
                (due == scheduled_.end() || std::tie(it->time, it->order) < std::tie(due->time, due->order)))
                due = it;
        if (due == scheduled_.end()) return;
        auto action = std::move(due->action);
        scheduled_.erase(due);
        action();
    }
}

void SimUser::Pump() {
    RunDueScheduled();
    if (runPending_) runPending_();
}

bool SimUser::NextMessage(MSG* out, HWND hWnd, UINT lo, UINT hi, bool remove) {
    for (auto it = posted_.begin(); it != posted_.end(); ++it) {
        if (!Matches(*it, hWnd, lo, hi)) continue;
        *out = *it;
        if (remove) posted_.erase(it);
        return true;
    }
    if (quitPosted_ && ((lo == 0 && hi == 0) || (lo <= WM_QUIT && WM_QUIT <= hi))) {
        *out = MSG{
            0,      WM_QUIT, static_cast<WPARAM>(quitCode_), 0, static_cast<DWORD>(kernel_.GetTickCount64()),
            cursor_};
        if (remove) quitPosted_ = false;
        return true;
    }
    const uint64_t now = kernel_.GetTickCount64();
    auto due = timers_.end();
    for (auto it = timers_.begin(); it != timers_.end(); ++it) {
        if (it->second.due > now) continue;
        if (hWnd != 0 && it->first.first != hWnd) continue;
        // rule: timer-lowest-priority
        if (!(lo == 0 && hi == 0) && !(lo <= WM_TIMER && WM_TIMER <= hi)) continue;
        if (due == timers_.end() ||
            std::tie(it->second.due, it->second.order) < std::tie(due->second.due, due->second.order))
            due = it;
    }
    if (due == timers_.end()) return false;
    *out = MSG{due->first.first, WM_TIMER, due->first.second, 0, static_cast<DWORD>(now), cursor_};
    if (remove) {
        // Expiries missed while the thread was busy merge into this one; the next stays on
        // the timer's own grid.
        Timer& t = due->second;
        const uint64_t missed = (now - t.due) / t.period + 1;
        t.due += missed * t.period;
    }
    return true;
}

std::optional<uint64_t> SimUser::NextEventTime() const {
    std::optional<uint64_t> next;
    for (const auto& [key, t] : timers_)
        if (!next || t.due < *next) next = t.due;
    for (const auto& s : scheduled_)
        if (!next || s.time < *next) next = s.time;
    return next;
}

BOOL SimUser::PeekMessage(MSG* lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg) {
    if (!lpMsg) return 0;
    Pump();
    return NextMessage(lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, (wRemoveMsg & PM_REMOVE) != 0) ? 1 : 0;
}

BOOL SimUser::GetMessage(MSG* lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
    if (!lpMsg) return -1;
    for (;;) {
        Pump();
        if (NextMessage(lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, true))
            return lpMsg->message == WM_QUIT ? 0 : 1;
        const uint64_t now = kernel_.GetTickCount64();
        if (auto next = NextEventTime(); next && *next > now) {
            if (*next > timeLimit_)
                throw std::runtime_error("the simulated message loop ran past its time limit");
            kernel_.Advance(*next - now);
            continue;
        }
        if (busy_ && busy_()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        throw std::runtime_error("the simulated message loop would wait for ever: no message, timer, "
                                 "scheduled action or worker is pending");
    }
}

BOOL SimUser::TranslateMessage(const MSG*) {
    return 0;
} // no keyboard input to translate

LRESULT SimUser::DispatchMessage(const MSG* lpMsg) {
    if (!lpMsg || lpMsg->hwnd == 0) return 0;
    return Deliver(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

UINT SimUser::RegisterWindowMessage(const char* lpString) {
    if (!lpString || !*lpString) {
        kernel_.SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::string key = Lower(lpString);
    auto it = registered_.find(key);
    if (it != registered_.end()) return it->second;
    const UINT id = nextRegistered_++;
    registered_.emplace(key, id);
    return id;
}

BOOL SimUser::ChangeWindowMessageFilterEx(HWND hWnd, UINT message, DWORD action) {
    auto* w = Find(hWnd);
    // rule: uipi-change-filter-ex
    if (!w || (action != MSGFLT_ALLOW && action != MSGFLT_DISALLOW)) {
        kernel_.SetLastError(w ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (action == MSGFLT_ALLOW)
        w->info.AllowedMessages.insert(message);
    else
        w->info.AllowedMessages.erase(message);
    return 1;
}

size_t SimUser::RunUntilIdle() {
    size_t handled = 0;
    while (!quitPosted_) {
        Pump();
        MSG m;
        if (!NextMessage(&m, 0, 0, 0, true)) break;
        if (m.message == WM_QUIT) {
            quitReceived_ = true;
            break;
        }
        DispatchMessage(&m);
        if (++handled > kRunawayLimit) throw std::runtime_error("the simulated message queue never runs dry");
    }
    return handled;
}

void SimUser::RunFor(uint64_t ms) {
    const uint64_t end = kernel_.GetTickCount64() + ms;
    for (;;) {
        RunUntilIdle();
        if (quitPosted_ || (modalDepth_ > 0 && quitReceived_)) break;
        const uint64_t now = kernel_.GetTickCount64();
        auto next = NextEventTime();
        if (!next || *next > end) break;
        if (*next > now) kernel_.Advance(*next - now);
    }
    if (quitPosted_ || (modalDepth_ > 0 && quitReceived_)) return; // the loop has ended: no more time passes in it
    const uint64_t now = kernel_.GetTickCount64();
    if (now < end) kernel_.Advance(end - now);
    RunUntilIdle();
}

bool SimUser::ModalLoop() {
    if (modalLoopMs_ == 0) return false;
    if (modalDepth_ >= kModalDepthLimit) throw std::runtime_error("modal loops nested without end");
    ++modalDepth_;
    deepestModal_ = std::max(deepestModal_, modalDepth_);
    struct Leave {
        int& depth;
        ~Leave() { --depth; }
    } leave{modalDepth_};
    // Until the user closes it, or a WM_QUIT ends it (which stays for the outer loop).
    // rule: modal-loop-reposts-quit
    const bool receivedBefore = quitReceived_;
    quitReceived_ = false;
    RunFor(modalLoopMs_);
    if (quitReceived_) quitPosted_ = true; // the loop took it: it posts it again
    quitReceived_ = receivedBefore;
    return quitPosted_;
}

void SimUser::At(uint64_t time, std::function<void()> action) {
    scheduled_.push_back({time, scheduledOrder_++, std::move(action)});
}

void SimUser::SetPumpHook(std::function<void()> runPending, std::function<bool()> busy) {
    runPending_ = std::move(runPending);
    busy_ = std::move(busy);
}

// ---- Input ----

BOOL SimUser::GetCursorPos(POINT* lpPoint) {
    if (!lpPoint || cursorFails_) {
        kernel_.SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    *lpPoint = cursor_;
    return 1;
}

SHORT SimUser::GetAsyncKeyState(int32_t vKey) {
    return keysDown_.count(vKey) ? static_cast<SHORT>(-32768) : 0;
}

void SimUser::SetKeyDown(int32_t vKey, bool down) {
    if (down)
        keysDown_.insert(vKey);
    else
        keysDown_.erase(vKey);
}

int32_t SimUser::GetSystemMetrics(int32_t nIndex) {
    auto it = metrics_.find(nIndex);
    return it == metrics_.end() ? 0 : it->second;
}

// ---- Icons ----

HICON SimUser::CreateIconFromImage(const IconImage& image, const char* name) {
    const size_t pixels =
        image.Empty() ? 0 : static_cast<size_t>(image.Width) * static_cast<size_t>(image.Height);
    if (pixels == 0 || image.Pixels.size() != pixels ||
        (!image.Mask.empty() && image.Mask.size() != pixels)) {
        kernel_.SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const HICON h = nextIcon_;
    nextIcon_ += 4;
    icons_.emplace(h, Icon{image, name ? name : ""});
    ++iconsCreated_;
    return h;
}

HICON SimUser::CopyIcon(HICON hIcon) {
    Icon copy;
    if (hIcon == stockWinLogo_) {
        copy.image.Width = copy.image.Height = 32;
        copy.image.Pixels.assign(32 * 32, 0xFF0000FFu);
        copy.image.Mask.assign(32 * 32, 0);
        copy.name = "IDI_WINLOGO";
    } else {
        auto it = icons_.find(hIcon);
        if (it == icons_.end()) {
            kernel_.SetLastError(ERROR_INVALID_CURSOR_HANDLE);
            return 0;
        }
        copy = it->second;
    }
    const HICON h = nextIcon_;
    nextIcon_ += 4;
    icons_.emplace(h, std::move(copy));
    ++iconsCreated_;
    return h;
}

BOOL SimUser::DestroyIcon(HICON hIcon) {
    if (hIcon == stockWinLogo_) return 1; // shared icons survive DestroyIcon
    if (icons_.erase(hIcon) == 0) {
        ++badIconDestroys_;
        kernel_.SetLastError(ERROR_INVALID_CURSOR_HANDLE);
        return 0;
    }
    return 1;
}

HICON SimUser::LoadIcon(HINSTANCE hInstance, uintptr_t lpIconName) {
    if (hInstance == 0 && lpIconName == IDI_WINLOGO) return stockWinLogo_;
    kernel_.SetLastError(ERROR_FILE_NOT_FOUND);
    return 0;
}

const IconImage* SimUser::IconPicture(HICON h) const {
    auto it = icons_.find(h);
    return it == icons_.end() ? nullptr : &it->second.image;
}

std::string SimUser::IconName(HICON h) const {
    if (h == stockWinLogo_) return "IDI_WINLOGO";
    auto it = icons_.find(h);
    return it == icons_.end() ? std::string() : it->second.name;
}

} // namespace sim
