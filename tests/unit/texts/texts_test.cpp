// The text tables: every language whole, with the English text's parts and plural forms, the
// menu's access keys unique, and tool tips and balloons within what the shell shows.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "texts/texts_table.h"

namespace {

using Texts::TextId;

constexpr size_t kCount = static_cast<size_t>(TextId::Count);

std::set<char> Placeholders(const std::string& text) {
    std::set<char> found;
    for (size_t i = 0; i + 2 < text.size(); ++i)
        if (text[i] == '{' && text[i + 2] == '}') found.insert(text[i + 1]);
    return found;
}

std::vector<std::string> Forms(const std::string& text) {
    std::vector<std::string> forms;
    size_t start = 0;
    for (size_t bar; (bar = text.find('|', start)) != std::string::npos; start = bar + 1)
        forms.push_back(text.substr(start, bar - start));
    forms.push_back(text.substr(start));
    return forms;
}

size_t Utf16Units(const std::string& utf8) {
    size_t units = 0;
    for (unsigned char c : utf8)
        if ((c & 0xC0) != 0x80) units += c >= 0xF0 ? 2 : 1;
    return units;
}

// The access key of a caption: the character after its one '&', or "" without one.
std::string AccessKey(const std::string& caption) {
    const size_t mark = caption.find('&');
    if (mark == std::string::npos || mark + 1 >= caption.size()) return {};
    size_t end = mark + 2;
    while (end < caption.size() && (static_cast<unsigned char>(caption[end]) & 0xC0) == 0x80)
        ++end;
    std::string key = caption.substr(mark + 1, end - mark - 1);
    if (key.size() == 1) key[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(key[0])));
    return key;
}

std::string Fill(std::string text, const std::map<char, std::string>& parts) {
    for (const auto& [n, value] : parts)
        for (size_t at; (at = text.find(std::string("{") + n + "}")) != std::string::npos;)
            text.replace(at, 3, value);
    return text;
}

// The longest a text can be shown: every form, every part at its longest.
size_t LongestBytes(const std::string& tag, TextId id, const std::map<char, std::string>& parts) {
    size_t longest = 0;
    for (const auto& form : Forms(Texts::RawText(tag, id)))
        longest = std::max(longest, Fill(form, parts).size());
    return longest;
}

TEST(TextTables, EveryLanguageHasEveryTextWithTheEnglishPartsAndItsPluralForms) {
    const Texts::Language* tables[] = {&Texts::English, &Texts::German,   &Texts::French,
                                       &Texts::Spanish, &Texts::Italian,  &Texts::BrazilianPortuguese,
                                       &Texts::Polish,  &Texts::Japanese, &Texts::SimplifiedChinese};
    for (const auto* table : tables) {
        ASSERT_EQ(table->count, kCount) << table->tag;
        for (size_t i = 0; i < kCount; ++i)
            EXPECT_EQ(table->entries[i].id, static_cast<TextId>(i))
                << table->tag << ": entry " << i << " is not " << Texts::TextName(static_cast<TextId>(i));
    }
    const auto tags = Texts::ShippedTags();
    ASSERT_EQ(tags.size(), std::size(tables) + 1) << "every table, and the pseudo-language";
    for (const std::string& tag : tags) {
        for (size_t i = 0; i < kCount; ++i) {
            const auto id = static_cast<TextId>(i);
            const std::string english = Texts::RawText(Texts::EnglishTag, id);
            const std::string text = Texts::RawText(tag, id);
            const std::string what = tag + " " + Texts::TextName(id);
            if (id != TextId::SentenceSeparator) {
                EXPECT_FALSE(text.empty()) << what;
            }
            const bool counted = english.find('|') != std::string::npos;
            const auto forms = Forms(text);
            EXPECT_EQ(forms.size(), counted ? Texts::PluralFormCount(tag) : 1) << what;
            std::set<char> all;
            for (const auto& form : forms) {
                const auto here = Placeholders(form);
                all.insert(here.begin(), here.end());
                // Every part but the count is in each form: a form without it would drop it.
                for (char n : Placeholders(english)) {
                    if (n != '1' || !counted) {
                        EXPECT_TRUE(here.count(n)) << what << " lacks {" << n << "}: " << form;
                    }
                }
            }
            EXPECT_EQ(all, Placeholders(english)) << what << ": " << text;
            EXPECT_EQ(std::count(text.begin(), text.end(), '{'), std::count(text.begin(), text.end(), '}'))
                << what;
        }
    }
}

TEST(TextTables, TheMenuHasUniqueAccessKeysAndTipsAndBalloonsFitTheShell) {
    // The longest each part can be: the version as long as the build allows it, an error code,
    // a count.
    const std::map<char, std::string> version{{'1', "99.99.99"}};
    const std::map<char, std::string> number{{'1', "4294967295"}};
    for (const std::string& tag : Texts::ShippedTags()) {
        // The sharing command's two captions, each with the other items.
        for (TextId command :
             {TextId::MenuStopSharing, TextId::MenuStartSharing, TextId::MenuStopSharingFirst}) {
            std::set<std::string> keys;
            for (TextId item : {TextId::MenuSaveState, TextId::MenuRunAtStartup, TextId::MenuQuit,
                                TextId::MenuHelp, command, TextId::MenuOffOnPublicNetworks}) {
                const std::string caption = Texts::RawText(tag, item);
                EXPECT_LE(std::count(caption.begin(), caption.end(), '&'), 1) << tag << " " << caption;
                const std::string key = AccessKey(caption);
                EXPECT_EQ(key.empty(), AccessKey(Texts::RawText(Texts::EnglishTag, item)).empty())
                    << tag << " " << caption << ": an access key where English has one, and only there";
                if (!key.empty()) {
                    EXPECT_TRUE(keys.insert(key).second) << tag << " " << caption << ": key " << key;
                }
            }
        }
        // The record carries UTF-8 in the 128 bytes of the shell's ANSI field, so a tool tip has
        // 127 bytes, which also keeps it within the 127 UTF-16 units Windows shows.
        const size_t ruleLine = LongestBytes(tag, TextId::TipRuleUnavailable, {{'1', "0xFFFFFFFF"}});
        for (TextId tip : {TextId::TipStarting, TextId::TipDisabling, TextId::TipEnabling,
                           TextId::TipSuggestOff, TextId::TipSuggestOn})
            EXPECT_LE(LongestBytes(tag, tip, version), 127u) << tag << " " << Texts::TextName(tip);
        for (TextId tip : {TextId::TipEnabled, TextId::TipDisabled})
            EXPECT_LE(LongestBytes(tag, tip, version) + ruleLine, 127u)
                << tag << " " << Texts::TextName(tip) << " with the rule's line";
        for (TextId balloon : {TextId::BalloonSuggestOff, TextId::BalloonSuggestOn, TextId::BalloonCutOff,
                               TextId::BalloonCutOffUnknown})
            EXPECT_LE(LongestBytes(tag, balloon, number), 255u) << tag << " " << Texts::TextName(balloon);
        EXPECT_LE(Utf16Units(Texts::ProductName), 63u);
    }
}

TEST(TextLanguage, TheDisplayLanguageFallsBackThroughItsParentsThenToEnglish) {
    EXPECT_EQ(Texts::ResolveLanguage({"de-DE"}), "de");
    EXPECT_EQ(Texts::ResolveLanguage({"de-AT", "en-US"}), "de");
    EXPECT_EQ(Texts::ResolveLanguage({"PT-pt"}), "pt-BR");
    EXPECT_EQ(Texts::ResolveLanguage({"pt-BR"}), "pt-BR");
    EXPECT_EQ(Texts::ResolveLanguage({"sr-Latn-RS", "fr-CA"}), "fr");
    EXPECT_EQ(Texts::ResolveLanguage({"zh-Hans-SG"}), "zh-CN");
    EXPECT_EQ(Texts::ResolveLanguage({"ja_JP"}), "ja");
    EXPECT_EQ(Texts::ResolveLanguage({"qps-ploc"}), Texts::PseudoTag);
    // Traditional Chinese is not shown in Simplified: the next language, else nothing.
    EXPECT_EQ(Texts::ResolveLanguage({"zh-TW"}), "");
    EXPECT_EQ(Texts::ResolveLanguage({"zh-Hant-HK", "en-GB"}), "en");
    EXPECT_EQ(Texts::ResolveLanguage({"sw-KE"}), "");
    EXPECT_EQ(Texts::ResolveLanguage({}), "");
    EXPECT_EQ(Texts::ResolveLanguage({"", "-", "de-"}), "de");
    // Only a tag exactly as shipped is a shipped tag.
    EXPECT_EQ(Texts::ShippedTag("pt-BR"), "pt-BR");
    EXPECT_EQ(Texts::ShippedTag("pt-br"), "");
    EXPECT_EQ(Texts::ShippedTag("de-DE"), "");
}

TEST(TextLanguage, CountsTakeEachLanguagesPluralForm) {
    struct Case {
        const char* tag;
        uint64_t n;
        size_t form;
    };
    for (const Case& c :
         {Case{"en", 1, 0},  Case{"en", 0, 1},       Case{"en", 2, 1},       Case{"fr", 0, 0},
          Case{"fr", 1, 0},  Case{"fr", 2, 2},       Case{"fr", 2000000, 1}, Case{"pt-BR", 0, 0},
          Case{"es", 0, 2},  Case{"es", 1000000, 1}, Case{"it", 1, 0},       Case{"pl", 1, 0},
          Case{"pl", 2, 1},  Case{"pl", 4, 1},       Case{"pl", 5, 2},       Case{"pl", 12, 2},
          Case{"pl", 14, 2}, Case{"pl", 22, 1},      Case{"pl", 112, 2},     Case{"pl", 0, 2},
          Case{"pl", 21, 2}, Case{"ja", 1, 0},       Case{"zh-CN", 5, 0},    Case{"qps-ploc", 2, 1}})
        EXPECT_EQ(Texts::PluralForm(c.tag, c.n), c.form) << c.tag << " " << c.n;
    // Parts go in by position, wherever a language puts them, and the count is the first.
    Texts::SetLanguage("en");
    EXPECT_EQ(Texts::SayCount(TextId::ListAndMore, 3, {"a, b"}), "a, b and 3 more");
    EXPECT_EQ(Texts::SayCount(TextId::OpenFiles, 1, {"x.txt"}), "1 open file: x.txt");
    EXPECT_EQ(Texts::Say(TextId::ServiceNamed, {"Server", "lanmanserver"}), "\"Server\" (lanmanserver)");
    Texts::SetLanguage("sw");
    EXPECT_EQ(Texts::CurrentLanguage(), "en");
}

} // namespace
