#include "wine_native.h"

#include <windows.h>

namespace wine_native {

bool InstallService(const std::string& name, const std::string& commandLine, const std::vector<std::string>& dependsOn) {
    SC_HANDLE manager = ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!manager) return false;
    SC_HANDLE service = ::CreateServiceA(manager, name.c_str(), name.c_str(), SERVICE_ALL_ACCESS,
                                         SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                         commandLine.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
    const bool made = service != nullptr;
    if (service) ::CloseServiceHandle(service);
    ::CloseServiceHandle(manager);
    if (!made || dependsOn.empty()) return made;
    // Wine's CreateService keeps only the first dependency: the value is written directly.
    std::string multi;
    for (const auto& d : dependsOn)
        multi.append(d).push_back('\0');
    multi.push_back('\0');
    const std::string key = "SYSTEM\\CurrentControlSet\\Services\\" + name;
    return ::RegSetKeyValueA(HKEY_LOCAL_MACHINE, key.c_str(), "DependOnService", REG_MULTI_SZ, multi.data(),
                             static_cast<DWORD>(multi.size())) == ERROR_SUCCESS;
}

void SleepMs(unsigned ms) { ::Sleep(ms); }

void RunOnThread(const std::function<void()>& body) {
    HANDLE thread = ::CreateThread(
        nullptr, 0,
        [](void* p) -> DWORD {
            (*static_cast<const std::function<void()>*>(p))();
            return 0;
        },
        const_cast<std::function<void()>*>(&body), 0, nullptr);
    if (!thread) return;
    ::WaitForSingleObject(thread, INFINITE);
    ::CloseHandle(thread);
}

} // namespace wine_native
