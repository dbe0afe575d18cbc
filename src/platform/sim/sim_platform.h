#pragma once
// The simulated operating system as one object: a test declares one SimPlatform, which
// installs itself for the modules to use and uninstalls itself when it goes.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_kernel.h"
#include "platform/sim/sim_networks.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_services.h"
#include "platform/sim/sim_shares.h"
#include "platform/sim/sim_threads.h"
#include "platform/sim/sim_ui.h"

namespace sim {

// The machine a test runs on. The default is the permissive one Wine gives: a full
// administrator, no folder rights, Explorer ready at once. StandardUser() is what most
// Windows 10/11 users have: no elevation, a UAC prompt, Program Files and Windows protected.
struct Machine {
    bool elevated = true;
    UacAnswer uac = UacAnswer::Accept;
    std::vector<std::string> protectedFolders;
    // Protected folders in which a standard user may create folders of their own.
    std::vector<std::string> foldersUsersMayCreateIn;
    std::string userName = "Ann";
    // Ann's account is an administrator's, as the first account of a Windows installation is:
    // her UAC prompt asks for consent. False: a standard account, whose prompt takes the
    // password of the administrator named here, and the elevated program runs as them.
    bool administratorAccount = true;
    std::string administratorName = "Admin";
    std::string localAppData = "C:\\Users\\Ann\\AppData\\Local";
    // GetACP: 1252 on an English, French or German Windows.
    plat::UINT ansiCodePage = CP_WESTERN;
    std::string programData = "C:\\ProgramData";
    // Folders that are not there (every other folder is): a fresh machine has no folder of
    // Tarnwick's in ProgramData until a switch or the installer makes it.
    std::vector<std::string> missingFolders = {"C:\\ProgramData\\Tarnwick"};
    // Network drives of the user's logon session: drive ("Z:") and network path.
    std::vector<std::pair<std::string, std::string>> mappedDrives;
    // Who is connected to the shared folders: client computer, account, files held open.
    struct Connection {
        std::string client, user;
        std::vector<std::string> files;
    };
    std::vector<Connection> connections;
    // Open files are listed to Administrators (an elevated token) and Server Operators only;
    // sessions at level 10 to everybody.
    bool serverOperator = false;
    // The networks connected at start, as the Network List Manager classes them, or the COM
    // error that keeps it from being had.
    std::vector<plat::ConnectedNetwork> networks;
    plat::HRESULT networkListError = 0;
    // Identification: the networks above are listed as unidentified and Public for this long
    // after boot, a network connected later for the other time; each event comes this often.
    uint64_t networksIdentifiedAfterMs = 0;
    uint64_t newNetworksIdentifiedAfterMs = 0;
    uint32_t networkEventRepeats = 1;
    // Explorer at logon: icons refused for this long, then "TaskbarCreated" after the given
    // time, or never.
    uint64_t explorerRefusesIconsForMs = 0;
    std::optional<uint64_t> taskbarCreatedAfterMs;
    // The highest notification-icon version the shell takes: Windows since Vista takes 4, with
    // keyboard notifications; 0 is a shell that answers only the first (as Wine's may).
    plat::UINT shellNotifyVersion = 0;

    // The world of a Wine prefix: every process a full administrator, no folder protected,
    // everybody may list sessions and files, a shell of the first icon version.
    static Machine Wine() { return Machine{}; }

    static Machine StandardUser() {
        Machine m;
        m.elevated = false;
        m.protectedFolders = {"C:\\Program Files", "C:\\Program Files (x86)", "C:\\Windows", "C:\\ProgramData"};
        m.foldersUsersMayCreateIn = {"C:\\ProgramData"};
        m.shellNotifyVersion = plat::NOTIFYICON_VERSION_4;
        return m;
    }
};

class SimPlatform {
  public:
    SimPlatform() {
        table.kernel = &kernel;
        table.services = &services;
        table.registry = &registry;
        table.files = &files;
        table.threads = &threads;
        table.user = &user;
        table.shell = &shell;
        table.shares = &shares;
        table.networks = &networks;
        // Worker completions reach the main thread through its message loop.
        user.SetPumpHook([this] { threads.RunPending(); }, [this] { return threads.PendingCount() > 0; });
        plat::Install(&table);
        kernel.SetEnvironmentVariable("ProgramFiles", "C:\\Program Files");
        kernel.SetEnvironmentVariable("ProgramFiles(x86)", "C:\\Program Files (x86)");
        kernel.SetEnvironmentVariable("windir", "C:\\Windows");
        kernel.SetEnvironmentVariable("LOCALAPPDATA", Machine{}.localAppData);
        kernel.SetEnvironmentVariable("ProgramData", Machine{}.programData);
        for (const auto& folder : Machine{}.missingFolders)
            kernel.AddMissingFolder(folder);
    }
    explicit SimPlatform(const Machine& machine) : SimPlatform() { Become(machine); }
    ~SimPlatform() { plat::Install(nullptr); }
    SimPlatform(const SimPlatform&) = delete;
    SimPlatform& operator=(const SimPlatform&) = delete;

    // Makes this the given machine (from the current virtual time on for Explorer).
    void Become(const Machine& machine) {
        kernel.SetElevated(machine.elevated);
        kernel.SetUacAnswer(machine.uac);
        kernel.SetAnsiCodePage(machine.ansiCodePage);
        for (const auto& folder : machine.protectedFolders)
            files.ProtectFolder(folder);
        for (const auto& folder : machine.foldersUsersMayCreateIn)
            files.LetUsersCreateFoldersIn(folder);
        files.SetUserName(machine.userName);
        kernel.SetAccount(machine.userName);
        kernel.SetAdministratorAccount(machine.administratorAccount);
        kernel.SetElevationAccount(machine.administratorName);
        kernel.SetEnvironmentVariable("LOCALAPPDATA", machine.localAppData);
        kernel.SetEnvironmentVariable("ProgramData", machine.programData);
        kernel.SetProgramDataFolder(machine.programData);
        for (const auto& folder : machine.missingFolders)
            kernel.AddMissingFolder(folder);
        for (const auto& [drive, unc] : machine.mappedDrives)
            kernel.MapDrive(drive, unc);
        shares.SetServerOperator(machine.serverOperator);
        for (const auto& c : machine.connections)
            shares.Connect(c.client, c.user, c.files);
        shell.SetHighestVersion(machine.shellNotifyVersion);
        networks.SetIdentification(machine.newNetworksIdentifiedAfterMs, machine.networkEventRepeats);
        for (const auto& n : machine.networks)
            networks.ConnectIdentifiedAfter(n.id, n.category, machine.networksIdentifiedAfterMs);
        networks.Fail(machine.networkListError);
        if (machine.explorerRefusesIconsForMs || machine.taskbarCreatedAfterMs)
            shell.StartExplorerLate(machine.explorerRefusesIconsForMs, machine.taskbarCreatedAfterMs);
    }

    // Shared by the others: the clock, the last error, the current directory.
    SimKernel kernel;
    SimRegistry registry;
    SimServices services{kernel, registry};
    SimFiles files{kernel};
    SimThreads threads;
    // Windows, message queue and timers in the kernel's virtual time; the notification area.
    SimUser user{kernel};
    SimShell shell{user};
    SimShares shares{kernel, services};
    SimNetworks networks{user};

    plat::Platform table;
};

} // namespace sim
