// A stand-in service for the tests: it logs "<name> start" and "<name> stop" lines to a log
// file and runs until it is stopped. Run by the service manager as
//   tarnwick-testservice.exe service NAME LOG [ignore-stop | refuse-stop | slow]
// LOG "-" means the file named by the TARNWICK_SERVICE_LOG environment variable.
// ignore-stop accepts the stop request and goes on running; refuse-stop does not accept it;
// slow stays start-pending and stop-pending for 3 s each.
// Pause and continue are accepted and logged as "<name> pause" / "<name> continue".
// Set-up commands (run from a shell in the Wine prefix):
//   tarnwick-testservice.exe install NAME LOG [option]   create a demand-start service
//   tarnwick-testservice.exe repoint NAME LOG [option]   make an existing service run this program
//   tarnwick-testservice.exe remove NAME
//   tarnwick-testservice.exe pause NAME                  pause a running service, wait until paused
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string serviceName;
std::string logPath;
bool ignoreStop = false;
bool refuseStop = false;
bool slow = false;
SERVICE_STATUS_HANDLE statusHandle = nullptr;
HANDLE stopEvent = nullptr;

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

void Report(DWORD state) {
    SERVICE_STATUS status{};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    const bool active = state == SERVICE_RUNNING || state == SERVICE_PAUSED;
    status.dwControlsAccepted = active ? SERVICE_ACCEPT_PAUSE_CONTINUE : 0;
    if (active && !refuseStop) status.dwControlsAccepted |= SERVICE_ACCEPT_STOP;
    status.dwWaitHint = 2000;
    ::SetServiceStatus(statusHandle, &status);
}

DWORD WINAPI Control(DWORD control, DWORD, LPVOID, LPVOID) {
    switch (control) {
    case SERVICE_CONTROL_STOP:
        if (refuseStop) return ERROR_CALL_NOT_IMPLEMENTED;
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
        return NO_ERROR;
    case SERVICE_CONTROL_CONTINUE:
        Log("continue");
        Report(SERVICE_RUNNING);
        return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE:
        return NO_ERROR;
    default:
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

void WINAPI ServiceMain(DWORD, LPSTR*) {
    statusHandle = ::RegisterServiceCtrlHandlerExA(serviceName.c_str(), Control, nullptr);
    if (!statusHandle) return;
    stopEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    Report(SERVICE_START_PENDING);
    if (slow) ::Sleep(3000);
    Log("start");
    Report(SERVICE_RUNNING);
    ::WaitForSingleObject(stopEvent, INFINITE);
    if (slow) ::Sleep(3000);
    Log("stop");
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
    if (!manager) return Fail("OpenSCManagerA");
    int rc = 0;
    SC_HANDLE service = ::OpenServiceA(manager, name.c_str(), SERVICE_PAUSE_CONTINUE | SERVICE_QUERY_STATUS);
    SERVICE_STATUS status{};
    if (!service) {
        rc = Fail("OpenServiceA");
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

int Configure(const std::string& command, int argc, char** argv) {
    SC_HANDLE manager = ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!manager) return Fail("OpenSCManagerA");
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
            rc = Fail("OpenServiceA");
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
    std::fprintf(stderr,
                 "usage: tarnwick-testservice (service|install|repoint) NAME LOG [ignore-stop|refuse-stop|slow]\n"
                 "       tarnwick-testservice (remove|pause) NAME\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) return Usage();
    const std::string command = argv[1];
    if (command == "remove") return Configure(command, argc, argv);
    if (command == "pause") return Pause(argv[2]);
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
    }
    // An own-process service: the table's name is not looked at.
    char anyName[] = "";
    SERVICE_TABLE_ENTRYA table[] = {{anyName, ServiceMain}, {nullptr, nullptr}};
    return ::StartServiceCtrlDispatcherA(table) ? 0 : Fail("StartServiceCtrlDispatcherA");
}
