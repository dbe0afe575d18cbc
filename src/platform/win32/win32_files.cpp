#include "platform/win32/win32_files.h"

#include <windows.h>

#include <vector>

#include "platform/win32/win32_handles.h"

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

} // namespace

bool Win32Files::FileExists(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

plat::ReadResult Win32Files::ReadWholeFile(const std::string& path, std::string& contents) {
    unique_hfile file(::CreateFileA(path.c_str(), GENERIC_READ,
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
    char temp[MAX_PATH + 1] = {};
    if (!::GetTempFileNameA(FolderOf(path).c_str(), "tw", 0, temp)) return false;
    bool ok = false;
    {
        unique_hfile file(
            ::CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        ok = file && WriteAll(file.get(), contents) && ::FlushFileBuffers(file.get());
    }
    ok = ok && ::MoveFileExA(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) {
        const DWORD error = ::GetLastError();
        ::DeleteFileA(temp);
        ::SetLastError(error);
    }
    return ok;
}

plat::DWORD Win32Files::GetPrivateProfileStringA(const char* section, const char* key,
                                                 const char* defaultValue, char* buffer,
                                                 plat::DWORD bufferSize, const char* fileName) {
    return ::GetPrivateProfileStringA(section, key, defaultValue, buffer, bufferSize, fileName);
}

plat::BOOL Win32Files::WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                                  const char* fileName) {
    return ::WritePrivateProfileStringA(section, key, value, fileName);
}

bool Win32Files::FolderExists(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

plat::BOOL Win32Files::CreateDirectoryA(const char* path) {
    return ::CreateDirectoryA(path, nullptr);
}

} // namespace win32
