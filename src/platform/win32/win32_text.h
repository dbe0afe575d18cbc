#pragma once
// The one place where text crosses between the program (UTF-8) and Windows (UTF-16). Included
// by the backend's .cpp files only, instead of windows.h.
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#include <windows.h>
// Before the names are freed below, so that they stay free.
#include <objbase.h>
#include <shellapi.h>

#include <string>
#include <string_view>

// Our interfaces carry the Windows names without the A/W suffix; windows.h makes those names
// macros, which would rename our methods.
#undef GetModuleFileName
#undef SetCurrentDirectory
#undef GetCurrentDirectory
#undef GetEnvironmentVariable
#undef CreateMutex
#undef GetPrivateProfileString
#undef WritePrivateProfileString
#undef CreateDirectory
#undef RegOpenKeyEx
#undef RegCreateKeyEx
#undef RegQueryInfoKey
#undef RegEnumKeyEx
#undef RegQueryValueEx
#undef RegSetValueEx
#undef RegDeleteValue
#undef OpenSCManager
#undef OpenService
#undef StartService
#undef EnumServicesStatus
#undef CreateWindowEx
#undef DefWindowProc
#undef GetWindowLong
#undef SetWindowLong
#undef CallWindowProc
#undef SetWindowText
#undef SendMessage
#undef PostMessage
#undef GetMessage
#undef PeekMessage
#undef DispatchMessage
#undef RegisterWindowMessage
#undef AppendMenu
#undef MessageBox
#undef LoadIcon
#undef SystemParametersInfo
#undef Shell_NotifyIcon
#undef ShellExecute
#undef ShellExecuteEx
#undef GetFileVersionInfoSize
#undef GetFileVersionInfo
#undef VerQueryValue
#undef FormatMessage
#undef GetServiceDisplayName

namespace win32 {

inline std::wstring Wide(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

inline std::string Utf8(const wchar_t* text, size_t length) {
    if (!text || length == 0) return {};
    const int n =
        ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), out.data(), n, nullptr, nullptr);
    return out;
}

inline std::string Utf8(const wchar_t* text) {
    return text ? Utf8(text, ::wcslen(text)) : std::string();
}


// Conversions that fail (text that is not well-formed UTF-8 or UTF-16) return false with
// ERROR_NO_UNICODE_TRANSLATION as the thread's last error; nothing is replaced by '?'.
bool Widen(std::string_view utf8, std::wstring& out);
bool Narrow(std::wstring_view utf16, std::string& out);

// A string argument of an interface: null stays null. ok turns false when it cannot be converted.
class WideArg {
  public:
    explicit WideArg(const char* utf8) : null_(utf8 == nullptr) {
        if (utf8) ok_ = Widen(utf8, text_);
    }
    const wchar_t* get() const { return null_ ? nullptr : text_.c_str(); }
    bool ok() const { return ok_; }

  private:
    std::wstring text_;
    bool null_ = false;
    bool ok_ = true;
};

// The arguments of this process's command line, without the program's own name.
std::string CommandLineArguments();

} // namespace win32
