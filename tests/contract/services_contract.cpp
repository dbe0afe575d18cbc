// The service manager's answers, as Windows gives them (Wine's dlls/advapi32/tests/service.c,
// which runs on Windows).
#include "contract/contract.h"

using namespace plat;

// test_open_scm: only "ServicesActive" (or none) opens; "ServicesFailed" does not exist;
// any other name is not a name at all.
CONTRACT_CASE(OpenSCManagerNamesItsDatabase) {
    auto& scm = *world.Os().services;
    auto& kernel = *world.Os().kernel;
    SC_HANDLE active = scm.OpenSCManager(nullptr, "ServicesActive", SC_MANAGER_CONNECT);
    check.Check(active != 0, "ServicesActive opens");
    if (active) scm.CloseServiceHandle(active);
    check.Equal(scm.OpenSCManager(nullptr, "ServicesFailed", SC_MANAGER_CONNECT), SC_HANDLE(0), "ServicesFailed");
    check.Equal(kernel.GetLastError(), DWORD(ERROR_DATABASE_DOES_NOT_EXIST), "ServicesFailed's error");
    check.Equal(scm.OpenSCManager(nullptr, "DoesNotExist", SC_MANAGER_CONNECT), SC_HANDLE(0), "an unknown database");
    check.Equal(kernel.GetLastError(), DWORD(ERROR_INVALID_NAME), "an unknown database's error");
}
