#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/kernel.h"
#include "platform/sim/sim_codepage.h"

namespace sim {

// How the simulated UAC prompt is answered when a program asks to run elevated.
enum class UacAnswer {
    Accept,     // the user confirms: the program runs elevated
    Decline,    // the user says no: the launch fails with ERROR_CANCELLED
    Unavailable // UAC is off or the user has no administrator: the program runs unelevated
};

// Process state shared by every simulated interface: one virtual clock, one last error,
// one current directory and the program's path. Sleep only moves the clock. Text is UTF-8,
// as the interfaces take it; ToAnsi tells what an A call would have made of it.
class SimKernel : public plat::IKernel {
  public:
    plat::DWORD GetLastError() override { return lastError_; }
    void SetLastError(plat::DWORD code) override { lastError_ = code; }
    void Sleep(plat::DWORD milliseconds) override;
    uint64_t GetTickCount64() override { return now_; }
    std::string GetModuleFileName() override { return modulePath_; }
    plat::BOOL SetCurrentDirectory(const char* path) override;
    std::string GetCurrentDirectory() override { return currentDirectory_; }
    std::string GetEnvironmentVariable(const char* name) override;
    bool IsProcessElevated() override { return elevated_; }
    plat::HANDLE CreateMutex(const char* name) override;
    plat::DWORD WaitForSingleObject(plat::HANDLE handle, plat::DWORD milliseconds) override;
    plat::BOOL GetExitCodeProcess(plat::HANDLE process, plat::DWORD* exitCode) override;
    plat::BOOL CloseHandle(plat::HANDLE handle) override;

    // The machine. A new kernel is the permissive one: the process holds a full administrator
    // token, as every process does under Wine.
    void SetElevated(bool elevated) { elevated_ = elevated; }
    void SetUacAnswer(UacAnswer answer) { uac_ = answer; }
    // The ANSI code page (GetACP): what A functions and files without a BOM are spelled in.
    void SetAnsiCodePage(plat::UINT codePage) { codePage_ = codePage; }
    plat::UINT AnsiCodePage() const { return codePage_; }
    UacAnswer Uac() const { return uac_; }
    void SetEnvironmentVariable(const std::string& name, const std::string& value);
    // Another process of the session holds a mutex of this name (0 ends it).
    void HoldMutexElsewhere(const std::string& name, bool held = true);
    // A process that has run to its end with exitCode; the handle is the caller's to close.
    plat::HANDLE AddEndedProcess(plat::DWORD exitCode);
    int OpenKernelHandles() const { return static_cast<int>(handles_.size()); }

    // Test controls.
    void Advance(uint64_t milliseconds) { now_ += milliseconds; }
    void SetModuleFileName(std::string path) { modulePath_ = std::move(path); }
    // Folders that SetCurrentDirectory refuses with ERROR_PATH_NOT_FOUND.
    void AddMissingFolder(const std::string& path);
    bool IsMissingFolder(const std::string& path) const;
    void RemoveMissingFolder(const std::string& path);
    const std::vector<plat::DWORD>& Sleeps() const { return sleeps_; }
    void ClearSleeps() { sleeps_.clear(); }

    // Windows path rules used by every simulated interface: '/' and '\' both separate,
    // "." and ".." are resolved, a relative path starts at the current directory.
    // A '?' or '*' (what an A call makes of a letter its code page lacks) names nothing.
    std::string FullPath(const std::string& path) const;

  private:
    struct KernelObject {
        std::string mutexName; // empty for a process
        plat::DWORD exitCode = 0;
    };

    uint64_t now_ = 0;
    bool elevated_ = true;
    plat::UINT codePage_ = CP_WESTERN;
    UacAnswer uac_ = UacAnswer::Accept;
    std::map<std::string, std::string> environment_; // upper-cased name -> value
    std::map<std::string, int> mutexes_;             // upper-cased name -> holders
    std::map<plat::HANDLE, KernelObject> handles_;
    plat::HANDLE nextHandle_ = 0x9000;
    plat::DWORD lastError_ = 0;
    std::string currentDirectory_ = "C:\\Tarnwick";
    std::string modulePath_ = "C:\\Tarnwick\\Tarnwick.exe";
    std::vector<std::string> missingFolders_;
    std::vector<plat::DWORD> sleeps_;
};

// ASCII upper case, the key under which names and paths are kept.
std::string Upper(std::string s);
// ASCII case-insensitive equality, the way Windows compares service, key and ini names.
bool SameText(const std::string& a, const std::string& b);
// Ordinal order of the lower-cased names (the order _stricmp gives).
int CompareNoCase(const std::string& a, const std::string& b);

} // namespace sim
