#pragma once
#include <string>

#include "platform/types.h"

namespace plat {

enum class ReadResult { Ok, Missing, Failed };

// What a folder's owner and rights say about who may change what is in it.
enum class FolderTrust {
    Missing,      // no such folder
    AdminOnly,    // owned by SYSTEM, Administrators or TrustedInstaller, and only they may write
    OwnUserOnly,  // owned by this process's own account or those, and only they and it may write
    UserWritable, // another account (or everybody) may write or owns it
    Link,         // a junction, a symbolic link or a file with more than one name: never followed
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
    virtual DWORD GetPrivateProfileString(const char* section, const char* key, const char* defaultValue,
                                          char* buffer, DWORD bufferSize, const char* fileName) = 0;
    virtual BOOL WritePrivateProfileString(const char* section, const char* key, const char* value,
                                           const char* fileName) = 0;

    virtual bool FolderExists(const std::string& path) = 0;
    // Fails with ERROR_ALREADY_EXISTS when the folder is there already.
    virtual BOOL CreateDirectory(const char* path) = 0;
    // Judged by path (attributes first, then the security, each looking the path up anew):
    // for choices only, never for what the elevated side goes on to trust.
    virtual FolderTrust GetFolderTrust(const std::string& folder) = 0;
    // Opens the folder as itself (never what a link leads to), judges it through that handle
    // and keeps the handle in *pin, not shared for delete, so that nobody can rename, delete or
    // re-point the folder until UnpinFolder: the folder judged is the folder later paths reach.
    // *pin is 0 when the folder cannot be opened (Missing, Unknown).
    virtual FolderTrust PinFolder(const std::string& folder, HANDLE* pin) = 0;
    virtual void UnpinFolder(HANDLE pin) = 0;
    // Opens a file as itself and judges it through that handle (its owner and DACL, Link for a
    // reparse point or a second name), reading it through the same handle. Missing or Failed
    // say why nothing was judged.
    virtual ReadResult ReadFileAsItself(const std::string& path, std::string& contents, FolderTrust& trust) = 0;
    // The switch lock: a file made for this process alone (nobody else may open its contents,
    // so nobody can hold it) and deleted when its handle closes. 0 with ERROR_SHARING_VIOLATION
    // while another process holds it.
    virtual HANDLE TakeLockFile(const std::string& path) = 0;
    virtual void ReleaseLockFile(HANDLE lock) = 0;
    // Whether the lock file is there and was made since the machine started (one left by a
    // power cut is not held by anybody).
    virtual bool LockFileHeld(const std::string& path) = 0;
    // Creates folder owned by Administrators with a protected DACL (SYSTEM and Administrators
    // full control, Users read), so only administrators may change what is in it. Needs
    // elevation (ERROR_ACCESS_DENIED otherwise); ERROR_ALREADY_EXISTS when it is there.
    virtual BOOL CreateProtectedFolder(const std::string& folder) = 0;
    // Deletes a file, unless the file or its folder is a junction or link; true when the file
    // is gone (also when it was not there).
    virtual bool DeleteFileNoLink(const std::string& path) = 0;
};

} // namespace plat
