// The elevated copy and the worker's completion for real under Wine: the shell's "runas" launch of Tarnwick.exe, its exit
// code read by the waiting side, and the switch it performs against real services. Wine runs
// every process as a full administrator and shows no UAC prompt, so the prompt itself and its
// refusal are left to the simulated machine.
// Arguments: the service log, a folder (Windows paths) and a copy of Tarnwick.exe in that
// folder. The prefix holds the services of scripts/wine_sharing_tests.sh.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "native.h"
#include "win32_test.h"
#include "platform/win32/win32_platform.h"
#include "sharing/killserv.h"
#include "sharing/switch_command.h"

namespace {

using namespace wtest;

std::string dataFolder;
std::string program;

// Starts Tarnwick.exe elevated as the worker does; the exit code, or -1 when it did not run.
long LaunchElevated(win32::Win32Platform& os, const std::string& parameters) {
    plat::SHELLEXECUTEINFO info;
    info.fMask = plat::SEE_MASK_NOCLOSEPROCESS | plat::SEE_MASK_NOASYNC | plat::SEE_MASK_FLAG_NO_UI;
    info.lpVerb = "runas";
    info.lpFile = program.c_str();
    info.lpParameters = parameters.c_str();
    info.nShow = plat::SW_HIDE;
    if (!os.shell.ShellExecuteEx(&info) || !info.hProcess) return -1;
    plat::DWORD code = 0;
    const bool waited = os.kernel.WaitForSingleObject(info.hProcess, 120000) == plat::WAIT_OBJECT_0;
    if (!waited) {
        // It overstayed: say what it was doing, then end it, so that its lock does not fail
        // the tests after it.
        std::printf("    the copy (%s) overstayed 120 s; its report:\n%s\n    its machine folder's report:\n%s\n",
                    parameters.c_str(), ReadFile(dataFolder + "\\srvStat.report").c_str(),
                    ReadFile(KillServ::MachineDataFolder() + "\\srvStat.report").c_str());
        for (const char* service : {"LanmanServer", "TwSecond", "TwDepSecond", "TwDepMulti", "TwDepSz"})
            std::printf("    %s: state %u\n", service, static_cast<unsigned>(native::StateOf(service)));
        native::EndProcess(info.hProcess);
    }
    const bool read = os.kernel.GetExitCodeProcess(info.hProcess, &code);
    os.kernel.CloseHandle(info.hProcess);
    return waited && read ? static_cast<long>(code) : -1;
}

void TheElevatedCopySwitchesOffAndOnAndTheWaitingSideReadsItsExitCode(win32::Win32Platform& os) {
    for (const char* n : {"LanmanServer", "TwSecond", "TwDepMulti", "TwDepSz", "TwDepSecond"})
        native::EnsureRunning(n);
    const std::string parameters = KillServ::SwitchCommandVerb;
    Check(LaunchElevated(os, parameters) == KillServ::SwitchRan, "switch off: exit code 0");
    Check(!native::IsRunning("LanmanServer") && !native::IsRunning("TwDepMulti"), "sharing is off");
    // Under Wine every folder is the user's, so the copy keeps its files beside itself.
    Check(ReadFile(dataFolder + "\\srvStat.txt") == "TwDepSecond\r\nTwDepMulti\r\nTwDepSz\r\n",
          "srvStat.txt beside the program: " + ReadFile(dataFolder + "\\srvStat.txt"));
    // What the copy did, for the tray's box and log, beside the record.
    const std::string report = ReadFile(dataFolder + "\\srvStat.report");
    Check(report.rfind("started=", 0) == 0 && report.find("step=stop\tlanmanserver\t0\t0\t") != std::string::npos,
          "srvStat.report: " + report);
    // Told that the tray asked already: it switches without a question of its own.
    Check(LaunchElevated(os, parameters + " " + KillServ::SwitchAskedWord) == KillServ::SwitchRan,
          "switch on: exit code 0");
    Check(native::IsRunning("LanmanServer") && native::IsRunning("TwDepMulti") && native::IsRunning("TwDepSecond"),
          "sharing and its dependents are back");
}

void TheElevatedCopyRefusesACommandLineNotOurOwnAndTouchesNothing(win32::Win32Platform& os) {
    const auto before = ReadFile(dataFolder + "\\srvStat.txt");
    Check(LaunchElevated(os, "--switch-sharing --data-folder \"C:\\Windows\"") == KillServ::SwitchRefusedCommandLine,
          "a folder from the caller");
    Check(LaunchElevated(os, "--switch-sharing x") == KillServ::SwitchRefusedCommandLine, "a word more");
    Check(native::IsRunning("LanmanServer"), "nothing switched");
    Check(ReadFile(dataFolder + "\\srvStat.txt") == before, "srvStat.txt untouched");
}

void AMissingProgramFileFailsTheLaunchWithItsError(win32::Win32Platform& os) {
    plat::SHELLEXECUTEINFO info;
    info.fMask = plat::SEE_MASK_NOCLOSEPROCESS | plat::SEE_MASK_NOASYNC | plat::SEE_MASK_FLAG_NO_UI;
    info.lpVerb = "runas";
    const std::string missing = dataFolder + "\\NoSuchProgram.exe";
    info.lpFile = missing.c_str();
    Check(!os.shell.ShellExecuteEx(&info), "launch fails");
    Check(os.kernel.GetLastError() != 0 && os.kernel.GetLastError() != plat::ERROR_CANCELLED,
          "an error that is not a declined prompt: " + std::to_string(os.kernel.GetLastError()));
}

void WineGivesAFullTokenAWritableFolderAndOneMutexPerName(win32::Win32Platform& os) {
    Check(os.kernel.IsProcessElevated(), "every Wine process is elevated");
    Check(os.files.FolderExists(dataFolder) && !os.files.FolderExists(dataFolder + "\\srvStat.txt"),
          "folders are told from files");
    const plat::HANDLE first = os.kernel.CreateMutex("Local\\Tarnwick.Test");
    Check(first != 0 && os.kernel.GetLastError() != plat::ERROR_ALREADY_EXISTS, "first mutex is new");
    const plat::HANDLE second = os.kernel.CreateMutex("Local\\Tarnwick.Test");
    Check(second != 0 && os.kernel.GetLastError() == plat::ERROR_ALREADY_EXISTS, "second finds the first");
    os.kernel.CloseHandle(second);
    os.kernel.CloseHandle(first);
    // The switch lock: a file only the switching process can open, gone when it lets go.
    const std::string lockPath = KillServ::SwitchLockPath();
    Check(!os.files.LockFileHeld(lockPath), "no switch runs");
    os.files.CreateProtectedFolder(KillServ::MachineDataFolder());
    const plat::HANDLE lock = os.files.TakeLockFile(lockPath);
    Check(lock != 0 && os.files.LockFileHeld(lockPath), "the machine's switch lock is seen");
    Check(os.files.TakeLockFile(lockPath) == 0 && os.kernel.GetLastError() == plat::ERROR_SHARING_VIOLATION,
          "a second switch is refused by sharing: " + std::to_string(os.kernel.GetLastError()));
    os.files.ReleaseLockFile(lock);
    Check(!os.files.LockFileHeld(lockPath) && !os.files.FileExists(lockPath), "the lock file goes with its handle");
    // Wine makes the running user the owner of every folder: trusted for its own elevation.
    plat::HANDLE pin = 0;
    const plat::FolderTrust own = os.files.PinFolder(dataFolder, &pin);
    Check(own == plat::FolderTrust::OwnUserOnly && pin != 0, "the data folder is the user's own: " +
                                                               std::to_string(static_cast<int>(own)));
    os.files.UnpinFolder(pin);
    const plat::FolderTrust machine = os.files.PinFolder(KillServ::MachineDataFolder(), &pin);
    // Wine keeps no security descriptor of its own: the folder made for administrators is the
    // user's too, which its own elevation trusts.
    Check(machine == plat::FolderTrust::OwnUserOnly, "the folder made for administrators: " +
                                                      std::to_string(static_cast<int>(machine)));
    os.files.UnpinFolder(pin);
    std::string universal;
    Check(os.kernel.GetUniversalPath(program, &universal) == 0 && universal == program, "a local path stays");
    const std::string local = os.kernel.GetEnvironmentVariable("LOCALAPPDATA");
    Check(local.size() > 3, "LOCALAPPDATA is set: " + local);
}

// The network rule's premise under Wine: its Network List Manager can be watched and calls
// every connected network Public.
void WinesNetworkListManagerCallsEveryConnectedNetworkPublic(win32::Win32Platform& os) {
    const plat::HRESULT watching = os.networks.StartWatching(0, plat::WM_APP + 0x31);
    Check(watching == 0, "watching the Network List Manager: " + std::to_string(watching));
    std::vector<plat::ConnectedNetwork> networks;
    Check(os.networks.GetConnectedNetworks(&networks) == 0 && !networks.empty(), "connected networks are listed");
    for (const auto& n : networks)
        Check(n.category == plat::NLM_NETWORK_CATEGORY_PUBLIC && n.id.size() == 38 && n.id.front() == '{',
              "network " + n.id + " is Public: category " + std::to_string(n.category));
    os.networks.StopWatching();
}

// The completion is posted to the main thread's loop; when no event or no room in the queue
// can be had, it is sent instead. Either way it runs once, on the main thread.
void ACompletionThatCannotBePostedIsStillDeliveredOnceOnTheMainThread(win32::Win32Platform& os) {
    for (const bool eventFails : {true, false}) {
        const std::string what = eventFails ? "no event: " : "queue full: ";
        if (eventFails)
            win32::Win32Threads::FailCompletionEventsForTest(1);
        else
            win32::Win32Threads::FailCompletionPostsForTest(1);
        const uint32_t mainThread = native::CurrentThreadId();
        int runs = 0;
        bool onMainThread = false;
        Check(os.threads.StartThread([] { native::SleepMs(20); },
                                     [&] {
                                         ++runs;
                                         onMainThread = native::CurrentThreadId() == mainThread;
                                     }),
              what + "thread started");
        Check(os.threads.WaitForThreads(10000), what + "thread ended");
        Check(runs == 1, what + "completion ran " + std::to_string(runs) + " times");
        Check(onMainThread, what + "completion ran on the main thread");
    }
    win32::Win32Threads::FailCompletionEventsForTest(0);
    win32::Win32Threads::FailCompletionPostsForTest(0);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: tarnwick-win32-elevation-tests LOG DATAFOLDER TARNWICK_EXE\n");
        return 2;
    }
    dataFolder = argv[2];
    program = argv[3];
    win32::Win32Platform os;
    os.files.WritePrivateProfileString("Info", "SecondService", "TwSecond", (dataFolder + "\\code.ini").c_str());
    return RunCases("elevation", os, {
        {"TheElevatedCopySwitchesOffAndOnAndTheWaitingSideReadsItsExitCode",
         TheElevatedCopySwitchesOffAndOnAndTheWaitingSideReadsItsExitCode},
        {"TheElevatedCopyRefusesACommandLineNotOurOwnAndTouchesNothing",
         TheElevatedCopyRefusesACommandLineNotOurOwnAndTouchesNothing},
        {"AMissingProgramFileFailsTheLaunchWithItsError", AMissingProgramFileFailsTheLaunchWithItsError},
        {"WineGivesAFullTokenAWritableFolderAndOneMutexPerName", WineGivesAFullTokenAWritableFolderAndOneMutexPerName},
        {"WinesNetworkListManagerCallsEveryConnectedNetworkPublic", WinesNetworkListManagerCallsEveryConnectedNetworkPublic},
        {"ACompletionThatCannotBePostedIsStillDeliveredOnceOnTheMainThread",
         ACompletionThatCannotBePostedIsStillDeliveredOnceOnTheMainThread},
    });
}
