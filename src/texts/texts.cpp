// Looking texts up, filling them in, choosing the language, and the pseudo-language.
#include <array>
#include <cctype>
#include <memory>

#include "texts/texts_table.h"

namespace Texts {

namespace {

constexpr size_t kTextCount = static_cast<size_t>(TextId::Count);

constexpr const Language* kLanguages[] = {
    &English,
#ifndef TARNWICK_ENGLISH_ONLY
    &German,  &French, &Spanish, &Italian, &BrazilianPortuguese, &Polish, &Japanese, &SimplifiedChinese,
#endif
};

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

const Language* Find(std::string_view tag) {
    for (const Language* language : kLanguages)
        if (tag == language->tag) return language;
    return nullptr;
}

// The English text when a table lacks one: a table is checked to be whole, but a missing
// entry must not leave a box empty.
const char* Lookup(const Language& language, TextId id) {
    const auto i = static_cast<size_t>(id);
    if (i < language.count && language.entries[i].id == id) return language.entries[i].text;
    if (i < English.count && English.entries[i].id == id) return English.entries[i].text;
    return "";
}

// ---- The pseudo-language ----

// ASCII letters to accented look-alikes, so that a text not taken from the table stands out.
const char* Accented(char c) {
    static const char* const lower[26] = {"á", "ƀ", "ç", "ð", "é", "ƒ", "ĝ", "ĥ", "í", "ĵ", "ķ", "ĺ", "ɱ",
                                          "ñ", "ö", "þ", "ǫ", "ŕ", "š", "ţ", "ü", "ṽ", "ŵ", "ẋ", "ý", "ž"};
    static const char* const upper[26] = {"Å", "Ɓ", "Ç", "Ð", "É", "Ƒ", "Ĝ", "Ĥ", "Í", "Ĵ", "Ķ", "Ĺ", "Ṁ",
                                          "Ñ", "Ö", "Þ", "Ǫ", "Ŕ", "Š", "Ţ", "Û", "Ṽ", "Ŵ", "Ẋ", "Ý", "Ž"};
    if (c >= 'a' && c <= 'z') return lower[c - 'a'];
    if (c >= 'A' && c <= 'Z') return upper[c - 'A'];
    return nullptr;
}

// How much of the pseudo-language a text can take: a tool tip has 127 bytes of UTF-8 in the
// shell's record, a balloon 255, where an accent costs a byte and padding more.
enum class Room { Tip, Balloon, Ample };

// One line of a form: accented, 40 % longer, in brackets, so a cut text loses its "]".
// Placeholders, line ends and the access-key mark stay as they are. A tool tip's line has
// its first letter accented only, a balloon no padding.
std::string PseudoLine(std::string_view line, Room room) {
    std::string out = "[";
    size_t letters = 0, alphabetic = 0;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '{') {
            const size_t close = line.find('}', i);
            if (close != std::string_view::npos) {
                out += line.substr(i, close - i + 1);
                i = close;
                continue;
            }
        }
        const char* accented = Accented(line[i]);
        if (accented) ++alphabetic;
        if (room == Room::Tip && accented && alphabetic > 1) accented = nullptr;
        out += accented ? std::string(accented) : std::string(1, line[i]);
        ++letters;
    }
    if (alphabetic == 0) return std::string(line); // separators stay what they are
    const size_t padding = room == Room::Ample ? (letters * 2 + 4) / 5 : 0;
    for (size_t i = 0; i < padding; ++i)
        out += i % 2 ? "~" : "·";
    return out + "]";
}

std::string Pseudo(std::string_view english, Room room) {
    std::string out;
    size_t start = 0;
    while (start <= english.size()) {
        size_t end = english.find_first_of("|\r", start);
        if (end == std::string_view::npos) end = english.size();
        out += PseudoLine(english.substr(start, end - start), room);
        if (end == english.size()) break;
        if (english[end] == '|') {
            out += '|';
            start = end + 1;
        } else {
            const size_t lineEnd = english.substr(end, 2) == "\r\n" ? 2 : 1;
            out += english.substr(end, lineEnd);
            start = end + lineEnd;
        }
    }
    return out;
}

const std::array<std::string, kTextCount>& PseudoTexts() {
    static const auto texts = [] {
        auto made = std::make_unique<std::array<std::string, kTextCount>>();
        for (size_t i = 0; i < kTextCount; ++i) {
            const auto id = static_cast<TextId>(i);
            const Room room = id >= TextId::TipStarting && id <= TextId::TipRuleUnavailable ? Room::Tip
                              : id >= TextId::BalloonSuggestOff && id <= TextId::BalloonCutOffUnknown
                                  ? Room::Balloon
                                  : Room::Ample;
            (*made)[i] = Pseudo(Lookup(English, id), room);
        }
        return made;
    }();
    return *texts;
}

std::string Raw(std::string_view tag, TextId id) {
    if (static_cast<size_t>(id) >= kTextCount) return {};
    if (tag == PseudoTag) return PseudoTexts()[static_cast<size_t>(id)];
    const Language* language = Find(tag);
    return Lookup(language ? *language : English, id);
}

PluralRule RuleOf(std::string_view tag) {
    if (tag == PseudoTag) return English.plural;
    const Language* language = Find(tag);
    return language ? language->plural : English.plural;
}

// The form of the count among a text's forms; a text with fewer forms than its language has
// (a text without a count) is its only form.
std::string_view Form(std::string_view text, size_t form) {
    size_t start = 0;
    for (size_t i = 0; i < form; ++i) {
        const size_t bar = text.find('|', start);
        if (bar == std::string_view::npos) break;
        start = bar + 1;
    }
    const size_t end = text.find('|', start);
    return text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

std::string Fill(std::string_view text, const std::vector<std::string_view>& parts) {
    std::string out;
    out.reserve(text.size() + 32);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '{' && i + 2 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9' &&
            text[i + 2] == '}') {
            const size_t n = static_cast<size_t>(text[i + 1] - '1');
            if (n < parts.size()) out += parts[n];
            i += 2;
            continue;
        }
        out += text[i];
    }
    return out;
}

std::string& Current() {
    static std::string current = EnglishTag;
    return current;
}

} // namespace

std::vector<std::string> ShippedTags() {
    std::vector<std::string> tags;
    for (const Language* language : kLanguages)
        tags.emplace_back(language->tag);
    tags.emplace_back(PseudoTag);
    return tags;
}

std::string ShippedTag(std::string_view tag) {
    if (tag == PseudoTag || Find(tag)) return std::string(tag);
    return {};
}

std::string ResolveLanguage(const std::vector<std::string>& preferred) {
    for (const std::string& wanted : preferred) {
        std::string tag = Lower(wanted);
        for (char& c : tag)
            if (c == '_') c = '-';
        if (tag == PseudoTag) return PseudoTag;
        // Traditional Chinese reads Simplified no better than English, and is often read by
        // people who would rather have English: no parent for it.
        if (tag == "zh-tw" || tag == "zh-hk" || tag == "zh-mo" || tag.rfind("zh-hant", 0) == 0) continue;
        while (!tag.empty()) {
            for (const Language* language : kLanguages)
                if (tag == Lower(language->tag)) return language->tag;
            // The parents a plain cut does not find: Portuguese is shipped as Brazil's,
            // Chinese as Simplified.
            if (tag == "pt" && Find("pt-BR")) return "pt-BR";
            if ((tag == "zh" || tag == "zh-hans") && Find("zh-CN")) return "zh-CN";
            const size_t cut = tag.rfind('-');
            tag.resize(cut == std::string::npos ? 0 : cut);
        }
    }
    return {};
}

void SetLanguage(std::string_view tag) {
    const std::string shipped = ShippedTag(tag);
    Current() = shipped.empty() ? EnglishTag : shipped;
}

const std::string& CurrentLanguage() {
    return Current();
}

std::string SayIn(std::string_view tag, TextId id, uint64_t count,
                  std::initializer_list<std::string_view> parts) {
    const std::string raw = Raw(tag, id);
    return Fill(Form(raw, PluralForm(tag, count)), std::vector<std::string_view>(parts));
}

std::string Say(TextId id, std::initializer_list<std::string_view> parts) {
    const std::string raw = Raw(Current(), id);
    return Fill(Form(raw, 0), std::vector<std::string_view>(parts));
}

std::string SayCount(TextId id, uint64_t count, std::initializer_list<std::string_view> parts) {
    const std::string number = std::to_string(count);
    std::vector<std::string_view> all{number};
    all.insert(all.end(), parts.begin(), parts.end());
    const std::string raw = Raw(Current(), id);
    return Fill(Form(raw, PluralForm(Current(), count)), all);
}

std::string RawText(std::string_view tag, TextId id) {
    return Raw(tag, id);
}

size_t PluralFormCount(std::string_view tag) {
    switch (RuleOf(tag)) {
    case PluralRule::None:
        return 1;
    case PluralRule::OneOther:
        return 2;
    case PluralRule::OneManyOther:
    case PluralRule::ZeroOneManyOther:
    case PluralRule::OneFewMany:
        return 3;
    }
    return 1;
}

size_t PluralForm(std::string_view tag, uint64_t n) {
    const bool millions = n != 0 && n % 1000000 == 0;
    switch (RuleOf(tag)) {
    case PluralRule::None:
        return 0;
    case PluralRule::OneOther:
        return n == 1 ? 0 : 1;
    case PluralRule::OneManyOther:
        return n == 1 ? 0 : millions ? 1 : 2;
    case PluralRule::ZeroOneManyOther:
        return n <= 1 ? 0 : millions ? 1 : 2;
    case PluralRule::OneFewMany: {
        if (n == 1) return 0;
        const uint64_t tens = n % 100;
        const uint64_t ones = n % 10;
        return ones >= 2 && ones <= 4 && (tens < 12 || tens > 14) ? 1 : 2;
    }
    }
    return 0;
}

} // namespace Texts

namespace Texts {

const char* TextName(TextId id) {
#define TARNWICK_TEXT_NAME(name) #name,
    static const char* const names[] = {TARNWICK_TEXT_IDS(TARNWICK_TEXT_NAME)};
#undef TARNWICK_TEXT_NAME
    const auto i = static_cast<size_t>(id);
    return i < std::size(names) ? names[i] : "?";
}

} // namespace Texts
