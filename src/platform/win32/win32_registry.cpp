#include "platform/win32/win32_registry.h"

namespace {
// Taken before windows.h, whose macros of the same names would replace them.
constexpr plat::HKEY kLocalMachine = plat::HKEY_LOCAL_MACHINE;
constexpr plat::HKEY kCurrentUser = plat::HKEY_CURRENT_USER;
} // namespace

#include <cstring>
#include <vector>

#include "platform/win32/win32_text.h"

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

bool IsString(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// A string value in UTF-8 with the NULs it was stored with.
LSTATUS ReadString(::HKEY key, const wchar_t* name, DWORD size, std::string& out) {
    for (int attempt = 0; attempt < 4; ++attempt) {
        std::vector<wchar_t> data(size / sizeof(wchar_t) + 1, 0);
        DWORD type = 0;
        DWORD got = size;
        const LSTATUS rc =
            ::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &got);
        if (rc == ERROR_MORE_DATA) {
            size = got; // it grew meanwhile
            continue;
        }
        if (rc != ERROR_SUCCESS) return rc;
        if (!Narrow({data.data(), got / sizeof(wchar_t)}, out)) return ERROR_NO_UNICODE_TRANSLATION;
        return ERROR_SUCCESS;
    }
    return ERROR_MORE_DATA;
}

} // namespace

plat::LONG Win32Registry::RegOpenKeyEx(plat::HKEY key, const char* subKey, plat::DWORD options,
                                       plat::DWORD access, plat::HKEY* result) {
    const WideArg wide(subKey);
    if (!wide.ok()) return ERROR_NO_UNICODE_TRANSLATION;
    ::HKEY opened = nullptr;
    const LSTATUS rc = ::RegOpenKeyExW(Native(key), wide.get(), options, access, &opened);
    if (rc == ERROR_SUCCESS) *result = reinterpret_cast<plat::HKEY>(opened);
    return Result(rc);
}

plat::LONG Win32Registry::RegCreateKeyEx(plat::HKEY key, const char* subKey, plat::DWORD options,
                                         plat::DWORD access, plat::HKEY* result, plat::DWORD* disposition) {
    const WideArg wide(subKey);
    if (!wide.ok()) return ERROR_NO_UNICODE_TRANSLATION;
    ::HKEY opened = nullptr;
    const LSTATUS rc = ::RegCreateKeyExW(Native(key), wide.get(), 0, nullptr, options, access, nullptr,
                                         &opened, Native(disposition));
    if (rc == ERROR_SUCCESS) *result = reinterpret_cast<plat::HKEY>(opened);
    return Result(rc);
}

// The longest name is counted in UTF-16 units; in UTF-8 it takes at most three bytes for each.
plat::LONG Win32Registry::RegQueryInfoKey(plat::HKEY key, plat::DWORD* subKeys, plat::DWORD* maxSubKeyLen) {
    const LSTATUS rc =
        ::RegQueryInfoKeyW(Native(key), nullptr, nullptr, nullptr, Native(subKeys), Native(maxSubKeyLen),
                           nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_SUCCESS && maxSubKeyLen) *maxSubKeyLen *= 3;
    return Result(rc);
}

plat::LONG Win32Registry::RegEnumKeyEx(plat::HKEY key, plat::DWORD index, char* name,
                                       plat::DWORD* nameLength) {
    wchar_t wide[256]; // a key name has at most 255 characters
    DWORD length = 256;
    const LSTATUS rc = ::RegEnumKeyExW(Native(key), index, wide, &length, nullptr, nullptr, nullptr, nullptr);
    if (rc != ERROR_SUCCESS) return Result(rc);
    std::string utf8;
    if (!Narrow({wide, length}, utf8)) return ERROR_NO_UNICODE_TRANSLATION;
    if (!name || !nameLength || utf8.size() + 1 > *nameLength) return ERROR_MORE_DATA;
    std::memcpy(name, utf8.c_str(), utf8.size() + 1);
    *nameLength = static_cast<plat::DWORD>(utf8.size());
    return ERROR_SUCCESS;
}

// Strings are stored as UTF-16 and handed out as UTF-8, sizes counted in UTF-8 bytes.
plat::LONG Win32Registry::RegQueryValueEx(plat::HKEY key, const char* valueName, plat::DWORD* type,
                                          uint8_t* data, plat::DWORD* dataSize) {
    const WideArg wide(valueName);
    if (!wide.ok()) return ERROR_NO_UNICODE_TRANSLATION;
    DWORD kind = 0;
    DWORD size = 0;
    LSTATUS rc = ::RegQueryValueExW(Native(key), wide.get(), nullptr, &kind, nullptr, &size);
    if (rc != ERROR_SUCCESS) return Result(rc);
    if (!IsString(kind))
        return Result(
            ::RegQueryValueExW(Native(key), wide.get(), nullptr, Native(type), data, Native(dataSize)));
    std::string text;
    rc = ReadString(Native(key), wide.get(), size, text);
    if (rc != ERROR_SUCCESS) return Result(rc);
    if (type) *type = kind;
    if (!dataSize) return data ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
    const auto needed = static_cast<plat::DWORD>(text.size());
    if (data && *dataSize < needed) {
        *dataSize = needed;
        return ERROR_MORE_DATA;
    }
    if (data) std::memcpy(data, text.data(), text.size());
    *dataSize = needed;
    return ERROR_SUCCESS;
}

plat::LONG Win32Registry::RegSetValueEx(plat::HKEY key, const char* valueName, plat::DWORD type,
                                        const uint8_t* data, plat::DWORD dataSize) {
    const WideArg wide(valueName);
    if (!wide.ok()) return ERROR_NO_UNICODE_TRANSLATION;
    if (!IsString(type) || !data)
        return Result(::RegSetValueExW(Native(key), wide.get(), 0, type, data, dataSize));
    std::wstring text;
    if (!Widen({reinterpret_cast<const char*>(data), dataSize}, text)) return ERROR_NO_UNICODE_TRANSLATION;
    return Result(::RegSetValueExW(Native(key), wide.get(), 0, type,
                                   reinterpret_cast<const BYTE*>(text.data()),
                                   static_cast<DWORD>(text.size() * sizeof(wchar_t))));
}

plat::LONG Win32Registry::RegDeleteValue(plat::HKEY key, const char* valueName) {
    const WideArg wide(valueName);
    if (!wide.ok()) return ERROR_NO_UNICODE_TRANSLATION;
    return Result(::RegDeleteValueW(Native(key), wide.get()));
}

plat::LONG Win32Registry::RegCloseKey(plat::HKEY key) {
    if (key == kLocalMachine || key == kCurrentUser) return ERROR_SUCCESS;
    return Result(::RegCloseKey(Native(key)));
}

} // namespace win32
