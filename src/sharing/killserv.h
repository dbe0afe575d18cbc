#pragma once
// The sharing switch: the worker thread TKT, its service operations and the dependents walk.
#include <cstdint>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>

#include "platform/thread.h"
#include "platform/types.h"
#include "sharing/killserv_dependents.h"
#include "sharing/killserv_text.h"

namespace KillServ {

enum TServiceAction : uint8_t { saStart = 0, saStop = 1, saPause = 2, saContinue = 3 };

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

// Where code.ini and srvStat.txt are kept: empty for the current directory (the program's
// folder, as in every portable install), else an absolute folder. One place decides it
// (ChooseDataFolder) and every file path comes from DataFile.
extern std::string DataFolderPath;
// The path of one of the program's files: "./name" beside the program, else in the folder.
std::string DataFile(const std::string& name);
// The absolute data folder, also when it is the current directory.
std::string DataFolder();
// The folder of the running program file, without a trailing separator except at a root.
std::string ProgramFolder();
// For the tray program: beside the program when this user may create files there without
// elevation (so an elevated start and an unelevated one agree); otherwise
// %LOCALAPPDATA%\\Tarnwick, created when missing. A folder that cannot be had leaves the
// program's folder in use.
void ChooseDataFolder();

// The second sharing service from code.ini [Info] SecondService; empty when there is none.
// Read afresh at each call; a per-user data folder without the key falls back to a code.ini
// beside the program (where an administrator may have configured it).
std::string SecondServiceName();

// How the most recent switch run went as far as this process can tell: Declined when the
// elevation it needed was refused or not available, so nothing was switched; the verifying
// query tells the rest.
enum class SwitchOutcome { Ran, Declined, Failed };
extern SwitchOutcome LastSwitchOutcome;

class TKT : public plat::TThread {
  public:
    // Mode 1 switches sharing, any other value queries it into *Result. The worker starts at
    // once and frees itself after onFinished has run on the main thread.
    TKT(int32_t Mode, int32_t* Result, std::function<void(plat::TThread* Sender)> onFinished = {});
    // A run on the calling thread, for the elevated copy, which has no window to keep alive;
    // RunHere performs it and lets its error through.
    struct InPlace {};
    TKT(InPlace, int32_t Mode, int32_t* Result);
    void RunHere() { DoWork(); }

    void SwitchSharing();

    // Service control (each opens and closes its own connection; failures go to ErrorList).
    bool ServiceRunning(const std::string& Name);
    bool ServiceStopped(const std::string& Name);
    void DoServiceAction(const std::string& Name, TServiceAction Action);
    void StopService(const std::string& Name);
    void StopIfRunning(const std::string& Name);
    void StartIfStopped(const std::string& Name);
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
    void StopSequence(bool secondRunning, bool serverRunning);
    void StartSequence();
    void SaveDependents();
    void LoadDependents();
    TStringList OwedServices();
    static bool Contains(const TStringList& list, const std::string& name);
    static void WriteStatusFile(const char* name, const TStringList& names);
    static TStringList ReadStatusFile(const char* name);
    int FindInEnumeration(const std::string& Name) const;
};

} // namespace KillServ
