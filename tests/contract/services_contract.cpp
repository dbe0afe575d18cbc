// The service manager's answers, as Windows gives them (Wine's dlls/advapi32/tests/service.c,
// which runs on Windows).
#include <algorithm>

#include "contract/contract.h"

using namespace plat;
using Kind = contract::World::Kind;

// test_open_scm: only "ServicesActive" (or none) opens; "ServicesFailed" does not exist;
// any other name is not a name at all.
CONTRACT_CASE(OpenSCManagerNamesItsDatabase) {
    auto& scm = *world.Os().services;
    auto& kernel = *world.Os().kernel;
    SC_HANDLE active = scm.OpenSCManager(nullptr, "ServicesActive", SC_MANAGER_CONNECT);
    check.Check(active != 0, "ServicesActive opens");
    if (active) scm.CloseServiceHandle(active);
    check.Equal(scm.OpenSCManager(nullptr, "ServicesFailed", SC_MANAGER_CONNECT), SC_HANDLE(0),
                "ServicesFailed");
    check.Equal(kernel.GetLastError(), DWORD(ERROR_DATABASE_DOES_NOT_EXIST), "ServicesFailed's error");
    check.Equal(scm.OpenSCManager(nullptr, "DoesNotExist", SC_MANAGER_CONNECT), SC_HANDLE(0),
                "an unknown database");
    check.Equal(kernel.GetLastError(), DWORD(ERROR_INVALID_NAME), "an unknown database's error");
}

namespace {

// Polls until the service reports want (or ~6 s of the backend's time pass); the last status.
SERVICE_STATUS WaitFor(contract::World& world, SC_HANDLE service, DWORD want) {
    SERVICE_STATUS status{};
    for (int i = 0; i < 60; ++i) {
        if (world.Os().services->QueryServiceStatus(service, &status) && status.dwCurrentState == want) break;
        world.Pass(100);
    }
    return status;
}

// A manager handle with every right, closed with the case.
struct Manager {
    explicit Manager(contract::World& world)
        : scm(*world.Os().services), handle(scm.OpenSCManager(nullptr, nullptr, SC_MANAGER_ALL_ACCESS)) {}
    ~Manager() {
        if (handle) scm.CloseServiceHandle(handle);
    }
    IServiceManager& scm;
    SC_HANDLE handle;
};

} // namespace

// ControlService and StartService (learn.microsoft.com: ControlService, StartService): a start
// of a running service is 1056, a stop of a stopped one 1062, a control the service does not
// accept 1052; an undefined control code 87; a right the handle lacks 5.
CONTRACT_CASE(ControlAndStartAnswerWithTheStateOfTheService) {
    Manager m(world);
    auto& kernel = *world.Os().kernel;
    check.Check(m.handle != 0, "manager opens");
    if (!m.handle || !world.AddService("TcCtlPlain", Kind::Plain) ||
        !world.AddService("TcCtlNoStop", Kind::RefusesStop))
        return check.Check(false, "services made");
    SC_HANDLE plain = m.scm.OpenService(m.handle, "TcCtlPlain", SERVICE_ALL_ACCESS);
    SC_HANDLE noStop = m.scm.OpenService(m.handle, "TcCtlNoStop", SERVICE_ALL_ACCESS);
    check.Check(plain && noStop, "services open");
    SERVICE_STATUS status{};
    status.dwCurrentState = 0xdead;
    check.Equal(m.scm.ControlService(plain, SERVICE_CONTROL_STOP, &status), BOOL(0),
                "stop of a stopped service");
    check.Equal(kernel.GetLastError(), DWORD(ERROR_SERVICE_NOT_ACTIVE), "its error");
    check.Equal(m.scm.ControlService(plain, 300, &status), BOOL(0), "an undefined control");
    check.Equal(kernel.GetLastError(), DWORD(ERROR_INVALID_PARAMETER), "its error");

    check.Check(m.scm.StartService(plain, 0, nullptr) != 0, "start");
    check.Equal(m.scm.StartService(plain, 0, nullptr), BOOL(0), "start of a started service");
    check.Equal(kernel.GetLastError(), DWORD(ERROR_SERVICE_ALREADY_RUNNING), "its error");
    check.Equal(WaitFor(world, plain, SERVICE_RUNNING).dwCurrentState, DWORD(SERVICE_RUNNING), "runs");
    check.Equal(m.scm.StartService(plain, 0, nullptr), BOOL(0), "start of a running service");
    check.Equal(kernel.GetLastError(), DWORD(ERROR_SERVICE_ALREADY_RUNNING), "its error");

    check.Check(m.scm.StartService(noStop, 0, nullptr) != 0, "start of a service that refuses stops");
    status = WaitFor(world, noStop, SERVICE_RUNNING);
    check.Equal(status.dwControlsAccepted & SERVICE_ACCEPT_STOP, DWORD(0), "it does not accept STOP");
    check.Equal(m.scm.ControlService(noStop, SERVICE_CONTROL_STOP, &status), BOOL(0), "its stop");
    check.Equal(kernel.GetLastError(), DWORD(ERROR_INVALID_SERVICE_CONTROL), "its stop's error");

    SC_HANDLE queryOnly = m.scm.OpenService(m.handle, "TcCtlPlain", SERVICE_QUERY_STATUS);
    check.Equal(m.scm.ControlService(queryOnly, SERVICE_CONTROL_STOP, &status), BOOL(0),
                "stop without SERVICE_STOP");
    check.Equal(kernel.GetLastError(), DWORD(ERROR_ACCESS_DENIED), "its error");
    check.Equal(m.scm.StartService(queryOnly, 0, nullptr), BOOL(0), "start without SERVICE_START");
    check.Equal(kernel.GetLastError(), DWORD(ERROR_ACCESS_DENIED), "its error");
    check.Check(m.scm.QueryServiceStatus(queryOnly, &status) != 0, "a query with SERVICE_QUERY_STATUS");
    m.scm.CloseServiceHandle(queryOnly);

    check.Check(m.scm.ControlService(plain, SERVICE_CONTROL_STOP, &status) != 0, "stop of a running service");
    check.Check(status.dwCurrentState == SERVICE_STOP_PENDING || status.dwCurrentState == SERVICE_STOPPED,
                "the stop fills the status");
    check.Equal(WaitFor(world, plain, SERVICE_STOPPED).dwCurrentState, DWORD(SERVICE_STOPPED), "stops");
    m.scm.CloseServiceHandle(plain);
    m.scm.CloseServiceHandle(noStop);
}

// test_open_svc, test_close: no handle, or a handle of the wrong kind, is 6; an unknown
// service is 1060 at OpenService.
CONTRACT_CASE(HandlesOfTheWrongKindAreInvalid) {
    Manager m(world);
    auto& kernel = *world.Os().kernel;
    if (!m.handle || !world.AddService("TcHandleKind", Kind::Plain)) return check.Check(false, "set-up");
    SERVICE_STATUS status{};
    DWORD needed = 0, returned = 0, resume = 0;
    check.Equal(m.scm.OpenService(0, "TcHandleKind", SERVICE_QUERY_STATUS), SC_HANDLE(0),
                "OpenService without a manager");
    check.Equal(kernel.GetLastError(), DWORD(ERROR_INVALID_HANDLE), "its error");
    check.Equal(m.scm.CloseServiceHandle(0), BOOL(0), "CloseServiceHandle(0)");
    check.Equal(kernel.GetLastError(), DWORD(ERROR_INVALID_HANDLE), "its error");
    check.Equal(m.scm.OpenService(m.handle, "TcHandleKindNone", SERVICE_QUERY_STATUS), SC_HANDLE(0),
                "an unknown service");
    check.Equal(kernel.GetLastError(), DWORD(ERROR_SERVICE_DOES_NOT_EXIST), "its error");

    SC_HANDLE service = m.scm.OpenService(m.handle, "TcHandleKind", SERVICE_ALL_ACCESS);
    check.Equal(m.scm.QueryServiceStatus(m.handle, &status), BOOL(0),
                "a manager handle queried as a service");
    check.Equal(kernel.GetLastError(), DWORD(ERROR_INVALID_HANDLE), "its error");
    check.Equal(m.scm.StartService(m.handle, 0, nullptr), BOOL(0), "a manager handle started");
    check.Equal(kernel.GetLastError(), DWORD(ERROR_INVALID_HANDLE), "its error");
    check.Equal(m.scm.OpenService(service, "TcHandleKind", SERVICE_QUERY_STATUS), SC_HANDLE(0),
                "a service handle as the manager");
    check.Equal(kernel.GetLastError(), DWORD(ERROR_INVALID_HANDLE), "its error");
    check.Equal(m.scm.EnumServicesStatus(service, SERVICE_TYPE_ALL, SERVICE_STATE_ALL, nullptr, 0, &needed,
                                         &returned, &resume),
                BOOL(0), "a service handle enumerated");
    check.Equal(kernel.GetLastError(), DWORD(ERROR_INVALID_HANDLE), "its error");
    m.scm.CloseServiceHandle(service);
}

// EnumServicesStatusEx (learn.microsoft.com): a buffer too small fails with ERROR_MORE_DATA,
// bytes needed for the rest and the services that fitted. An invalid type or state is 87.
CONTRACT_CASE(EnumerationFillsWhatFitsAndSaysWhatTheRestNeeds) {
    Manager m(world);
    auto& kernel = *world.Os().kernel;
    if (!m.handle || !world.AddService("TcEnumA", Kind::Plain) || !world.AddService("TcEnumB", Kind::Plain))
        return check.Check(false, "set-up");
    DWORD needed = 0, returned = 7, resume = 0;
    check.Equal(m.scm.EnumServicesStatus(m.handle, SERVICE_TYPE_ALL, SERVICE_STATE_ALL, nullptr, 0, &needed,
                                         &returned, &resume),
                BOOL(0), "no buffer");
    check.Equal(kernel.GetLastError(), DWORD(ERROR_MORE_DATA), "its error");
    check.Equal(returned, DWORD(0), "no buffer returns none");
    check.Check(needed > 2 * sizeof(ENUM_SERVICE_STATUS), "bytes needed for at least the two services");

    const DWORD wholeNeeded = needed;
    std::vector<char> whole(needed + 4096);
    resume = 0;
    check.Check(m.scm.EnumServicesStatus(m.handle, SERVICE_TYPE_ALL, SERVICE_STATE_ALL, whole.data(),
                                         DWORD(whole.size()), &needed, &returned, &resume) != 0,
                "a buffer of the bytes needed");
    const DWORD total = returned;
    check.Equal(resume, DWORD(0), "the resume handle after the last batch");
    int seen = 0;
    const auto* records = reinterpret_cast<const ENUM_SERVICE_STATUS*>(whole.data());
    for (DWORD i = 0; i < returned; ++i)
        if (records[i].lpServiceName && (std::string(records[i].lpServiceName) == "TcEnumA" ||
                                         std::string(records[i].lpServiceName) == "TcEnumB"))
            ++seen;
    check.Equal(seen, 2, "both services listed");

    // Half of what the whole takes: what fits, and ERROR_MORE_DATA with the rest's bytes. (Wine
    // leaves the resume handle at 0, so batches that follow it are the simulation's own test.)
    std::vector<char> half(wholeNeeded / 2);
    resume = 0;
    check.Equal(m.scm.EnumServicesStatus(m.handle, SERVICE_TYPE_ALL, SERVICE_STATE_ALL, half.data(),
                                         DWORD(half.size()), &needed, &returned, &resume),
                BOOL(0), "half the buffer");
    check.Equal(kernel.GetLastError(), DWORD(ERROR_MORE_DATA), "its error");
    check.Check(returned > 0 && returned < total && needed > 0, "what fitted, and bytes needed for the rest");

    check.Equal(
        m.scm.EnumServicesStatus(m.handle, SERVICE_TYPE_ALL, 0, nullptr, 0, &needed, &returned, &resume),
        BOOL(0), "state 0");
    check.Equal(kernel.GetLastError(), DWORD(ERROR_INVALID_PARAMETER), "its error");
    check.Equal(
        m.scm.EnumServicesStatus(m.handle, 0, SERVICE_STATE_ALL, nullptr, 0, &needed, &returned, &resume),
        BOOL(0), "type 0");
    check.Equal(kernel.GetLastError(), DWORD(ERROR_INVALID_PARAMETER), "its error");
}

// test_open_scm: no rights at all still opens the manager.
CONTRACT_CASE(OpenSCManagerWithoutRightsOpens) {
    auto& scm = *world.Os().services;
    SC_HANDLE none = scm.OpenSCManager(nullptr, nullptr, 0);
    check.Check(none != 0, "access 0 opens");
    if (none) scm.CloseServiceHandle(none);
    SC_HANDLE empty = scm.OpenSCManager("", "ServicesActive", SC_MANAGER_CONNECT);
    check.Check(empty != 0, "an empty machine name is this machine");
    if (empty) scm.CloseServiceHandle(empty);
}

// StartService (learn.microsoft.com): the start succeeds once the process runs; a service
// that then fails reports SERVICE_STOPPED with its exit code (SERVICE_STATUS: 1066 says
// dwServiceSpecificExitCode holds the service's own).
CONTRACT_CASE(AServiceThatFailsWhileStartingEndsStoppedWithItsExitCode) {
    Manager m(world);
    if (!m.handle || !world.AddService("TcFailStart", Kind::FailsWhileStarting))
        return check.Check(false, "set-up");
    SC_HANDLE service = m.scm.OpenService(m.handle, "TcFailStart", SERVICE_ALL_ACCESS);
    check.Check(m.scm.StartService(service, 0, nullptr) != 0, "the start is accepted");
    SERVICE_STATUS status{};
    for (int i = 0; i < 30; ++i) {
        world.Pass(100);
        if (m.scm.QueryServiceStatus(service, &status) && status.dwCurrentState == SERVICE_STOPPED) break;
    }
    check.Equal(status.dwCurrentState, DWORD(SERVICE_STOPPED), "stopped within 3 s");
    check.Equal(status.dwWin32ExitCode, DWORD(ERROR_SERVICE_SPECIFIC_ERROR), "its exit code");
    check.Equal(status.dwServiceSpecificExitCode, DWORD(42), "its own code");
    m.scm.CloseServiceHandle(service);
}

// SERVICE_STATUS (learn.microsoft.com): while pending, a service reports a wait hint and a
// check point that grows; the slow test service runs after about 3 s.
CONTRACT_CASE(ASlowStartIsPendingWithProgressThenRuns) {
    Manager m(world);
    if (!m.handle || !world.AddService("TcSlowStart", Kind::Slow)) return check.Check(false, "set-up");
    SC_HANDLE service = m.scm.OpenService(m.handle, "TcSlowStart", SERVICE_ALL_ACCESS);
    check.Check(m.scm.StartService(service, 0, nullptr) != 0, "the start is accepted");
    SERVICE_STATUS status{};
    DWORD highestCheckPoint = 0, hint = 0;
    int pendingQueries = 0;
    for (int i = 0; i < 60; ++i) {
        world.Pass(100);
        if (!m.scm.QueryServiceStatus(service, &status) || status.dwCurrentState != SERVICE_START_PENDING)
            break;
        ++pendingQueries;
        highestCheckPoint = std::max(highestCheckPoint, status.dwCheckPoint);
        hint = status.dwWaitHint;
    }
    check.Check(pendingQueries >= 15, "start-pending for well over a second");
    check.Check(highestCheckPoint > 0 && hint > 0, "a check point that grew, and a wait hint");
    check.Equal(status.dwCurrentState, DWORD(SERVICE_RUNNING), "runs within 6 s");
    if (m.scm.ControlService(service, SERVICE_CONTROL_STOP, &status)) {
        for (int i = 0; i < 60 && status.dwCurrentState != SERVICE_STOPPED; ++i) {
            world.Pass(100);
            m.scm.QueryServiceStatus(service, &status);
        }
    }
    m.scm.CloseServiceHandle(service);
}
