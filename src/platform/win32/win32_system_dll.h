#pragma once
// DLLs the program loads at run time come from the system folder only, never from beside the
// program or the current directory, where a planted copy would run with our rights.
#include <string>

#include "platform/win32/win32_text.h"

namespace win32 {

// The module, or null when it cannot be loaded from the system folder.
inline HMODULE LoadSystemDll(const wchar_t* name) {
    HMODULE module = ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module) return module;
    // Older systems do not know the flag: load by the system folder's full path.
    wchar_t folder[MAX_PATH];
    const UINT n = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    const std::wstring path = std::wstring(folder, n) + L"\\" + name;
    return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

} // namespace win32
