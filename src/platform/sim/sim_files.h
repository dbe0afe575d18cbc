#pragma once
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/files.h"

namespace sim {

class SimKernel;

// Files held in memory, keyed by their full path (case-insensitive). Relative paths resolve
// against the kernel's current directory. Folders exist implicitly; a folder or a file can be
// made read-only, and reads or replacements of one path can be made to fail.
class SimFiles : public plat::IFiles {
  public:
    explicit SimFiles(SimKernel& kernel) : kernel_(kernel) {}

    bool FileExists(const std::string& path) override;
    plat::ReadResult ReadWholeFile(const std::string& path, std::string& contents) override;
    bool ReplaceFileAtomically(const std::string& path, const std::string& contents) override;
    plat::DWORD GetPrivateProfileString(const char* section, const char* key, const char* defaultValue,
                                         char* buffer, plat::DWORD bufferSize, const char* fileName) override;
    plat::BOOL WritePrivateProfileString(const char* section, const char* key, const char* value,
                                          const char* fileName) override;
    bool FolderExists(const std::string& path) override;
    plat::BOOL CreateDirectory(const char* path) override;
    bool CanCreateFilesIn(const std::string& folder) override;

    // Test controls.
    // A folder only an elevated process may write in, as Program Files and Windows are.
    void ProtectFolder(const std::string& path);
    // The writing process has ended: nothing it still tries to write arrives.
    void SetCallerGone(bool gone) { callerGone_ = gone; }
    void Put(const std::string& path, const std::string& contents);
    std::optional<std::string> Get(const std::string& path) const;
    void Remove(const std::string& path);
    void SetReadOnly(const std::string& path, bool readOnly = true);
    void FailReads(const std::string& path);
    void FailReplaces(const std::string& path);
    int ReplaceCount() const { return replaces_; }

  private:
    std::string Key(const std::string& path) const;
    std::string IniText(const std::string& key, bool* unicode) const;
    void PutIniText(const std::string& key, const std::vector<std::string>& lines, bool unicode);
    // The one write-permission check: read-only marks, and the protected folders for a
    // process without elevation.
    bool Writable(const std::string& key, bool elevated) const;
    bool Writable(const std::string& key) const;
    bool InMissingFolder(const std::string& key) const;

    SimKernel& kernel_;
    std::map<std::string, std::string> files_;
    std::set<std::string> readOnly_;
    std::set<std::string> protected_;
    std::set<std::string> failingReads_;
    std::set<std::string> failingReplaces_;
    int replaces_ = 0;
    bool callerGone_ = false;
};

} // namespace sim
