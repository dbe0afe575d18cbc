#include "platform/win32/win32_registry.h"

namespace {
// Taken before windows.h, whose macros of the same names would replace them.
constexpr plat::HKEY kLocalMachine = plat::HKEY_LOCAL_MACHINE;
constexpr plat::HKEY kCurrentUser = plat::HKEY_CURRENT_USER;
} // namespace

#include <windows.h>

namespace win32 {
namespace {

// The system's predefined keys are sign-extended 32-bit values; ours are not.
::HKEY Native(plat::HKEY key) {
    if (key == kLocalMachine) return HKEY_LOCAL_MACHINE;
    if (key == kCurrentUser) return HKEY_CURRENT_USER;
    return reinterpret_cast<::HKEY>(key);
}

LPDWORD Native(plat::DWORD* p) {
    return reinterpret_cast<LPDWORD>(p);
}

plat::LONG Result(LSTATUS rc) {
    return static_cast<plat::LONG>(rc);
}

} // namespace

plat::LONG Win32Registry::RegOpenKeyEx(plat::HKEY key, const char* subKey, plat::DWORD options,
                                        plat::DWORD access, plat::HKEY* result) {
    ::HKEY opened = nullptr;
    const LSTATUS rc = ::RegOpenKeyExA(Native(key), subKey, options, access, &opened);
    if (rc == ERROR_SUCCESS) *result = reinterpret_cast<plat::HKEY>(opened);
    return Result(rc);
}

plat::LONG Win32Registry::RegCreateKeyEx(plat::HKEY key, const char* subKey, plat::DWORD options,
                                          plat::DWORD access, plat::HKEY* result, plat::DWORD* disposition) {
    ::HKEY opened = nullptr;
    const LSTATUS rc = ::RegCreateKeyExA(Native(key), subKey, 0, nullptr, options, access, nullptr, &opened,
                                         Native(disposition));
    if (rc == ERROR_SUCCESS) *result = reinterpret_cast<plat::HKEY>(opened);
    return Result(rc);
}

plat::LONG Win32Registry::RegQueryInfoKey(plat::HKEY key, plat::DWORD* subKeys, plat::DWORD* maxSubKeyLen) {
    return Result(::RegQueryInfoKeyA(Native(key), nullptr, nullptr, nullptr, Native(subKeys),
                                     Native(maxSubKeyLen), nullptr, nullptr, nullptr, nullptr, nullptr,
                                     nullptr));
}

plat::LONG Win32Registry::RegEnumKeyEx(plat::HKEY key, plat::DWORD index, char* name,
                                        plat::DWORD* nameLength) {
    return Result(
        ::RegEnumKeyExA(Native(key), index, name, Native(nameLength), nullptr, nullptr, nullptr, nullptr));
}

plat::LONG Win32Registry::RegQueryValueEx(plat::HKEY key, const char* valueName, plat::DWORD* type,
                                           uint8_t* data, plat::DWORD* dataSize) {
    return Result(::RegQueryValueExA(Native(key), valueName, nullptr, Native(type), data, Native(dataSize)));
}

plat::LONG Win32Registry::RegSetValueEx(plat::HKEY key, const char* valueName, plat::DWORD type,
                                         const uint8_t* data, plat::DWORD dataSize) {
    return Result(::RegSetValueExA(Native(key), valueName, 0, type, data, dataSize));
}

plat::LONG Win32Registry::RegDeleteValue(plat::HKEY key, const char* valueName) {
    return Result(::RegDeleteValueA(Native(key), valueName));
}

plat::LONG Win32Registry::RegCloseKey(plat::HKEY key) {
    if (key == kLocalMachine || key == kCurrentUser) return ERROR_SUCCESS;
    return Result(::RegCloseKey(Native(key)));
}

} // namespace win32
