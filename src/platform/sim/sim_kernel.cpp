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

plat::BOOL SimKernel::SetCurrentDirectoryA(const char* path) {
    if (path == nullptr || *path == '\0') {
        lastError_ = plat::ERROR_INVALID_PARAMETER;
        return 0;
    }
    const std::string full = FullPath(path);
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

} // namespace sim
