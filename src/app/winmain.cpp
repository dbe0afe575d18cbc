// The program entry on Windows.
#include <mutex>

#include "app/main_form.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_text.h"
#include "sharing/killserv.h"
#include "sharing/switch_command.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // DLLs the program loads by name come from the system folder only, never from beside it.
    win32::RestrictDllSearchToSystem32();
    // The ANSI command line would spell a data folder outside the code page with '?'.
    const std::string commandLine = win32::CommandLineArguments();
    const char* arguments = commandLine.c_str();
    // The elevated copy that the tray program starts for one switch: no icon, no window.
    if (KillServ::IsSwitchCommandLine(arguments)) {
        win32::Win32Platform platform;
        return static_cast<int>(KillServ::RunSwitchCommand(arguments));
    }
    int code = 0;
    {
        win32::Win32Platform platform;
        code = Main::RunProgram();
        // A worker still running is not waited for (a stop can take minutes); the process
        // ends once it is not in the middle of writing srvStat.txt. Services it had already
        // stopped are recorded there, so the next start brings them back.
        std::lock_guard<std::mutex> lock(KillServ::StatusFileLock());
        if (Main::WorkerCount > 0) TerminateProcess(GetCurrentProcess(), static_cast<UINT>(code));
    }
    return code;
}
