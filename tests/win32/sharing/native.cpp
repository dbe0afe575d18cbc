#include "native.h"

#include <windows.h>

namespace native {

uint32_t CurrentThreadId() {
    return ::GetCurrentThreadId();
}

bool ThreadAlive(uint32_t threadId) {
    HANDLE thread = ::OpenThread(THREAD_QUERY_INFORMATION, FALSE, threadId);
    if (!thread) return false;
    DWORD code = 0;
    const bool alive = ::GetExitCodeThread(thread, &code) && code == STILL_ACTIVE;
    ::CloseHandle(thread);
    return alive;
}

namespace {

struct SlowWindow {
    HWND window = nullptr;
    HANDLE ready = nullptr;
    DWORD ms = 0;
};

LRESULT CALLBACK SlowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP) {
        ::Sleep(static_cast<DWORD>(wParam));
        ::PostQuitMessage(0);
        return 1;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

DWORD WINAPI SlowThread(LPVOID parameter) {
    auto* slow = static_cast<SlowWindow*>(parameter);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = SlowProc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "TarnwickTestSlowWindow";
    ::RegisterClassA(&windowClass);
    slow->window = ::CreateWindowExA(0, windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     windowClass.hInstance, nullptr);
    ::SetEvent(slow->ready);
    MSG message;
    while (slow->window && ::GetMessageA(&message, nullptr, 0, 0) > 0)
        ::DispatchMessageA(&message);
    if (slow->window) ::DestroyWindow(slow->window);
    return 0;
}

} // namespace

bool SendToSlowThread(uint32_t ms) {
    SlowWindow slow;
    slow.ready = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = ::CreateThread(nullptr, 0, SlowThread, &slow, 0, nullptr);
    if (!thread) return false;
    ::WaitForSingleObject(slow.ready, INFINITE);
    const bool answered = slow.window && ::SendMessageA(slow.window, WM_APP, ms, 0) == 1;
    ::WaitForSingleObject(thread, INFINITE);
    ::CloseHandle(thread);
    ::CloseHandle(slow.ready);
    return answered;
}

void SleepMs(uint32_t ms) {
    ::Sleep(ms);
}

namespace {

DWORD StateOf(SC_HANDLE service) {
    SERVICE_STATUS status{};
    return ::QueryServiceStatus(service, &status) ? status.dwCurrentState : 0;
}

} // namespace

bool IsRunning(const char* name) {
    SC_HANDLE manager = ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE service = manager ? ::OpenServiceA(manager, name, SERVICE_QUERY_STATUS) : nullptr;
    const bool running = service && StateOf(service) == SERVICE_RUNNING;
    if (service) ::CloseServiceHandle(service);
    if (manager) ::CloseServiceHandle(manager);
    return running;
}

void EnsureRunning(const char* name) {
    SC_HANDLE manager = ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    SC_HANDLE service =
        manager ? ::OpenServiceA(manager, name, SERVICE_START | SERVICE_QUERY_STATUS) : nullptr;
    if (service) {
        if (StateOf(service) == SERVICE_STOPPED) ::StartServiceA(service, 0, nullptr);
        for (int i = 0; i < 100 && StateOf(service) != SERVICE_RUNNING; ++i)
            ::Sleep(100);
        ::CloseServiceHandle(service);
    }
    if (manager) ::CloseServiceHandle(manager);
}

namespace {

// The service opened with the given rights beside its manager; closes both when it goes.
struct OpenedService {
    SC_HANDLE manager = nullptr;
    SC_HANDLE service = nullptr;
    OpenedService(const char* name, DWORD access) {
        manager = ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
        service = manager ? ::OpenServiceA(manager, name, access) : nullptr;
    }
    ~OpenedService() {
        if (service) ::CloseServiceHandle(service);
        if (manager) ::CloseServiceHandle(manager);
    }
};

} // namespace

void EnsureStopped(const char* name) {
    OpenedService s(name, SERVICE_STOP | SERVICE_QUERY_STATUS);
    if (!s.service) return;
    SERVICE_STATUS status{};
    if (StateOf(s.service) == SERVICE_RUNNING) ::ControlService(s.service, SERVICE_CONTROL_STOP, &status);
    for (int i = 0; i < 100 && StateOf(s.service) != SERVICE_STOPPED; ++i)
        ::Sleep(100);
}

uint32_t StopRequestError(const char* name) {
    OpenedService s(name, SERVICE_STOP | SERVICE_QUERY_STATUS);
    if (!s.service) return ::GetLastError();
    SERVICE_STATUS status{};
    return ::ControlService(s.service, SERVICE_CONTROL_STOP, &status) ? 0 : ::GetLastError();
}

void StartNoWait(const char* name) {
    OpenedService s(name, SERVICE_START);
    if (s.service) ::StartServiceA(s.service, 0, nullptr);
}

bool Pause(const char* name) {
    OpenedService s(name, SERVICE_PAUSE_CONTINUE | SERVICE_QUERY_STATUS);
    SERVICE_STATUS status{};
    if (!s.service || !::ControlService(s.service, SERVICE_CONTROL_PAUSE, &status)) return false;
    for (int i = 0; i < 100 && StateOf(s.service) != SERVICE_PAUSED; ++i)
        ::Sleep(100);
    return StateOf(s.service) == SERVICE_PAUSED;
}

uint32_t StateOf(const char* name) {
    OpenedService s(name, SERVICE_QUERY_STATUS);
    return s.service ? StateOf(s.service) : 0;
}

bool AcceptsStop(const char* name) {
    OpenedService s(name, SERVICE_QUERY_STATUS);
    SERVICE_STATUS status{};
    return s.service && ::QueryServiceStatus(s.service, &status) &&
           (status.dwControlsAccepted & SERVICE_ACCEPT_STOP) != 0;
}

void CreateFolder(const std::string& path) {
    ::CreateDirectoryA(path.c_str(), nullptr);
}

void EndProcess(uintptr_t process) {
    ::TerminateProcess(reinterpret_cast<HANDLE>(process), 99);
    ::WaitForSingleObject(reinterpret_cast<HANDLE>(process), 10000);
}

void RemoveFile(const std::string& path) {
    ::DeleteFileA(path.c_str());
}

int CountFiles(const std::string& folder, const std::string& pattern) {
    WIN32_FIND_DATAA found;
    HANDLE find = ::FindFirstFileA((folder + "\\" + pattern).c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int n = 0;
    do
        ++n;
    while (::FindNextFileA(find, &found));
    ::FindClose(find);
    return n;
}

} // namespace native
