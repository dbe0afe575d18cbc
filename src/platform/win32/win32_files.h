#pragma once
#include "platform/files.h"

namespace win32 {

class Win32Files : public plat::IFiles {
  public:
    bool FileExists(const std::string& path) override;
    plat::ReadResult ReadWholeFile(const std::string& path, std::string& contents) override;
    bool ReplaceFileAtomically(const std::string& path, const std::string& contents) override;
    plat::DWORD GetPrivateProfileString(const char* section, const char* key, const char* defaultValue,
                                        char* buffer, plat::DWORD bufferSize, const char* fileName) override;
    plat::BOOL WritePrivateProfileString(const char* section, const char* key, const char* value,
                                         const char* fileName) override;
    bool FolderExists(const std::string& path) override;
    plat::BOOL CreateDirectory(const char* path) override;
    plat::FolderTrust GetFolderTrust(const std::string& folder) override;
    plat::BOOL CreateProtectedFolder(const std::string& folder) override;
    bool DeleteFileNoLink(const std::string& path) override;
    plat::FolderTrust PinFolder(const std::string& folder, plat::HANDLE* pin) override;
    void UnpinFolder(plat::HANDLE pin) override;
    plat::ReadResult ReadFileAsItself(const std::string& path, std::string& contents,
                                      plat::FolderTrust& trust) override;
    plat::HANDLE TakeLockFile(const std::string& path) override;
    void ReleaseLockFile(plat::HANDLE lock) override;
    bool LockFileHeld(const std::string& path) override;

  private:
    bool MakeUnicodeIni(const std::string& path);
};

} // namespace win32
