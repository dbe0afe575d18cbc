// A stand-in service for the tests: it logs "<name> start" and "<name> stop" lines to a log
// file and runs until it is stopped. Run by the service manager as
//   tarnwick-testservice.exe service NAME LOG [ignore-stop | refuse-stop | slow | fail-start]
// LOG "-" means the file named by the TARNWICK_SERVICE_LOG environment variable.
// ignore-stop accepts the stop request and goes on running; refuse-stop does not accept it;
// slow stays start-pending (a check point each second) and stop-pending for 3 s each;
// fail-start reports START_PENDING with a check point, then SERVICE_STOPPED with
// ERROR_SERVICE_SPECIFIC_ERROR and its own code 42.
// Pause and continue are accepted and logged as "<name> pause" / "<name> continue".
//
// Windows' service manager refuses to stop a service while a service whose DependOnService
// names it is active (ERROR_DEPENDENT_SERVICES_RUNNING); Wine's stops it anyway. So this
// service does not accept the stop while a dependent (REG_MULTI_SZ, or a REG_SZ comma list;
// REG_EXPAND_SZ does not count) runs or is in a pending state. It has to keep that in the
// controls it reports: Wine answers a stop that the handler refuses with success and kills
// the service at the next stop. A paused dependent counts too, as Windows counts it.
// A test service tells the services it depends on when its state changes, so they never
// report a stale answer; a poll every two seconds covers other services. One gap is left:
// Wine reports a service start-pending before its process runs, so a stop sent right after
// a dependent's start request still reaches the handler, which refuses it and logs "stop
// refused" while Wine answers success (and kills the service at its next stop).
//
// Set-up commands (run from a shell in the Wine prefix):
//   tarnwick-testservice.exe install NAME LOG [option]   create a demand-start service
//   tarnwick-testservice.exe repoint NAME LOG [option]   make an existing service run this program
//   tarnwick-testservice.exe remove NAME
//   tarnwick-testservice.exe pause NAME                  pause a running service, wait until paused
//   tarnwick-testservice.exe stop NAME                   stop its active dependents, then it, and wait
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace {

std::string serviceName;
std::string logPath;
bool ignoreStop = false;
bool refuseStop = false;
bool slow = false;
bool failStart = false;
SERVICE_STATUS_HANDLE statusHandle = nullptr;
HANDLE stopEvent = nullptr;

// A user-defined control: "a dependent changed its state, look again".
constexpr DWORD kRecheck = 200;
// The check point of the last stop-pending report, sent just before the stopped one: a
// dependent that reports it has done its stop and no longer holds its dependencies.
constexpr DWORD kFinishing = 0x7477;

// Guards the reported state and the stop flag, and keeps a check and its report together,
// so an older check never overwrites a newer one.
std::mutex statusLock;
DWORD currentState = SERVICE_START_PENDING;
bool stopBlocked = false;

void Log(const std::string& what) {
    std::string line = serviceName;
    line.append(" ").append(what).append("\r\n");
    HANDLE file = ::CreateFileA(logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    ::CloseHandle(file);
}

// With statusLock held.
void Send(DWORD checkPoint = 0) {
    SERVICE_STATUS status{};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = currentState;
    const bool active = currentState == SERVICE_RUNNING || currentState == SERVICE_PAUSED;
    status.dwControlsAccepted = active ? SERVICE_ACCEPT_PAUSE_CONTINUE : 0;
    if (active && !refuseStop && !stopBlocked) status.dwControlsAccepted |= SERVICE_ACCEPT_STOP;
    status.dwCheckPoint = checkPoint;
    status.dwWaitHint = 2000;
    if (failStart && currentState == SERVICE_STOPPED) {
        status.dwWin32ExitCode = ERROR_SERVICE_SPECIFIC_ERROR;
        status.dwServiceSpecificExitCode = 42;
    }
    ::SetServiceStatus(statusHandle, &status);
}

void Report(DWORD state, DWORD checkPoint = 0) {
    std::lock_guard<std::mutex> hold(statusLock);
    currentState = state;
    Send(checkPoint);
}

bool SameName(const std::string& a, const std::string& b) {
    return ::lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

std::string Trimmed(const std::string& s) {
    const size_t first = s.find_first_not_of(" \t\"");
    if (first == std::string::npos) return "";
    return s.substr(first, s.find_last_not_of(" \t\"") - first + 1);
}

// The names in DependOnService data as the registry holds it.
std::vector<std::string> DependencyNames(DWORD type, const std::string& data) {
    std::vector<std::string> names;
    if (type == REG_MULTI_SZ) {
        for (size_t start = 0; start < data.size();) {
            size_t end = data.find('\0', start);
            if (end == std::string::npos) end = data.size();
            if (end > start) names.push_back(data.substr(start, end - start));
            start = end + 1;
        }
    } else if (type == REG_SZ) {
        const std::string text = data.substr(0, data.find('\0'));
        for (size_t start = 0; start <= text.size();) {
            size_t end = text.find(',', start);
            if (end == std::string::npos) end = text.size();
            if (std::string name = Trimmed(text.substr(start, end - start)); !name.empty())
                names.push_back(name);
            start = end + 1;
        }
    }
    return names; // REG_EXPAND_SZ and the rest do not count
}

std::vector<std::string> DependenciesOf(HKEY services, const char* key) {
    DWORD type = 0, size = 0;
    const DWORD flags = RRF_RT_ANY | RRF_NOEXPAND;
    if (::RegGetValueA(services, key, "DependOnService", flags, &type, nullptr, &size) != 0 || size == 0)
        return {};
    std::string data(size, '\0');
    if (::RegGetValueA(services, key, "DependOnService", flags, &type, data.data(), &size) != 0) return {};
    data.resize(size);
    return DependencyNames(type, data);
}

HKEY OpenServicesKey() {
    HKEY services = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services", 0, KEY_READ, &services) !=
        0)
        return nullptr;
    return services;
}

bool Blocks(const SERVICE_STATUS& status) {
    switch (status.dwCurrentState) {
    case SERVICE_STOP_PENDING:
        return status.dwCheckPoint != kFinishing;
    case SERVICE_RUNNING:
    case SERVICE_START_PENDING:
    case SERVICE_CONTINUE_PENDING:
    case SERVICE_PAUSE_PENDING:
        return true;
    case SERVICE_PAUSED:
        return true;
    default:
        return false;
    }
}

bool HoldsUs(SC_HANDLE manager, const char* name) {
    SC_HANDLE service = ::OpenServiceA(manager, name, SERVICE_QUERY_STATUS);
    if (!service) return false;
    SERVICE_STATUS status{};
    const bool holds = ::QueryServiceStatus(service, &status) && Blocks(status);
    ::CloseServiceHandle(service);
    return holds;
}

// The services whose DependOnService names the given one.
std::vector<std::string> DependentsOf(const std::string& name) {
    std::vector<std::string> dependents;
    HKEY services = OpenServicesKey();
    if (!services) return dependents;
    char key[256];
    for (DWORD index = 0;; ++index) {
        DWORD keyLength = sizeof key;
        const LONG rc = ::RegEnumKeyExA(services, index, key, &keyLength, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS) continue;
        for (const auto& dependency : DependenciesOf(services, key))
            if (SameName(dependency, name)) {
                dependents.push_back(key);
                break;
            }
    }
    ::RegCloseKey(services);
    return dependents;
}

// Whether a service that depends on this one is active.
bool DependentActive() {
    SC_HANDLE manager = ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (!manager) return false;
    bool active = false;
    for (const auto& dependent : DependentsOf(serviceName))
        if ((active = HoldsUs(manager, dependent.c_str()))) break;
    ::CloseServiceHandle(manager);
    return active;
}

// Looks at the dependents again and reports whether a stop is accepted; true when it is.
bool Recheck() {
    std::lock_guard<std::mutex> hold(statusLock);
    const bool blocked = DependentActive();
    if (blocked != stopBlocked) {
        stopBlocked = blocked;
        if (currentState == SERVICE_RUNNING || currentState == SERVICE_PAUSED) Send();
    }
    return !blocked;
}

// Tells the services this one depends on that its state has changed.
void NotifyDependencies() {
    HKEY services = OpenServicesKey();
    if (!services) return;
    const auto names = DependenciesOf(services, serviceName.c_str());
    ::RegCloseKey(services);
    SC_HANDLE manager = ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (!manager) return;
    for (const auto& name : names) {
        SC_HANDLE service = ::OpenServiceA(manager, name.c_str(), SERVICE_USER_DEFINED_CONTROL);
        if (!service) continue;
        SERVICE_STATUS status{};
        ::ControlService(service, kRecheck, &status); // a stopped one has nothing to update
        ::CloseServiceHandle(service);
    }
    ::CloseServiceHandle(manager);
}

DWORD WINAPI Control(DWORD control, DWORD, LPVOID, LPVOID) {
    switch (control) {
    case SERVICE_CONTROL_STOP:
        if (refuseStop) return ERROR_CALL_NOT_IMPLEMENTED;
        // Reached only when a dependent became active after the last check; Wine tells the
        // caller nothing of the refusal, the log does.
        if (!Recheck()) {
            Log("stop refused");
            return ERROR_DEPENDENT_SERVICES_RUNNING;
        }
        if (ignoreStop) {
            Log("stop ignored");
            Report(SERVICE_RUNNING);
            return NO_ERROR;
        }
        Report(SERVICE_STOP_PENDING);
        ::SetEvent(stopEvent);
        return NO_ERROR;
    case SERVICE_CONTROL_PAUSE:
        Log("pause");
        Report(SERVICE_PAUSED);
        NotifyDependencies();
        return NO_ERROR;
    case SERVICE_CONTROL_CONTINUE:
        Log("continue");
        Report(SERVICE_RUNNING);
        NotifyDependencies();
        return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE:
        return NO_ERROR;
    case kRecheck:
        Recheck();
        return NO_ERROR;
    default:
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

DWORD WINAPI Watch(LPVOID) {
    while (::WaitForSingleObject(stopEvent, 2000) == WAIT_TIMEOUT)
        Recheck();
    return 0;
}

void WINAPI ServiceMain(DWORD, LPSTR*) {
    statusHandle = ::RegisterServiceCtrlHandlerExA(serviceName.c_str(), Control, nullptr);
    if (!statusHandle) return;
    stopEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    Report(SERVICE_START_PENDING);
    if (failStart) {
        Report(SERVICE_START_PENDING, 1);
        ::Sleep(200);
        Log("failed to start");
        Report(SERVICE_STOPPED);
        return;
    }
    // Wine's net start returns as soon as this runs, and the suites read the log right after:
    // the line comes first unless a slow start leaves time for the notice.
    if (slow) {
        NotifyDependencies();
        for (DWORD checkPoint = 1; checkPoint <= 3; ++checkPoint) {
            ::Sleep(1000);
            Report(SERVICE_START_PENDING, checkPoint);
        }
    }
    Log("start");
    if (!slow) NotifyDependencies();
    Recheck();
    Report(SERVICE_RUNNING);
    HANDLE watcher = ::CreateThread(nullptr, 0, Watch, nullptr, 0, nullptr);
    ::WaitForSingleObject(stopEvent, INFINITE);
    if (watcher) {
        ::WaitForSingleObject(watcher, INFINITE);
        ::CloseHandle(watcher);
    }
    if (slow) ::Sleep(3000);
    Log("stop");
    Report(SERVICE_STOP_PENDING, kFinishing);
    NotifyDependencies();
    Report(SERVICE_STOPPED);
}

std::string SelfPath() {
    char path[MAX_PATH * 4] = {};
    ::GetModuleFileNameA(nullptr, path, sizeof path - 1);
    return path;
}

std::string CommandLine(int argc, char** argv) {
    std::string line = "\"";
    line.append(SelfPath()).append("\" service");
    for (int i = 2; i < argc; ++i)
        line.append(" \"").append(argv[i]).append("\"");
    return line;
}

int Fail(const char* what) {
    std::fprintf(stderr, "%s failed: error %lu\n", what, static_cast<unsigned long>(::GetLastError()));
    return 1;
}

// Wine's net and sc cannot pause a service, so the tests do it with this.
int Pause(const std::string& name) {
    SC_HANDLE manager = ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (!manager) return Fail("OpenSCManager");
    int rc = 0;
    SC_HANDLE service = ::OpenServiceA(manager, name.c_str(), SERVICE_PAUSE_CONTINUE | SERVICE_QUERY_STATUS);
    SERVICE_STATUS status{};
    if (!service) {
        rc = Fail("OpenService");
    } else if (!::ControlService(service, SERVICE_CONTROL_PAUSE, &status)) {
        rc = Fail("ControlService");
    } else {
        for (int poll = 0; poll < 100 && status.dwCurrentState != SERVICE_PAUSED; ++poll) {
            ::Sleep(100);
            if (!::QueryServiceStatus(service, &status)) break;
        }
        if (status.dwCurrentState != SERVICE_PAUSED) {
            std::fprintf(stderr, "%s did not reach the paused state\n", name.c_str());
            rc = 1;
        }
    }
    if (service) ::CloseServiceHandle(service);
    ::CloseServiceHandle(manager);
    return rc;
}

// Stops the service as Windows' net stop does once the user agrees: its active dependents
// first, each one waited for. True when it is stopped.
bool StopWithDependents(SC_HANDLE manager, const std::string& name, int depth) {
    if (depth > 16) return false; // a cycle of dependencies
    for (const auto& dependent : DependentsOf(name))
        if (!StopWithDependents(manager, dependent, depth + 1)) return false;
    SC_HANDLE service = ::OpenServiceA(manager, name.c_str(), SERVICE_STOP | SERVICE_QUERY_STATUS);
    if (!service) return ::GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST;
    SERVICE_STATUS status{};
    bool stopped = false;
    for (int poll = 0; poll < 300 && !stopped; ++poll) { // 30 s
        if (!::QueryServiceStatus(service, &status)) break;
        stopped = status.dwCurrentState == SERVICE_STOPPED;
        if (!stopped && (status.dwCurrentState == SERVICE_RUNNING || status.dwCurrentState == SERVICE_PAUSED))
            ::ControlService(service, SERVICE_CONTROL_STOP, &status);
        if (!stopped) ::Sleep(100);
    }
    ::CloseServiceHandle(service);
    if (!stopped) std::fprintf(stderr, "%s did not stop\n", name.c_str());
    return stopped;
}

int Stop(const std::string& name) {
    SC_HANDLE manager = ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
    if (!manager) return Fail("OpenSCManager");
    const bool stopped = StopWithDependents(manager, name, 0);
    ::CloseServiceHandle(manager);
    return stopped ? 0 : 1;
}

int Configure(const std::string& command, int argc, char** argv) {
    SC_HANDLE manager = ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!manager) return Fail("OpenSCManager");
    int rc = 0;
    const std::string name = argv[2];
    if (command == "install") {
        SC_HANDLE service =
            ::CreateServiceA(manager, name.c_str(), name.c_str(), SERVICE_ALL_ACCESS,
                             SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                             CommandLine(argc, argv).c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
        if (service)
            ::CloseServiceHandle(service);
        else
            rc = Fail("CreateServiceA");
    } else {
        SC_HANDLE service = ::OpenServiceA(manager, name.c_str(), SERVICE_ALL_ACCESS);
        if (!service) {
            rc = Fail("OpenService");
        } else {
            if (command == "repoint") {
                if (!::ChangeServiceConfigA(service, SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START,
                                            SERVICE_ERROR_NORMAL, CommandLine(argc, argv).c_str(), nullptr,
                                            nullptr, "\0", nullptr, nullptr, nullptr))
                    rc = Fail("ChangeServiceConfigA");
            } else if (!::DeleteService(service)) {
                rc = Fail("DeleteService");
            }
            ::CloseServiceHandle(service);
        }
    }
    ::CloseServiceHandle(manager);
    return rc;
}

int Usage() {
    std::fprintf(stderr, "usage: tarnwick-testservice (service|install|repoint) NAME LOG "
                         "[ignore-stop|refuse-stop|slow|fail-start]\n"
                         "       tarnwick-testservice (remove|pause|stop) NAME\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    const std::string command = argv[1];
    if (command == "remove") return Configure(command, argc, argv);
    if (command == "pause") return Pause(argv[2]);
    if (command == "stop") return Stop(argv[2]);
    if (argc < 4) return Usage();
    if (command == "install" || command == "repoint") return Configure(command, argc, argv);
    if (command != "service") return Usage();

    serviceName = argv[2];
    logPath = argv[3];
    if (logPath == "-") {
        const char* fromEnvironment = std::getenv("TARNWICK_SERVICE_LOG");
        logPath = fromEnvironment ? fromEnvironment : "";
    }
    for (int i = 4; i < argc; ++i) {
        ignoreStop = ignoreStop || std::strcmp(argv[i], "ignore-stop") == 0;
        refuseStop = refuseStop || std::strcmp(argv[i], "refuse-stop") == 0;
        slow = slow || std::strcmp(argv[i], "slow") == 0;
        failStart = failStart || std::strcmp(argv[i], "fail-start") == 0;
    }
    // An own-process service: the table's name is not looked at.
    char anyName[] = "";
    SERVICE_TABLE_ENTRYA table[] = {{anyName, ServiceMain}, {nullptr, nullptr}};
    return ::StartServiceCtrlDispatcherA(table) ? 0 : Fail("StartServiceCtrlDispatcherA");
}
