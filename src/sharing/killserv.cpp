// The sharing worker: the run of TKT, the switch sequences and srvStat.txt.
#include "sharing/killserv.h"

#include <algorithm>

#include "platform/platform.h"
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

std::string ReadSecondService(const std::string& iniPath) {
    char name[1024];
    const DWORD length =
        Os().files->GetPrivateProfileStringA("Info", "SecondService", "", name, sizeof name, iniPath.c_str());
    return std::string(name, std::min<size_t>(length, sizeof name - 1));
}

} // namespace

std::string SecondServiceName() {
    // An administrator's policy comes before every settings file.
    if (std::string byPolicy = ReadPolicy().SecondService; !byPolicy.empty()) return byPolicy;
    std::string name = ReadSecondService(DataFile("code.ini"));
    if (name.empty() && !DataFolderPath.empty()) name = ReadSecondService(ProgramFolder() + "\\code.ini");
    return name;
}

SwitchOutcome LastSwitchOutcome = SwitchOutcome::Ran;

TKT::TKT(int32_t Mode, int32_t* Result, std::function<void(plat::TThread* Sender)> onFinished) {
    WorkerMode = Mode;
    WorkerResult = Result;
    SetFreeOnTerminate(true);
    OnFinished = std::move(onFinished);
    Start();
}

TKT::TKT(InPlace, int32_t Mode, int32_t* Result) {
    WorkerMode = Mode;
    WorkerResult = Result;
}

void TKT::DoWork() {
    if (WorkerMode == 1) {
        LastSwitchOutcome = SwitchOutcome::Failed;
        // Without elevation Windows refuses every stop and start (error 5): the switch is
        // done by an elevated copy of the program, after the UAC prompt.
        if (!Os().kernel->IsProcessElevated()) {
            SwitchThroughElevatedCopy();
            return;
        }
    }
    Perform();
    if (WorkerMode == 1) LastSwitchOutcome = SwitchOutcome::Ran;
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
    if (ServiceRunning(SecondServiceName()))
        enabled = 1;
    else if (ServiceRunning(kServer))
        enabled = 1;
    if (WorkerResult) *WorkerResult = enabled;
}

void TKT::SwitchSharing() {
    const bool secondRunning = ServiceRunning(SecondServiceName());
    const bool serverRunning = ServiceRunning(kServer);
    if (secondRunning || serverRunning)
        StopSequence(secondRunning, serverRunning);
    else
        StartSequence();
}

// Never forgetting a service: the services Tarnwick owes are those it stopped and has not
// started since. srvStat.txt holds what the latest stop set out to stop (written before the
// first stop); srvStat.done holds those of them that the start after it brought back
// (written at the end of that start, emptied before the next stop writes its record). So
// the record minus srvStat.done is what is still owed, whatever happened in between: a
// failed or interrupted stop, a killed process, a power cut, a start that could not bring
// everything back. A stop keeps every owed service in the new record, even though it is
// stopped now (stopped by us); only a dependent stopped by someone else, and not owed, is
// left out as before. An owed service the walk no longer finds stays recorded while it is
// stopped or still stopping (a stop that outlasted its wait). When srvStat.done is missing (first start of this version) the whole record
// counts as owed, which can only bring back too much, never too little.
void TKT::StopSequence(bool secondRunning, bool serverRunning) {
    DependentList.clear();
    // One read of the registry serves both walks and the order of the stops.
    const TDependencyTable dependencies = ReadDependencyTable();
    if (secondRunning) CollectDependents(SecondServiceName(), dependencies);
    if (serverRunning) CollectDependents(kServer, dependencies);
    const TStringList owed = OwedServices();
    std::erase_if(DependentList,
                  [&](const std::string& name) { return !Contains(owed, name) && ServiceStopped(name); });
    for (const auto& name : owed)
        if (!Contains(DependentList, name) && ServiceStoppedOrStopping(name)) DependentList.push_back(name);
    // Emptied first: should the record not be written after it, the old record is owed whole.
    WriteStatusFile(kBroughtBackFileName, {});
    SaveDependents();
    // The file keeps the breadth-first list; a service is stopped only after its dependents,
    // which Windows requires (ERROR_DEPENDENT_SERVICES_RUNNING otherwise).
    for (const auto& name : StopOrder(DependentList, dependencies))
        StopIfRunning(name);
    if (secondRunning) StopIfRunning(SecondServiceName());
    if (serverRunning) StopIfRunning(kServer);
}

void TKT::StartSequence() {
    DependentList.clear();
    LoadDependents();
    for (const auto& name : DependentList)
        if (name.size() <= kLongestServiceName) StartIfStopped(name);
    StartIfStopped(SecondServiceName());
    StartIfStopped(kServer);
    // What is up again is no longer owed; what is still stopped, or still stopping from our
    // own stop, stays owed.
    TStringList broughtBack;
    for (const auto& name : DependentList)
        if (name.size() <= kLongestServiceName && !ServiceStoppedOrStopping(name)) broughtBack.push_back(name);
    try {
        WriteStatusFile(kBroughtBackFileName, broughtBack);
    } catch (const EKillServError&) {
        // The services are up; without the note the next stop owes the whole record again.
    }
}

bool TKT::Contains(const TStringList& list, const std::string& name) {
    return std::any_of(list.begin(), list.end(), [&](const std::string& n) { return SameText(n, name); });
}

TStringList TKT::OwedServices() {
    TStringList record = ReadStatusFile(kStatusFileName);
    const TStringList broughtBack = ReadStatusFile(kBroughtBackFileName);
    std::erase_if(record, [&](const std::string& name) {
        return name.empty() || name.size() > kLongestServiceName || Contains(broughtBack, name);
    });
    TStringList owed;
    for (const auto& name : record)
        if (!Contains(owed, name)) owed.push_back(name);
    return owed;
}

void TKT::WriteStatusFile(const char* name, const TStringList& names) {
    const std::string path = DataFile(name);
    std::lock_guard<std::mutex> hold(StatusFileLock());
    if (!Os().files->ReplaceFileAtomically(path, FormatStatusText(names)))
        throw EKillServError("Cannot create file \"" + path + "\"");
}

TStringList TKT::ReadStatusFile(const char* name) {
    const std::string path = DataFile(name);
    if (!Os().files->FileExists(path)) return {};
    std::string text;
    switch (Os().files->ReadWholeFile(path, text)) {
    case ReadResult::Ok:
        return ParseStatusText(text);
    case ReadResult::Missing:
        return {};
    case ReadResult::Failed:
        break;
    }
    throw EKillServError("Cannot open file \"" + path + "\"");
}

void TKT::SaveDependents() {
    WriteStatusFile(kStatusFileName, DependentList);
}

void TKT::LoadDependents() {
    DependentList = ReadStatusFile(kStatusFileName);
}

} // namespace KillServ
