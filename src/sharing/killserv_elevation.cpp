// Where the program keeps its files, and the switch through an elevated copy of the program.
#include "platform/platform.h"
#include "platform/ui.h"
#include "sharing/killserv.h"
#include "sharing/switch_command.h"

namespace KillServ {
using namespace plat;

std::string DataFolderPath;

std::string ProgramFolder() {
    std::string folder = Os().kernel->GetModuleFileName();
    const auto cut = folder.find_last_of("\\/:");
    if (cut == std::string::npos) return {};
    folder.erase(folder[cut] == ':' ? cut + 1 : cut);
    if (folder.size() == 2 && folder[1] == ':') folder += '\\';
    return folder;
}

std::string DataFolder() {
    return DataFolderPath.empty() ? Os().kernel->GetCurrentDirectory() : DataFolderPath;
}

std::string DataFile(const std::string& name) {
    if (DataFolderPath.empty()) return "./" + name;
    const char last = DataFolderPath.back();
    return DataFolderPath + (last == '\\' || last == '/' ? "" : "\\") + name;
}

void ChooseDataFolder() {
    DataFolderPath.clear();
    auto& files = *Os().files;
    const std::string program = ProgramFolder();
    if (files.CanCreateFilesIn(program)) return;
    const std::string local = WithoutTrailingSeparator(Os().kernel->GetEnvironmentVariable("LOCALAPPDATA"));
    if (local.size() < 3) return;
    const std::string folder = local + "\\Tarnwick";
    if (!files.FolderExists(folder)) files.CreateDirectory(folder.c_str());
    if (files.FolderExists(folder)) DataFolderPath = folder;
}

uint32_t RunSwitchCommand(std::string_view args) {
    const auto request = ParseSwitchCommandLine(args);
    if (!request) return SwitchRefusedCommandLine;
    if (!Os().kernel->IsProcessElevated()) return SwitchNotElevated;
    if (!Os().files->FolderExists(request->dataFolder)) return SwitchNoDataFolder;
    DataFolderPath = request->dataFolder;
    try {
        TKT worker(TKT::InPlace{}, 1, nullptr);
        worker.RunHere();
    } catch (...) {
        return SwitchRunFailed;
    }
    return SwitchRan;
}

void TKT::SwitchThroughElevatedCopy() {
    const std::string program = Os().kernel->GetModuleFileName();
    // The working directory is not kept across elevation: the folder goes on the command line.
    const std::string parameters = SwitchCommandLine(DataFolder());
    SHELLEXECUTEINFO info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = "runas";
    info.lpFile = program.c_str();
    info.lpParameters = parameters.c_str();
    info.nShow = SW_HIDE;
    if (!Os().shell->ShellExecuteEx(&info)) {
        // The user said no at the UAC prompt: nothing was switched, and the user knows why.
        LastSwitchOutcome = Os().kernel->GetLastError() == ERROR_CANCELLED ? SwitchOutcome::Declined
                                                                           : SwitchOutcome::Failed;
        return;
    }
    if (!info.hProcess) return; // started, but how it went cannot be told: the query tells
    DWORD exitCode = SwitchRunFailed;
    if (Os().kernel->WaitForSingleObject(info.hProcess, INFINITE) != WAIT_OBJECT_0 ||
        !Os().kernel->GetExitCodeProcess(info.hProcess, &exitCode))
        exitCode = SwitchRunFailed;
    Os().kernel->CloseHandle(info.hProcess);
    // UAC off or no administrator to ask: the copy ran without rights and did nothing.
    if (exitCode == SwitchNotElevated)
        LastSwitchOutcome = SwitchOutcome::Declined;
    else
        LastSwitchOutcome = exitCode == SwitchRan ? SwitchOutcome::Ran : SwitchOutcome::Failed;
}

} // namespace KillServ
