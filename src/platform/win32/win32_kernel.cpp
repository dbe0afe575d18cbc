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

std::string Win32Kernel::GetModuleFileNameA() {
    // The result is cut to the buffer when it is too small; grow until it fits.
    for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
        std::vector<char> path(size);
        const DWORD n = ::GetModuleFileNameA(nullptr, path.data(), size);
        if (n == 0) return {};
        if (n < size) return std::string(path.data(), n);
    }
    return {};
}

plat::BOOL Win32Kernel::SetCurrentDirectoryA(const char* path) {
    return ::SetCurrentDirectoryA(path);
}

std::string Win32Kernel::GetCurrentDirectoryA() {
    const DWORD needed = ::GetCurrentDirectoryA(0, nullptr);
    if (needed == 0) return {};
    std::vector<char> path(needed);
    const DWORD n = ::GetCurrentDirectoryA(needed, path.data());
    return n > 0 && n < needed ? std::string(path.data(), n) : std::string();
}

} // namespace win32
