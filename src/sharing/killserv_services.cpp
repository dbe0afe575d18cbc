// Service control operations of the worker: state questions, actions with their wait, the
// enumeration of every service, and the error journal.
#include <algorithm>
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
constexpr int kPollLimit = 239;
constexpr DWORD kPollInterval = 1000;
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

// Each action of a switch run goes to its report; a query's never does.
void NoteAction(TSwitchReport& report, const ActionInfo& action, const std::string& name, DWORD error,
                bool timedOut = false) {
    if (WorkerMode != 1) return;
    TServiceStep step{action.verb, name, error, timedOut, {}};
    if (error == ERROR_DEPENDENT_SERVICES_RUNNING) step.Dependent = RunningDependentOf(name);
    report.NoteStep(std::move(step));
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

bool TKT::DoServiceAction(const std::string& Name, TServiceAction Action) {
    if (Name.empty() || Action > saContinue) return false;
    const ActionInfo& action = kActions[Action];
    unique_schandle manager(OpenManager(Purpose::Act));
    if (!manager) {
        const DWORD error = LastError();
        ReportError(ManagerOpenErrorText(error));
        NoteAction(report_, action, Name, error);
        return false;
    }
    unique_schandle service(OpenService(manager, Name, Purpose::Act));
    if (!service) {
        const DWORD error = LastError();
        ReportError(ServiceOpenErrorText(error));
        NoteAction(report_, action, Name, error);
        return false;
    }
    BOOL accepted = 0;
    if (Action == saStart) {
        const std::string argument = Name; // the start argument is a copy of its own
        const char* argv[] = {argument.c_str()};
        accepted = Os().services->StartService(service.get(), 1, argv);
    } else {
        SERVICE_STATUS status{};
        accepted = Os().services->ControlService(service.get(), action.control, &status);
    }
    if (!accepted) {
        const DWORD error = LastError();
        ReportError(RequestErrorText(error));
        NoteAction(report_, action, Name, error);
        return false;
    }
    // A failed query is a poll without the target state; running out goes to the report only.
    for (int poll = 0; poll < kPollLimit; ++poll) {
        Os().kernel->Sleep(kPollInterval);
        DWORD state = 0;
        if (QueryState(service, &state) && state == action.target) {
            NoteAction(report_, action, Name, 0);
            return true;
        }
    }
    NoteAction(report_, action, Name, 0, true);
    return false;
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

void TKT::ReportError(const std::string& Text) {
    ErrorList.push_back("\r\n\r\nError trying to peform the specified action.");
    ErrorList.push_back("Error Message: " + Text + ".");
}

} // namespace KillServ
