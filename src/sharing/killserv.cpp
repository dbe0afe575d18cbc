// The sharing worker: the run of TKT, the switch sequences and srvStat.txt.
#include "sharing/killserv.h"

#include <algorithm>

#include "platform/platform.h"

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

void TKT::StopSequence(bool secondRunning, bool serverRunning) {
    DependentList.clear();
    // One read of the registry serves both walks and the order of the stops.
    const TDependencyTable dependencies = ReadDependencyTable();
    if (secondRunning) CollectDependents(SecondServiceName(), dependencies);
    if (serverRunning) CollectDependents(kServer, dependencies);
    std::erase_if(DependentList, [this](const std::string& name) { return ServiceStopped(name); });
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
}

void TKT::SaveDependents() {
    const std::string text = FormatStatusText(DependentList);
    const std::string path = DataFile(kStatusFileName);
    std::lock_guard<std::mutex> hold(StatusFileLock());
    if (!Os().files->ReplaceFileAtomically(path, text)) throw EKillServError("Cannot create file \"" + path + "\"");
}

void TKT::LoadDependents() {
    const std::string path = DataFile(kStatusFileName);
    if (!Os().files->FileExists(path)) return;
    std::string text;
    switch (Os().files->ReadWholeFile(path, text)) {
    case ReadResult::Ok:
        DependentList = ParseStatusText(text);
        break;
    case ReadResult::Missing:
        break;
    case ReadResult::Failed:
        throw EKillServError("Cannot open file \"" + path + "\"");
    }
}

} // namespace KillServ
