// Who is connected to the shared folders, and the question before a stop cuts them off.
#include "sharing/connections.h"

#include "platform/platform.h"
#include "sharing/killserv_text.h"
#include "texts/texts.h"

namespace KillServ {
using namespace plat;
using Texts::TextId;

namespace {

constexpr size_t kComputersShown = 3;
constexpr size_t kFilesShown = 2;
// Names come from other computers: a very long one is cut, at a UTF-8 character's start.
constexpr size_t kLongestName = 60;

std::string Short(const std::string& name) {
    if (name.size() <= kLongestName) return name;
    size_t cut = kLongestName;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
        --cut;
    return name.substr(0, cut) + "...";
}

std::string WithoutLeadingBackslashes(const std::string& name) {
    const size_t first = name.find_first_not_of('\\');
    return first == std::string::npos ? std::string() : name.substr(first);
}

bool IsPipe(const std::string& path) {
    return UpperCase(path.substr(0, 6)) == "\\PIPE\\";
}

std::string FileName(const std::string& path) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && (trimmed.back() == '\\' || trimmed.back() == '/'))
        trimmed.pop_back();
    const size_t cut = trimmed.find_last_of("\\/");
    return cut == std::string::npos ? trimmed : trimmed.substr(cut + 1);
}

// A text with a count, in the language given: the record and the log are English, the
// question is the user's.
std::string Counted(const std::string& language, TextId id, size_t n, std::string_view more = {}) {
    const std::string count = std::to_string(n);
    return Texts::SayIn(language, id, n, {count, more});
}

std::string Describe(const std::string& language, const TConnection& c) {
    // A file whose session has gone is listed under its user alone.
    const std::string text = Short(c.Client.empty() ? c.User : c.Client);
    std::string inner = c.Client.empty() ? std::string() : Short(c.User);
    if (!c.Files.empty()) {
        std::string names;
        for (size_t i = 0; i < c.Files.size() && i < kFilesShown; ++i)
            names += (i ? Texts::SayIn(language, TextId::ListSeparator, 0, {}) : "") + Short(c.Files[i]);
        if (c.Files.size() > kFilesShown)
            names = Counted(language, TextId::ListAndMore, c.Files.size() - kFilesShown, names);
        const std::string files = Counted(language, TextId::OpenFiles, c.Files.size(), names);
        inner =
            inner.empty() ? files : Texts::SayIn(language, TextId::ConnectionUserFiles, 0, {inner, files});
    }
    return inner.empty() ? text : Texts::SayIn(language, TextId::ConnectionWith, 0, {text, inner});
}

std::string List(const std::string& language, const TConnections& connections) {
    std::string text;
    const auto& sessions = connections.Sessions;
    for (size_t i = 0; i < sessions.size() && i < kComputersShown; ++i)
        text +=
            (i ? Texts::SayIn(language, TextId::ListSeparator, 0, {}) : "") + Describe(language, sessions[i]);
    if (sessions.size() > kComputersShown)
        text = Counted(language, TextId::ListAndMore, sessions.size() - kComputersShown, text);
    return text;
}

} // namespace

TConnections WhoIsConnected() {
    TConnections result;
    auto* shares = Os().shares;
    if (!shares) {
        result.Error = ERROR_NOT_SUPPORTED;
        return result;
    }
    std::vector<SESSION_INFO_10> sessions;
    result.Error = shares->NetSessionEnum(&sessions);
    if (!result.Known()) return result;
    for (const auto& s : sessions)
        result.Sessions.push_back({WithoutLeadingBackslashes(s.sesi10_cname), s.sesi10_username, {}});
    if (result.Sessions.empty()) return result;

    std::vector<FILE_INFO_3> files;
    result.FilesError = shares->NetFileEnum(&files);
    if (result.FilesError != NERR_Success) return result; // who, without their files
    for (const auto& f : files) {
        if (IsPipe(f.fi3_pathname)) continue;
        // A file belongs to the first session of its user; one whose session is gone by now
        // still counts, under the user's name.
        TConnection* owner = nullptr;
        for (auto& s : result.Sessions)
            if (SameText(s.User, f.fi3_username)) {
                owner = &s;
                break;
            }
        if (!owner) {
            result.Sessions.push_back({"", f.fi3_username, {}});
            owner = &result.Sessions.back();
        }
        owner->Files.push_back(FileName(f.fi3_pathname));
    }
    return result;
}

std::string CutOffQuestion(const TConnections& connections) {
    const std::string& language = Texts::CurrentLanguage();
    const std::string between = Texts::Say(TextId::SentenceSeparator);
    std::string question = Counted(language, TextId::QuestionConnected, connections.Sessions.size(),
                                   List(language, connections));
    if (connections.FilesRefusedForRights()) question += between + Texts::Say(TextId::QuestionFilesHidden);
    return question + between + Texts::Say(TextId::QuestionStopAnyway);
}

// english-begin: the record and the log
std::string ConnectedSummary(const TConnections& connections) {
    if (!connections.Known()) return "not known (error " + std::to_string(connections.Error) + ")";
    if (connections.Sessions.empty()) return "nobody";
    return List(Texts::EnglishTag, connections);
}

std::string ConnectedCounts(const TConnections& connections) {
    if (!connections.Known() || connections.Sessions.empty()) return ConnectedSummary(connections);
    size_t files = 0;
    for (const auto& c : connections.Sessions)
        files += c.Files.size();
    return std::to_string(connections.Sessions.size()) +
           (connections.Sessions.size() == 1 ? " computer, " : " computers, ") + std::to_string(files) +
           (files == 1 ? " open file" : " open files");
}
// english-end

TCutOffAnswer AskBeforeCuttingOff(HWND owner, UINT extraFlags, TConnections* connected, DWORD timeoutMs) {
    TConnections found = WhoIsConnected();
    if (connected) *connected = found;
    if (!found.Known()) return TCutOffAnswer::Unknown;
    if (found.Sessions.empty()) return TCutOffAnswer::Nobody;
    const std::string question = CutOffQuestion(found);
    const UINT type = MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2 | extraFlags;
    const int32_t answer =
        timeoutMs
            ? Os().user->MessageBoxTimed(owner, question.c_str(), Texts::ProductName, type, timeoutMs, IDNO)
            : Os().user->MessageBox(owner, question.c_str(), Texts::ProductName, type);
    return answer == IDYES ? TCutOffAnswer::Yes : TCutOffAnswer::No;
}

} // namespace KillServ
