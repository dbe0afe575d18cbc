// The elevated copy's command line. Pure text work, so the fuzzer can reach it alone.
#include "sharing/switch_command.h"

#include <cctype>

namespace KillServ {

namespace {

constexpr size_t kLongestPath = 259;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}


// One word of the command line: the exact text, then a blank or the end.
bool TakeWord(std::string_view& rest, std::string_view word) {
    if (rest.substr(0, word.size()) != word) return false;
    rest.remove_prefix(word.size());
    return rest.empty() || IsBlank(rest.front());
}

void SkipBlanks(std::string_view& rest) {
    while (!rest.empty() && IsBlank(rest.front()))
        rest.remove_prefix(1);
}

bool IsAcceptableFolder(std::string_view folder) {
    if (folder.size() < 3 || folder.size() > kLongestPath) return false;
    for (char c : folder) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || c == '"' || c == '*' || c == '?' || c == '<' || c == '>' || c == '|' ||
            c == '/')
            return false;
    }
    size_t partsFrom = 0;
    const bool drive = std::isalpha(static_cast<unsigned char>(folder[0])) && folder[1] == ':' && folder[2] == '\\';
    const bool unc = folder[0] == '\\' && folder[1] == '\\' && folder[2] != '\\';
    if (drive)
        partsFrom = 3;
    else if (unc)
        partsFrom = 2;
    else
        return false;
    if (folder.find(':', 2) != std::string_view::npos) return false; // no streams, no second drive
    if (drive && folder.size() == 3) return true;                    // a drive's root
    if (folder.back() == '\\') return false;
    // Every part has a name; none is "." or "..", and a UNC path has a server and a share.
    int parts = 0;
    size_t start = partsFrom;
    while (start <= folder.size()) {
        size_t end = folder.find('\\', start);
        if (end == std::string_view::npos) end = folder.size();
        const std::string_view part = folder.substr(start, end - start);
        if (part.empty() || part == "." || part == "..") return false;
        ++parts;
        start = end + 1;
    }
    return !unc || parts >= 2;
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
    if (!TakeWord(args, SwitchCommandVerb) || args.empty()) return std::nullopt;
    SkipBlanks(args);
    if (!TakeWord(args, DataFolderOption) || args.empty()) return std::nullopt;
    SkipBlanks(args);
    if (args.empty()) return std::nullopt;
    std::string_view folder;
    if (args.front() == '"') {
        args.remove_prefix(1);
        const size_t close = args.find('"');
        if (close == std::string_view::npos) return std::nullopt;
        folder = args.substr(0, close);
        args.remove_prefix(close + 1);
    } else {
        // A folder without blanks may come unquoted, as a command shell passes it on.
        size_t end = 0;
        while (end < args.size() && !IsBlank(args[end]))
            ++end;
        folder = args.substr(0, end);
        args.remove_prefix(end);
    }
    SkipBlanks(args);
    if (!args.empty() || !IsAcceptableFolder(folder)) return std::nullopt;
    return SwitchRequest{std::string(folder)};
}

std::string SwitchCommandLine(const std::string& dataFolder) {
    return std::string(SwitchCommandVerb) + " " + DataFolderOption + " \"" + WithoutTrailingSeparator(dataFolder) +
           "\"";
}

} // namespace KillServ
