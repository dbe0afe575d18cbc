#include "platform/win32/win32_files.h"

#include <algorithm>
#include <vector>

#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"

namespace win32 {
namespace {

constexpr DWORD kChunk = 1u << 20;

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of("\\/");
    if (slash == std::string::npos) return ".";
    if (slash == 0) return path.substr(0, 1);
    if (slash == 2 && path[1] == ':') return path.substr(0, 3);
    return path.substr(0, slash);
}

bool WriteAll(HANDLE file, const std::string& contents) {
    size_t done = 0;
    while (done < contents.size()) {
        const auto part = static_cast<DWORD>(std::min<size_t>(contents.size() - done, kChunk));
        DWORD written = 0;
        if (!::WriteFile(file, contents.data() + done, part, &written, nullptr) || written == 0) return false;
        done += written;
    }
    return true;
}

DWORD AttributesOf(const std::string& path) {
    std::wstring wide;
    return Widen(path, wide) ? ::GetFileAttributesW(wide.c_str()) : INVALID_FILE_ATTRIBUTES;
}

bool IsAscii(const char* text) {
    for (; text && *text; ++text)
        if (static_cast<unsigned char>(*text) >= 0x80) return false;
    return true;
}

} // namespace

bool Win32Files::FileExists(const std::string& path) {
    const DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

plat::ReadResult Win32Files::ReadWholeFile(const std::string& path, std::string& contents) {
    std::wstring wide;
    if (!Widen(path, wide)) return plat::ReadResult::Failed;
    unique_hfile file(::CreateFileW(wide.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = ::GetLastError();
        return (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) ? plat::ReadResult::Missing
                                                                                : plat::ReadResult::Failed;
    }
    std::string text;
    std::vector<char> chunk(kChunk);
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file.get(), chunk.data(), kChunk, &got, nullptr)) return plat::ReadResult::Failed;
        if (got == 0) break;
        text.append(chunk.data(), got);
    }
    contents = std::move(text);
    return plat::ReadResult::Ok;
}

// The new contents go to a temporary file beside the target, are flushed to the disk and
// then renamed over the target in one step: a crash leaves the old file or the new one.
bool Win32Files::ReplaceFileAtomically(const std::string& path, const std::string& contents) {
    std::wstring target, folder;
    if (!Widen(path, target) || !Widen(FolderOf(path), folder)) return false;
    wchar_t temp[MAX_PATH + 1] = {};
    if (!::GetTempFileNameW(folder.c_str(), L"tw", 0, temp)) return false;
    bool ok = false;
    {
        unique_hfile file(
            ::CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        ok = file && WriteAll(file.get(), contents) && ::FlushFileBuffers(file.get());
    }
    ok = ok && ::MoveFileExW(temp, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) {
        const DWORD error = ::GetLastError();
        ::DeleteFileW(temp);
        ::SetLastError(error);
    }
    return ok;
}

plat::DWORD Win32Files::GetPrivateProfileString(const char* section, const char* key, const char* defaultValue,
                                                char* buffer, plat::DWORD bufferSize, const char* fileName) {
    if (!buffer || bufferSize == 0) return 0;
    buffer[0] = '\0';
    const WideArg wideSection(section), wideKey(key), wideDefault(defaultValue), wideFile(fileName);
    if (!wideSection.ok() || !wideKey.ok() || !wideDefault.ok() || !wideFile.ok()) return 0;
    // UTF-8 takes up to three bytes where UTF-16 takes two: read it all, then cut.
    std::vector<wchar_t> wide(std::max<plat::DWORD>(bufferSize, 2));
    const DWORD n = ::GetPrivateProfileStringW(wideSection.get(), wideKey.get(), wideDefault.get(), wide.data(),
                                               static_cast<DWORD>(wide.size()), wideFile.get());
    std::string text;
    if (!Narrow({wide.data(), n}, text)) return 0;
    // A list of names ends in two NULs; one value in one. Never cut a character in two.
    const size_t room = bufferSize - ((section && key) ? 1 : std::min<plat::DWORD>(bufferSize, 2));
    size_t cut = std::min(text.size(), room);
    while (cut > 0 && cut < text.size() && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    std::copy_n(text.data(), cut, buffer);
    buffer[cut] = '\0';
    if ((!section || !key) && cut + 1 < bufferSize) buffer[cut + 1] = '\0';
    return static_cast<plat::DWORD>(cut);
}

// The profile functions write a file without a byte order mark in the ANSI code page, which
// turns what it lacks into '?'. Text outside ASCII therefore first turns the file into
// UTF-16LE, which they then keep; ASCII leaves the file exactly as it is.
bool Win32Files::MakeUnicodeIni(const std::string& path) {
    std::string bytes;
    const plat::ReadResult read = ReadWholeFile(path, bytes);
    if (read == plat::ReadResult::Failed) return false;
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') return true;
    std::wstring text;
    if (!bytes.empty()) {
        const int n = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
        if (n <= 0) return false;
        text.resize(static_cast<size_t>(n));
        ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), n);
    }
    std::string unicode = "\xFF\xFE";
    unicode.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    return ReplaceFileAtomically(path, unicode);
}

plat::BOOL Win32Files::WritePrivateProfileString(const char* section, const char* key, const char* value,
                                                 const char* fileName) {
    const WideArg wideSection(section), wideKey(key), wideValue(value), wideFile(fileName);
    if (!wideSection.ok() || !wideKey.ok() || !wideValue.ok() || !wideFile.ok()) return 0;
    if (fileName && !(IsAscii(section) && IsAscii(key) && IsAscii(value)) && !MakeUnicodeIni(fileName)) return 0;
    return ::WritePrivateProfileStringW(wideSection.get(), wideKey.get(), wideValue.get(), wideFile.get());
}

bool Win32Files::FolderExists(const std::string& path) {
    const DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

plat::BOOL Win32Files::CreateDirectory(const char* path) {
    const WideArg wide(path);
    return wide.ok() && ::CreateDirectoryW(wide.get(), nullptr);
}

} // namespace win32
