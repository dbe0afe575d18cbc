// tarnwick-demo query   prints whether sharing is enabled
// tarnwick-demo switch  switches sharing off when it is on, on when it is off, then queries
// Works in the current directory: code.ini ([Info] SecondService) and srvStat.txt live there.
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/win32/win32_platform.h"
#include "sharing/killserv.h"

namespace {

// Runs one worker to its end; the completion arrives through the message queue.
bool RunWorker(win32::Win32Platform& os, int32_t mode, int32_t* result) {
    bool finished = false;
    try {
        new KillServ::TKT(mode, result, [&](plat::TThread*) { finished = true; });
    } catch (const std::exception& e) {
        std::fprintf(stderr, "cannot start the worker: %s\n", e.what());
        return false;
    }
    os.threads.WaitForThreads(0xFFFFFFFFu);
    return finished;
}

int Query(win32::Win32Platform& os) {
    int32_t state = -1;
    if (!RunWorker(os, 0, &state)) return 1;
    std::printf("Sharing is %s\n", state == 1 ? "enabled" : "disabled");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const char* command = argc > 1 ? argv[1] : "";
    if (std::strcmp(command, "query") != 0 && std::strcmp(command, "switch") != 0) {
        std::fprintf(stderr, "usage: tarnwick-demo query|switch\n");
        return 2;
    }
    win32::Win32Platform os;
    const std::string second = KillServ::SecondServiceName({});
    std::printf("second sharing service: %s\n", second.empty() ? "(none)" : second.c_str());
    if (std::strcmp(command, "switch") == 0) {
        int32_t unused = 0;
        std::printf("switching...\n");
        std::fflush(stdout);
        if (!RunWorker(os, 1, &unused)) return 1;
        std::string recorded;
        if (os.files.ReadWholeFile("./srvStat.txt", recorded) == plat::ReadResult::Ok) {
            std::printf("srvStat.txt lists %zu dependent(s):\n", KillServ::ParseStatusText(recorded).size());
            for (const auto& name : KillServ::ParseStatusText(recorded))
                std::printf("  %s\n", name.c_str());
        }
    }
    return Query(os);
}
