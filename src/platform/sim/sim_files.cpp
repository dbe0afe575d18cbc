#include "platform/sim/sim_files.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/sim/sim_codepage.h"
#include "platform/sim/sim_kernel.h"

namespace sim {
using namespace plat;

namespace {

std::string Trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    const auto last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

// The ini text as lines without their ends; CR LF, LF and CR all end a line.
std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

std::string Join(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines)
        text += l + "\r\n";
    return text;
}

bool IsSectionLine(const std::string& line, std::string* name) {
    const std::string t = Trim(line);
    if (t.size() < 2 || t[0] != '[') return false;
    const auto close = t.find(']');
    if (close == std::string::npos) return false;
    if (name) *name = Trim(t.substr(1, close - 1));
    return true;
}

bool IsKeyLine(const std::string& line, std::string* key, std::string* value) {
    const auto eq = line.find('=');
    if (eq == std::string::npos) return false;
    if (key) *key = Trim(line.substr(0, eq));
    if (value) *value = Trim(line.substr(eq + 1));
    return true;
}

std::string Unquote(const std::string& v) {
    if (v.size() >= 2 && ((v.front() == '"' && v.back() == '"') || (v.front() == '\'' && v.back() == '\'')))
        return v.substr(1, v.size() - 2);
    return v;
}

// Copies text and its NUL, truncated to the buffer; returns the characters copied.
DWORD CopyOut(const std::string& text, char* buffer, DWORD bufferSize) {
    if (!buffer || bufferSize == 0) return 0;
    const size_t n = std::min<size_t>(text.size(), bufferSize - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return static_cast<DWORD>(n);
}

// Copies names as a list of NUL-terminated strings closed by another NUL; when they do not
// fit, Windows returns bufferSize - 2.
DWORD CopyList(const std::vector<std::string>& names, char* buffer, DWORD bufferSize) {
    if (!buffer || bufferSize == 0) return 0;
    if (bufferSize == 1) {
        buffer[0] = '\0';
        return 0;
    }
    std::string all;
    for (const auto& n : names)
        all += n + '\0';
    if (all.size() + 1 <= bufferSize) {
        std::memcpy(buffer, all.data(), all.size());
        buffer[all.size()] = '\0';
        if (all.empty()) buffer[1 < bufferSize ? 1 : 0] = '\0';
        return static_cast<DWORD>(all.size());
    }
    std::memcpy(buffer, all.data(), bufferSize - 2);
    buffer[bufferSize - 2] = '\0';
    buffer[bufferSize - 1] = '\0';
    return bufferSize - 2;
}

bool IsUtf16(const std::string& bytes) {
    return bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE';
}

} // namespace

// The profile functions read a file with a UTF-16LE byte order mark as Unicode and any other
// file in the ANSI code page.
std::string SimFiles::IniText(const std::string& key, bool* unicode) const {
    *unicode = false;
    auto it = files_.find(Stored(key));
    if (it == files_.end()) return {};
    const std::string& bytes = it->second;
    *unicode = IsUtf16(bytes);
    const std::string text = *unicode ? Utf8FromUtf16Le(bytes.substr(2)) : FromAnsi(bytes, kernel_.AnsiCodePage());
    return text.substr(0, text.find('\0'));
}

// A file stays in its encoding; the first text outside ASCII makes it UTF-16LE, where the ANSI
// code page would have turned it into '?'.
void SimFiles::PutIniText(const std::string& key, const std::vector<std::string>& lines, bool unicode) {
    const std::string text = Join(lines);
    files_[Stored(key)] = unicode ? "\xFF\xFE" + Utf16LeFromUtf8(text) : ToAnsi(text, kernel_.AnsiCodePage());
}

bool SimFiles::Writable(const std::string& key, bool elevated) const {
    // rule: fs-read-only-refuses-writes
    if (callerGone_ || readOnly_.count(key) || key.find_first_of("?*") != std::string::npos) return false;
    if (!elevated) {
        const auto slash = key.rfind('\\');
        const FolderSecurity* security = slash == std::string::npos ? nullptr : SecurityOf(key.substr(0, slash));
        // rule: fs-protected-folders-need-elevation
        if (security ? !security->usersMayWrite : UnderProtected(key)) return false;
    }
    for (auto folder = key.rfind('\\'); folder != std::string::npos && folder > 2;
         folder = key.rfind('\\', folder - 1))
        if (readOnly_.count(key.substr(0, folder))) return false;
    return !(key.size() > 3 && readOnly_.count(key.substr(0, 3)));
}

bool SimFiles::Writable(const std::string& key) const {
    return Writable(key, kernel_.IsProcessElevated());
}

bool SimFiles::InMissingFolder(const std::string& key) const {
    const auto slash = key.rfind('\\');
    return slash != std::string::npos && slash > 2 && kernel_.IsMissingFolder(key.substr(0, slash));
}

bool SimFiles::FileExists(const std::string& path) {
    Tick();
    return files_.count(Stored(Key(path))) != 0;
}

ReadResult SimFiles::ReadWholeFile(const std::string& path, std::string& contents) {
    Tick();
    const std::string key = Stored(Key(path));
    if (failingReads_.count(key)) {
        kernel_.SetLastError(ERROR_ACCESS_DENIED);
        return ReadResult::Failed;
    }
    auto it = files_.find(key);
    if (it == files_.end()) {
        // rule: fs-open-missing-file-2
        kernel_.SetLastError(ERROR_FILE_NOT_FOUND);
        return ReadResult::Missing;
    }
    contents = it->second;
    return ReadResult::Ok;
}

// As Win32Files does it: GetTempFileNameW makes and closes the temporary file, CreateFileW
// opens it by its path again, MoveFileExW looks both paths up once more. Three lookups.
bool SimFiles::ReplaceFileAtomically(const std::string& path, const std::string& contents) {
    Tick();
    const std::string raw = RawKey(path);
    const std::string folder = raw.substr(0, raw.rfind('\\'));
    const std::string tempRaw = folder + "\\TW" + std::to_string(++temps_) + ".TMP";
    std::string key = Key(path);
    if (InMissingFolder(key)) {
        kernel_.SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    const std::string temp = Resolve(tempRaw, true);
    if (!Writable(temp) || !Writable(key) || failingReplaces_.count(key)) {
        kernel_.SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    // rule: fs-replace-looks-up-three-times
    files_[temp] = "";
    Tick();
    const std::string tempNow = Resolve(tempRaw, true);
    files_[tempNow] = contents;
    Tick();
    const std::string from = Resolve(tempRaw, true);
    key = Key(path);
    auto written = files_.find(from);
    if (written == files_.end() || !Writable(key)) {
        files_.erase(temp);
        kernel_.SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    const std::string moved = written->second;
    files_.erase(written);
    hardLinks_.erase(key); // the rename gives the name a file of its own
    files_[key] = moved;
    ++replaces_;
    return true;
}

DWORD SimFiles::GetPrivateProfileString(const char* section, const char* key, const char* defaultValue,
                                         char* buffer, DWORD bufferSize, const char* fileName) {
    if (!fileName) return CopyOut("", buffer, bufferSize);
    Tick();
    // rule: profile-string-reading
    bool unicode = false;
    const auto lines = Lines(IniText(Key(fileName), &unicode));

    if (!section) {
        std::vector<std::string> names;
        for (const auto& l : lines) {
            std::string name;
            if (IsSectionLine(l, &name)) names.push_back(name);
        }
        return CopyList(names, buffer, bufferSize);
    }
    bool inSection = false;
    std::vector<std::string> keys;
    for (const auto& l : lines) {
        std::string name, k, v;
        if (IsSectionLine(l, &name)) {
            inSection = SameText(name, section);
            continue;
        }
        if (!inSection || !IsKeyLine(l, &k, &v)) continue;
        if (!key) {
            keys.push_back(k);
        } else if (SameText(k, key)) {
            return CopyOut(Unquote(v), buffer, bufferSize);
        }
    }
    if (!key) return CopyList(keys, buffer, bufferSize);
    // Windows drops the default's trailing blanks.
    std::string fallback = defaultValue ? defaultValue : "";
    fallback.erase(fallback.find_last_not_of(' ') + 1);
    return CopyOut(fallback, buffer, bufferSize);
}

BOOL SimFiles::WritePrivateProfileString(const char* section, const char* key, const char* value,
                                          const char* fileName) {
    if (!fileName || !section) {
        kernel_.SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    Tick();
    const std::string path = Key(fileName);
    if (InMissingFolder(path)) {
        kernel_.SetLastError(ERROR_PATH_NOT_FOUND);
        return 0;
    }
    if (!Writable(path)) {
        kernel_.SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    if (HeldOpenElsewhere(path)) return 0;
    const std::string written = std::string(section) + (key ? key : "") + (value ? value : "");
    if (!IsUtf8(written)) {
        kernel_.SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    bool unicode = false;
    auto lines = Lines(IniText(path, &unicode));
    unicode = unicode || !IsAscii(written);

    // Where the section starts and where its last key line is.
    size_t header = lines.size();
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string name;
        if (IsSectionLine(lines[i], &name) && SameText(name, section)) {
            header = i;
            break;
        }
    }
    if (header == lines.size()) {
        if (!key || !value) return 1; // nothing to delete
        // Appended, not "[" + std::string: GCC 12 takes that for an overlapping copy (-Wrestrict).
        lines.push_back(std::string("[").append(section).append("]"));
        lines.push_back(std::string(key) + "=" + value);
        PutIniText(path, lines, unicode);
        return 1;
    }
    size_t end = header + 1;
    while (end < lines.size() && !IsSectionLine(lines[end], nullptr))
        ++end;
    if (!key) {
        lines.erase(lines.begin() + static_cast<long>(header), lines.begin() + static_cast<long>(end));
        PutIniText(path, lines, unicode);
        return 1;
    }
    size_t lastContent = header;
    for (size_t i = header + 1; i < end; ++i) {
        std::string k;
        if (!Trim(lines[i]).empty()) lastContent = i;
        if (IsKeyLine(lines[i], &k, nullptr) && SameText(k, key)) {
            if (value)
                lines[i] = k + "=" + value;
            else
                lines.erase(lines.begin() + static_cast<long>(i));
            PutIniText(path, lines, unicode);
            return 1;
        }
    }
    if (value)
        lines.insert(lines.begin() + static_cast<long>(lastContent + 1), std::string(key) + "=" + value);
    PutIniText(path, lines, unicode);
    return 1;
}

void SimFiles::Put(const std::string& path, const std::string& contents) {
    files_[Key(path)] = contents;
}

std::optional<std::string> SimFiles::Get(const std::string& path) const {
    auto it = files_.find(Key(path));
    if (it == files_.end()) return std::nullopt;
    return it->second;
}

std::vector<std::string> SimFiles::FilesIn(const std::string& folder) const {
    const std::string key = RawKey(folder) + "\\";
    std::vector<std::string> found;
    for (const auto& [name, contents] : files_)
        if (name.compare(0, key.size(), key) == 0) found.push_back(name);
    return found;
}

void SimFiles::Remove(const std::string& path) {
    const std::string key = Key(path);
    if (!hardLinks_.erase(key)) files_.erase(key);
}

void SimFiles::SetReadOnly(const std::string& path, bool readOnly) {
    std::string key = Key(path);
    if (key.size() > 3 && key.back() == '\\') key.pop_back();
    if (readOnly)
        readOnly_.insert(key);
    else
        readOnly_.erase(key);
}

void SimFiles::FailReads(const std::string& path) {
    failingReads_.insert(Key(path));
}

void SimFiles::HoldOpenElsewhere(const std::string& path, int opens) {
    heldOpen_[Key(path)] = opens;
}

bool SimFiles::HeldOpenElsewhere(const std::string& key) {
    auto it = heldOpen_.find(key);
    if (it == heldOpen_.end() || it->second <= 0) return false;
    --it->second;
    // rule: fs-open-unshared-refuses-with-sharing-violation
    kernel_.SetLastError(ERROR_SHARING_VIOLATION);
    return true;
}

void SimFiles::FailReplaces(const std::string& path) {
    failingReplaces_.insert(Key(path));
}

// rule: fs-folders-there-unless-missing
bool SimFiles::FolderThere(const std::string& key) const {
    return !kernel_.IsMissingFolder(key) && !files_.count(key);
}

bool SimFiles::FolderExists(const std::string& path) {
    Tick();
    return FolderThere(Key(path));
}

BOOL SimFiles::CreateDirectory(const char* path) {
    if (!path || !*path) {
        kernel_.SetLastError(ERROR_PATH_NOT_FOUND);
        return 0;
    }
    Tick();
    const std::string key = Key(path);
    // rule: fs-create-directory-errors
    if (FolderThere(key)) {
        kernel_.SetLastError(ERROR_ALREADY_EXISTS);
        return 0;
    }
    const std::string parent = key.substr(0, key.rfind('\\'));
    const bool elevated = kernel_.IsProcessElevated();
    // rule: fs-programdata-users-create-folders
    const bool mayCreateFolder = !elevated && foldersUsersMayCreateIn_.count(parent);
    if (!mayCreateFolder && !Writable(key)) {
        kernel_.SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    kernel_.RemoveMissingFolder(key);
    // A folder made where users may create folders inherits that right for its creator.
    if (foldersUsersMayCreateIn_.count(parent))
        security_[key] = {elevated ? "Administrators" : userName_, true};
    return 1;
}


} // namespace sim
