// Service control operations of the worker: state questions, actions with their wait, the
// enumeration of every service, and the error journal.
#include <algorithm>
#include <optional>
#include <vector>

#include "platform/handles.h"
#include "platform/platform.h"
#include "sharing/killserv.h"
#include "sharing/killserv_report.h"

namespace KillServ {
using namespace plat;

namespace {

// A switch asks for the rights to stop and start; it runs elevated.
constexpr DWORD kSwitchManagerAccess = 0xA0000000; // GENERIC_READ | GENERIC_EXECUTE
constexpr DWORD kSwitchServiceAccess = 0xA0000100; // ... | SERVICE_USER_DEFINED_CONTROL
// A query runs in the tray program, mostly without elevation, where Windows refuses the
// switch's rights (SC_MANAGER_LOCK, SERVICE_START/STOP) with error 5: it asks only for what
// it reads, so it answers truthfully for a standard user.
constexpr DWORD kQueryManagerAccess = SC_MANAGER_CONNECT | SC_MANAGER_ENUMERATE_SERVICE;
constexpr DWORD kQueryServiceAccess = SERVICE_QUERY_STATUS;
// A wait follows the service: a query at once, then every 100 ms for the first second, then a
// fifth of the time waited so far, at most a second apart. A service that shows no progress
// (no new state, no higher check point) for 239 s is given up, as the 239 one-second polls
// of earlier versions did; one whose check point keeps advancing, after 30 minutes.
constexpr uint64_t kQuickPollsMs = 1000;
constexpr DWORD kQuickPollMs = 100;
constexpr DWORD kSlowestPollMs = 1000;
constexpr uint64_t kNoProgressMs = 239000;
constexpr uint64_t kLongestWaitMs = 30 * 60 * 1000;
constexpr DWORD kFirstEnumBuffer = 1024;
// An enumeration that stops making progress ends instead of looping for ever.
constexpr int kEnumRoundLimit = 4096;
constexpr DWORD kEnumBufferLimit = 64u << 20;

struct ActionInfo {
    DWORD control; // 0 for the start request
    DWORD target;
    const char* verb; // as the switch report names it
};

constexpr ActionInfo kActions[] = {
    {0, SERVICE_RUNNING, "start"},
    {SERVICE_CONTROL_STOP, SERVICE_STOPPED, "stop"},
    {SERVICE_CONTROL_PAUSE, SERVICE_PAUSED, "pause"},
    {SERVICE_CONTROL_CONTINUE, SERVICE_RUNNING, "continue"},
};

DWORD LastError() {
    return Os().kernel->GetLastError();
}

// State questions of a query run ask for the query rights; those of a switch run, and every
// stop or start, ask for the switch's.
enum class Purpose { Ask, Act };

bool SwitchRights(Purpose purpose) {
    return purpose == Purpose::Act || WorkerMode == 1;
}

SC_HANDLE OpenManager(Purpose purpose = Purpose::Ask) {
    return Os().services->OpenSCManager(nullptr, nullptr,
                                        SwitchRights(purpose) ? kSwitchManagerAccess : kQueryManagerAccess);
}

SC_HANDLE OpenService(const unique_schandle& manager, const std::string& name,
                      Purpose purpose = Purpose::Ask) {
    return Os().services->OpenService(manager.get(), name.c_str(),
                                      SwitchRights(purpose) ? kSwitchServiceAccess : kQueryServiceAccess);
}

bool QueryState(const unique_schandle& service, DWORD* state) {
    SERVICE_STATUS status{};
    if (!Os().services->QueryServiceStatus(service.get(), &status)) return false;
    *state = status.dwCurrentState;
    return true;
}

// The state of a service, 0 when it cannot be told.
DWORD StateOf(const std::string& name) {
    if (name.empty()) return 0; // never sent to the service manager
    unique_schandle manager(OpenManager());
    if (!manager) return 0;
    unique_schandle service(OpenService(manager, name));
    DWORD state = 0;
    return service && QueryState(service, &state) ? state : 0;
}

bool IsInState(const std::string& name, DWORD wanted) {
    return StateOf(name) == wanted;
}

// english-begin: the worker's error list, for support; nobody is shown it
// Table A: the service manager cannot be opened.
std::string ManagerOpenErrorText(DWORD code) {
    switch (code) {
    case ERROR_ACCESS_DENIED:
        return "Acces Denied";
    case ERROR_INVALID_PARAMETER:
        return "Invalid Parameter";
    case ERROR_DATABASE_DOES_NOT_EXIST:
        return "Database doesn't exists";
    default:
        return "Unknown Error";
    }
}

// Table B: the service cannot be opened.
std::string ServiceOpenErrorText(DWORD code) {
    switch (code) {
    case ERROR_ACCESS_DENIED:
        return "The specified service control manager database handle does not have access to the service";
    case ERROR_INVALID_HANDLE:
        return "The specified handle is invalid";
    case ERROR_INVALID_NAME:
        return "The specified service name is invalid";
    case ERROR_SERVICE_DOES_NOT_EXIST:
        return "The specified service does not exist";
    default:
        return "Unknown Error";
    }
}

// Table D: the enumeration fails.
std::string EnumErrorText(DWORD code) {
    switch (code) {
    case ERROR_ACCESS_DENIED:
        return "The specified handle was not opened with SC_MANAGER_ENUMERATE_SERVICE access";
    case ERROR_INVALID_HANDLE:
        return "The specified handle is invalid";
    case ERROR_INVALID_PARAMETER:
        return "A parameter that was specified is invalid";
    default:
        return "Unknown Error";
    }
}

// A service that depends on name and runs (or is paused) now, spelled as its key is; empty
// when the registry names none.
std::string RunningDependentOf(const std::string& name) {
    TStringList dependents;
    try {
        ReadDependencyTable().CollectDependents(name, dependents);
    } catch (const EKillServError&) {
        return {};
    }
    for (const auto& d : dependents) {
        const DWORD state = StateOf(d);
        if (state != SERVICE_STOPPED && state != 0) return d;
    }
    return {};
}

TServiceStep MakeStep(const ActionInfo& action, const std::string& name, DWORD error, bool timedOut = false) {
    TServiceStep step{action.verb, name, error, timedOut, {}};
    if (error == ERROR_DEPENDENT_SERVICES_RUNNING) step.Dependent = RunningDependentOf(name);
    return step;
}

// Each action of a switch run goes to its report; a query's never does.
void NoteAction(TSwitchReport& report, TServiceStep step) {
    if (WorkerMode == 1) report.NoteStep(std::move(step));
}

// One request sent and waited for with the others of its layer.
struct InFlight {
    size_t place;
    unique_schandle service;
    DWORD lastState = 0;
    DWORD lastCheckPoint = 0;
    uint64_t lastProgress = 0;
    bool sawPending = false;
};

DWORD PollInterval(uint64_t waited) {
    if (waited < kQuickPollsMs) return kQuickPollMs;
    return static_cast<DWORD>(std::min<uint64_t>(kSlowestPollMs, waited / 5));
}

std::string StateName(DWORD state) {
    return (state >= 1 && state <= 7) ? ServiceStateNames[state] : "Unknown";
}

// Appends one batch; an entry without a name keeps its place with an empty name so that the
// two lists stay parallel.
void AppendEntries(const std::vector<uint64_t>& buffer, DWORD bufferSize, DWORD returned) {
    const DWORD fits = bufferSize / static_cast<DWORD>(sizeof(ENUM_SERVICE_STATUS));
    const auto* entries = reinterpret_cast<const ENUM_SERVICE_STATUS*>(buffer.data());
    for (DWORD i = 0; i < std::min(returned, fits); ++i) {
        ServiceNameList.push_back(entries[i].lpServiceName ? entries[i].lpServiceName : "");
        ServiceStateList.push_back(StateName(entries[i].ServiceStatus.dwCurrentState));
    }
}

} // namespace

// Table C: a start or control request is refused.
std::string RequestErrorText(DWORD code) {
    switch (code) {
    case ERROR_PATH_NOT_FOUND:
        return "The service binary file could not be found";
    case ERROR_ACCESS_DENIED:
        return "The specified handle was not opened with the necessary access";
    case ERROR_INVALID_HANDLE:
        return "The specified handle is invalid";
    case ERROR_DEPENDENT_SERVICES_RUNNING:
        return "The service cannot be stopped because other running services are dependent on it";
    case ERROR_INVALID_SERVICE_CONTROL:
        return "The requested control code is not valid, or it is unacceptable to the service";
    case ERROR_SERVICE_REQUEST_TIMEOUT:
        return "The service did not respond to the start request in a timely fashion";
    case ERROR_SERVICE_NO_THREAD:
        return "A thread could not be created for the Win32 service";
    case ERROR_SERVICE_DATABASE_LOCKED:
        return "The database is locked";
    case ERROR_SERVICE_ALREADY_RUNNING:
        return "An instance of the service is already running";
    case ERROR_SERVICE_DISABLED:
        return "The service has been disabled";
    case ERROR_SERVICE_CANNOT_ACCEPT_CTRL:
        return "The requested control code cannot be sent to the service because the state of the service is "
               "SERVICE_STOPPED, SERVICE_START_PENDING, or SERVICE_STOP_PENDING";
    case ERROR_SERVICE_NOT_ACTIVE:
        return "The service has not been started";
    case ERROR_SERVICE_DEPENDENCY_FAIL:
        return "The service depends on another service that has failed to start";
    case ERROR_SERVICE_LOGON_FAILED:
        return "The service could not be logged on";
    case ERROR_SERVICE_MARKED_FOR_DELETE:
        return "The service has been marked for deletion";
    case ERROR_SERVICE_DEPENDENCY_DELETED:
        return "The service depends on a service that does not exist or has been marked for deletion";
    default:
        return "Unknown Error";
    }
}

// english-end

const char* const ServiceStateNames[8] = {"",        "Stopped",    "Starting", "Stopping",
                                          "Started", "Restarting", "Pausing",  "Paused"};

bool TKT::ServiceStopped(const std::string& Name) {
    return IsInState(Name, SERVICE_STOPPED);
}

DWORD TKT::StateOf(const std::string& Name) {
    return KillServ::StateOf(Name);
}

bool TKT::ServiceStoppedOrStopping(const std::string& Name) {
    const DWORD state = StateOf(Name);
    return state == SERVICE_STOPPED || state == SERVICE_STOP_PENDING;
}

bool TKT::ServiceRunning(const std::string& Name) {
    if (Name.empty()) return false; // never sent to the service manager
    {
        unique_schandle manager(OpenManager());
        unique_schandle service;
        if (manager) service.reset(OpenService(manager, Name));
        if (service) {
            DWORD state = 0;
            return QueryState(service, &state) && state == SERVICE_RUNNING;
        }
    }
    // Not openable: the enumeration still shows the state of a service we may not touch.
    ListServices();
    const int found = FindInEnumeration(Name);
    return found >= 0 && ServiceStateList[static_cast<size_t>(found)] == "Started";
}

// Windows promises no order for an enumeration (and orders compared in upper and lower case
// differ where a name holds '_'), so every entry is looked at; the list grows by one
// enumeration per look, so the last entry of the name is the newest answer.
int TKT::FindInEnumeration(const std::string& Name) const {
    for (size_t i = ServiceNameList.size(); i-- > 0;)
        if (CompareText(ServiceNameList[i], Name) == 0) return static_cast<int>(i);
    return -1;
}

namespace {

// A failed query is a poll without progress; running out goes to the report only.
void WaitForActions(std::vector<InFlight>& flying, TServiceAction Action, const TStringList& Names,
                    std::vector<std::optional<TServiceStep>>& steps, std::vector<bool>& reached) {
    const ActionInfo& action = kActions[Action];
    const DWORD target = action.target;
    const uint64_t began = Os().kernel->GetTickCount64();
    for (auto& f : flying)
        f.lastProgress = began;
    while (!flying.empty()) {
        const uint64_t now = Os().kernel->GetTickCount64();
        for (auto it = flying.begin(); it != flying.end();) {
            SERVICE_STATUS status{};
            const bool known = Os().services->QueryServiceStatus(it->service.get(), &status) != 0;
            const DWORD state = known ? status.dwCurrentState : 0;
            const std::string& name = Names[it->place];
            std::optional<TServiceStep> ended;
            if (known && state == target) {
                reached[it->place] = true;
                ended = MakeStep(action, name, 0);
            } else if (known && ((Action == saStart && state == SERVICE_STOPPED) ||
                                 (Action == saStop && it->sawPending &&
                                  (state == SERVICE_RUNNING || state == SERVICE_PAUSED)))) {
                // Back where it was: the request has failed, and waiting longer shows nothing.
                TServiceStep step = MakeStep(action, name, status.dwWin32ExitCode);
                step.WentBack = true;
                if (status.dwWin32ExitCode == ERROR_SERVICE_SPECIFIC_ERROR)
                    step.ServiceCode = status.dwServiceSpecificExitCode;
                ended = std::move(step);
            } else {
                if (known && (state != it->lastState || status.dwCheckPoint > it->lastCheckPoint)) {
                    it->lastProgress = now;
                    it->lastState = state;
                    it->lastCheckPoint = status.dwCheckPoint;
                }
                if (state == SERVICE_STOP_PENDING) it->sawPending = true;
                if (now - it->lastProgress >= kNoProgressMs || now - began >= kLongestWaitMs)
                    ended = MakeStep(action, name, 0, true);
            }
            if (ended) {
                steps[it->place] = std::move(ended);
                it = flying.erase(it);
            } else {
                ++it;
            }
        }
        if (!flying.empty()) Os().kernel->Sleep(PollInterval(now - began));
    }
}

} // namespace

bool TKT::DoServiceAction(const std::string& Name, TServiceAction Action) {
    return DoServiceActions({Name}, Action, true)[0];
}

// The requests go out in the list's order; once one is refused (with stopAtRefusal) the
// rest are not sent, and those already accepted are still waited for. The steps go to the
// report in the list's order, whatever order they ended in.
std::vector<bool> TKT::DoServiceActions(const TStringList& Names, TServiceAction Action, bool stopAtRefusal) {
    std::vector<bool> reached(Names.size(), false);
    if (Action > saContinue) return reached;
    const ActionInfo& action = kActions[Action];
    std::vector<std::optional<TServiceStep>> steps(Names.size());
    unique_schandle manager; // closed after the services
    std::vector<InFlight> flying;
    for (size_t i = 0; i < Names.size(); ++i) {
        const std::string& name = Names[i];
        if (name.empty()) continue;
        // A refusal goes to the journal and to its step; true when nothing more is to be sent.
        auto refused = [&](std::string (*text)(DWORD)) {
            const DWORD error = LastError();
            ReportError(text(error));
            steps[i] = MakeStep(action, name, error);
            return stopAtRefusal;
        };
        if (!manager) manager.reset(OpenManager(Purpose::Act));
        if (!manager) {
            if (refused(ManagerOpenErrorText)) break;
            continue;
        }
        unique_schandle service(OpenService(manager, name, Purpose::Act));
        if (!service) {
            if (refused(ServiceOpenErrorText)) break;
            continue;
        }
        BOOL accepted = 0;
        SERVICE_STATUS status{};
        if (Action == saStart) {
            const std::string argument = name; // the start argument is a copy of its own
            const char* argv[] = {argument.c_str()};
            accepted = Os().services->StartService(service.get(), 1, argv);
        } else {
            accepted = Os().services->ControlService(service.get(), action.control, &status);
        }
        if (!accepted) {
            if (refused(RequestErrorText)) break;
            continue;
        }
        InFlight f{i, std::move(service)};
        f.sawPending = status.dwCurrentState == SERVICE_STOP_PENDING;
        flying.push_back(std::move(f));
    }
    WaitForActions(flying, Action, Names, steps, reached);
    for (size_t i = 0; i < Names.size(); ++i)
        if (steps[i]) NoteAction(report_, std::move(*steps[i]));
    return reached;
}

// Stops already under way (a killed run's, or someone else's) are waited for as if sent now.
std::vector<bool> TKT::AwaitStops(const TStringList& Names) {
    std::vector<bool> reached(Names.size(), false);
    std::vector<std::optional<TServiceStep>> steps(Names.size());
    unique_schandle manager(OpenManager(Purpose::Act));
    std::vector<InFlight> flying;
    for (size_t i = 0; i < Names.size() && manager; ++i) {
        unique_schandle service(OpenService(manager, Names[i], Purpose::Act));
        if (service) flying.push_back(InFlight{i, std::move(service), 0, 0, 0, true});
    }
    WaitForActions(flying, saStop, Names, steps, reached);
    for (size_t i = 0; i < Names.size(); ++i)
        if (steps[i]) NoteAction(report_, std::move(*steps[i]));
    return reached;
}

void TKT::StopService(const std::string& Name) {
    DoServiceAction(Name, saStop);
}

void TKT::StopIfRunning(const std::string& Name) {
    if (ServiceRunning(Name)) StopService(Name);
}

bool TKT::StartIfStopped(const std::string& Name) {
    return ServiceStopped(Name) && DoServiceAction(Name, saStart);
}

void TKT::ListServices() {
    unique_schandle manager(OpenManager());
    if (!manager) {
        ReportError(ManagerOpenErrorText(LastError()));
        return;
    }
    DWORD size = kFirstEnumBuffer;
    std::vector<uint64_t> buffer(size / sizeof(uint64_t));
    DWORD resume = 0;
    for (int round = 0;; ++round) {
        if (round == kEnumRoundLimit) {
            ReportError(EnumErrorText(ERROR_MORE_DATA));
            return;
        }
        DWORD needed = 0;
        DWORD returned = 0;
        const BOOL done =
            Os().services->EnumServicesStatus(manager.get(), SERVICE_TYPE_ALL, SERVICE_STATE_ALL,
                                              buffer.data(), size, &needed, &returned, &resume);
        const DWORD error = done ? 0 : LastError();
        if (done || error == ERROR_MORE_DATA) AppendEntries(buffer, size, returned);
        if (done) return;
        if (error != ERROR_MORE_DATA) {
            ReportError(EnumErrorText(error));
            return;
        }
        // The rest is asked for in a buffer of exactly the size it needs; should a batch bring
        // nothing although the buffer was big enough, the buffer grows so the loop progresses.
        if (returned == 0 && needed <= size) needed = size * 2;
        if (needed > kEnumBufferLimit) {
            ReportError(EnumErrorText(ERROR_MORE_DATA));
            return;
        }
        size = needed;
        buffer.assign((size + sizeof(uint64_t) - 1) / sizeof(uint64_t), 0);
    }
}

// english-begin: the error list
void TKT::ReportError(const std::string& Text) {
    ErrorList.push_back("\r\n\r\nError trying to peform the specified action.");
    ErrorList.push_back("Error Message: " + Text + ".");
}
// english-end

} // namespace KillServ
