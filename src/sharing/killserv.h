#pragma once
// The sharing switch: the worker thread TKT, its service operations and the dependents walk.
#include <cstdint>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <unordered_set>

#include "platform/files.h"
#include "platform/thread.h"
#include "platform/types.h"
#include "sharing/killserv_dependents.h"
#include "sharing/killserv_text.h"
#include "sharing/switch_request.h"

namespace KillServ {

using plat::DWORD;
// Upper-cased service names.
using TServiceSet = std::unordered_set<std::string>;

enum TServiceAction : uint8_t { saStart = 0, saStop = 1, saPause = 2, saContinue = 3 };

// The journal's text for a start or control request that Windows refused with code.
std::string RequestErrorText(DWORD code);

// State names by dwCurrentState, 1 to 7; entry 0 is not a state.
extern const char* const ServiceStateNames[8];

// An error that ends the worker's run (a file or registry value that cannot be read or written).
class EKillServError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Unit-wide state: one worker at a time uses it. The lists are emptied when a run starts and
// released when it ends. They are never destroyed, so a worker still running while the
// process ends finds them in place.
extern int32_t WorkerMode;    // 1 = switch, anything else = query
extern int32_t* WorkerResult; // where a query writes 1 (sharing on) or 0
extern TStringList& ServiceNameList;
extern TStringList& ServiceStateList;
extern TStringList& ErrorList;
extern TStringList& DependentList;

// Held while srvStat.txt is written; the program takes it before it ends so that it never
// ends in the middle of a write.
std::mutex& StatusFileLock();

// The folder of the running program file, without a trailing separator except at a root.
std::string ProgramFolder();
// ProgramData\Tarnwick, from the system's own record of ProgramData; empty when it cannot be
// had. The machine's state of an installed copy, and the switch lock of every copy.
std::string MachineDataFolder();
// Chooses both homes from the program folder's own rights (see THomes). The per-user folder is
// created when missing (createUserFolder); one that cannot be had leaves the program's folder
// in use.
THomes ChooseHomes(bool createUserFolder = true);
// What the elevated side may trust: what only administrators may change, or what only they
// and the account that switches may change (an elevation of this same account). For an
// unelevated tray, what its elevated copy will trust.
bool TrustedForTheActingAccount(plat::FolderTrust trust);

// A folder judged through a handle held for as long as this lives (see IFiles::PinFolder):
// the elevated side reads and writes in it by name only while it is pinned and trusted.
class TPinnedFolder {
  public:
    TPinnedFolder() = default;
    // A missing folder is made with administrators-only rights first (makeForAdministrators).
    TPinnedFolder(const std::string& folder, bool makeForAdministrators);
    ~TPinnedFolder();
    TPinnedFolder(const TPinnedFolder&) = delete;
    TPinnedFolder& operator=(const TPinnedFolder&) = delete;
    plat::FolderTrust Trust() const { return trust_; }
    bool AdminOnly() const { return trust_ == plat::FolderTrust::AdminOnly; }
    bool TrustedForTheActingAccount() const { return KillServ::TrustedForTheActingAccount(trust_); }

  private:
    plat::HANDLE pin_ = 0;
    plat::FolderTrust trust_ = plat::FolderTrust::Missing;
};

// The second sharing service from the machine's code.ini [Info] SecondService (the machine
// folder when administrators made it, then code.ini beside a trusted program); empty when
// there is none. A user's own code.ini never names it, nor does a file the acting account
// cannot trust. Read afresh at each call.
std::string SecondServiceName(const THomes& homes);

// The lock held by whichever process runs a switch, in every session: a file in
// MachineDataFolder that only the switching process can open.
inline constexpr const char* SwitchLockFileName = "switch.lock";
std::string SwitchLockPath();
// How long the elevated side's question before a stop waits for an answer before it counts as No.
inline constexpr uint32_t CopyQuestionTimeoutMs = 60000;
// How long a switch waits for one that runs elsewhere before it says so.
inline constexpr uint32_t SwitchLockWaitMs = 60000;
// After an elevated copy's switch has read them: the old per-user records of earlier versions
// (in the user's folder, or beside a copy another account may change) are retired by the
// user's own unelevated process. The elevated side deletes nothing the user controls.
void RetireTheUsersOldRecords(const THomes& homes);
// Waits while a switch runs in another process (an elevated copy, another user's); true when
// none runs any more.
bool WaitWhileSwitchRuns();

class TKT : public plat::TThread {
  public:
    // Mode 1 switches sharing, any other value queries it into *Result, as the request asks.
    // The worker starts at once and frees itself after onFinished has run on the main thread,
    // where its report is read.
    TKT(int32_t Mode, int32_t* Result, std::function<void(plat::TThread* Sender)> onFinished = {},
        TSwitchRequest request = {});
    // A run on the calling thread, for the elevated copy, which has no window to keep alive;
    // RunHere performs it and lets its error through.
    struct InPlace {};
    TKT(InPlace, int32_t Mode, int32_t* Result, TSwitchRequest request = {});
    void RunHere() { DoWork(); }
    const TSwitchRequest& Request() const { return request_; }
    const TSwitchReport& Report() const { return report_; }

    void SwitchSharing();

    // Service control (each opens and closes its own connection; failures go to ErrorList).
    bool ServiceRunning(const std::string& Name);
    bool ServiceStopped(const std::string& Name);
    // Stopped, or on its way there (a stop that outlasted its wait).
    bool ServiceStoppedOrStopping(const std::string& Name);
    // The service's current state; 0 when it cannot be told.
    DWORD StateOf(const std::string& Name);
    // True when the service reached the action's state within its wait.
    bool DoServiceAction(const std::string& Name, TServiceAction Action);
    // The same action for several services at once, waited for together: for each, whether
    // it reached the action's state. With stopAtRefusal a refused request sends no more.
    std::vector<bool> DoServiceActions(const TStringList& Names, TServiceAction Action, bool stopAtRefusal);
    // Waits for stops already under way, as if they had been sent now.
    std::vector<bool> AwaitStops(const TStringList& Names);
    void StopService(const std::string& Name);
    void StopIfRunning(const std::string& Name);
    // True when it was stopped and is running now.
    bool StartIfStopped(const std::string& Name);
    void ListServices();
    void ReportError(const std::string& Text);

    // Dependents through the DependOnService values of the services' registry keys. Each
    // call reads every key once; the overload walks a table read before.
    TStringList FindDependents(const std::string& Name);
    void CollectDependents(const std::string& Root);
    void CollectDependents(const std::string& Root, const TDependencyTable& Dependencies);

  protected:
    void DoWork() override;

  private:
    void Perform();
    void SwitchThroughElevatedCopy();
    void QuerySharing();
    void SwitchHoldingTheLock();
    // False when somebody is connected and the user keeps sharing on.
    bool MayCutOffWhoIsConnected();
    void StopSequence(bool secondRunning, bool serverRunning);
    void StartSequence();
    bool EveryActiveServiceAcceptsStop(const TStringList& names, const TDependencyTable& dependencies);
    void UndoStop(const TStringList& stoppedHere, const TStringList& paused, const TDependencyTable& dependencies);
    TStringList StartInLayers(const TStringList& list, const TDependencyTable& dependencies);
    TStringList PauseAgain(const TStringList& startedHere, const TStringList& paused);
    void NoteBroughtBack();
    void SaveDependents();
    void LoadDependents();
    TStringList OwedServices(const TServiceSet& allowed);
    void RetireOldRecords();
    void SwitchInTrustedFolders();
    static bool Contains(const TStringList& list, const std::string& name);
    void WriteStatusFile(const char* name, const TStringList& names);
    TStringList ReadStatusFile(const char* name);
    // A machine file, judged on its own handle; an old record elsewhere, by path.
    static TStringList ReadStatusFileAt(const std::string& path, bool judged);
    int FindInEnumeration(const std::string& Name) const;

    const TSwitchRequest request_;
    TSwitchReport report_;
    bool keptOn_ = false;
};

} // namespace KillServ
