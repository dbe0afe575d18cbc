#pragma once
// One table of every operating-system service the program uses. WinMain installs the
// Win32 backend; a test installs a fresh simulated one.
#include "platform/files.h"
#include "platform/kernel.h"
#include "platform/networks.h"
#include "platform/registry.h"
#include "platform/services.h"
#include "platform/shares.h"
#include "platform/threads.h"
#include "platform/ui.h"

namespace plat {

struct Platform {
    IKernel* kernel = nullptr;
    IServiceManager* services = nullptr;
    IRegistry* registry = nullptr;
    IFiles* files = nullptr;
    IThreads* threads = nullptr;
    IUser* user = nullptr;
    IShell* shell = nullptr;
    IShares* shares = nullptr;
    INetworkList* networks = nullptr;
};

// The installed platform; modules ask for it at each use and never keep the pointers.
Platform& Os();
void Install(Platform* platform);
bool Installed();

} // namespace plat
