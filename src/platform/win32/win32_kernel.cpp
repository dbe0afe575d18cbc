#include "platform/win32/win32_kernel.h"

#include "platform/win32/win32_system_dll.h"
#include "platform/win32/win32_text.h"
// After windows.h, which they need.
#include <shlobj.h>
#include <winnetwk.h>

#include <vector>

#include "platform/win32/win32_text.h"

// The platform's operations of these names are our own, not windows.h's A/W switches.
#undef FormatMessage

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

void Win32Kernel::GetLocalTime(plat::SYSTEMTIME* time) {
    static_assert(sizeof(plat::SYSTEMTIME) == sizeof(::SYSTEMTIME));
    ::GetLocalTime(reinterpret_cast<::SYSTEMTIME*>(time));
}

std::string Win32Kernel::FormatMessage(plat::DWORD code, const std::string& language) {
    // Language 0: the user's language, then the system's, then English.
    DWORD languageId = 0;
    if (!language.empty()) {
        const LCID locale = ::LocaleNameToLCID(Wide(language).c_str(), 0);
        if (locale == 0) {
            ::SetLastError(ERROR_RESOURCE_LANG_NOT_FOUND);
            return {};
        }
        languageId = LANGIDFROMLCID(locale);
    }
    wchar_t* text = nullptr;
    const DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                         FORMAT_MESSAGE_IGNORE_INSERTS,
                                     nullptr, code, languageId, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    if (n == 0 || !text) return {};
    std::string message = Utf8(text, n);
    ::LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
        message.pop_back();
    return message;
}

std::vector<std::string> Win32Kernel::GetUserPreferredUILanguages() {
    ULONG count = 0, size = 0;
    if (!::GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, nullptr, &size) || size == 0) return {};
    std::wstring names(size, L'\0');
    if (!::GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, names.data(), &size)) return {};
    // A list of names, each ending in a NUL, the list in another.
    std::vector<std::string> tags;
    for (size_t start = 0; start < names.size() && names[start] != L'\0';) {
        const size_t end = names.find(L'\0', start);
        tags.push_back(Utf8(names.data() + start, end - start));
        start = end + 1;
    }
    return tags;
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

bool Win32Kernel::ElevatesAsItself() {
    if (IsProcessElevated()) return true;
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    DWORD size = 0;
    const BOOL ok = ::GetTokenInformation(token, TokenElevationType, &type, sizeof type, &size);
    const DWORD saved = ::GetLastError();
    ::CloseHandle(token);
    ::SetLastError(saved);
    return ok && type == TokenElevationTypeLimited;
}

plat::HANDLE Win32Kernel::CreateMutex(const char* name) {
    const WideArg wide(name);
    if (!wide.ok()) return 0;
    return reinterpret_cast<plat::HANDLE>(::CreateMutexW(nullptr, FALSE, wide.get()));
}

bool Win32Kernel::MutexExists(const char* name) {
    const DWORD saved = ::GetLastError();
    const WideArg wide(name);
    HANDLE mutex = wide.ok() ? ::OpenMutexW(SYNCHRONIZE, FALSE, wide.get()) : nullptr;
    // One this process may not open (an elevated process's) exists all the same.
    const bool exists = mutex != nullptr || ::GetLastError() == ERROR_ACCESS_DENIED;
    if (mutex) ::CloseHandle(mutex);
    ::SetLastError(saved);
    return exists;
}

plat::BOOL Win32Kernel::ReleaseMutex(plat::HANDLE mutex) {
    return ::ReleaseMutex(reinterpret_cast<HANDLE>(mutex));
}

std::string Win32Kernel::GetProgramDataFolder() {
    // From the system's own record, not from %ProgramData%, which the user may set.
    wchar_t path[MAX_PATH] = {};
    if (::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK)
        return {};
    std::string utf8;
    return Narrow(path, utf8) ? utf8 : std::string();
}

namespace {

using GetUniversalNameFn = DWORD(WINAPI*)(LPCWSTR, DWORD, LPVOID, LPDWORD);

// mpr.dll, loaded when first needed, from the system folder only.
GetUniversalNameFn UniversalNameApi() {
    static const GetUniversalNameFn api = [] {
        HMODULE module = LoadSystemDll(L"mpr.dll");
        return module ? reinterpret_cast<GetUniversalNameFn>(
                            reinterpret_cast<void (*)()>(::GetProcAddress(module, "WNetGetUniversalNameW")))
                      : nullptr;
    }();
    return api;
}

} // namespace

plat::DWORD Win32Kernel::GetUniversalPath(const std::string& path, std::string* universal) {
    const bool onDrive = path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
    std::wstring wide;
    if (!Widen(path, wide)) return ERROR_NO_UNICODE_TRANSLATION;
    if (!onDrive || ::GetDriveTypeW(wide.substr(0, 3).c_str()) != DRIVE_REMOTE) {
        if (universal) *universal = path;
        return 0;
    }
    const GetUniversalNameFn getName = UniversalNameApi();
    if (!getName) return ERROR_NOT_SUPPORTED;
    std::vector<char> buffer(4096);
    DWORD size = static_cast<DWORD>(buffer.size());
    DWORD error = getName(wide.c_str(), UNIVERSAL_NAME_INFO_LEVEL, buffer.data(), &size);
    if (error == ERROR_MORE_DATA) {
        buffer.resize(size);
        error = getName(wide.c_str(), UNIVERSAL_NAME_INFO_LEVEL, buffer.data(), &size);
    }
    if (error != NO_ERROR) return error;
    const auto* info = reinterpret_cast<const UNIVERSAL_NAME_INFOW*>(buffer.data());
    if (!info->lpUniversalName || !*info->lpUniversalName) return ERROR_NOT_CONNECTED;
    std::string utf8;
    if (!Narrow(info->lpUniversalName, utf8)) return ERROR_NO_UNICODE_TRANSLATION;
    if (universal) *universal = utf8;
    return 0;
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
