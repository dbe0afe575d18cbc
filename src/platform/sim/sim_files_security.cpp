// Who owns a simulated folder, who may write in it, and the links planted in the tree: the
// rules Windows applies to ProgramData, Program Files and a user's own folders.
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_kernel.h"

namespace sim {
using namespace plat;

namespace {

bool IsAdministrative(const std::string& owner) {
    return SameText(owner, "Administrators") || SameText(owner, "SYSTEM") || SameText(owner, "TrustedInstaller");
}

bool IsInside(const std::string& key, const std::string& folder) {
    return key.size() > folder.size() && key.compare(0, folder.size(), folder) == 0 && key[folder.size()] == '\\';
}

} // namespace

std::string SimFiles::RawKey(const std::string& path) const {
    std::string key = Upper(kernel_.WithoutMappedDrive(kernel_.FullPath(path)));
    if (key.size() > 3 && key.back() == '\\') key.pop_back();
    return key;
}

std::string SimFiles::Key(const std::string& path) const {
    std::string key = Upper(kernel_.WithoutMappedDrive(kernel_.FullPath(path)));
    // A link leads wherever it points, as Windows follows junctions; a few hops at most.
    for (int hop = 0; hop < 8; ++hop) {
        bool moved = false;
        for (const auto& [link, target] : links_) {
            if (key == link || IsInside(key, link)) {
                key = target + key.substr(link.size());
                moved = true;
                break;
            }
        }
        if (!moved) break;
    }
    return key;
}

bool SimFiles::UnderLink(const std::string& rawKey) const {
    for (const auto& [link, target] : links_)
        if (rawKey == link || IsInside(rawKey, link)) return true;
    return false;
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

void SimFiles::ProtectFolder(const std::string& path) {
    protected_.insert(Key(path));
}

void SimFiles::LetUsersCreateFoldersIn(const std::string& path) {
    foldersUsersMayCreateIn_.insert(Key(path));
}

void SimFiles::DescribeFolder(const std::string& path, const std::string& owner, bool usersMayWrite) {
    security_[RawKey(path)] = {owner, usersMayWrite};
}

void SimFiles::PlantLink(const std::string& path, const std::string& target) {
    kernel_.RemoveMissingFolder(path);
    links_[RawKey(path)] = RawKey(target);
}

FolderTrust SimFiles::GetFolderTrust(const std::string& folder) {
    const std::string raw = RawKey(folder);
    if (UnderLink(raw)) return FolderTrust::Link;
    if (!FolderExists(folder)) return FolderTrust::Missing;
    if (const FolderSecurity* security = SecurityOf(raw))
        return IsAdministrative(security->owner) && !security->usersMayWrite ? FolderTrust::AdminOnly
                                                                            : FolderTrust::UserWritable;
    return protected_.count(raw) || UnderProtected(raw) ? FolderTrust::AdminOnly : FolderTrust::UserWritable;
}

BOOL SimFiles::CreateProtectedFolder(const std::string& folder) {
    if (!kernel_.IsProcessElevated()) {
        kernel_.SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    if (FolderExists(folder) || UnderLink(RawKey(folder))) {
        kernel_.SetLastError(ERROR_ALREADY_EXISTS);
        return 0;
    }
    kernel_.RemoveMissingFolder(folder);
    security_[RawKey(folder)] = {"Administrators", false};
    return 1;
}

bool SimFiles::DeleteFileNoLink(const std::string& path) {
    const std::string raw = RawKey(path);
    if (UnderLink(raw)) {
        kernel_.SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    if (!files_.count(raw)) return true;
    if (!Writable(raw)) {
        kernel_.SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    files_.erase(raw);
    return true;
}

} // namespace sim
