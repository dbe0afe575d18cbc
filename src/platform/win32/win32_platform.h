#pragma once
// The real operating system as one object: WinMain declares one Win32Platform on the main
// thread, which installs itself for the modules to use and uninstalls itself when it goes.
// Free of windows.h, like everything the modules include.
#include "platform/platform.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_kernel.h"
#include "platform/win32/win32_networks.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_services.h"
#include "platform/win32/win32_shares.h"
#include "platform/win32/win32_threads.h"
#include "platform/win32/win32_ui.h"

namespace win32 {

class Win32Platform {
  public:
    Win32Platform() {
        table.kernel = &kernel;
        table.services = &services;
        table.registry = &registry;
        table.files = &files;
        table.threads = &threads;
        table.user = &user;
        table.shell = &shell;
        table.shares = &shares;
        table.networks = &networks;
        plat::Install(&table);
    }
    ~Win32Platform() { plat::Install(nullptr); }
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

    Win32Kernel kernel;
    Win32Services services;
    Win32Registry registry;
    Win32Files files;
    Win32Threads threads; // owns the main thread's completion window
    Win32User user;
    Win32Shell shell;
    Win32Shares shares;
    Win32Networks networks; // COM on the main thread, which declares this object

    plat::Platform table;
};

} // namespace win32
