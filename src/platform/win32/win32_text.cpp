#include "platform/win32/win32_text.h"

namespace win32 {

bool Widen(std::string_view utf8, std::wstring& out) {
    out.clear();
    if (utf8.empty()) return true;
    const int size = static_cast<int>(utf8.size());
    const int n = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
    if (n <= 0) {
        ::SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return false;
    }
    out.resize(static_cast<size_t>(n));
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, out.data(), n);
    return true;
}

bool Narrow(std::wstring_view utf16, std::string& out) {
    out.clear();
    if (utf16.empty()) return true;
    const int size = static_cast<int>(utf16.size());
    const int n = ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, utf16.data(), size, nullptr, 0,
                                        nullptr, nullptr);
    if (n <= 0) {
        ::SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return false;
    }
    out.resize(static_cast<size_t>(n));
    ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, utf16.data(), size, out.data(), n, nullptr, nullptr);
    return true;
}

// The program name ends at its closing quote, or at the first blank when it is not quoted
// (the rule of the C runtime's own parser); the blanks after it are not arguments.
std::string CommandLineArguments() {
    const wchar_t* p = ::GetCommandLineW();
    if (!p) return {};
    if (*p == L'"') {
        ++p;
        while (*p && *p != L'"')
            ++p;
        if (*p) ++p;
    } else {
        while (*p && *p != L' ' && *p != L'\t')
            ++p;
    }
    while (*p == L' ' || *p == L'\t')
        ++p;
    std::string arguments;
    return Narrow(p, arguments) ? arguments : std::string();
}

} // namespace win32
