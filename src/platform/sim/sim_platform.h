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
#include "platform/sim/sim_machine.h"
#include "platform/sim/sim_networks.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_services.h"
#include "platform/sim/sim_shares.h"
#include "platform/sim/sim_threads.h"
#include "platform/sim/sim_ui.h"

namespace sim {

class SimPlatform {
  public:
    SimPlatform() : SimPlatform(Machine{}) {}
    explicit SimPlatform(const Machine& machine) {
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
        Become(machine);
    }
    ~SimPlatform() { plat::Install(nullptr); }
    SimPlatform(const SimPlatform&) = delete;
    SimPlatform& operator=(const SimPlatform&) = delete;

    // Makes this the given machine (from the current virtual time on for Explorer).
    void Become(const Machine& machine) {
        kernel.SetElevated(machine.elevated);
        user.SetElevated(machine.elevated); // UIPI filters what reaches an elevated process
        user.SetPerMonitorDpiMissing(!machine.perMonitorDpi);
        kernel.SetUacAnswer(machine.uac);
        kernel.SetAnsiCodePage(machine.ansiCodePage);
        kernel.SetDisplayLanguages(machine.displayLanguages);
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
        services.SetEnumerationOrder(machine.serviceEnumerationOrder);
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
