#include "platform/win32/win32_kernel.h"

#include "platform/win32/win32_text.h"

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
        std::vector<wchar_t> path(size);
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), size);
        if (n == 0) return {};
        std::string utf8;
        if (n < size) return Narrow({path.data(), n}, utf8) ? utf8 : std::string();
    }
    return {};
}

plat::BOOL Win32Kernel::SetCurrentDirectory(const char* path) {
    const WideArg wide(path);
    return wide.ok() && ::SetCurrentDirectoryW(wide.get());
}

std::string Win32Kernel::GetCurrentDirectory() {
    const DWORD needed = ::GetCurrentDirectoryW(0, nullptr);
    if (needed == 0) return {};
    std::vector<wchar_t> path(needed);
    const DWORD n = ::GetCurrentDirectoryW(needed, path.data());
    std::string utf8;
    return n > 0 && n < needed && Narrow({path.data(), n}, utf8) ? utf8 : std::string();
}

std::string Win32Kernel::GetEnvironmentVariable(const char* name) {
    const WideArg wide(name);
    if (!wide.ok()) return {};
    const DWORD needed = ::GetEnvironmentVariableW(wide.get(), nullptr, 0);
    if (needed == 0) return {};
    std::vector<wchar_t> value(needed);
    const DWORD n = ::GetEnvironmentVariableW(wide.get(), value.data(), needed);
    std::string utf8;
    return n > 0 && n < needed && Narrow({value.data(), n}, utf8) ? utf8 : std::string();
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
    const WideArg wide(name);
    if (!wide.ok()) return 0;
    return reinterpret_cast<plat::HANDLE>(::CreateMutexW(nullptr, FALSE, wide.get()));
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
