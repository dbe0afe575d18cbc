// A chain of dependents under the rule of Windows' service manager, which the test service
// enforces under Wine: a service is not stopped while a service that depends on it is active.
// Arguments: the service log and an empty working folder (Windows paths). Besides the services
// of the sharing tests the prefix holds, made by scripts/wine_sharing_tests.sh:
//   TwChainA -> LanmanServer, TwChainB -> TwChainA (slow: 3 s start- and stop-pending),
//   TwChainC -> TwChainA (does not accept STOP; started only by the last case),
//   TwCrash (fail-start: its start ends STOPPED with 1066 and its own code 42).
// No second sharing service is configured here.
#include <cstdio>
#include <deque>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "native.h"
#include "win32_test.h"
#include "platform/win32/win32_platform.h"
#include "sharing/killserv.h"

namespace {

using namespace wtest;

std::string logPath;
std::string workFolder;

// What Windows' service manager answers; Wine passes no refusal of the service's handler
// through, so the test service refuses by its accepted controls and Wine answers this.
constexpr uint32_t kWineRefusal = 1052; // ERROR_INVALID_SERVICE_CONTROL
constexpr uint32_t kWindowsRefusal = 1051; // ERROR_DEPENDENT_SERVICES_RUNNING
constexpr uint32_t kStartPending = 2;

size_t LogMark() {
    return KillServ::ParseStatusText(ReadFile(logPath)).size();
}

List LogSince(size_t mark) {
    return LinesSince(logPath, mark);
}

const char* const kChain[] = {"LanmanServer", "TwChainA", "TwChainB"};
// Other dependents of LanmanServer in the prefix, kept out of the chain's switch.
const char* const kOthers[] = {"TwDepMulti", "TwDepSz"};

void StartChain() {
    for (const char* n : kChain)
        native::EnsureRunning(n);
}

void StopsAreRefusedWhileADependentIsActiveAsWindowsRefusesThem(win32::Win32Platform& os) {
    for (const char* n : kOthers)
        native::EnsureStopped(n);
    StartChain();
    Check(native::IsRunning("TwChainB"), "the chain runs");
    const size_t mark = LogMark();

    const uint32_t code = native::StopRequestError("TwChainA");
    std::printf("    ControlService(TwChainA, stop) while TwChainB runs: error %u (Windows: %u)\n", code,
                kWindowsRefusal);
    Check(code == kWineRefusal || code == kWindowsRefusal, "the stop of TwChainA is refused");
    Check(native::StopRequestError("LanmanServer") != 0, "the stop of LanmanServer is refused");

    // The worker's stop gets the refusal at once and does not wait for a stop that never comes.
    WithHeldWorker(os, [&](KillServ::TKT& worker) {
        const uint64_t start = os.kernel.GetTickCount64();
        worker.StopService("TwChainA");
        Check(os.kernel.GetTickCount64() - start < 5000, "the refused stop returned at once");
        Check(KillServ::ErrorList.size() == 2, "the refusal is in the journal");
    });
    Check(native::IsRunning("TwChainA") && native::IsRunning("LanmanServer"), "both still run");

    // A dependent in a pending state holds its dependency too. Wine makes TwChainB
    // start-pending before its process runs and can tell TwChainA, so the test waits for that.
    native::EnsureStopped("TwChainB");
    native::StartNoWait("TwChainB");
    bool held = false;
    for (int i = 0; i < 30 && !held; ++i) {
        held = !native::AcceptsStop("TwChainA") && native::StateOf("TwChainB") == kStartPending;
        if (!held) native::SleepMs(100);
    }
    Check(held, "TwChainA stops accepting the stop while TwChainB is start-pending");
    Check(native::StopRequestError("TwChainA") != 0, "the stop of TwChainA is refused while TwChainB starts");
    native::EnsureRunning("TwChainB");

    // A REG_SZ comma list counts as the registry holds it.
    native::EnsureStopped("TwChainB");
    native::EnsureStopped("TwChainA");
    native::EnsureRunning("TwDepSz");
    Check(native::StopRequestError("LanmanServer") != 0, "LanmanServer is held by TwDepSz (REG_SZ)");
    native::EnsureStopped("TwDepSz");
    CheckEqual(LogSince(mark), List{"TwChainB stop", "TwChainB start", "TwChainB stop", "TwChainA stop", "TwDepSz start",
                                    "TwDepSz stop"},
               "only the allowed stops happened");
}

void TheChainIsSwitchedOffDependentFirstAndOnAgain(win32::Win32Platform& os) {
    for (const char* n : kOthers)
        native::EnsureStopped(n);
    native::EnsureRunning("TwDepExpand");
    StartChain();
    const size_t mark = LogMark();
    int32_t result = 7;
    Check(RunWorker(os, 1, &result), "switch off ran to its end");
    CheckEqual(LogSince(mark), List{"TwChainB stop", "TwChainA stop", "LanmanServer stop"},
               "each stop after its dependents' and none refused");
    Check(ReadFile(workFolder + "\\srvStat.txt") == "TwChainA\r\nTwChainB\r\n",
          "srvStat.txt breadth first: " + ReadFile(workFolder + "\\srvStat.txt"));
    for (const char* n : kChain)
        Check(native::StateOf(n) == 1, std::string(n) + " stopped");
    Check(native::IsRunning("TwDepExpand"), "the REG_EXPAND_SZ dependent did not hold LanmanServer");
    Check(RunWorker(os, 0, &result) && result == 0, "query says sharing is off");

    const size_t onMark = LogMark();
    Check(RunWorker(os, 1, &result), "switch on ran to its end");
    // The sharing service first, then the chain from the service nearest to it.
    CheckEqual(LogSince(onMark), List{"LanmanServer start", "TwChainA start", "TwChainB start"}, "start order");
    for (const char* n : kChain)
        Check(native::IsRunning(n), std::string(n) + " runs");
    Check(ReadFile(workFolder + "\\srvStat.txt") == "TwChainA\r\nTwChainB\r\n", "srvStat.txt kept");
    Check(RunWorker(os, 0, &result) && result == 1, "query says sharing is on");
}

void APausedDependentIsStoppedWithTheChainAndComesBackPaused(win32::Win32Platform& os) {
    StartChain();
    Check(native::Pause("TwChainB"), "TwChainB paused");
    int32_t result = 7;
    Check(RunWorker(os, 1, &result), "switch off ran to its end");
    for (const char* n : kChain)
        Check(native::StateOf(n) == 1, std::string(n) + " stopped: the paused dependent held nothing back");
    Check(RunWorker(os, 1, &result), "switch on ran to its end");
    Check(native::StateOf("TwChainB") == 7, "TwChainB is paused again: " + std::to_string(native::StateOf("TwChainB")));
    Check(native::IsRunning("TwChainA") && native::IsRunning("LanmanServer"), "the rest runs");
}

// TwCrash (fail-start, depends on nothing) ends its start STOPPED with 1066 and its own
// code 42: the start has failed, and the worker says so as soon as a query shows it.
void AStartThatCrashesWhilePendingIsToldAtOnceWithItsCodes(win32::Win32Platform& os) {
    native::EnsureStopped("TwCrash");
    WithHeldWorker(os, [&](KillServ::TKT& worker) {
        KillServ::WorkerMode = 1; // the steps of a switch run go to its report
        const uint64_t start = os.kernel.GetTickCount64();
        Check(!worker.DoServiceAction("TwCrash", KillServ::saStart), "the start failed");
        const uint64_t took = os.kernel.GetTickCount64() - start;
        std::printf("    the crashed start was told after %llu ms\n", static_cast<unsigned long long>(took));
        Check(took < 10000, "told within seconds, not after the wait runs out");
        const auto& failure = worker.Report().FirstFailure;
        Check(failure && failure->WentBack && failure->Error == 1066 && failure->ServiceCode == 42,
              "the step holds 1066 and the service's own code 42");
        KillServ::WorkerMode = 0;
    });
    Check(native::StateOf("TwCrash") == 1, "TwCrash stopped");
}

// Last: TwChainC cannot be stopped once it runs.
void ADependentThatDoesNotAcceptStopLeavesEveryServiceRunning(win32::Win32Platform& os) {
    StartChain();
    native::EnsureRunning("TwChainC");
    const char* const chain[] = {"LanmanServer", "TwChainA", "TwChainB", "TwChainC"};
    std::vector<uint32_t> before;
    for (const char* n : chain)
        before.push_back(native::StateOf(n));
    const size_t mark = LogMark();
    int32_t result = 7;
    Check(RunWorker(os, 1, &result), "switch ran to its end");
    CheckEqual(LogSince(mark), List{}, "nothing was stopped");
    for (size_t i = 0; i < before.size(); ++i)
        Check(native::StateOf(chain[i]) == before[i], std::string(chain[i]) + " as it was");
    Check(native::IsRunning("TwChainC"), "TwChainC runs");
    Check(RunWorker(os, 0, &result) && result == 1, "query says sharing is on");
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: tarnwick-win32-chain-tests LOG WORKFOLDER\n");
        return 2;
    }
    logPath = argv[1];
    workFolder = argv[2];
    win32::Win32Platform os;
    os.kernel.SetCurrentDirectory(workFolder.c_str());
    return RunCases("chain", os, {
        {"StopsAreRefusedWhileADependentIsActiveAsWindowsRefusesThem",
         StopsAreRefusedWhileADependentIsActiveAsWindowsRefusesThem},
        {"TheChainIsSwitchedOffDependentFirstAndOnAgain", TheChainIsSwitchedOffDependentFirstAndOnAgain},
        {"APausedDependentIsStoppedWithTheChainAndComesBackPaused",
         APausedDependentIsStoppedWithTheChainAndComesBackPaused},
        {"AStartThatCrashesWhilePendingIsToldAtOnceWithItsCodes", AStartThatCrashesWhilePendingIsToldAtOnceWithItsCodes},
        {"ADependentThatDoesNotAcceptStopLeavesEveryServiceRunning",
         ADependentThatDoesNotAcceptStopLeavesEveryServiceRunning},
    });
}
