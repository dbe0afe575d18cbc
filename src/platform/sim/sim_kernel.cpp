#include "platform/sim/sim_kernel.h"

#include <algorithm>

namespace sim {
namespace {

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool HasWildcard(const std::string& path) {
    return path.find_first_of("?*") != std::string::npos;
}

std::vector<std::string> SplitPath(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (IsSeparator(c)) {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    parts.push_back(part);
    return parts;
}

} // namespace

std::string Upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

bool SameText(const std::string& a, const std::string& b) {
    return CompareNoCase(a, b) == 0;
}

int CompareNoCase(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(Lower(a[i]));
        const auto y = static_cast<unsigned char>(Lower(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

void SimKernel::Sleep(plat::DWORD milliseconds) {
    sleeps_.push_back(milliseconds);
    now_ += milliseconds;
}

plat::BOOL SimKernel::SetCurrentDirectory(const char* path) {
    if (path == nullptr || *path == '\0') {
        lastError_ = plat::ERROR_INVALID_PARAMETER;
        return 0;
    }
    if (!IsUtf8(path)) {
        lastError_ = plat::ERROR_NO_UNICODE_TRANSLATION;
        return 0;
    }
    const std::string full = FullPath(path);
    if (HasWildcard(full)) {
        lastError_ = plat::ERROR_INVALID_NAME;
        return 0;
    }
    for (const auto& missing : missingFolders_) {
        if (SameText(missing, full)) {
            lastError_ = plat::ERROR_PATH_NOT_FOUND;
            return 0;
        }
    }
    currentDirectory_ = full;
    return 1;
}

void SimKernel::AddMissingFolder(const std::string& path) {
    missingFolders_.push_back(FullPath(path));
}

bool SimKernel::IsMissingFolder(const std::string& path) const {
    const std::string full = FullPath(path);
    if (HasWildcard(full)) return true;
    // A folder inside a missing one is missing too.
    for (const auto& missing : missingFolders_)
        if (SameText(missing, full) ||
            (full.size() > missing.size() && SameText(full.substr(0, missing.size()), missing) &&
             IsSeparator(full[missing.size()])))
            return true;
    return false;
}

void SimKernel::RemoveMissingFolder(const std::string& path) {
    const std::string full = FullPath(path);
    std::erase_if(missingFolders_, [&](const std::string& m) { return SameText(m, full); });
}

std::string SimKernel::FullPath(const std::string& path) const {
    const bool hasDrive = path.size() >= 2 && path[1] == ':';
    std::string start;
    std::string rest = path;
    if (hasDrive) {
        start = path.substr(0, 2);
        rest = path.substr(2);
        if (rest.empty() || !IsSeparator(rest[0])) rest = "\\" + rest;
    } else if (!path.empty() && IsSeparator(path[0])) {
        start = currentDirectory_.substr(0, 2);
    } else {
        start = currentDirectory_.substr(0, 2);
        rest = currentDirectory_.substr(2) + "\\" + path;
    }
    std::vector<std::string> kept;
    for (const auto& part : SplitPath(rest)) {
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (!kept.empty()) kept.pop_back();
            continue;
        }
        kept.push_back(part);
    }
    std::string full = start;
    for (const auto& part : kept)
        full += "\\" + part;
    if (kept.empty()) full += "\\";
    return full;
}

std::string SimKernel::GetEnvironmentVariable(const char* name) {
    if (!name) return {};
    auto it = environment_.find(Upper(name));
    if (it == environment_.end()) {
        lastError_ = 203; // ERROR_ENVVAR_NOT_FOUND
        return {};
    }
    return it->second;
}

void SimKernel::SetEnvironmentVariable(const std::string& name, const std::string& value) {
    environment_[Upper(name)] = value;
}

plat::HANDLE SimKernel::CreateMutex(const char* name) {
    const std::string key = name ? Upper(name) : std::string();
    const bool existed = !key.empty() && mutexes_[key] > 0;
    if (!key.empty()) ++mutexes_[key];
    const plat::HANDLE h = nextHandle_;
    nextHandle_ += 4;
    // An unnamed mutex is never shared: it gets a name nobody else can ask for.
    handles_[h] = KernelObject{key.empty() ? "<unnamed " + std::to_string(h) + ">" : key, 0};
    if (key.empty()) ++mutexes_[handles_[h].mutexName];
    lastError_ = existed ? plat::ERROR_ALREADY_EXISTS : plat::ERROR_SUCCESS;
    return h;
}

void SimKernel::HoldMutexElsewhere(const std::string& name, bool held) {
    int& holders = mutexes_[Upper(name)];
    holders = held ? holders + 1 : std::max(0, holders - 1);
}

plat::HANDLE SimKernel::AddEndedProcess(plat::DWORD exitCode) {
    const plat::HANDLE h = nextHandle_;
    nextHandle_ += 4;
    handles_[h] = KernelObject{{}, exitCode};
    return h;
}

plat::DWORD SimKernel::WaitForSingleObject(plat::HANDLE handle, plat::DWORD) {
    // Every simulated process has ended by the time its handle is handed out.
    if (!handles_.count(handle)) {
        lastError_ = plat::ERROR_INVALID_HANDLE;
        return plat::WAIT_FAILED;
    }
    return plat::WAIT_OBJECT_0;
}

plat::BOOL SimKernel::GetExitCodeProcess(plat::HANDLE process, plat::DWORD* exitCode) {
    auto it = handles_.find(process);
    if (it == handles_.end() || !it->second.mutexName.empty()) {
        lastError_ = plat::ERROR_INVALID_HANDLE;
        return 0;
    }
    if (exitCode) *exitCode = it->second.exitCode;
    return 1;
}

plat::BOOL SimKernel::CloseHandle(plat::HANDLE handle) {
    auto it = handles_.find(handle);
    if (it == handles_.end()) {
        lastError_ = plat::ERROR_INVALID_HANDLE;
        return 0;
    }
    if (!it->second.mutexName.empty()) {
        auto m = mutexes_.find(it->second.mutexName);
        if (m != mutexes_.end() && --m->second <= 0) mutexes_.erase(m);
    }
    handles_.erase(it);
    return 1;
}

} // namespace sim
