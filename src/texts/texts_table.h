#pragma once
// The form a language's table takes: every text of TextId, in TextId's order, each with its
// name beside it so that a table reads, and is checked, text by text.
#include <cstddef>

#include "texts/texts.h"

namespace Texts {

// The plural categories a language distinguishes for whole numbers, in the order its forms
// are written (CLDR's cardinal rules).
enum class PluralRule {
    None,             // one form: Japanese, Chinese
    OneOther,         // English, German: 1 | other
    OneManyOther,     // Spanish, Italian: 1 | a multiple of a million | other
    ZeroOneManyOther, // French, Portuguese: 0 and 1 | a multiple of a million | other
    OneFewMany,       // Polish: 1 | 2-4, 22-24, ... | other whole numbers
};

struct Entry {
    TextId id;
    const char* text;
};

struct Language {
    const char* tag;
    PluralRule plural;
    const Entry* entries;
    size_t count;
};

extern const Language English, German, French, Spanish, Italian, BrazilianPortuguese, Polish, Japanese,
    SimplifiedChinese;

} // namespace Texts
