#include "platform/win32/win32_kernel.h"

#include <windows.h>

#include <vector>

namespace win32 {

plat::DWORD Win32Kernel::GetLastError() {
    return ::GetLastError();
}

void Win32Kernel::SetLastError(plat::DWORD code) {
    ::SetLastError(code);
}

void Win32Kernel::Sleep(plat::DWORD milliseconds) {
    ::Sleep(milliseconds);
}

uint64_t Win32Kernel::GetTickCount64() {
    return ::GetTickCount64();
}

std::string Win32Kernel::GetModuleFileName() {
    // The result is cut to the buffer when it is too small; grow until it fits.
    for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
        std::vector<char> path(size);
        const DWORD n = ::GetModuleFileNameA(nullptr, path.data(), size);
        if (n == 0) return {};
        if (n < size) return std::string(path.data(), n);
    }
    return {};
}

plat::BOOL Win32Kernel::SetCurrentDirectory(const char* path) {
    return ::SetCurrentDirectoryA(path);
}

std::string Win32Kernel::GetCurrentDirectory() {
    const DWORD needed = ::GetCurrentDirectoryA(0, nullptr);
    if (needed == 0) return {};
    std::vector<char> path(needed);
    const DWORD n = ::GetCurrentDirectoryA(needed, path.data());
    return n > 0 && n < needed ? std::string(path.data(), n) : std::string();
}

std::string Win32Kernel::GetEnvironmentVariable(const char* name) {
    const DWORD needed = ::GetEnvironmentVariableA(name, nullptr, 0);
    if (needed == 0) return {};
    std::vector<char> value(needed);
    const DWORD n = ::GetEnvironmentVariableA(name, value.data(), needed);
    return n > 0 && n < needed ? std::string(value.data(), n) : std::string();
}

bool Win32Kernel::IsProcessElevated() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    const BOOL ok = ::GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size);
    const DWORD saved = ::GetLastError();
    ::CloseHandle(token);
    ::SetLastError(saved);
    return ok && elevation.TokenIsElevated != 0;
}

plat::HANDLE Win32Kernel::CreateMutex(const char* name) {
    return reinterpret_cast<plat::HANDLE>(::CreateMutexA(nullptr, FALSE, name));
}

plat::DWORD Win32Kernel::WaitForSingleObject(plat::HANDLE handle, plat::DWORD milliseconds) {
    return ::WaitForSingleObject(reinterpret_cast<HANDLE>(handle), milliseconds);
}

plat::BOOL Win32Kernel::GetExitCodeProcess(plat::HANDLE process, plat::DWORD* exitCode) {
    DWORD code = 0;
    const BOOL ok = ::GetExitCodeProcess(reinterpret_cast<HANDLE>(process), &code);
    if (ok && exitCode) *exitCode = code;
    return ok;
}

plat::BOOL Win32Kernel::CloseHandle(plat::HANDLE handle) {
    return ::CloseHandle(reinterpret_cast<HANDLE>(handle));
}

} // namespace win32
