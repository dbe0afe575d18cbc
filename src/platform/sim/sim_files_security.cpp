// Who owns a simulated folder or file, who may write in it, the links planted in the tree and
// the moment at which each call looks a path up: the rules Windows applies to ProgramData,
// Program Files and a user's own folders, and the windows a race has between two calls.
//
// Sources. Each path component is looked up at each open, and a junction anywhere in it is
// followed unless it is the last component of an open with FILE_FLAG_OPEN_REPARSE_POINT
// (CreateFileW, "Symbolic link behavior"). GetFileAttributesW and GetNamedSecurityInfoW are
// separate lookups of the path (one call each). GetTempFileNameW creates the file and closes
// it, so CreateFileW and MoveFileExW look the path up again. A handle opened without
// FILE_SHARE_DELETE makes a rename or delete of that object fail with a sharing violation
// while it is held (CreateFileW, dwShareMode). Renaming a folder needs DELETE on it or
// FILE_DELETE_CHILD on its parent; turning a folder into a mount point needs write access to
// it and an empty folder (FSCTL_SET_REPARSE_POINT). A file with more than one name reports
// nNumberOfLinks > 1 (BY_HANDLE_FILE_INFORMATION). Unverified against a Windows-run test: the
// exact order in which a real switch makes these calls (each call here counts as one).
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_kernel.h"

namespace sim {
using namespace plat;

namespace {

// rule: fs-administrative-owners
bool IsAdministrative(const std::string& owner) {
    return SameText(owner, "Administrators") || SameText(owner, "SYSTEM") || SameText(owner, "TrustedInstaller");
}

bool IsInside(const std::string& key, const std::string& folder) {
    return key.size() > folder.size() && key.compare(0, folder.size(), folder) == 0 && key[folder.size()] == '\\';
}

std::string ParentOf(const std::string& key) {
    const auto slash = key.rfind('\\');
    return slash == std::string::npos || slash < 2 ? key : key.substr(0, slash);
}

} // namespace

std::string SimFiles::RawKey(const std::string& path) const {
    std::string key = Upper(kernel_.WithoutMappedDrive(kernel_.FullPath(path)));
    if (key.size() > 3 && key.back() == '\\') key.pop_back();
    return key;
}

// Component by component, from the root: a junction met on the way is followed and the walk
// starts again from its target; a few hops at most.
// rule: fs-junctions-followed-per-component
std::string SimFiles::Resolve(const std::string& raw, bool followLast) const {
    std::string key = raw;
    for (int hop = 0; hop < 16; ++hop) {
        bool moved = false;
        for (size_t end = key.find('\\', 3);; end = key.find('\\', end + 1)) {
            const bool last = end == std::string::npos;
            if (last && !followLast) break;
            const std::string prefix = last ? key : key.substr(0, end);
            if (auto it = links_.find(prefix); it != links_.end()) {
                key = it->second + (last ? "" : key.substr(end));
                moved = true;
                break;
            }
            if (last) break;
        }
        if (!moved) break;
    }
    return key;
}

std::string SimFiles::Key(const std::string& path) const {
    return Resolve(RawKey(path), true);
}

std::string SimFiles::KeyAsItself(const std::string& path) const {
    return Resolve(RawKey(path), false);
}

const SimFiles::FolderSecurity* SimFiles::SecurityOf(const std::string& folderKey) const {
    for (std::string folder = folderKey;;) {
        auto it = security_.find(folder);
        if (it != security_.end()) return &it->second;
        const auto slash = folder.rfind('\\');
        if (slash == std::string::npos || slash < 2) return nullptr;
        folder.erase(slash);
    }
}

bool SimFiles::UnderProtected(const std::string& key) const {
    for (const auto& folder : protected_)
        if (IsInside(key, folder)) return true;
    return false;
}

// Judged for the account the process runs as: a folder of nobody's but the administrators'
// and its own is one it may trust; a folder nobody described is the machine user's own.
FolderTrust SimFiles::Judge(const std::string& key) const {
    std::string owner = userName_;
    bool othersMayWrite = false;
    if (const FolderSecurity* security = SecurityOf(key)) {
        owner = security->owner;
        othersMayWrite = security->usersMayWrite;
    } else if (protected_.count(key) || UnderProtected(key)) {
        owner = "Administrators";
    }
    // rule: fs-trust-for-the-acting-account
    if (othersMayWrite) return FolderTrust::UserWritable;
    if (IsAdministrative(owner)) return FolderTrust::AdminOnly;
    return SameText(owner, kernel_.Account()) ? FolderTrust::OwnUserOnly : FolderTrust::UserWritable;
}

void SimFiles::ProtectFolder(const std::string& path) {
    protected_.insert(Key(path));
}

void SimFiles::LetUsersCreateFoldersIn(const std::string& path) {
    foldersUsersMayCreateIn_.insert(Key(path));
}

void SimFiles::LetUsersDeleteIn(const std::string& path) {
    foldersUsersMayDeleteIn_.insert(Key(path));
}

void SimFiles::DescribeFolder(const std::string& path, const std::string& owner, bool usersMayWrite) {
    security_[RawKey(path)] = {owner, usersMayWrite};
}

void SimFiles::PlantLink(const std::string& path, const std::string& target) {
    kernel_.RemoveMissingFolder(path);
    links_[RawKey(path)] = RawKey(target);
}

void SimFiles::PlantHardLink(const std::string& path, const std::string& existing) {
    const std::string key = Key(existing);
    hardLinks_[Key(path)] = key;
    if (const FolderSecurity* security = SecurityOf(key)) security_[Key(path)] = *security;
}

void SimFiles::FlipAtCalls(const std::string& folder, const std::string& target, std::vector<int> calls) {
    flips_.push_back({RawKey(folder), RawKey(target), std::move(calls)});
}

bool SimFiles::Pinned(const std::string& key) const {
    for (const auto& [handle, pinned] : pins_)
        if (pinned == key) return true;
    return false;
}

// The other account's move: the folder becomes a mount point to the target, or back. In place
// when the folder is empty and it may write it; otherwise by renaming it away, which a pin
// (or the lack of a right to delete it) refuses.
void SimFiles::Flip(const FlipPlan& plan) {
    const std::string& folder = plan.folder;
    if (links_.count(folder)) {
        links_.erase(folder); // its own junction: it may take it away again
        ++flipsDone_;
        return;
    }
    const FolderSecurity* security = SecurityOf(folder);
    const bool mayWrite = security ? (security->usersMayWrite || SameText(security->owner, userName_))
                                   : !(protected_.count(folder) || UnderProtected(folder));
    bool empty = true;
    for (const auto& [key, contents] : files_)
        if (IsInside(key, folder)) empty = false;
    if (empty && mayWrite) {
        links_[folder] = plan.target;
        ++flipsDone_;
        return;
    }
    const bool mayDelete = mayWrite || foldersUsersMayDeleteIn_.count(ParentOf(folder));
    // rule: fs-rename-needs-delete-and-no-pin
    if (!mayDelete || Pinned(folder)) return; // sharing violation or access denied
    std::map<std::string, std::string> moved;
    for (auto it = files_.begin(); it != files_.end();) {
        if (IsInside(it->first, folder)) {
            moved[folder + ".OLD" + it->first.substr(folder.size())] = it->second;
            it = files_.erase(it);
        } else {
            ++it;
        }
    }
    files_.merge(moved);
    if (auto it = security_.find(folder); it != security_.end()) {
        security_[folder + ".OLD"] = it->second;
        security_.erase(it);
    }
    links_[folder] = plan.target;
    ++flipsDone_;
}

void SimFiles::Tick() {
    ++calls_;
    for (const auto& plan : flips_)
        for (int at : plan.calls)
            if (at == calls_) Flip(plan);
}

FolderTrust SimFiles::GetFolderTrust(const std::string& folder) {
    // rule: fs-path-calls-look-up-separately
    // Two lookups, as GetFileAttributesW and GetNamedSecurityInfoW make them.
    Tick();
    const std::string asItself = KeyAsItself(folder);
    if (links_.count(asItself)) return FolderTrust::Link;
    if (!FolderThere(Key(folder))) return FolderTrust::Missing;
    Tick();
    return Judge(Key(folder));
}

FolderTrust SimFiles::PinFolder(const std::string& folder, HANDLE* pin) {
    *pin = 0;
    Tick();
    const std::string key = KeyAsItself(folder);
    const bool link = links_.count(key) != 0;
    if (!link && (kernel_.IsMissingFolder(key) || files_.count(key))) {
        kernel_.SetLastError(ERROR_FILE_NOT_FOUND);
        return FolderTrust::Missing;
    }
    *pin = nextPin_++;
    pins_[*pin] = key;
    return link ? FolderTrust::Link : Judge(key);
}

void SimFiles::UnpinFolder(HANDLE pin) {
    pins_.erase(pin);
}

ReadResult SimFiles::ReadFileAsItself(const std::string& path, std::string& contents, FolderTrust& trust) {
    trust = FolderTrust::Unknown;
    Tick();
    const std::string key = KeyAsItself(path);
    if (links_.count(key)) {
        trust = FolderTrust::Link;
        contents.clear();
        return ReadResult::Ok;
    }
    if (failingReads_.count(key)) {
        kernel_.SetLastError(ERROR_ACCESS_DENIED);
        return ReadResult::Failed;
    }
    if (HeldOpenElsewhere(Key(path))) return ReadResult::Failed;
    const std::string stored = Stored(key);
    auto it = files_.find(stored);
    if (it == files_.end()) {
        kernel_.SetLastError(ERROR_FILE_NOT_FOUND);
        return ReadResult::Missing;
    }
    // rule: fs-hard-link-count
    bool secondName = stored != key;
    for (const auto& [name, target] : hardLinks_)
        if (target == key) secondName = true;
    trust = secondName ? FolderTrust::Link : Judge(key);
    contents = it->second;
    return ReadResult::Ok;
}

BOOL SimFiles::CreateProtectedFolder(const std::string& folder) {
    Tick();
    // rule: fs-protected-folder-needs-elevation-to-make
    if (!kernel_.IsProcessElevated()) {
        kernel_.SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    const std::string key = KeyAsItself(folder);
    if (FolderThere(key) || links_.count(key)) {
        kernel_.SetLastError(ERROR_ALREADY_EXISTS);
        return 0;
    }
    kernel_.RemoveMissingFolder(key);
    security_[key] = {"Administrators", false};
    return 1;
}

bool SimFiles::DeleteFileNoLink(const std::string& path) {
    // The folder's attributes, then the file opened as itself: two lookups.
    Tick();
    if (links_.count(KeyAsItself(ParentOf(RawKey(path))))) {
        kernel_.SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    Tick();
    const std::string key = KeyAsItself(path);
    // rule: fs-delete-removes-the-name-not-the-target
    if (links_.count(key)) {
        kernel_.SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    if (hardLinks_.erase(key)) return true;
    if (!files_.count(key)) return true;
    if (!Writable(key)) {
        kernel_.SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    files_.erase(key);
    return true;
}

HANDLE SimFiles::TakeLockFile(const std::string& path) {
    Tick();
    const std::string key = Key(path);
    if (InMissingFolder(key)) {
        kernel_.SetLastError(ERROR_PATH_NOT_FOUND);
        return 0;
    }
    auto held = locks_.find(key);
    if (held != locks_.end() && held->second.elsewhereUntil && *held->second.elsewhereUntil <= kernel_.GetTickCount64())
        locks_.erase(held), held = locks_.end();
    // rule: fs-exclusive-open-sharing-violation
    if (held != locks_.end()) {
        kernel_.SetLastError(ERROR_SHARING_VIOLATION);
        return 0;
    }
    if (!Writable(key)) {
        kernel_.SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    const HANDLE lock = nextPin_++;
    locks_[key] = {lock, std::nullopt};
    files_[key] = "";
    return lock;
}

void SimFiles::ReleaseLockFile(HANDLE lock) {
    for (auto it = locks_.begin(); it != locks_.end(); ++it) {
        if (it->second.handle == lock) {
            // rule: fs-delete-on-close
            files_.erase(it->first); // deleted on close
            locks_.erase(it);
            return;
        }
    }
}

bool SimFiles::LockFileHeld(const std::string& path) {
    Tick();
    auto it = locks_.find(Key(path));
    if (it == locks_.end()) return false; // a file left by a power cut is nobody's lock
    return !it->second.elsewhereUntil || *it->second.elsewhereUntil > kernel_.GetTickCount64();
}

void SimFiles::HoldLockElsewhere(const std::string& path, std::optional<uint64_t> forMs) {
    const std::string key = Key(path);
    files_[key] = "";
    locks_[key] = {0, forMs ? std::optional<uint64_t>(kernel_.GetTickCount64() + *forMs) : std::nullopt};
}

} // namespace sim
