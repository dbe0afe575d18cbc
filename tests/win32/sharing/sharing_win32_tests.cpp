// The real Win32 backend and the sharing worker against real services in a Wine prefix.
// Arguments: the service log (Windows path) and an empty working folder. The prefix holds,
// all stopped or running, the services made by scripts/wine_sharing_tests.sh:
//   LanmanServer (this project's test service), TwSecond, TwDepSecond -> TwSecond,
//   TwDepMulti -> "Tcpip\0LanmanServer" (REG_MULTI_SZ), TwDepSz -> "Tcpip,LanmanServer" (REG_SZ),
//   TwDepExpand -> "LanmanServer" (REG_EXPAND_SZ, so not a dependent).
#include <atomic>
#include <cstdio>
#include <deque>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "native.h"
#include "platform/win32/win32_platform.h"
#include "sharing/connections.h"
#include "sharing/killserv.h"
#include "win32_test.h"

namespace {

using namespace wtest;

std::string logPath;
std::string workFolder;

List LogLines() {
    return KillServ::ParseStatusText(ReadFile(logPath));
}

// Lines the services logged since the mark.
List LogSince(size_t mark) {
    return LinesSince(logPath, mark);
}

const char* const kSharing[] = {"LanmanServer", "TwSecond"};
const char* const kDependents[] = {"TwDepSecond", "TwDepMulti", "TwDepSz", "TwDepExpand"};

void ThreadCompletionRunsOnTheMainThreadWhileTheWorkerWaits(win32::Win32Platform& os) {
    const uint32_t mainThread = native::CurrentThreadId();
    uint32_t bodyThread = 0, completionThread = 0;
    bool workerAlive = false;
    bool started = os.threads.StartThread([&] { bodyThread = native::CurrentThreadId(); },
                                          [&] {
                                              completionThread = native::CurrentThreadId();
                                              workerAlive = native::ThreadAlive(bodyThread);
                                          });
    Check(started, "thread started");
    Check(os.threads.WaitForThreads(10000), "thread ended");
    Check(bodyThread != 0 && bodyThread != mainThread, "body ran on a thread of its own");
    Check(completionThread == mainThread, "completion ran on the main thread");
    Check(workerAlive, "worker still there while its completion ran");

    bool afterThrow = false;
    os.threads.StartThread([] { throw std::runtime_error("ends the run"); }, [&] { afterThrow = true; });
    Check(os.threads.WaitForThreads(10000) && afterThrow, "completion follows a body that threw");
}

void CompletionWaitsForTheMessageLoopNotForAnyCallToAnotherThread(win32::Win32Platform& os) {
    // The main thread, busy in a call that waits for another thread's answer (as it does
    // inside the shell's notification call), must not be interrupted by a completion.
    std::atomic<bool> bodyDone{false};
    bool completed = false;
    os.threads.StartThread([&] { bodyDone = true; }, [&] { completed = true; });
    while (!bodyDone)
        native::SleepMs(10);
    Check(native::SendToSlowThread(500), "the slow thread answered");
    Check(!completed, "completion ran inside a call to another thread");
    Check(os.threads.WaitForThreads(10000) && completed, "completion ran from the message loop");
}

void FilesAreReplacedWholeAndLeaveNoTemporaryFiles(win32::Win32Platform& os) {
    const std::string file = "./replace.txt";
    Check(os.files.ReplaceFileAtomically(file, "old\r\n"), "first write");
    Check(os.files.ReplaceFileAtomically(file, std::string(3 << 20, 'n')), "large write over it");
    std::string back;
    Check(os.files.ReadWholeFile(file, back) == plat::ReadResult::Ok && back.size() == (3u << 20),
          "read back");
    Check(os.files.ReplaceFileAtomically(file, ""), "empty write");
    Check(os.files.ReadWholeFile(file, back) == plat::ReadResult::Ok && back.empty(), "empty file read back");

    native::CreateFolder("./folder.txt");
    Check(!os.files.ReplaceFileAtomically("./folder.txt", "x"), "a folder is not replaced");
    Check(!os.files.ReplaceFileAtomically("./no/such/folder/x.txt", "x"), "missing folder fails");
    Check(os.files.ReadWholeFile("./missing.txt", back) == plat::ReadResult::Missing, "missing file");
    Check(!os.files.FileExists("./folder.txt") && os.files.FileExists(file), "FileExists sees files only");
    Check(native::CountFiles(workFolder, "tw*.tmp") == 0, "no temporary file left behind");
}

void IniFilesResolveAgainstTheCurrentDirectory(win32::Win32Platform& os) {
    Check(os.files.WritePrivateProfileString("Info", "SaveState", "1", "./test.ini") != 0, "ini write");
    char value[16] = {};
    const plat::DWORD n =
        os.files.GetPrivateProfileString("info", "savestate", "x", value, sizeof value, "./test.ini");
    Check(n == 1 && std::string(value) == "1", "ini read back ignoring case");
    Check(os.files.FileExists(workFolder + "\\test.ini"), "ini file in the current directory");
    // Outside ASCII the file becomes UTF-16LE instead of getting '?' from the ANSI code page.
    const std::string name = "\u0414\u043C\u0438\u0442\u0440\u0438\u0439 \u03A9";
    std::string bytes;
    Check(os.files.ReadWholeFile("./test.ini", bytes) == plat::ReadResult::Ok &&
              bytes.rfind("[Info]", 0) == 0,
          "an ASCII ini file stays as it is");
    Check(os.files.WritePrivateProfileString("Info", "SecondService", name.c_str(), "./test.ini") != 0,
          "ini write outside ASCII");
    char wide[64] = {};
    os.files.GetPrivateProfileString("Info", "SecondService", "", wide, sizeof wide, "./test.ini");
    Check(std::string(wide) == name, "ini value outside ASCII read back: " + std::string(wide));
    os.files.GetPrivateProfileString("Info", "SaveState", "", value, sizeof value, "./test.ini");
    Check(std::string(value) == "1", "the earlier key kept");
    Check(os.files.ReadWholeFile("./test.ini", bytes) == plat::ReadResult::Ok &&
              bytes.rfind("\xFF\xFE", 0) == 0,
          "the file is UTF-16LE now");
    Check(os.files.WritePrivateProfileString("Info", "Broken", "\xC3", "./test.ini") == 0 &&
              os.kernel.GetLastError() == plat::ERROR_NO_UNICODE_TRANSLATION,
          "text that is not UTF-8 is refused with 1113");
    native::RemoveFile("./test.ini");
}

void EnumerationListsEveryServiceWithParallelLists(win32::Win32Platform& os) {
    WithHeldWorker(os, [&](KillServ::TKT& worker) {
        worker.ListServices();
        const auto& names = KillServ::ServiceNameList;
        Check(names.size() == KillServ::ServiceStateList.size(), "lists parallel");
        Check(names.size() > 10, "more than 1024 bytes of entries: " + std::to_string(names.size()));
        int found = 0;
        for (const auto& n : names)
            found += KillServ::SameText(n, "TwDepMulti") || KillServ::SameText(n, "TwSecond");
        Check(found == 2, "test services listed once each");
        Check(KillServ::ErrorList.empty(), "no error text");
        Check(!worker.ServiceRunning("NoSuchService"), "unknown service is not running");
    });
}

void RegistryScanFindsMultiStringAndStringDependentsAndIgnoresExpandString(win32::Win32Platform& os) {
    WithHeldWorker(os, [&](KillServ::TKT& worker) {
        CheckEqual(worker.FindDependents("lanmanserver"), List{"TwDepMulti", "TwDepSz"}, "direct dependents");
        worker.CollectDependents("TwSecond");
        worker.CollectDependents("LanmanServer");
        CheckEqual(KillServ::DependentList, List{"TwDepSecond", "TwDepMulti", "TwDepSz"}, "walk");
    });
}

void SwitchOffStopsTheDependentsThenTheSharingServicesAndRecordsThem(win32::Win32Platform& os) {
    for (const char* n : kSharing)
        native::EnsureRunning(n);
    for (const char* n : kDependents)
        native::EnsureRunning(n);
    const size_t mark = LogLines().size();
    int32_t result = 7;
    Check(RunWorker(os, 1, &result), "switch ran to its end");
    Check(result == 7, "switch leaves the result alone");
    CheckEqual(
        LogSince(mark),
        List{"TwDepSecond stop", "TwDepMulti stop", "TwDepSz stop", "TwSecond stop", "LanmanServer stop"},
        "stop order");
    Check(ReadFile(workFolder + "\\srvStat.txt") == "TwDepSecond\r\nTwDepMulti\r\nTwDepSz\r\n",
          "srvStat.txt");
    Check(native::IsRunning("TwDepExpand"), "REG_EXPAND_SZ dependent left running");
    Check(native::CountFiles(workFolder, "tw*.tmp") == 0, "no temporary file left behind");

    Check(RunWorker(os, 0, &result) && result == 0, "query says sharing is off");
}

void SwitchOnStartsTheSharingServicesThenTheRecordedDependents(win32::Win32Platform& os) {
    const size_t mark = LogLines().size();
    int32_t result = 7;
    Check(RunWorker(os, 1, &result), "switch ran to its end");
    CheckEqual(LogSince(mark),
               List{"TwSecond start", "LanmanServer start", "TwDepSecond start", "TwDepMulti start",
                    "TwDepSz start"},
               "start order");
    Check(ReadFile(workFolder + "\\srvStat.txt") == "TwDepSecond\r\nTwDepMulti\r\nTwDepSz\r\n",
          "srvStat.txt kept");
    Check(RunWorker(os, 0, &result) && result == 1, "query says sharing is on");
}

// What the failure box and the question before a stop ask of Windows, as Wine answers it:
// no sessions, NetFileEnum not supported, the system's own error texts and display names.
void WhoIsConnectedAndWhatWindowsSaysAboutAnError(win32::Win32Platform& os) {
    std::vector<plat::SESSION_INFO_10> sessions{{"stale", "stale"}};
    const plat::NET_API_STATUS sessionStatus = os.shares.NetSessionEnum(&sessions);
    Check(sessionStatus == plat::NERR_Success, "NetSessionEnum: " + std::to_string(sessionStatus));
    Check(sessions.empty(), "nobody connected: " + std::to_string(sessions.size()));
    std::vector<plat::FILE_INFO_3> files;
    const plat::NET_API_STATUS fileStatus = os.shares.NetFileEnum(&files);
    Check(fileStatus == plat::NERR_Success || fileStatus == plat::ERROR_NOT_SUPPORTED,
          "NetFileEnum: " + std::to_string(fileStatus));
    const KillServ::TConnections connected = KillServ::WhoIsConnected();
    Check(connected.Known() && !connected.Anybody(), "nobody to ask about");

    const std::string denied = os.kernel.FormatMessage(plat::ERROR_ACCESS_DENIED, "");
    Check(!denied.empty() && denied.back() != '\n' && denied.back() != '\r', "error 5 has a text: " + denied);
    Check(!os.kernel.FormatMessage(plat::ERROR_DEPENDENT_SERVICES_RUNNING, "").empty(),
          "error 1051 has a text");
    Check(os.kernel.FormatMessage(0x2BADBAD, "").empty(), "an unknown code has none");

    plat::SC_HANDLE manager = os.services.OpenSCManager(nullptr, nullptr, plat::SC_MANAGER_CONNECT);
    std::string shown;
    Check(manager && os.services.GetServiceDisplayName(manager, "TwSecond", &shown) && !shown.empty(),
          "display name of TwSecond: " + shown);
    Check(!os.services.GetServiceDisplayName(manager, "NoSuchService", &shown) &&
              os.kernel.GetLastError() == plat::ERROR_SERVICE_DOES_NOT_EXIST,
          "no display name for a missing service");
    if (manager) os.services.CloseServiceHandle(manager);

    plat::SYSTEMTIME now{};
    os.kernel.GetLocalTime(&now);
    Check(now.wYear >= 2024 && now.wMonth >= 1 && now.wMonth <= 12,
          "local time: " + std::to_string(now.wYear));
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: tarnwick-win32-sharing-tests LOG WORKFOLDER\n");
        return 2;
    }
    logPath = argv[1];
    workFolder = argv[2];
    win32::Win32Platform os;
    os.kernel.SetCurrentDirectory(workFolder.c_str());
    os.files.WritePrivateProfileString("Info", "SecondService", "TwSecond", "./code.ini");
    return RunCases(
        "win32", os,
        {
            {"ThreadCompletionRunsOnTheMainThreadWhileTheWorkerWaits",
             ThreadCompletionRunsOnTheMainThreadWhileTheWorkerWaits},
            {"CompletionWaitsForTheMessageLoopNotForAnyCallToAnotherThread",
             CompletionWaitsForTheMessageLoopNotForAnyCallToAnotherThread},
            {"FilesAreReplacedWholeAndLeaveNoTemporaryFiles", FilesAreReplacedWholeAndLeaveNoTemporaryFiles},
            {"EnumerationListsEveryServiceWithParallelLists", EnumerationListsEveryServiceWithParallelLists},
            {"RegistryScanFindsMultiStringAndStringDependentsAndIgnoresExpandString",
             RegistryScanFindsMultiStringAndStringDependentsAndIgnoresExpandString},
            {"SwitchOffStopsTheDependentsThenTheSharingServicesAndRecordsThem",
             SwitchOffStopsTheDependentsThenTheSharingServicesAndRecordsThem},
            {"SwitchOnStartsTheSharingServicesThenTheRecordedDependents",
             SwitchOnStartsTheSharingServicesThenTheRecordedDependents},
            {"IniFilesResolveAgainstTheCurrentDirectory", IniFilesResolveAgainstTheCurrentDirectory},
            {"WhoIsConnectedAndWhatWindowsSaysAboutAnError", WhoIsConnectedAndWhatWindowsSaysAboutAnError},
        });
}
