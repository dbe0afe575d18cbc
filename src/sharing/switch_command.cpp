// The elevated copy's command line. Pure text work, so the fuzzer can reach it alone.
#include "sharing/switch_command.h"

#include "texts/texts.h"

namespace KillServ {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// One word of the command line: the exact text, then a blank or the end. Taken only when
// it is there, so the next word can be tried in its place.
bool TakeWord(std::string_view& rest, std::string_view word) {
    if (rest.substr(0, word.size()) != word) return false;
    if (rest.size() > word.size() && !IsBlank(rest[word.size()])) return false;
    rest.remove_prefix(word.size());
    return true;
}

void SkipBlanks(std::string_view& rest) {
    while (!rest.empty() && IsBlank(rest.front()))
        rest.remove_prefix(1);
}

} // namespace

std::string WithoutTrailingSeparator(std::string folder) {
    while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/'))
        folder.pop_back();
    return folder;
}

bool IsSwitchCommandLine(std::string_view args) {
    SkipBlanks(args);
    return TakeWord(args, SwitchCommandVerb);
}

std::optional<SwitchRequest> ParseSwitchCommandLine(std::string_view args) {
    SkipBlanks(args);
    if (!TakeWord(args, SwitchCommandVerb)) return std::nullopt;
    SkipBlanks(args);
    SwitchRequest request;
    if (TakeWord(args, SwitchAskedWord)) {
        request.asked = true;
        SkipBlanks(args);
    }
    if (TakeWord(args, SwitchLanguageWord)) {
        SkipBlanks(args);
        size_t end = 0;
        while (end < args.size() && !IsBlank(args[end]))
            ++end;
        request.language = Texts::ShippedTag(args.substr(0, end));
        if (request.language.empty()) return std::nullopt;
        args.remove_prefix(end);
        SkipBlanks(args);
    }
    if (!args.empty()) return std::nullopt;
    return request;
}

} // namespace KillServ
