#pragma once
#include <string>

#include "platform/types.h"

// windows.h names its ANSI/wide switch GetServiceDisplayName; ours is the platform's operation.
#ifdef GetServiceDisplayName
#undef GetServiceDisplayName
#endif

namespace plat {

// The Service Control Manager operations the sharing worker calls. Failures leave their
// reason in IKernel::GetLastError of the calling thread.
class IServiceManager {
  public:
    virtual ~IServiceManager() = default;
    virtual SC_HANDLE OpenSCManager(const char* machineName, const char* databaseName, DWORD access) = 0;
    virtual SC_HANDLE OpenService(SC_HANDLE manager, const char* serviceName, DWORD access) = 0;
    virtual BOOL QueryServiceStatus(SC_HANDLE service, SERVICE_STATUS* status) = 0;
    virtual BOOL ControlService(SC_HANDLE service, DWORD control, SERVICE_STATUS* status) = 0;
    virtual BOOL StartService(SC_HANDLE service, DWORD argc, const char** argv) = 0;
    // Fills buffer as Windows does: ENUM_SERVICE_STATUS records first, their strings (UTF-8)
    // behind. bytesNeeded is enough for the rest, not always exact.
    virtual BOOL EnumServicesStatus(SC_HANDLE manager, DWORD serviceType, DWORD serviceState, void* buffer,
                                    DWORD bufferSize, DWORD* bytesNeeded, DWORD* servicesReturned,
                                    DWORD* resumeHandle) = 0;
    // The name Windows shows for a service (UTF-8); needs only SC_MANAGER_CONNECT.
    virtual BOOL GetServiceDisplayName(SC_HANDLE manager, const char* serviceName, std::string* displayName) = 0;
    virtual BOOL CloseServiceHandle(SC_HANDLE handle) = 0;
};

} // namespace plat
