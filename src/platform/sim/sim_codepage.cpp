#include "platform/sim/sim_codepage.h"

#include <vector>

namespace sim {
namespace {

constexpr char32_t kBad = 0xFFFD;

// U+0080..U+009F of code page 1252; 0 where the byte has no character of its own.
constexpr char16_t kWestern80[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                     0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                     0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                     0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// Windows' best fit of 1252 for Latin Extended-A (U+0100..U+017F): the letter without its
// mark; '?' where there is none, '-' where 1252 has the letter itself.
constexpr char kLatinExtendedA[] =
    "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIi??JjKk?LlLlLlLlLlNnNnNn???OoOoOo--"
    "RrRrRrSsSsSs--TtTtTtUuUuUuUuUuUuWwYy-ZzZz--?";

std::vector<char32_t> Decode(const std::string& s, bool* valid = nullptr) {
    std::vector<char32_t> out;
    bool ok = true;
    for (size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        const int length = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
        char32_t c = length == 1 ? b : length == 2 ? (b & 0x1F) : length == 3 ? (b & 0x0F) : (b & 0x07);
        bool good = length > 0 && i + length <= s.size();
        for (int k = 1; good && k < length; ++k) {
            const auto next = static_cast<unsigned char>(s[i + k]);
            good = (next >> 6) == 2;
            c = (c << 6) | (next & 0x3F);
        }
        constexpr char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        good = good && c >= least[length] && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
        out.push_back(good ? c : kBad);
        ok = ok && good;
        i += good ? length : 1;
    }
    if (valid) *valid = ok;
    return out;
}

void Append(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

char WesternByte(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (int i = 0; i < 32; ++i)
        if (kWestern80[i] != 0 && kWestern80[i] == c) return static_cast<char>(0x80 + i);
    if (c >= 0x100 && c < 0x180 && kLatinExtendedA[c - 0x100] != '-') return kLatinExtendedA[c - 0x100];
    if (c == 0x03A9 || c == 0x2126) return 'O'; // Greek capital omega, ohm sign
    return '?';
}

} // namespace

// rule: ansi-best-fit
std::string ToAnsi(const std::string& utf8, plat::UINT codePage) {
    if (codePage == CP_UTF8) return utf8;
    std::string out;
    for (char32_t c : Decode(utf8))
        out += WesternByte(c);
    return out;
}

std::string FromAnsi(const std::string& bytes, plat::UINT codePage) {
    if (codePage == CP_UTF8) return bytes;
    std::string out;
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        const char32_t c = (b >= 0x80 && b < 0xA0 && kWestern80[b - 0x80]) ? kWestern80[b - 0x80] : b;
        Append(out, c);
    }
    return out;
}

bool IsAscii(const std::string& text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

bool IsUtf8(const std::string& text) {
    bool valid = true;
    Decode(text, &valid);
    return valid;
}

std::string Utf16LeFromUtf8(const std::string& utf8) {
    std::string out;
    auto unit = [&out](char32_t u) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    };
    for (char32_t c : Decode(utf8)) {
        if (c >= 0x10000) {
            unit(0xD800 + ((c - 0x10000) >> 10));
            unit(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            unit(c);
        }
    }
    return out;
}

std::string Utf8FromUtf16Le(const std::string& bytes) {
    std::string out;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char32_t c = static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8);
        if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size()) {
            const char32_t low =
                static_cast<unsigned char>(bytes[i + 2]) | (static_cast<unsigned char>(bytes[i + 3]) << 8);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        Append(out, (c >= 0xD800 && c < 0xE000) ? kBad : c);
    }
    return out;
}

} // namespace sim
