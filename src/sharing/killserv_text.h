#pragma once
// The text rules of the sharing worker, free of any operating-system call.
#include <string>
#include <vector>

namespace KillServ {

using TStringList = std::vector<std::string>;

// Items of a REG_SZ value by the comma-text rules: blanks and control characters separate,
// a comma ends an item, double quotes enclose an item ("" inside stands for one quote).
TStringList SplitCommaText(const std::string& text);

// Items of a multi-string: the non-empty pieces between NULs. A last piece without its
// closing NUL still counts, so a value written without its final NULs loses nothing.
TStringList SplitMultiString(const std::string& bytes);

// Lines of srvStat.txt: CR LF, LF or CR end a line, a last line without an end counts, a NUL
// ends the text. Lines are kept unaltered, empty ones included.
TStringList ParseStatusText(const std::string& text);
// The inverse: every name followed by CR LF; an empty list gives an empty text.
std::string FormatStatusText(const TStringList& names);

// ASCII upper-case, the mapping Windows applies to the letters of service names.
std::string UpperCase(std::string text);
// Case-insensitive order of two names (ordinal over lower-cased bytes, as the service
// manager orders its database); < 0, 0 or > 0.
int CompareText(const std::string& a, const std::string& b);
bool SameText(const std::string& a, const std::string& b);

} // namespace KillServ
