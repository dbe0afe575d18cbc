#pragma once
#include <map>
#include <optional>
#include <set>
#include <string>

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
    plat::DWORD GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue,
                                         char* buffer, plat::DWORD bufferSize, const char* fileName) override;
    plat::BOOL WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                          const char* fileName) override;
    bool FolderExists(const std::string& path) override;
    plat::BOOL CreateDirectoryA(const char* path) override;
    plat::FolderTrust GetFolderTrust(const std::string& folder) override;
    plat::BOOL CreateProtectedFolder(const std::string& folder) override;
    bool DeleteFileNoLink(const std::string& path) override;

    // Test controls.
    // A folder only an elevated process may write in, as Program Files and Windows are.
    void ProtectFolder(const std::string& path);
    // A protected folder in which a standard user may still create folders, owning what
    // they create (ProgramData).
    void LetUsersCreateFoldersIn(const std::string& path);
    // The account whose unelevated process creates folders (their owner).
    void SetUserName(std::string name) { userName_ = std::move(name); }
    // A folder's owner ("Administrators", "SYSTEM", "TrustedInstaller" or a user's name) and
    // whether its DACL lets standard users write in it; folders inside inherit it.
    void DescribeFolder(const std::string& path, const std::string& owner, bool usersMayWrite);
    // path becomes a junction to target: everything under it is reached in target.
    void PlantLink(const std::string& path, const std::string& target);
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
    struct FolderSecurity {
        std::string owner;
        bool usersMayWrite = true;
    };
    // The full, upper-cased path with mapped drives and links resolved, under which a file is kept.
    std::string Key(const std::string& path) const;
    // The same without following links.
    std::string RawKey(const std::string& path) const;
    bool UnderLink(const std::string& rawKey) const;
    // The security of the folder itself or of the nearest described folder above it.
    const FolderSecurity* SecurityOf(const std::string& folderKey) const;
    bool UnderProtected(const std::string& key) const;
    // The one write-permission check: read-only marks, and the protected folders for a
    // process without elevation.
    bool Writable(const std::string& key, bool elevated) const;
    bool Writable(const std::string& key) const;
    bool InMissingFolder(const std::string& key) const;

    SimKernel& kernel_;
    std::map<std::string, std::string> files_;
    std::set<std::string> readOnly_;
    std::set<std::string> protected_;
    std::set<std::string> foldersUsersMayCreateIn_;
    std::map<std::string, FolderSecurity> security_;
    std::map<std::string, std::string> links_; // raw key -> raw key of the target
    std::string userName_ = "Ann";
    std::set<std::string> failingReads_;
    std::set<std::string> failingReplaces_;
    int replaces_ = 0;
    bool callerGone_ = false;
};

} // namespace sim
