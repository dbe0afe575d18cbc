#pragma once
// The sharing switch: the worker thread TKT, its service operations and the dependents walk.
#include <cstdint>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <unordered_set>

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
// Chooses both homes from the program folder's own rights (see THomes). The per-user folder is
// created when missing (createUserFolder); one that cannot be had leaves the program's folder
// in use.
THomes ChooseHomes(bool createUserFolder = true);
// For the elevated side, before it reads or writes machine state: the machine's folder is
// trusted as it is, or made with administrators-only rights when missing. False for a
// folder somebody else made (a standard user may create folders in ProgramData), a link,
// or one whose rights cannot be read.
bool PrepareMachineFolder(const THomes& homes);

// The second sharing service from the machine's code.ini [Info] SecondService (the machine
// folder when administrators made it, then code.ini beside the program); empty when there
// is none. A user's own code.ini never names it. Read afresh at each call.
std::string SecondServiceName(const THomes& homes);

// The mutex held by whichever process runs a switch, in every session.
inline constexpr const char* SwitchLockName = "Global\\Tarnwick.Switch";
// How long a switch waits for one that runs elsewhere before it says so.
inline constexpr uint32_t SwitchLockWaitMs = 60000;
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
    void UndoStop(const TStringList& stoppedHere, const TStringList& paused);
    TStringList PauseAgain(const TStringList& startedHere, const TStringList& paused);
    void NoteBroughtBack();
    void SaveDependents();
    void LoadDependents();
    TStringList OwedServices(const TServiceSet& allowed);
    void RetireOldRecords();
    static bool Contains(const TStringList& list, const std::string& name);
    void WriteStatusFile(const char* name, const TStringList& names);
    TStringList ReadStatusFile(const char* name);
    static TStringList ReadStatusFileAt(const std::string& path);
    int FindInEnumeration(const std::string& Name) const;

    const TSwitchRequest request_;
    TSwitchReport report_;
    bool keptOn_ = false;
};

} // namespace KillServ
