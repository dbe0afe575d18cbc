#pragma once
#include <string>

#include "platform/types.h"

namespace plat {

enum class ReadResult { Ok, Missing, Failed };

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
    // Whether this user, running without elevation, may create files in folder: for an
    // elevated process the folder's rights are checked for its unelevated (linked) token;
    // otherwise a probe file is made there and removed.
    virtual bool CanCreateFilesIn(const std::string& folder) = 0;
};

} // namespace plat
