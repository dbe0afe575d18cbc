#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/kernel.h"
#include "platform/sim/sim_codepage.h"

namespace sim {

// How the simulated UAC prompt is answered when a program asks to run elevated.
enum class UacAnswer {
    Accept,        // the user confirms: the program runs elevated
    Decline,       // the user says no: the launch fails with ERROR_CANCELLED
    Unavailable,   // UAC is off or the user has no administrator: the program runs unelevated
    DeniedByPolicy // elevation requests are refused by policy: the launch fails with error 5
};

// Which session another process runs in: "Local\\" names are per session.
enum class Session { This, Other };

// Process state shared by every simulated interface: one virtual clock, one last error,
// one current directory and the program's path. Sleep only moves the clock. Text is UTF-8,
// as the interfaces take it; ToAnsi tells what an A call would have made of it.
class SimKernel : public plat::IKernel {
  public:
    SimKernel();
    // Local time at virtual time 0: 9 December 2026, 08:00:00.000.
    static constexpr int64_t StartOfTimeDays = 20796; // days since 1 January 1970
    static constexpr uint64_t StartOfTimeMs = 8ull * 3600 * 1000;
    plat::DWORD GetLastError() override { return lastError_; }
    void SetLastError(plat::DWORD code) override { lastError_ = code; }
    void Sleep(plat::DWORD milliseconds) override;
    uint64_t GetTickCount64() override { return now_; }
    std::string GetModuleFileName() override { return modulePath_; }
    plat::BOOL SetCurrentDirectory(const char* path) override;
    std::string GetCurrentDirectory() override { return currentDirectory_; }
    std::string GetEnvironmentVariable(const char* name) override;
    // The machine's clock: StartOfTime plus the virtual time.
    void GetLocalTime(plat::SYSTEMTIME* time) override;
    std::string FormatMessage(plat::DWORD code, const std::string& language) override;
    std::vector<std::string> GetUserPreferredUILanguages() override { return displayLanguages_; }
    bool IsProcessElevated() override { return elevated_; }
    // rule: elevation-type-limited
    bool ElevatesAsItself() override { return elevated_ || administratorAccount_; }
    std::string GetProgramDataFolder() override { return programData_; }
    plat::DWORD GetUniversalPath(const std::string& path, std::string* universal) override;
    plat::HANDLE CreateMutex(const char* name) override;
    bool MutexExists(const char* name) override;
    plat::BOOL ReleaseMutex(plat::HANDLE mutex) override;
    plat::DWORD WaitForSingleObject(plat::HANDLE handle, plat::DWORD milliseconds) override;
    plat::BOOL GetExitCodeProcess(plat::HANDLE process, plat::DWORD* exitCode) override;
    plat::BOOL CloseHandle(plat::HANDLE handle) override;

    // The machine. A new kernel is the permissive one: the process holds a full administrator
    // token, as every process does under Wine.
    void SetElevated(bool elevated) { elevated_ = elevated; }
    // The account the process runs as, and whether it is an administrator's (whose UAC prompt
    // only asks for consent and elevates the same account). A standard user's prompt asks for
    // an administrator's password: the elevated process runs as ElevationAccount.
    void SetAccount(std::string name) { account_ = std::move(name); }
    const std::string& Account() const { return account_; }
    void SetAdministratorAccount(bool administrator) { administratorAccount_ = administrator; }
    bool AdministratorAccount() const { return administratorAccount_; }
    void SetElevationAccount(std::string name) { elevationAccount_ = std::move(name); }
    const std::string& ElevationAccount() const { return elevationAccount_; }
    void SetUacAnswer(UacAnswer answer) { uac_ = answer; }
    // The ANSI code page (GetACP): what A functions and files without a BOM are spelled in.
    void SetAnsiCodePage(plat::UINT codePage) { codePage_ = codePage; }
    plat::UINT AnsiCodePage() const { return codePage_; }
    UacAnswer Uac() const { return uac_; }
    void SetEnvironmentVariable(const std::string& name, const std::string& value);
    void SetProgramDataFolder(std::string path) { programData_ = std::move(path); }
    // A network drive of this logon session ("Z:"), reached by unc; an empty unc is a drive
    // whose network path cannot be had. Other logon sessions (an elevated one) do not see it.
    void MapDrive(const std::string& drive, const std::string& unc);
    // The path with a mapped drive replaced by its network path; as it is otherwise.
    std::string WithoutMappedDrive(const std::string& path) const;
    bool OnMappedDrive(const std::string& path) const;
    // Another process of the session holds a mutex of this name (false lets it go). One made
    // by an elevated process cannot be opened by an unelevated one (error 5).
    void HoldMutexElsewhere(const std::string& name, bool held = true, bool deniesUnelevated = false);
    // Another process, in this session or another, owns the mutex for forMs from now (for
    // good without it); it cannot be opened unelevated when that process is elevated.
    // diesOwning: that process ends without releasing it, and a wait then returns WAIT_ABANDONED.
    void OwnMutexElsewhere(const std::string& name, std::optional<uint64_t> forMs, Session session,
                           bool deniesUnelevated, bool diesOwning = false);
    // The calling thread: body runs as another thread of this process, which ends when body
    // returns; a mutex it still owns is abandoned then (the next wait gets WAIT_ABANDONED).
    void RunOnThread(const std::function<void()>& body);
    int CurrentThread() const { return thread_; }
    // A process that has run to its end with exitCode; the handle is the caller's to close.
    plat::HANDLE AddEndedProcess(plat::DWORD exitCode);
    // A process that runs alongside for runsForMs of virtual time; entry is its whole run and
    // takes place when that time has passed (waited for, or passed by the clock), returning
    // its exit code. The handle is the caller's to close.
    plat::HANDLE StartProcess(uint64_t runsForMs, std::function<plat::DWORD()> entry);
    // Ends every process whose time has come; the message loop calls it as time passes.
    void RunDueProcesses();
    int OpenKernelHandles() const { return static_cast<int>(handles_.size()); }

    // Windows' message for code as this machine's language gives it; an empty text removes it.
    // A new kernel knows the English texts of the errors a switch meets.
    void SetSystemMessage(plat::DWORD code, const std::string& text);
    // The display languages, the first being the one Windows is shown in; FormatMessage
    // speaks the languages listed here and English.
    void SetDisplayLanguages(std::vector<std::string> tags) { displayLanguages_ = std::move(tags); }

    // Test controls. Time passing ends the processes whose time has come.
    void Advance(uint64_t milliseconds) {
        now_ += milliseconds;
        RunDueProcesses();
    }
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
        // A process still running: when it ends, and its run.
        std::optional<uint64_t> endsAt;
        std::function<plat::DWORD()> entry;
    };
    struct Mutex {
        int handles = 0;        // open handles of this process
        int heldElsewhere = 0;  // handles of other processes
        int ownerThread = 0;    // the thread of this process that owns it, 0 for none
        int recursion = 0;      // its waits not yet released
        bool abandoned = false; // the last owner ended without releasing it
        bool ownedElsewhere = false;
        std::optional<uint64_t> elsewhereUntil; // the other owner ends then
        bool elsewhereDiesOwning = false;
        bool deniesUnelevated = false;
    };
    // The key of a mutex name in a session's view of the namespaces.
    static std::string MutexKey(const std::string& name, Session session);
    bool Exists(const Mutex& m) const;
    void EndProcess(KernelObject& process);

    uint64_t now_ = 0;
    int thread_ = 1; // the calling thread; 1 is the main one
    int nextThread_ = 2;
    std::map<plat::DWORD, std::string> messages_; // English
    // Some of the texts in other languages, by language ("de", "ja", "pt-BR").
    std::map<std::string, std::map<plat::DWORD, std::string>> localizedMessages_;
    std::vector<std::string> displayLanguages_ = {"en-US"};
    bool elevated_ = true;
    bool administratorAccount_ = true;
    std::string account_ = "Ann";
    std::string elevationAccount_ = "Admin";
    plat::UINT codePage_ = CP_WESTERN;
    UacAnswer uac_ = UacAnswer::Accept;
    std::map<std::string, std::string> environment_;  // upper-cased name -> value
    std::map<std::string, Mutex> mutexes_;            // by MutexKey
    std::map<std::string, std::string> mappedDrives_; // "Z:" -> unc
    std::string programData_ = "C:\\ProgramData";
    std::map<plat::HANDLE, KernelObject> handles_;
    std::vector<KernelObject> detached_; // running processes nobody holds a handle of
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
