#include "platform/win32/win32_threads.h"

#include "platform/win32/win32_text.h"

#include <atomic>
#include <memory>

namespace win32 {
namespace {

constexpr UINT kRunCompletion = WM_APP + 0x2A;
const wchar_t* const kWindowClass = L"TarnwickThreadCompletion";
std::atomic<int> running{0};
std::atomic<int> failingEvents{0};
std::atomic<int> failingPosts{0};

// A fault the tests asked for, used up one at a time.
bool TakeFault(std::atomic<int>& count) {
    int left = count.load();
    while (left > 0 && !count.compare_exchange_weak(left, left - 1)) {
    }
    return left > 0;
}

struct ThreadStart {
    std::function<void()> body;
    std::function<void()> onFinished;
    HWND window;
};

// A completion waiting for the main thread's message loop; the worker waits for done.
struct Completion {
    std::function<void()>* run;
    HANDLE done;
};

LRESULT CALLBACK CompletionWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kRunCompletion) {
        auto* completion = reinterpret_cast<Completion*>(lParam);
        // No exception may travel back through the system's message dispatch.
        try {
            (*completion->run)();
        } catch (...) {
        }
        if (completion->done) ::SetEvent(completion->done);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// Posted, not sent: a sent message would also be handled while the main thread waits inside
// any call to another thread or process (the shell's notification call is one), in the
// middle of whatever it was doing. A posted one waits for the message loop.
// When no event can be had or the queue is full, the completion is sent instead: it may then
// run inside a call of the main thread to another thread, but it runs, once.
void RunCompletionOnMainThread(ThreadStart& start) {
    HANDLE done = TakeFault(failingEvents) ? nullptr : ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    Completion completion{&start.onFinished, done};
    const bool posted = done && !TakeFault(failingPosts) &&
                        ::PostMessageW(start.window, kRunCompletion, 0, reinterpret_cast<LPARAM>(&completion));
    if (posted) {
        // A window destroyed meanwhile (the program is ending) drops the message: stop waiting then.
        while (::WaitForSingleObject(done, 200) == WAIT_TIMEOUT)
            if (!::IsWindow(start.window)) break;
    } else {
        ::SendMessageW(start.window, kRunCompletion, 0, reinterpret_cast<LPARAM>(&completion));
    }
    if (done) ::CloseHandle(done);
}

DWORD WINAPI ThreadMain(LPVOID parameter) {
    std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(parameter));
    try {
        if (start->body) start->body();
    } catch (...) {
        // The thread ends as if the body had returned; its completion still follows.
    }
    if (start->onFinished) RunCompletionOnMainThread(*start);
    start.reset();
    --running;
    return 0;
}

} // namespace

Win32Threads::Win32Threads() {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = CompletionWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kWindowClass;
    ::RegisterClassW(&windowClass); // fails harmlessly when a second instance registers it again
    HWND window =
        ::CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    window_ = reinterpret_cast<plat::HWND>(window);
}

Win32Threads::~Win32Threads() {
    if (window_) ::DestroyWindow(reinterpret_cast<HWND>(window_));
}

bool Win32Threads::StartThread(std::function<void()> body, std::function<void()> onFinished) {
    if (!window_) {
        ::SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    auto start = std::make_unique<ThreadStart>(
        ThreadStart{std::move(body), std::move(onFinished), reinterpret_cast<HWND>(window_)});
    ++running;
    HANDLE thread = ::CreateThread(nullptr, 0, ThreadMain, start.get(), 0, nullptr);
    if (!thread) {
        --running;
        return false;
    }
    start.release(); // the thread owns it now
    ::CloseHandle(thread);
    return true;
}

bool Win32Threads::WaitForThreads(plat::DWORD timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    while (running > 0) {
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE,
                                    static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 50)),
                                    QS_ALLINPUT | QS_SENDMESSAGE);
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    return true;
}

void Win32Threads::FailCompletionEventsForTest(int count) {
    failingEvents = count;
}

void Win32Threads::FailCompletionPostsForTest(int count) {
    failingPosts = count;
}

int Win32Threads::Running() {
    return running;
}

} // namespace win32
