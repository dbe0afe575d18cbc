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

    // Test controls.
    // A folder only an elevated process may write in, as Program Files and Windows are.
    void ProtectFolder(const std::string& path);
    // A protected folder in which a standard user may still create folders, owning what
    // they create (ProgramData).
    void LetUsersCreateFoldersIn(const std::string& path);
    // A folder whose DACL lets standard users delete what is in it (FILE_DELETE_CHILD), so
    // they may rename a folder inside away unless somebody holds it open.
    void LetUsersDeleteIn(const std::string& path);
    // The machine's user: owner of the folders nobody described and of those she creates.
    void SetUserName(std::string name) { userName_ = std::move(name); }
    // A folder's owner ("Administrators", "SYSTEM", "TrustedInstaller" or a user's name) and
    // whether its DACL lets standard users write in it; folders inside inherit it.
    void DescribeFolder(const std::string& path, const std::string& owner, bool usersMayWrite);
    // path becomes a junction to target: everything under it is reached in target.
    void PlantLink(const std::string& path, const std::string& target);
    // path becomes a second name of the existing file.
    void PlantHardLink(const std::string& path, const std::string& existing);
    // The machine's user turns folder into a mount point to target, or back, at each of the
    // given file-system calls (counted from 1; each call of this interface is one, a call
    // that looks paths up several times on Windows counts as several).
    void FlipAtCalls(const std::string& folder, const std::string& target, std::vector<int> calls);
    int Calls() const { return calls_; }
    int FlipsDone() const { return flipsDone_; }
    int PinnedFolders() const { return static_cast<int>(pins_.size()); }
    // Another process holds the lock file for forMs from now (for good without it).
    void HoldLockElsewhere(const std::string& path, std::optional<uint64_t> forMs = std::nullopt);
    // The writing process has ended: nothing it still tries to write arrives.
    void SetCallerGone(bool gone) { callerGone_ = gone; }
    void Put(const std::string& path, const std::string& contents);
    std::optional<std::string> Get(const std::string& path) const;
    void Remove(const std::string& path);
    void SetReadOnly(const std::string& path, bool readOnly = true);
    void FailReads(const std::string& path);
    void FailReplaces(const std::string& path);
    // Another thread or process has the file open without sharing it for the next `opens`
    // reads as itself and profile writes of it: they fail with ERROR_SHARING_VIOLATION.
    void HoldOpenElsewhere(const std::string& path, int opens);
    int ReplaceCount() const { return replaces_; }
    // The files kept under folder (at any depth), by their full upper-cased paths.
    std::vector<std::string> FilesIn(const std::string& folder) const;

  private:
    struct FolderSecurity {
        std::string owner;
        bool usersMayWrite = true;
    };
    // The full, upper-cased path with mapped drives and links resolved, under which a file is kept.
    std::string Key(const std::string& path) const;
    bool HeldOpenElsewhere(const std::string& key);
    // The same with a link as the last component left as it is (FILE_FLAG_OPEN_REPARSE_POINT).
    std::string KeyAsItself(const std::string& path) const;
    std::string Resolve(const std::string& raw, bool followLast) const;
    // Where the contents of key are kept: the first name of a file with two.
    std::string Stored(const std::string& key) const {
        auto it = hardLinks_.find(key);
        return it == hardLinks_.end() ? key : it->second;
    }
    plat::FolderTrust Judge(const std::string& key) const;
    struct FlipPlan {
        std::string folder, target;
        std::vector<int> calls;
    };
    void Flip(const FlipPlan& plan);
    bool Pinned(const std::string& key) const;
    // One file-system call: the flips due at it take place first.
    void Tick();
    std::string IniText(const std::string& key, bool* unicode) const;
    void PutIniText(const std::string& key, const std::vector<std::string>& lines, bool unicode);
    // The same without following links.
    std::string RawKey(const std::string& path) const;
    bool FolderThere(const std::string& key) const;
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
    std::set<std::string> foldersUsersMayDeleteIn_;
    std::map<std::string, std::string> hardLinks_; // second name -> first
    std::vector<FlipPlan> flips_;
    int calls_ = 0;
    int flipsDone_ = 0;
    std::map<plat::HANDLE, std::string> pins_;
    plat::HANDLE nextPin_ = 0xF000;
    struct Lock {
        plat::HANDLE handle = 0; // 0: held by another process
        std::optional<uint64_t> elsewhereUntil;
    };
    std::map<std::string, Lock> locks_;
    std::map<std::string, FolderSecurity> security_;
    std::map<std::string, std::string> links_; // raw key -> raw key of the target
    std::string userName_ = "Ann";
    std::set<std::string> failingReads_;
    std::set<std::string> failingReplaces_;
    std::map<std::string, int> heldOpen_;
    int replaces_ = 0;
    int temps_ = 0;
    bool callerGone_ = false;
};

} // namespace sim
