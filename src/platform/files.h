#pragma once
#include <string>

#include "platform/types.h"

namespace plat {

enum class ReadResult { Ok, Missing, Failed };

// What a folder's owner and rights say about who may change what is in it.
enum class FolderTrust {
    Missing,      // no such folder
    AdminOnly,    // owned by SYSTEM, Administrators or TrustedInstaller, and only they may write
    UserWritable, // a standard user (or everybody) may write or owns it
    Link,         // a junction or symbolic link: never followed
    Unknown       // its security cannot be read
};

// Files the program keeps: srvStat.txt and code.ini. Relative paths resolve against the
// current directory.
class IFiles {
  public:
    virtual ~IFiles() = default;
    virtual bool FileExists(const std::string& path) = 0;
    virtual ReadResult ReadWholeFile(const std::string& path, std::string& contents) = 0;
    // Writes a temporary file in the same folder, flushes it and renames it over path, so
    // that path holds either the old or the new contents, never a part.
    virtual bool ReplaceFileAtomically(const std::string& path, const std::string& contents) = 0;
    virtual DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue,
                                           char* buffer, DWORD bufferSize, const char* fileName) = 0;
    virtual BOOL WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                            const char* fileName) = 0;

    virtual bool FolderExists(const std::string& path) = 0;
    // Fails with ERROR_ALREADY_EXISTS when the folder is there already.
    virtual BOOL CreateDirectoryA(const char* path) = 0;
    virtual FolderTrust GetFolderTrust(const std::string& folder) = 0;
    // Creates folder owned by Administrators with a protected DACL (SYSTEM and Administrators
    // full control, Users read), so only administrators may change what is in it. Needs
    // elevation (ERROR_ACCESS_DENIED otherwise); ERROR_ALREADY_EXISTS when it is there.
    virtual BOOL CreateProtectedFolder(const std::string& folder) = 0;
    // Deletes a file, unless the file or its folder is a junction or link; true when the file
    // is gone (also when it was not there).
    virtual bool DeleteFileNoLink(const std::string& path) = 0;
};

} // namespace plat
