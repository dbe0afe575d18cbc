// Where the program keeps its files, and the switch through an elevated copy of the program.
#include "platform/platform.h"
#include "platform/ui.h"
#include "sharing/killserv.h"
#include "sharing/killserv_report.h"
#include "sharing/switch_command.h"
#include "texts/texts.h"

namespace KillServ {
using namespace plat;

namespace {

std::string FileIn(const std::string& folder, const std::string& name) {
    if (folder.empty()) return "./" + name;
    const char last = folder.back();
    return folder + (last == '\\' || last == '/' ? "" : "\\") + name;
}

} // namespace

std::string ProgramFolder() {
    std::string folder = Os().kernel->GetModuleFileName();
    const auto cut = folder.find_last_of("\\/:");
    if (cut == std::string::npos) return {};
    folder.erase(folder[cut] == ':' ? cut + 1 : cut);
    if (folder.size() == 2 && folder[1] == ':') folder += '\\';
    return folder;
}

std::string THomes::UserFile(const std::string& name) const {
    return FileIn(UserFolder, name);
}

std::string THomes::MachineFile(const std::string& name) const {
    return FileIn(MachineFolder, name);
}

std::string MachineDataFolder() {
    // Known to the system, not taken from the environment, which the user may change.
    const std::string programData = WithoutTrailingSeparator(Os().kernel->GetProgramDataFolder());
    return programData.size() >= 3 ? programData + "\\Tarnwick" : std::string();
}

namespace {

// A folder on another computer is judged from whatever its server says: not trusted.
bool OnTheNetwork(const std::string& folder) {
    std::string universal;
    if (folder.rfind("\\\\", 0) == 0 || folder.rfind("//", 0) == 0)
        return folder.rfind("\\\\?\\", 0) != 0 || folder.rfind("\\\\?\\UNC\\", 0) == 0;
    return Os().kernel->GetUniversalPath(folder, &universal) != 0 || universal != folder;
}

} // namespace

// Decided by the program folder's own rights, not by this process's, and for the account that
// switches, so that the tray, its elevated copy and another user's tray all choose the same
// homes.
THomes ChooseHomes(bool createUserFolder) {
    THomes homes;
    auto& files = *Os().files;
    const std::string program = ProgramFolder();
    const FolderTrust trust =
        OnTheNetwork(program) ? FolderTrust::UserWritable : files.GetFolderTrust(program);
    if (trust != FolderTrust::AdminOnly) {
        if (TrustedForTheActingAccount(trust)) return homes;
        // Somebody else's folder: the settings stay beside the copy, the machine's state does not.
        homes.TrustsProgramFolder = false;
        homes.MachineFolder = MachineDataFolder();
        return homes;
    }
    homes.MachineFolder = MachineDataFolder();
    const std::string local = WithoutTrailingSeparator(Os().kernel->GetEnvironmentVariable("LOCALAPPDATA"));
    if (local.size() < 3) return homes;
    const std::string folder = local + "\\Tarnwick";
    if (createUserFolder && !files.FolderExists(folder)) files.CreateDirectory(folder.c_str());
    if (files.FolderExists(folder)) homes.UserFolder = folder;
    return homes;
}

uint32_t RunSwitchCommand(std::string_view args) {
    const auto request = ParseSwitchCommandLine(args);
    if (!request) return SwitchRefusedCommandLine;
    if (!Os().kernel->IsProcessElevated()) return SwitchNotElevated;
    // The tray's language; a copy started without one speaks its own account's.
    Texts::SetLanguage(request->language.empty()
                           ? Texts::ResolveLanguage(Os().kernel->GetUserPreferredUILanguages())
                           : request->language);
    // Nothing of the folders comes from the tray: the copy finds them as the tray does, from
    // its own program file. Relative paths are beside the program, as in the tray.
    Os().kernel->SetCurrentDirectory(ProgramFolder().c_str());
    TSwitchRequest own;
    own.Homes = ChooseHomes(false);
    own.ElevatedCopy = true;
    // Elevated, the copy can tell who is connected where the tray could not.
    own.AskWhoIsConnected = !request->asked;
    // The record's folder is held from before the run until the record is written.
    const TPinnedFolder recordFolder(own.Homes.BesideTheProgram() ? ProgramFolder() : own.Homes.MachineFolder,
                                     !own.Homes.BesideTheProgram());
    auto writeRecord = [&](const TSwitchReport& report, uint64_t started) {
        if (recordFolder.TrustedForTheActingAccount()) WriteSwitchRecord(own.Homes, report, started);
    };
    const uint64_t started = Os().kernel->GetTickCount64();
    TKT worker(TKT::InPlace{}, 1, nullptr, own);
    try {
        worker.RunHere();
    } catch (...) {
        // The folder was trusted and the run had begun: the tray learns how far it got.
        writeRecord(worker.Report(), started);
        return SwitchRunFailed;
    }
    const SwitchOutcome outcome = worker.Report().Outcome;
    if (outcome == SwitchOutcome::Ran || outcome == SwitchOutcome::KeptOn)
        writeRecord(worker.Report(), started);
    switch (outcome) {
    case SwitchOutcome::Ran:
        return SwitchRan;
    case SwitchOutcome::KeptOn:
        return SwitchKeptOn;
    case SwitchOutcome::Busy:
        return SwitchBusy;
    case SwitchOutcome::UntrustedFolder:
        return SwitchUntrustedFolder;
    case SwitchOutcome::LockUnavailable:
        return SwitchLockUnavailable;
    default:
        return SwitchRunFailed;
    }
}

namespace {

SwitchOutcome OutcomeOfExitCode(DWORD exitCode) {
    switch (exitCode) {
    case SwitchRan:
        return SwitchOutcome::Ran;
    case SwitchNotElevated: // UAC off or no administrator to ask: the copy did nothing
        return SwitchOutcome::Declined;
    case SwitchBusy:
        return SwitchOutcome::Busy;
    case SwitchUntrustedFolder:
        return SwitchOutcome::UntrustedFolder;
    case SwitchKeptOn:
        return SwitchOutcome::KeptOn;
    case SwitchLockUnavailable:
        return SwitchOutcome::LockUnavailable;
    default:
        return SwitchOutcome::Failed;
    }
}

SwitchOutcome OutcomeOfRefusedLaunch(DWORD error) {
    switch (error) {
    case ERROR_CANCELLED: // the user said no at the UAC prompt, and knows why
        return SwitchOutcome::Declined;
    case ERROR_ACCESS_DENIED: // elevation requests are refused for this user
    case ERROR_ACCESS_DISABLED_BY_POLICY:
        return SwitchOutcome::DeniedByPolicy;
    default:
        return SwitchOutcome::Failed;
    }
}

} // namespace

void TKT::SwitchThroughElevatedCopy() {
    // A copy left running by an earlier tray, or another user's switch: no second prompt.
    if (!WaitWhileSwitchRuns()) {
        report_.Outcome = SwitchOutcome::Busy;
        return;
    }
    // The elevated copy runs in a logon session of its own, which does not see this
    // session's network drives: it is started by the drive's network path.
    std::string program;
    if (Os().kernel->GetUniversalPath(Os().kernel->GetModuleFileName(), &program) != 0) {
        report_.Outcome = SwitchOutcome::UnreachableProgram;
        return;
    }
    const std::string parameters = std::string(SwitchCommandVerb) +
                                   (request_.UserConfirmedCutOff ? std::string(" ") + SwitchAskedWord : "") +
                                   " " + SwitchLanguageWord + " " + Texts::CurrentLanguage();
    const uint64_t launched = Os().kernel->GetTickCount64();
    SHELLEXECUTEINFO info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.hwnd = request_.PromptOwner; // the prompt belongs to the tray, which the click made foreground
    info.lpVerb = "runas";
    info.lpFile = program.c_str();
    info.lpParameters = parameters.c_str();
    info.nShow = SW_HIDE;
    if (!Os().shell->ShellExecuteEx(&info)) {
        report_.Outcome = OutcomeOfRefusedLaunch(Os().kernel->GetLastError());
        return;
    }
    if (!info.hProcess) return; // started, but how it went cannot be told: the query tells
    DWORD exitCode = SwitchRunFailed;
    // However long the switch takes (each service may take minutes), its end is waited for.
    if (Os().kernel->WaitForSingleObject(info.hProcess, INFINITE) != WAIT_OBJECT_0 ||
        !Os().kernel->GetExitCodeProcess(info.hProcess, &exitCode))
        exitCode = SwitchRunFailed;
    Os().kernel->CloseHandle(info.hProcess);
    report_.Outcome = OutcomeOfExitCode(exitCode);
    if (exitCode == SwitchRan) RetireTheUsersOldRecords(request_.Homes);
    // What the copy did, service by service, for the failure box and the log.
    if (exitCode == SwitchRan || exitCode == SwitchKeptOn || exitCode == SwitchRunFailed) {
        try {
            ReadSwitchRecord(request_.Homes, launched, report_);
        } catch (...) {
            // Without it the box keeps its first sentence only.
        }
    }
}

} // namespace KillServ
