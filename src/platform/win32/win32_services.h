#pragma once
#include "platform/services.h"

namespace win32 {

// The service control manager of advapi32, passed through unchanged.
class Win32Services : public plat::IServiceManager {
  public:
    plat::SC_HANDLE OpenSCManager(const char* machineName, const char* databaseName,
                                  plat::DWORD access) override;
    plat::SC_HANDLE OpenService(plat::SC_HANDLE manager, const char* serviceName,
                                plat::DWORD access) override;
    plat::BOOL QueryServiceStatus(plat::SC_HANDLE service, plat::SERVICE_STATUS* status) override;
    plat::BOOL ControlService(plat::SC_HANDLE service, plat::DWORD control,
                              plat::SERVICE_STATUS* status) override;
    plat::BOOL StartService(plat::SC_HANDLE service, plat::DWORD argc, const char** argv) override;
    plat::BOOL EnumServicesStatus(plat::SC_HANDLE manager, plat::DWORD serviceType, plat::DWORD serviceState,
                                  void* buffer, plat::DWORD bufferSize, plat::DWORD* bytesNeeded,
                                  plat::DWORD* servicesReturned, plat::DWORD* resumeHandle) override;
    plat::BOOL GetServiceDisplayName(plat::SC_HANDLE manager, const char* serviceName,
                                     std::string* displayName) override;
    plat::BOOL CloseServiceHandle(plat::SC_HANDLE handle) override;
};

} // namespace win32
