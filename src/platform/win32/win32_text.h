#pragma once
// UTF-8 above the platform layer, UTF-16 for the W functions below it. Include after windows.h.
#include <string>

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

} // namespace win32
