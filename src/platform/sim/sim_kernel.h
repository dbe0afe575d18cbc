#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/kernel.h"

namespace sim {

// Process state shared by every simulated interface: one virtual clock, one last error,
// one current directory and the program's path. Sleep only moves the clock.
class SimKernel : public plat::IKernel {
  public:
    plat::DWORD GetLastError() override { return lastError_; }
    void SetLastError(plat::DWORD code) override { lastError_ = code; }
    void Sleep(plat::DWORD milliseconds) override;
    uint64_t GetTickCount64() override { return now_; }
    std::string GetModuleFileNameA() override { return modulePath_; }
    plat::BOOL SetCurrentDirectoryA(const char* path) override;
    std::string GetCurrentDirectoryA() override { return currentDirectory_; }

    // Test controls.
    void Advance(uint64_t milliseconds) { now_ += milliseconds; }
    void SetModuleFileName(std::string path) { modulePath_ = std::move(path); }
    // Folders that SetCurrentDirectoryA refuses with ERROR_PATH_NOT_FOUND.
    void AddMissingFolder(const std::string& path);
    const std::vector<plat::DWORD>& Sleeps() const { return sleeps_; }
    void ClearSleeps() { sleeps_.clear(); }

    // Windows path rules used by every simulated interface: '/' and '\' both separate,
    // "." and ".." are resolved, a relative path starts at the current directory.
    std::string FullPath(const std::string& path) const;

  private:
    uint64_t now_ = 0;
    plat::DWORD lastError_ = 0;
    std::string currentDirectory_ = "C:\\Tarnwick";
    std::string modulePath_ = "C:\\Tarnwick\\Tarnwick.exe";
    std::vector<std::string> missingFolders_;
    std::vector<plat::DWORD> sleeps_;
};

// ASCII case-insensitive equality, the way Windows compares service, key and ini names.
bool SameText(const std::string& a, const std::string& b);
// Ordinal order of the lower-cased names (the order _stricmp gives).
int CompareNoCase(const std::string& a, const std::string& b);

} // namespace sim
