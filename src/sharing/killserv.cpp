// The sharing worker: the run of TKT, the switch sequences and srvStat.txt.
#include "sharing/killserv.h"

#include <algorithm>

#include "platform/handles.h"
#include "platform/platform.h"
#include "sharing/connections.h"
#include "sharing/killserv_report.h"
#include "sharing/policy.h"

namespace KillServ {
using namespace plat;

int32_t WorkerMode = 0;
int32_t* WorkerResult = nullptr;
TStringList& ServiceNameList = *new TStringList;
TStringList& ServiceStateList = *new TStringList;
TStringList& ErrorList = *new TStringList;
TStringList& DependentList = *new TStringList;

namespace {

const char* const kStatusFileName = "srvStat.txt";
const char* const kBroughtBackFileName = "srvStat.done";
const char* const kServer = "lanmanserver";
// Longer lines of srvStat.txt cannot name a service and are not sent to the service manager.
constexpr size_t kLongestServiceName = 256;

void ClearLists() {
    ServiceNameList = {};
    ServiceStateList = {};
    ErrorList = {};
    DependentList = {};
}

} // namespace

std::mutex& StatusFileLock() {
    static std::mutex& lock = *new std::mutex; // outlives the static destructors at exit
    return lock;
}

namespace {

const char* const kPausedFileName = "srvStat.paused";

// The tray rewrites code.ini (LastState) while a worker reads it: an open that the other's
// share mode refuses is tried again for a moment rather than read as a missing or bad file.
ReadResult ReadAsItselfWhenFree(const std::string& path, std::string& contents, FolderTrust& trust) {
    for (int tries = 1;; ++tries) {
        const ReadResult read = Os().files->ReadFileAsItself(path, contents, trust);
        if (read != ReadResult::Failed || Os().kernel->GetLastError() != ERROR_SHARING_VIOLATION ||
            tries == 50)
            return read;
        Os().kernel->Sleep(20);
    }
}

// Read only from a file the acting account may trust, judged on its own handle: one name, not
// a link, nobody else's to change.
std::string ReadSecondService(const std::string& iniPath) {
    std::string bytes;
    FolderTrust trust = FolderTrust::Unknown;
    if (ReadAsItselfWhenFree(iniPath, bytes, trust) != ReadResult::Ok || !TrustedForTheActingAccount(trust))
        return {};
    char name[1024];
    const DWORD length =
        Os().files->GetPrivateProfileString("Info", "SecondService", "", name, sizeof name, iniPath.c_str());
    return std::string(name, std::min<size_t>(length, sizeof name - 1));
}

// The services a record may name: what the registry walk finds now below the sharing
// services, and the two themselves. Anything else in a file was not put there by a stop.
TServiceSet ServicesARecordMayName(const TDependencyTable& dependencies, const std::string& second) {
    TServiceSet allowed = dependencies.AllDependentsOf(kServer);
    allowed.insert(UpperCase(kServer));
    if (!second.empty()) {
        allowed.merge(dependencies.AllDependentsOf(second));
        allowed.insert(UpperCase(second));
    }
    return allowed;
}

bool MayName(const TServiceSet& allowed, const std::string& name) {
    return !name.empty() && name.size() <= kLongestServiceName && allowed.contains(UpperCase(name));
}

// Records that earlier versions kept elsewhere: beside a protected program (an elevated run
// of an old build; only administrators could have put them) and in the per-user folder, or
// beside a copy another account may change. Those the user controls are read only until the
// machine keeps records of its own (a switch took them over then) and never deleted here.
struct TOldRecordFolder {
    std::string Folder;
    bool AdminOnly;
};

std::vector<TOldRecordFolder> OldRecordFolders(const THomes& homes) {
    if (homes.BesideTheProgram()) return {};
    std::vector<TOldRecordFolder> folders;
    if (homes.TrustsProgramFolder) folders.push_back({ProgramFolder(), true});
    if (Os().files->FileExists(homes.MachineFile(kStatusFileName)) ||
        Os().files->FileExists(homes.MachineFile(kBroughtBackFileName)))
        return folders;
    if (!homes.TrustsProgramFolder) folders.push_back({ProgramFolder(), false});
    if (!homes.UserFolder.empty()) folders.push_back({homes.UserFolder, false});
    return folders;
}

std::string InFolder(const std::string& folder, const char* name) {
    return folder + (folder.back() == '\\' ? "" : "\\") + name;
}

// The machine-wide switch lock, held from the first question to the last answer of a switch.
// Another switch holding it is waited for; any other reason it cannot be had is told as such.
class SwitchLock {
  public:
    static constexpr uint32_t PollMs = 250;
    SwitchLock() {
        const std::string path = SwitchLockPath();
        for (uint32_t waited = 0;; waited += PollMs) {
            handle_ = path.empty() ? 0 : Os().files->TakeLockFile(path);
            if (handle_) return;
            busy_ = !path.empty() && Os().kernel->GetLastError() == ERROR_SHARING_VIOLATION;
            if (!busy_ || waited >= SwitchLockWaitMs) return;
            Os().kernel->Sleep(PollMs);
        }
    }
    ~SwitchLock() {
        if (handle_) Os().files->ReleaseLockFile(handle_);
    }
    SwitchLock(const SwitchLock&) = delete;
    SwitchLock& operator=(const SwitchLock&) = delete;
    bool Held() const { return handle_ != 0; }
    bool Busy() const { return busy_; }

  private:
    HANDLE handle_ = 0;
    bool busy_ = false;
};

} // namespace

std::string SwitchLockPath() {
    const std::string folder = MachineDataFolder();
    return folder.empty() ? std::string() : folder + "\\" + SwitchLockFileName;
}

bool TrustedForTheActingAccount(FolderTrust trust) {
    return trust == FolderTrust::AdminOnly ||
           (trust == FolderTrust::OwnUserOnly && Os().kernel->ElevatesAsItself());
}

TPinnedFolder::TPinnedFolder(const std::string& folder, bool makeForAdministrators) {
    if (folder.empty()) return;
    auto& files = *Os().files;
    trust_ = files.PinFolder(folder, &pin_);
    if (trust_ == FolderTrust::Missing && makeForAdministrators) {
        // Made with administrators-only rights, then judged like any other: if somebody made
        // it first, what they made is what is judged.
        files.CreateProtectedFolder(folder);
        trust_ = files.PinFolder(folder, &pin_);
    }
}

TPinnedFolder::~TPinnedFolder() {
    if (pin_) Os().files->UnpinFolder(pin_);
}

// Waits while a switch runs in another process (an elevated copy, another user's); true when
// none runs any more.
bool WaitWhileSwitchRuns() {
    auto& kernel = *Os().kernel;
    const std::string lock = SwitchLockPath();
    for (uint32_t waited = 0; !lock.empty() && Os().files->LockFileHeld(lock); waited += 1000) {
        if (waited >= SwitchLockWaitMs) return false;
        kernel.Sleep(1000);
    }
    return true;
}

void RetireTheUsersOldRecords(const THomes& homes) {
    std::vector<std::string> folders;
    if (!homes.TrustsProgramFolder)
        folders.push_back(ProgramFolder());
    else if (!homes.BesideTheProgram() && !homes.UserFolder.empty())
        folders.push_back(homes.UserFolder);
    for (const auto& folder : folders)
        for (const char* name : {kStatusFileName, kBroughtBackFileName})
            Os().files->DeleteFileNoLink(InFolder(folder, name));
}

std::string SecondServiceName(const THomes& homes) {
    // An administrator's policy comes before every settings file.
    if (std::string byPolicy = ReadPolicy().SecondService; !byPolicy.empty()) return byPolicy;
    if (homes.BesideTheProgram()) return ReadSecondService(homes.MachineFile("code.ini"));
    // Only what administrators wrote counts: the machine folder, then a protected program's.
    std::string name;
    if (TrustedForTheActingAccount(Os().files->GetFolderTrust(homes.MachineFolder)))
        name = ReadSecondService(homes.MachineFile("code.ini"));
    if (name.empty() && homes.TrustsProgramFolder)
        name = ReadSecondService(InFolder(ProgramFolder(), "code.ini"));
    return name;
}

TKT::TKT(int32_t Mode, int32_t* Result, std::function<void(plat::TThread* Sender)> onFinished,
         TSwitchRequest request)
    : request_(std::move(request)) {
    WorkerMode = Mode;
    WorkerResult = Result;
    SetFreeOnTerminate(true);
    OnFinished = std::move(onFinished);
    Start();
}

TKT::TKT(InPlace, int32_t Mode, int32_t* Result, TSwitchRequest request) : request_(std::move(request)) {
    WorkerMode = Mode;
    WorkerResult = Result;
}

void TKT::DoWork() {
    if (WorkerMode != 1) {
        // A switch running elsewhere (a copy a restarted tray left, another user's) ends
        // first, so the lamp shows where it led.
        WaitWhileSwitchRuns();
        Perform();
        return;
    }
    report_ = TSwitchReport{};
    report_.Outcome = SwitchOutcome::Failed;
    // Without elevation Windows refuses every stop and start (error 5): the switch is done
    // by an elevated copy of the program, after the UAC prompt.
    if (!Os().kernel->IsProcessElevated()) {
        SwitchThroughElevatedCopy();
        return;
    }
    SwitchHoldingTheLock();
}

void TKT::SwitchHoldingTheLock() {
    const THomes& homes = request_.Homes;
    // A tray with administrator rights whose own folder somebody else may change: that
    // somebody decides what this process runs, so it switches nothing.
    if (!homes.TrustsProgramFolder && !request_.ElevatedCopy) {
        report_.Outcome = SwitchOutcome::UntrustedProgram;
        return;
    }
    // Every switch, a portable copy's too, keeps its lock where only administrators write,
    // and holds that folder for the whole switch.
    const TPinnedFolder machine(MachineDataFolder(), true);
    if (!machine.TrustedForTheActingAccount()) {
        report_.Outcome = SwitchOutcome::UntrustedFolder;
        return;
    }
    const SwitchLock lock;
    if (!lock.Held()) {
        report_.Outcome = lock.Busy() ? SwitchOutcome::Busy : SwitchOutcome::LockUnavailable;
        return;
    }
    SwitchInTrustedFolders();
}

// The program's folder, when the homes keep anything there, judged again through a handle
// held for the whole run: the folder judged is the folder used.
void TKT::SwitchInTrustedFolders() {
    const THomes& homes = request_.Homes;
    const TPinnedFolder program(homes.TrustsProgramFolder ? ProgramFolder() : std::string(), false);
    const bool programTrusted = homes.BesideTheProgram() ? program.TrustedForTheActingAccount()
                                                         : !homes.TrustsProgramFolder || program.AdminOnly();
    // A machine folder elsewhere than MachineDataFolder (never chosen so) is held as well.
    const bool elsewhere = !homes.MachineFolder.empty() && homes.MachineFolder != MachineDataFolder();
    const TPinnedFolder other(elsewhere ? homes.MachineFolder : std::string(), true);
    if (!programTrusted || (elsewhere && !other.TrustedForTheActingAccount())) {
        report_.Outcome = SwitchOutcome::UntrustedFolder;
        return;
    }
    keptOn_ = false;
    Perform();
    report_.Outcome = keptOn_ ? SwitchOutcome::KeptOn : SwitchOutcome::Ran;
}

void TKT::Perform() {
    ClearLists();
    // Released on every way out of the run, an error included.
    struct ReleaseLists {
        ~ReleaseLists() { ClearLists(); }
    } release;
    if (WorkerMode == 1)
        SwitchSharing();
    else
        QuerySharing();
}

void TKT::QuerySharing() {
    int32_t enabled = 0;
    if (ServiceRunning(SecondServiceName(request_.Homes)))
        enabled = 1;
    else if (ServiceRunning(kServer))
        enabled = 1;
    if (WorkerResult) *WorkerResult = enabled;
}

void TKT::SwitchSharing() {
    const bool secondRunning = ServiceRunning(SecondServiceName(request_.Homes));
    const bool serverRunning = ServiceRunning(kServer);
    if (secondRunning || serverRunning) {
        report_.Direction = "off";
        if (!MayCutOffWhoIsConnected()) return;
        StopSequence(secondRunning, serverRunning);
    } else {
        report_.Direction = "on";
        StartSequence();
    }
}

// Asked before anything is stopped, so that No leaves every service as it is.
bool TKT::MayCutOffWhoIsConnected() {
    if (!request_.AskWhoIsConnected) {
        // The tray asked about the computers it could list; the copy can count their files.
        if (request_.ElevatedCopy) report_.Connected = ConnectedCounts(WhoIsConnected());
        return true;
    }
    TConnections connected;
    // The copy has no window: its box comes to the front by itself.
    // Nobody may be at the desk (a switch the network rule started): the copy holds the switch
    // lock while it asks, so an unanswered question keeps sharing on after a while.
    const TCutOffAnswer answer =
        AskBeforeCuttingOff(0, MB_TOPMOST | MB_SETFOREGROUND, &connected, CopyQuestionTimeoutMs);
    // The report may reach srvStat.report, which every user can read: counts, no names.
    report_.Connected = ConnectedCounts(connected);
    if (answer != TCutOffAnswer::No) return true;
    keptOn_ = true;
    return false;
}

// Never forgetting a service: the services Tarnwick owes are those it stopped and has not
// started since. srvStat.txt holds what the latest stop set out to stop (written before the
// first stop); srvStat.done holds those of them that a start (or the undo of a refused stop)
// brought back. So the record minus srvStat.done is what is still owed, whatever happened
// in between: a killed process, a power cut, a start that could not bring everything back.
// A stop keeps every owed service in the new record, even though it is stopped now (stopped
// by us); a dependent stopped by someone else, and not owed, is left out. Without
// srvStat.done (a record of an earlier version) the whole record counts as owed.
//
// All or nothing: a stop either switches sharing off or leaves every service as it found
// it. What Windows will refuse (a service that does not accept STOP) is asked before
// anything is stopped; a stop refused anyway, or one that outlasts its wait, has what this
// stop stopped started again, in reverse order. Paused dependents are stopped with the
// others (Windows counts them as running when it stops what they depend on) and paused again
// when they come back.
void TKT::StopSequence(bool secondRunning, bool serverRunning) {
    DependentList.clear();
    // One read of the registry serves both walks, the order of the stops and the check of
    // every recorded name.
    const TDependencyTable dependencies = ReadDependencyTable();
    const std::string second = SecondServiceName(request_.Homes);
    if (secondRunning) CollectDependents(second, dependencies);
    if (serverRunning) CollectDependents(kServer, dependencies);
    const TStringList owed = OwedServices(ServicesARecordMayName(dependencies, second));
    std::erase_if(DependentList,
                  [&](const std::string& name) { return !Contains(owed, name) && ServiceStopped(name); });
    for (const auto& name : owed)
        if (!Contains(DependentList, name) && ServiceStoppedOrStopping(name)) DependentList.push_back(name);

    // Layer by layer: the services whose dependents have stopped are stopped together; the
    // sharing services come last.
    std::vector<TStringList> layers = StopLayers(DependentList, dependencies);
    TStringList sharing;
    if (secondRunning) sharing.push_back(second);
    if (serverRunning) sharing.push_back(kServer);
    for (auto& layer : StopLayers(sharing, dependencies))
        layers.push_back(std::move(layer));
    TStringList order;
    for (const auto& layer : layers)
        order.insert(order.end(), layer.begin(), layer.end());
    if (!EveryActiveServiceAcceptsStop(order, dependencies)) return;

    // Paused now, or paused when an earlier stop took them and not brought back since.
    TStringList paused;
    for (const auto& name : ReadStatusFile(kPausedFileName))
        if (Contains(owed, name) && !Contains(paused, name)) paused.push_back(name);
    for (const auto& name : DependentList)
        if (!Contains(paused, name) && StateOf(name) == SERVICE_PAUSED) paused.push_back(name);

    // Emptied first: should the record not be written after it, the old record is owed whole.
    WriteStatusFile(kBroughtBackFileName, {});
    SaveDependents();
    WriteStatusFile(kPausedFileName, paused);
    RetireOldRecords();

    // The file keeps the breadth-first list; a service is stopped only after its dependents,
    // which Windows requires (ERROR_DEPENDENT_SERVICES_RUNNING otherwise). A refusal sends no
    // more, and the stops already under way are waited for before the undo.
    TStringList stoppedHere;
    for (const auto& layer : layers) {
        TStringList active, stopping;
        for (const auto& name : layer) {
            const DWORD state = StateOf(name);
            if (state == SERVICE_RUNNING || state == SERVICE_PAUSED) active.push_back(name);
            if (state == SERVICE_STOP_PENDING) stopping.push_back(name);
        }
        // A stop still under way (left by a run that was killed) holds what it depends on,
        // as a running service would: it is waited for with this layer.
        if (!stopping.empty()) {
            const std::vector<bool> done = AwaitStops(stopping);
            if (std::find(done.begin(), done.end(), false) != done.end()) {
                UndoStop(stoppedHere, paused, dependencies);
                return;
            }
        }
        if (active.empty()) continue;
        const std::vector<bool> stopped = DoServiceActions(active, saStop, true);
        bool failed = false;
        for (size_t i = 0; i < active.size(); ++i) {
            if (stopped[i]) stoppedHere.push_back(active[i]);
            failed = failed || !stopped[i];
        }
        if (failed) {
            UndoStop(stoppedHere, paused, dependencies);
            return;
        }
    }
}

// Layer by layer backwards: what a service depends on is up before it is started. True for
// each service of list that was stopped and runs now, in list's order.
TStringList TKT::StartInLayers(const TStringList& list, const TDependencyTable& dependencies) {
    const std::vector<TStringList> layers = StopLayers(list, dependencies);
    TServiceSet started;
    for (auto layer = layers.rbegin(); layer != layers.rend(); ++layer) {
        TStringList stopped;
        for (const auto& name : *layer)
            if (ServiceStopped(name)) stopped.push_back(name);
        if (stopped.empty()) continue;
        const std::vector<bool> running = DoServiceActions(stopped, saStart, false);
        for (size_t i = 0; i < stopped.size(); ++i)
            if (running[i]) started.insert(UpperCase(stopped[i]));
    }
    TStringList startedHere;
    for (const auto& name : list)
        if (started.contains(UpperCase(name)) && !Contains(startedHere, name)) startedHere.push_back(name);
    return startedHere;
}

// Asked of the services whose dependents in the list are all stopped already: some services
// accept STOP only once their dependents have stopped, which is judged when they get there.
bool TKT::EveryActiveServiceAcceptsStop(const TStringList& names, const TDependencyTable& dependencies) {
    auto active = [](const SERVICE_STATUS& status) {
        return status.dwCurrentState == SERVICE_RUNNING || status.dwCurrentState == SERVICE_PAUSED;
    };
    auto status = [](const std::string& name, SERVICE_STATUS* out) {
        unique_schandle manager(Os().services->OpenSCManager(nullptr, nullptr, SC_MANAGER_CONNECT));
        unique_schandle service(
            manager ? Os().services->OpenService(manager.get(), name.c_str(), SERVICE_QUERY_STATUS) : 0);
        return service && Os().services->QueryServiceStatus(service.get(), out);
    };
    for (const auto& name : names) {
        SERVICE_STATUS own{};
        if (!status(name, &own) || !active(own) || (own.dwControlsAccepted & SERVICE_ACCEPT_STOP)) continue;
        const TServiceSet below = dependencies.AllDependentsOf(name);
        const bool waitsForDependents =
            std::any_of(names.begin(), names.end(), [&](const std::string& other) {
                SERVICE_STATUS theirs{};
                return below.contains(UpperCase(other)) && status(other, &theirs) && active(theirs);
            });
        if (waitsForDependents) continue;
        ReportError(RequestErrorText(ERROR_INVALID_SERVICE_CONTROL) + " (" + name + ")");
        report_.NoteStep({"stop", name, ERROR_INVALID_SERVICE_CONTROL, false, {}});
        return false;
    }
    return true;
}

void TKT::UndoStop(const TStringList& stoppedHere, const TStringList& paused,
                   const TDependencyTable& dependencies) {
    PauseAgain(StartInLayers(stoppedHere, dependencies), paused);
    NoteBroughtBack();
}

TStringList TKT::PauseAgain(const TStringList& startedHere, const TStringList& paused) {
    TStringList toPause;
    for (const auto& name : startedHere)
        if (Contains(paused, name)) toPause.push_back(name);
    const std::vector<bool> done = DoServiceActions(toPause, saPause, false);
    TStringList pausedAgain;
    for (size_t i = 0; i < toPause.size(); ++i)
        if (done[i]) pausedAgain.push_back(toPause[i]);
    return pausedAgain;
}

// What is up again is no longer owed; what is still stopped, or still stopping from our own
// stop, stays owed.
void TKT::NoteBroughtBack() {
    TStringList broughtBack;
    for (const auto& name : DependentList)
        if (!ServiceStoppedOrStopping(name)) broughtBack.push_back(name);
    try {
        WriteStatusFile(kBroughtBackFileName, broughtBack);
    } catch (const EKillServError&) {
        // The services are up; without the note the next stop owes the whole record again.
    }
}

void TKT::StartSequence() {
    const TDependencyTable dependencies = ReadDependencyTable();
    const std::string second = SecondServiceName(request_.Homes);
    const TServiceSet allowed = ServicesARecordMayName(dependencies, second);
    DependentList.clear();
    LoadDependents();
    // A name the walk does not find was not written by a stop: it is left alone.
    std::erase_if(DependentList, [&](const std::string& name) { return !MayName(allowed, name); });
    for (const auto& name : OwedServices(allowed))
        if (!Contains(DependentList, name)) DependentList.push_back(name);
    // The sharing services first, then the dependents layer by layer backwards.
    TStringList sharing;
    if (!second.empty()) sharing.push_back(second);
    sharing.push_back(kServer);
    StartInLayers(sharing, dependencies);
    const TStringList startedHere = StartInLayers(DependentList, dependencies);
    PauseAgain(startedHere, ReadStatusFile(kPausedFileName));
    NoteBroughtBack();
    RetireOldRecords();
}

bool TKT::Contains(const TStringList& list, const std::string& name) {
    return std::any_of(list.begin(), list.end(), [&](const std::string& n) { return SameText(n, name); });
}

TStringList TKT::OwedServices(const TServiceSet& allowed) {
    TStringList owed;
    auto addOwed = [&](const std::string& record, const std::string& done, bool judged) {
        const TStringList broughtBack = ReadStatusFileAt(done, judged);
        for (const auto& name : ReadStatusFileAt(record, judged))
            if (MayName(allowed, name) && !Contains(broughtBack, name) && !Contains(owed, name))
                owed.push_back(name);
    };
    // The old records first: whether the machine's own record exists yet decides which count.
    const auto old = OldRecordFolders(request_.Homes);
    addOwed(request_.Homes.MachineFile(kStatusFileName), request_.Homes.MachineFile(kBroughtBackFileName),
            true);
    for (const auto& folder : old) {
        try {
            addOwed(InFolder(folder.Folder, kStatusFileName), InFolder(folder.Folder, kBroughtBackFileName),
                    folder.AdminOnly);
        } catch (const EKillServError&) {
            // An old record that cannot be read is left where it is, for the next switch.
        }
    }
    return owed;
}

// Old records are read, then deleted where only administrators could have put them (beside a
// protected program, held pinned by this run); the user's own are left to the user's process.
void TKT::RetireOldRecords() {
    for (const auto& folder : OldRecordFolders(request_.Homes)) {
        if (!folder.AdminOnly) continue;
        for (const char* name : {kStatusFileName, kBroughtBackFileName})
            Os().files->DeleteFileNoLink(InFolder(folder.Folder, name));
    }
}

void TKT::WriteStatusFile(const char* name, const TStringList& names) {
    const std::string path = request_.Homes.MachineFile(name);
    std::lock_guard<std::mutex> hold(StatusFileLock());
    if (!Os().files->ReplaceFileAtomically(path, FormatStatusText(names)))
        throw EKillServError("Cannot create file \"" + path + "\""); // english: the worker's own, never shown
}

TStringList TKT::ReadStatusFile(const char* name) {
    return ReadStatusFileAt(request_.Homes.MachineFile(name), true);
}

// A file of the machine's state is read through the handle it is judged on: a second name
// or a link, or rights another account holds, and it is not the file this program wrote.
TStringList TKT::ReadStatusFileAt(const std::string& path, bool judged) {
    std::string text;
    FolderTrust trust = FolderTrust::Unknown;
    const ReadResult read =
        judged ? ReadAsItselfWhenFree(path, text, trust)
               : (Os().files->FileExists(path) ? Os().files->ReadWholeFile(path, text) : ReadResult::Missing);
    if (read == ReadResult::Missing) return {};
    if (read == ReadResult::Ok && (!judged || TrustedForTheActingAccount(trust)))
        return ParseStatusText(text);
    throw EKillServError("Cannot open file \"" + path + "\""); // english: the worker's own, never shown
}

void TKT::SaveDependents() {
    WriteStatusFile(kStatusFileName, DependentList);
}

void TKT::LoadDependents() {
    DependentList = ReadStatusFile(kStatusFileName);
}

} // namespace KillServ
