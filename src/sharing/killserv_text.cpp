#include "sharing/killserv_text.h"

#include <algorithm>

namespace KillServ {
namespace {

bool IsBlank(unsigned char c) {
    return c >= 1 && c <= 32;
}
bool EndsUnquoted(unsigned char c) {
    return c <= 32 || c == ',';
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

TStringList SplitCommaText(const std::string& raw) {
    const std::string text = raw.substr(0, raw.find('\0'));
    const size_t n = text.size();
    auto at = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    auto skipBlanks = [&](size_t& i) {
        while (i < n && IsBlank(at(i)))
            ++i;
    };

    TStringList items;
    size_t i = 0;
    skipBlanks(i);
    while (i < n) {
        std::string item;
        if (text[i] == '"') {
            ++i;
            while (i < n) {
                if (text[i] == '"') {
                    if (i + 1 < n && text[i + 1] == '"') {
                        item += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += text[i++];
            }
        } else {
            const size_t start = i;
            while (i < n && !EndsUnquoted(at(i)))
                ++i;
            item = text.substr(start, i - start);
        }
        items.push_back(std::move(item));
        skipBlanks(i);
        if (i < n && text[i] == ',') {
            ++i;
            skipBlanks(i);
        }
    }
    return items;
}

TStringList SplitMultiString(const std::string& bytes) {
    TStringList items;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\0', start);
        if (end == std::string::npos) end = bytes.size();
        if (end > start) items.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    return items;
}

TStringList ParseStatusText(const std::string& raw) {
    const std::string text = raw.substr(0, raw.find('\0'));
    TStringList lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

std::string FormatStatusText(const TStringList& names) {
    std::string text;
    for (const auto& name : names)
        text += name + "\r\n";
    return text;
}

std::string UpperCase(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

int CompareText(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(Lower(a[i]));
        const auto y = static_cast<unsigned char>(Lower(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool SameText(const std::string& a, const std::string& b) {
    return CompareText(a, b) == 0;
}

} // namespace KillServ
