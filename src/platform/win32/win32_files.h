#pragma once
#include "platform/files.h"

namespace win32 {

class Win32Files : public plat::IFiles {
  public:
    bool FileExists(const std::string& path) override;
    plat::ReadResult ReadWholeFile(const std::string& path, std::string& contents) override;
    bool ReplaceFileAtomically(const std::string& path, const std::string& contents) override;
    plat::DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue,
                                         char* buffer, plat::DWORD bufferSize, const char* fileName) override;
    plat::BOOL WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                          const char* fileName) override;
    bool FolderExists(const std::string& path) override;
    plat::BOOL CreateDirectoryA(const char* path) override;
    plat::FolderTrust GetFolderTrust(const std::string& folder) override;
    plat::BOOL CreateProtectedFolder(const std::string& folder) override;
    bool DeleteFileNoLink(const std::string& path) override;
};

} // namespace win32
