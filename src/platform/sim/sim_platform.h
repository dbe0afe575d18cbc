#pragma once
// The simulated operating system as one object: a test declares one SimPlatform, which
// installs itself for the modules to use and uninstalls itself when it goes.
#include "platform/platform.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_kernel.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/sim_services.h"
#include "platform/sim/sim_threads.h"
#include "platform/sim/sim_ui.h"

namespace sim {

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
        // Worker completions reach the main thread through its message loop.
        user.SetPumpHook([this] { threads.RunPending(); }, [this] { return threads.PendingCount() > 0; });
        plat::Install(&table);
    }
    ~SimPlatform() { plat::Install(nullptr); }
    SimPlatform(const SimPlatform&) = delete;
    SimPlatform& operator=(const SimPlatform&) = delete;

    // Shared by the others: the clock, the last error, the current directory.
    SimKernel kernel;
    SimRegistry registry;
    SimServices services{kernel, registry};
    SimFiles files{kernel};
    SimThreads threads;
    // Windows, message queue and timers in the kernel's virtual time; the notification area.
    SimUser user{kernel};
    SimShell shell{user};

    plat::Platform table;
};

} // namespace sim
