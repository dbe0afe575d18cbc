#include "platform/sim/sim_services.h"

#include <algorithm>
#include <cstring>

#include "platform/sim/sim_kernel.h"
#include "platform/sim/sim_registry.h"

namespace sim {
using namespace plat;

namespace {

const std::string kServicesKey = "SYSTEM\\CurrentControlSet\\Services\\";

bool IsGroup(const std::string& name) {
    return !name.empty() && name[0] == '+';
}

DWORD EntrySize(const SimServices::Service& s) {
    const size_t name = s.nullNameInEnumeration ? 0 : s.name.size() + 1;
    return static_cast<DWORD>(sizeof(ENUM_SERVICE_STATUS) + name + s.displayName.size() + 1);
}

// rule: scm-generic-rights-mapping
// The generic rights as Windows maps them for the service manager and for a service.
DWORD MapGenericRights(bool manager, DWORD access) {
    DWORD mapped = access & ~(GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL);
    if (manager) {
        if (access & GENERIC_READ)
            mapped |= READ_CONTROL | SC_MANAGER_ENUMERATE_SERVICE | SC_MANAGER_QUERY_LOCK_STATUS;
        if (access & GENERIC_WRITE)
            mapped |= READ_CONTROL | SC_MANAGER_CREATE_SERVICE | SC_MANAGER_MODIFY_BOOT_CONFIG;
        if (access & GENERIC_EXECUTE) mapped |= READ_CONTROL | SC_MANAGER_CONNECT | SC_MANAGER_LOCK;
        if (access & GENERIC_ALL) mapped |= SC_MANAGER_ALL_ACCESS;
    } else {
        if (access & GENERIC_READ)
            mapped |= READ_CONTROL | SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS | SERVICE_INTERROGATE |
                      SERVICE_ENUMERATE_DEPENDENTS;
        if (access & GENERIC_WRITE) mapped |= READ_CONTROL | SERVICE_CHANGE_CONFIG;
        if (access & GENERIC_EXECUTE)
            mapped |= READ_CONTROL | SERVICE_START | SERVICE_STOP | SERVICE_PAUSE_CONTINUE |
                      SERVICE_USER_DEFINED_CONTROL;
        if (access & GENERIC_ALL) mapped |= SERVICE_ALL_ACCESS;
    }
    return mapped;
}

// rule: scm-rights-per-elevation
// Windows' default security: an elevated administrator gets every right; any other
// interactive user may connect, enumerate and read the lock status of the manager, and
// query a service, but not lock the database, nor start, stop, pause or reconfigure.
DWORD GrantedRights(bool manager, bool elevated) {
    if (elevated) return manager ? SC_MANAGER_ALL_ACCESS : SERVICE_ALL_ACCESS;
    return manager ? READ_CONTROL | SC_MANAGER_CONNECT | SC_MANAGER_ENUMERATE_SERVICE |
                         SC_MANAGER_QUERY_LOCK_STATUS
                   : READ_CONTROL | SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS |
                         SERVICE_ENUMERATE_DEPENDENTS | SERVICE_INTERROGATE | SERVICE_USER_DEFINED_CONTROL;
}

// The right a control needs; 0 for a code ControlService does not define (1-10 are
// Windows' own, 128-255 the service's).
DWORD RightForControl(DWORD control) {
    if (control == SERVICE_CONTROL_STOP) return SERVICE_STOP;
    if (control == 4) return SERVICE_INTERROGATE;
    if ((control >= SERVICE_CONTROL_PAUSE && control <= 3) || (control >= 6 && control <= 10))
        return SERVICE_PAUSE_CONTINUE;
    if (control >= 128 && control <= 255) return SERVICE_USER_DEFINED_CONTROL;
    return 0;
}

int CompareUpperCase(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(a[i] >= 'a' && a[i] <= 'z' ? a[i] - 32 : a[i]);
        const auto y = static_cast<unsigned char>(b[i] >= 'a' && b[i] <= 'z' ? b[i] - 32 : b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

} // namespace

// ---- builder ----

SimServices::Service& SimServices::ServiceBuilder::Get() {
    return *owner_.Find(name_);
}

SimServices::ServiceBuilder& SimServices::ServiceBuilder::State(DWORD state) {
    Get().state = state;
    return *this;
}

SimServices::ServiceBuilder& SimServices::ServiceBuilder::DisplayName(const std::string& text) {
    Get().displayName = text;
    return *this;
}

SimServices::ServiceBuilder& SimServices::ServiceBuilder::DependsOn(const std::vector<std::string>& names) {
    DependsOnWithoutRegistry(names);
    owner_.registry_.SetMultiString(HKEY_LOCAL_MACHINE, kServicesKey + name_, "DependOnService", names);
    return *this;
}

SimServices::ServiceBuilder&
SimServices::ServiceBuilder::DependsOnWithoutRegistry(const std::vector<std::string>& names) {
    Get().dependencies = names;
    return *this;
}

SimServices::ServiceBuilder& SimServices::ServiceBuilder::SettlesAfter(int polls) {
    Get().settlePolls = polls;
    Get().neverSettles = false;
    return *this;
}

SimServices::ServiceBuilder& SimServices::ServiceBuilder::NeverSettles() {
    Get().neverSettles = true;
    return *this;
}

SimServices::ServiceBuilder& SimServices::ServiceBuilder::PendingFor(uint32_t ms, DWORD waitHint) {
    Get().pendingMs = ms;
    Get().waitHint = waitHint;
    Get().neverSettles = false;
    return *this;
}

SimServices::ServiceBuilder& SimServices::ServiceBuilder::FailsWhileStarting(DWORD win32ExitCode,
                                                                             DWORD specific) {
    Get().failStartCode = win32ExitCode;
    Get().failStartSpecific = specific;
    return *this;
}

SimServices::ServiceBuilder& SimServices::ServiceBuilder::ProcessEndsAtOnce() {
    Get().endsAtOnce = true;
    return *this;
}

SimServices::ServiceBuilder& SimServices::ServiceBuilder::StopFails() {
    Get().stopFails = true;
    return *this;
}

SimServices::ServiceBuilder& SimServices::ServiceBuilder::RefusesControl(DWORD code) {
    Get().refuseControl = code;
    return *this;
}

SimServices::ServiceBuilder& SimServices::ServiceBuilder::DoesNotAcceptStop() {
    Get().acceptsStop = false;
    return *this;
}

SimServices::ServiceBuilder& SimServices::ServiceBuilder::AcceptsStopOnlyOnceDependentsStopped() {
    Get().acceptsStopOnlyWithoutDependents = true;
    return *this;
}

SimServices::ServiceBuilder& SimServices::ServiceBuilder::RefusesStart(DWORD code) {
    Get().refuseStart = code;
    return *this;
}

SimServices::ServiceBuilder& SimServices::ServiceBuilder::CannotBeOpened(DWORD code) {
    Get().openError = code;
    return *this;
}

SimServices::ServiceBuilder& SimServices::ServiceBuilder::FailsQueries(int count) {
    Get().failingQueries = count;
    return *this;
}

SimServices::ServiceBuilder& SimServices::ServiceBuilder::EnumeratedWithoutName() {
    Get().nullNameInEnumeration = true;
    return *this;
}

// ---- world ----

SimServices::ServiceBuilder SimServices::Add(const std::string& name) {
    if (!Find(name)) {
        auto s = std::make_unique<Service>();
        s->name = name;
        s->displayName = name;
        services_.push_back(std::move(s));
        registry_.CreateKey(HKEY_LOCAL_MACHINE, kServicesKey + name);
    }
    return ServiceBuilder(*this, name);
}

DWORD SimServices::StateOf(const std::string& name) const {
    const Service* s = Find(name);
    return s ? s->state : 0;
}

void SimServices::SetState(const std::string& name, DWORD state) {
    if (Service* s = Find(name)) {
        s->state = state;
        s->target = 0;
    }
}

int SimServices::FinishPendingTransitions() {
    int finished = 0;
    for (auto& s : services_)
        if (s->target) {
            Arrive(*s);
            ++finished;
        }
    return finished;
}

int SimServices::ServiceHandleCount() const {
    return static_cast<int>(std::count_if(handles_.begin(), handles_.end(),
                                          [](const auto& h) { return h.second.service != nullptr; }));
}

std::vector<std::string> SimServices::CallsTo(const std::string& op) const {
    std::vector<std::string> names;
    for (const auto& c : calls_)
        if (c.op == op) names.push_back(c.service);
    return names;
}

void SimServices::ClearLog() {
    calls_.clear();
    actions_.clear();
}

// rule: scm-names-case-insensitive
SimServices::Service* SimServices::Find(const std::string& name) const {
    for (const auto& s : services_)
        if (SameText(s->name, name)) return s.get();
    return nullptr;
}

SimServices::Service* SimServices::ServiceOf(SC_HANDLE handle) {
    auto it = handles_.find(handle);
    return it == handles_.end() ? nullptr : it->second.service;
}

bool SimServices::IsManager(SC_HANDLE handle) const {
    auto it = handles_.find(handle);
    return it != handles_.end() && it->second.service == nullptr;
}

SC_HANDLE SimServices::NewHandle(Service* service, DWORD access) {
    SC_HANDLE h = nextHandle_;
    nextHandle_ += 8;
    handles_[h] = Handle{service, access};
    return h;
}

// The hook sees the call; a caller that has gone gets nothing done any more.
bool SimServices::Gone() {
    if (OnCall && !calls_.empty()) OnCall(calls_.back());
    if (!callerGone_) return false;
    Fail(ERROR_INVALID_HANDLE);
    return true;
}

BOOL SimServices::Fail(DWORD code) {
    kernel_.SetLastError(code);
    return 0;
}

void SimServices::Fill(const Service& s, SERVICE_STATUS* status) const {
    if (!status) return;
    *status = SERVICE_STATUS{};
    status->dwServiceType = 0x10; // SERVICE_WIN32_OWN_PROCESS
    status->dwCurrentState = s.state;
    // rule: scm-status-exit-code
    status->dwWin32ExitCode = s.exitCode;
    status->dwServiceSpecificExitCode = s.specificExitCode;
    // rule: scm-status-pending-progress
    if (s.target) {
        status->dwWaitHint = s.waitHint;
        status->dwCheckPoint = s.pendingMs
                                   ? static_cast<DWORD>((kernel_.GetTickCount64() - s.pendingSince) / 1000)
                                   : static_cast<DWORD>(s.settlePolls - s.pollsLeft);
    }
    const bool active = s.state == SERVICE_RUNNING || s.state == SERVICE_PAUSED;
    status->dwControlsAccepted =
        active ? SERVICE_ACCEPT_PAUSE_CONTINUE | (AcceptsStopNow(s) ? SERVICE_ACCEPT_STOP : 0u) : 0u;
}

bool SimServices::AcceptsStopNow(const Service& s) const {
    return s.acceptsStop && !(s.acceptsStopOnlyWithoutDependents && HasRunningDependents(s));
}

// rule: scm-paused-dependent-is-active
bool SimServices::HasRunningDependents(const Service& s) const {
    for (const auto& other : services_) {
        if (other->state == SERVICE_STOPPED) continue;
        for (const auto& dep : other->dependencies)
            if (SameText(dep, s.name)) return true;
    }
    return false;
}

void SimServices::Begin(Service& s, DWORD pending, DWORD target) {
    s.state = pending;
    s.target = target;
    s.pollsLeft = s.settlePolls;
    s.pendingSince = kernel_.GetTickCount64();
    if (s.settlePolls <= 0 && !s.neverSettles && !s.pendingMs) Arrive(s);
}

// rule: scm-pending-lasts-a-time
// rule: scm-pending-count-instrument
// A transition in time ends once its time has passed; one counted in queries ends at its
// last query (the count is the tests' instrument, see the table).
void SimServices::Advance(Service& s) {
    if (!s.target || s.neverSettles) return;
    if (s.pendingMs) {
        if (kernel_.GetTickCount64() - s.pendingSince >= s.pendingMs) Arrive(s);
        return;
    }
    if (--s.pollsLeft <= 0) Arrive(s);
}

void SimServices::Arrive(Service& s) {
    const DWORD target = s.target;
    s.target = 0;
    // rule: scm-start-fails-while-pending
    if (target == SERVICE_RUNNING && s.failStartCode) {
        s.state = SERVICE_STOPPED;
        s.exitCode = s.failStartCode;
        s.specificExitCode = s.failStartCode == ERROR_SERVICE_SPECIFIC_ERROR ? s.failStartSpecific : 0;
        return;
    }
    // rule: scm-stop-fails-back-to-running
    s.state = target == SERVICE_STOPPED && s.stopFails ? SERVICE_RUNNING : target;
}

// Starts s after what it depends on; the dependencies come up at once.
DWORD SimServices::BeginStart(Service& s, int depth) {
    if (s.refuseStart) return s.refuseStart;
    // rule: scm-start-already-running
    if (s.state != SERVICE_STOPPED) return ERROR_SERVICE_ALREADY_RUNNING;
    // rule: scm-start-dependencies-first
    if (startDependencies_ && depth < 32) {
        for (const auto& depName : s.dependencies) {
            if (IsGroup(depName)) continue;
            Service* dep = Find(depName);
            if (!dep) return ERROR_SERVICE_DEPENDENCY_DELETED;
            if (dep->state == SERVICE_RUNNING) continue;
            if (dep->state != SERVICE_STOPPED || BeginStart(*dep, depth + 1) != 0)
                return ERROR_SERVICE_DEPENDENCY_FAIL;
            dep->state = SERVICE_RUNNING;
            dep->target = 0;
        }
    }
    // rule: scm-start-process-ends-at-once
    if (s.endsAtOnce) return ERROR_SERVICE_REQUEST_TIMEOUT;
    actions_.push_back("start " + s.name);
    s.exitCode = s.specificExitCode = 0;
    if (depth > 0) return 0;
    Begin(s, SERVICE_START_PENDING, SERVICE_RUNNING);
    return 0;
}

// The one access check: the rights asked for, generic ones mapped, against what the caller's
// token is granted. All or nothing, as Windows does.
bool SimServices::AccessCheck(bool manager, DWORD desired, DWORD* granted) const {
    const DWORD wanted = MapGenericRights(manager, desired);
    const DWORD allowed = GrantedRights(manager, kernel_.IsProcessElevated());
    if (wanted & ~allowed) return false;
    *granted = wanted;
    return true;
}

bool SimServices::HandleAllows(SC_HANDLE handle, DWORD right) const {
    auto it = handles_.find(handle);
    return it != handles_.end() && (it->second.access & right) == right;
}

// ---- IServiceManager ----

SC_HANDLE SimServices::OpenSCManager(const char* machineName, const char* databaseName, DWORD access) {
    calls_.push_back({"OpenSCManager", "", access, {}});
    if (Gone()) return 0;
    if (managerOpenError_) {
        Fail(managerOpenError_);
        return 0;
    }
    // rule: scm-open-remote-unreachable
    if (machineName && *machineName) {
        Fail(RPC_S_SERVER_UNAVAILABLE);
        return 0;
    }
    // rule: scm-open-database-names
    if (databaseName && *databaseName) {
        if (!SameText(databaseName, "ServicesActive")) {
            Fail(SameText(databaseName, "ServicesFailed") ? ERROR_DATABASE_DOES_NOT_EXIST
                                                          : ERROR_INVALID_NAME);
            return 0;
        }
    }
    DWORD granted = 0;
    if (!AccessCheck(true, access, &granted)) {
        Fail(ERROR_ACCESS_DENIED);
        return 0;
    }
    return NewHandle(nullptr, granted);
}

SC_HANDLE SimServices::OpenService(SC_HANDLE manager, const char* serviceName, DWORD access) {
    const std::string name = serviceName ? serviceName : "";
    calls_.push_back({"OpenService", name, access, {}});
    if (Gone()) return 0;
    if (!IsManager(manager)) {
        Fail(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (name.empty() || name.size() > 256 || name.find_first_of("/\\") != std::string::npos) {
        Fail(ERROR_INVALID_NAME);
        return 0;
    }
    // rule: scm-open-service-names
    Service* s = Find(name);
    if (!s) {
        Fail(ERROR_SERVICE_DOES_NOT_EXIST);
        return 0;
    }
    if (s->openError) {
        Fail(s->openError);
        return 0;
    }
    DWORD granted = 0;
    if (!AccessCheck(false, access, &granted)) {
        Fail(ERROR_ACCESS_DENIED);
        return 0;
    }
    return NewHandle(s, granted);
}

BOOL SimServices::QueryServiceStatus(SC_HANDLE service, SERVICE_STATUS* status) {
    Service* s = ServiceOf(service);
    calls_.push_back({"QueryServiceStatus", s ? s->name : "", 0, {}});
    if (Gone()) return 0;
    if (!s) return Fail(ERROR_INVALID_HANDLE);
    if (!HandleAllows(service, SERVICE_QUERY_STATUS)) return Fail(ERROR_ACCESS_DENIED);
    Advance(*s);
    if (s->failingQueries > 0) {
        --s->failingQueries;
        return Fail(ERROR_INVALID_HANDLE);
    }
    if (!status) return Fail(ERROR_INVALID_PARAMETER);
    Fill(*s, status);
    return 1;
}

BOOL SimServices::ControlService(SC_HANDLE service, DWORD control, SERVICE_STATUS* status) {
    Service* s = ServiceOf(service);
    calls_.push_back({"ControlService", s ? s->name : "", control, {}});
    if (Gone()) return 0;
    if (!s) return Fail(ERROR_INVALID_HANDLE);
    if (s->pendingMs) Advance(*s);
    // rule: scm-control-right-per-code
    const DWORD needed = RightForControl(control);
    // rule: scm-control-undefined-code
    if (!needed) return Fail(ERROR_INVALID_PARAMETER);
    // rule: scm-handle-rights
    if (!HandleAllows(service, needed)) return Fail(ERROR_ACCESS_DENIED);
    if (s->refuseControl) return Fail(s->refuseControl);
    const bool pending = s->state == SERVICE_START_PENDING || s->state == SERVICE_STOP_PENDING ||
                         s->state == SERVICE_CONTINUE_PENDING || s->state == SERVICE_PAUSE_PENDING;
    switch (control) {
    case SERVICE_CONTROL_STOP:
        // rule: scm-control-state-errors
        if (s->state == SERVICE_STOPPED) return Fail(ERROR_SERVICE_NOT_ACTIVE);
        if (!AcceptsStopNow(*s) && !pending) return Fail(ERROR_INVALID_SERVICE_CONTROL);
        if (pending) return Fail(ERROR_SERVICE_CANNOT_ACCEPT_CTRL);
        // rule: scm-stop-refused-while-dependents-run
        if (refuseStopWithDependents_ && HasRunningDependents(*s))
            return Fail(ERROR_DEPENDENT_SERVICES_RUNNING);
        actions_.push_back("stop " + s->name);
        Begin(*s, SERVICE_STOP_PENDING, SERVICE_STOPPED);
        break;
    case SERVICE_CONTROL_PAUSE:
    case SERVICE_CONTROL_CONTINUE: {
        if (s->state == SERVICE_STOPPED) return Fail(ERROR_SERVICE_NOT_ACTIVE);
        if (pending) return Fail(ERROR_SERVICE_CANNOT_ACCEPT_CTRL);
        const bool pause = control == SERVICE_CONTROL_PAUSE;
        actions_.push_back((pause ? "pause " : "continue ") + s->name);
        if (pause && s->state == SERVICE_RUNNING) Begin(*s, SERVICE_PAUSE_PENDING, SERVICE_PAUSED);
        if (!pause && s->state == SERVICE_PAUSED) Begin(*s, SERVICE_CONTINUE_PENDING, SERVICE_RUNNING);
        break;
    }
    default:
        return Fail(ERROR_INVALID_SERVICE_CONTROL);
    }
    Fill(*s, status);
    return 1;
}

BOOL SimServices::StartService(SC_HANDLE service, DWORD argc, const char** argv) {
    Service* s = ServiceOf(service);
    std::string first = (argc > 0 && argv && argv[0]) ? argv[0] : "";
    calls_.push_back({"StartService", s ? s->name : "", argc, first});
    if (Gone()) return 0;
    if (!s) return Fail(ERROR_INVALID_HANDLE);
    if (!HandleAllows(service, SERVICE_START)) return Fail(ERROR_ACCESS_DENIED);
    if (s->pendingMs) Advance(*s);
    if (DWORD code = BeginStart(*s, 0)) return Fail(code);
    return 1;
}

std::vector<SimServices::Service*> SimServices::Enumerated(DWORD serviceState) const {
    std::vector<Service*> list;
    for (const auto& s : services_) {
        const bool active = s->state != SERVICE_STOPPED;
        if ((active && (serviceState & 1)) || (!active && (serviceState & 2))) list.push_back(s.get());
    }
    // rule: scm-enum-order
    // Windows lists its database in name order compared in upper case (so "A_C" before "aB",
    // where a lower-case order puts it after); the machine may choose another order.
    const auto upper = [](const Service* a, const Service* b) {
        return CompareUpperCase(a->name, b->name) < 0;
    };
    const auto lower = [](const Service* a, const Service* b) { return CompareNoCase(a->name, b->name) < 0; };
    if (enumOrder_ == EnumOrder::LowerCase) {
        std::stable_sort(list.begin(), list.end(), lower);
    } else {
        std::stable_sort(list.begin(), list.end(), upper);
        if (enumOrder_ == EnumOrder::Reverse) std::reverse(list.begin(), list.end());
    }
    return list;
}

BOOL SimServices::EnumServicesStatus(SC_HANDLE manager, DWORD serviceType, DWORD serviceState, void* buffer,
                                     DWORD bufferSize, DWORD* bytesNeeded, DWORD* servicesReturned,
                                     DWORD* resumeHandle) {
    calls_.push_back({"EnumServicesStatus", "", bufferSize, {}});
    if (Gone()) return 0;
    // rule: scm-handle-kind
    if (!IsManager(manager)) return Fail(ERROR_INVALID_HANDLE);
    if (!HandleAllows(manager, SC_MANAGER_ENUMERATE_SERVICE)) return Fail(ERROR_ACCESS_DENIED);
    if (enumError_) return Fail(enumError_);
    // rule: scm-enum-bad-arguments
    const bool badType = (serviceType & SERVICE_TYPE_ALL) == 0;
    const bool badState = (serviceState & SERVICE_STATE_ALL) == 0;
    if (!bytesNeeded || !servicesReturned || badType || badState || (!buffer && bufferSize))
        return Fail(ERROR_INVALID_PARAMETER);
    const auto list = Enumerated(serviceState);
    size_t index = resumeHandle ? *resumeHandle : 0;
    *servicesReturned = 0;
    *bytesNeeded = 0;

    // rule: scm-enum-layout
    auto* records = static_cast<ENUM_SERVICE_STATUS*>(buffer);
    auto* bytes = static_cast<char*>(buffer);
    size_t recordEnd = 0;
    size_t stringStart = bufferSize;
    DWORD returned = 0;
    for (; index < list.size(); ++index) {
        const Service& s = *list[index];
        const size_t size = EntrySize(s);
        if (stringStart < recordEnd + size) break;
        ENUM_SERVICE_STATUS record{};
        stringStart -= s.displayName.size() + 1;
        std::memcpy(bytes + stringStart, s.displayName.c_str(), s.displayName.size() + 1);
        record.lpDisplayName = bytes + stringStart;
        if (!s.nullNameInEnumeration) {
            stringStart -= s.name.size() + 1;
            std::memcpy(bytes + stringStart, s.name.c_str(), s.name.size() + 1);
            record.lpServiceName = bytes + stringStart;
        }
        Fill(s, &record.ServiceStatus);
        std::memcpy(&records[returned], &record, sizeof record);
        recordEnd += sizeof(ENUM_SERVICE_STATUS);
        ++returned;
    }
    *servicesReturned = returned;
    // rule: scm-enum-more-data
    if (index < list.size()) {
        DWORD rest = 0;
        for (size_t i = index; i < list.size(); ++i)
            rest += EntrySize(*list[i]);
        *bytesNeeded = rest;
        if (resumeHandle) *resumeHandle = static_cast<DWORD>(index);
        return Fail(ERROR_MORE_DATA);
    }
    if (resumeHandle) *resumeHandle = 0;
    return 1;
}

BOOL SimServices::GetServiceDisplayName(SC_HANDLE manager, const char* serviceName,
                                        std::string* displayName) {
    const std::string name = serviceName ? serviceName : "";
    calls_.push_back({"GetServiceDisplayName", name, 0, {}});
    if (Gone()) return 0;
    if (!IsManager(manager)) return Fail(ERROR_INVALID_HANDLE);
    // rule: scm-display-name
    const Service* s = Find(name);
    if (!s) return Fail(ERROR_SERVICE_DOES_NOT_EXIST);
    if (!displayName) return Fail(ERROR_INVALID_PARAMETER);
    *displayName = s->displayName;
    return 1;
}

BOOL SimServices::CloseServiceHandle(SC_HANDLE handle) {
    auto it = handles_.find(handle);
    calls_.push_back({"CloseServiceHandle",
                      it != handles_.end() && it->second.service ? it->second.service->name : "",
                      0,
                      {}});
    // rule: scm-handle-counting
    if (it == handles_.end()) return Fail(ERROR_INVALID_HANDLE);
    handles_.erase(it);
    return 1;
}

} // namespace sim
