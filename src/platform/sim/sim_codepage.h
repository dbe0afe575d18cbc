#pragma once
// The simulated machine's ANSI code page: what Windows' A functions and its ANSI files make of
// text, so that a test can show what an A call would lose. Text inside the program is UTF-8.
#include <string>

#include "platform/types.h"

namespace sim {

inline constexpr plat::UINT CP_WESTERN = 1252; // English, French, German Windows
inline constexpr plat::UINT CP_UTF8 = 65001;

// The bytes an A function hands back for utf8 in codePage: a character the code page lacks
// becomes its best-fit letter where Windows has one (Ω gives O, ą gives a), '?' otherwise.
std::string ToAnsi(const std::string& utf8, plat::UINT codePage);
// What a W function reads from bytes in codePage (an ANSI file), as UTF-8.
std::string FromAnsi(const std::string& bytes, plat::UINT codePage);
bool IsAscii(const std::string& text);
// Whether text is well-formed UTF-8; the Win32 backend refuses anything else with
// ERROR_NO_UNICODE_TRANSLATION.
bool IsUtf8(const std::string& text);
std::string Utf16LeFromUtf8(const std::string& utf8);
std::string Utf8FromUtf16Le(const std::string& bytes);

} // namespace sim
