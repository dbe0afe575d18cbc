#include "platform/win32/win32_services.h"

#include <windows.h>

#include <cstddef>
#include <vector>

#include "platform/win32/win32_text.h"

// The platform's operation of this name is our own, not windows.h's A/W switch.
#undef GetServiceDisplayName

namespace win32 {
namespace {

// The portable records are read straight out of the system's buffers.
static_assert(sizeof(plat::SERVICE_STATUS) == sizeof(::SERVICE_STATUS));
static_assert(sizeof(plat::ENUM_SERVICE_STATUSA) == sizeof(::ENUM_SERVICE_STATUSA));
static_assert(offsetof(plat::ENUM_SERVICE_STATUSA, lpServiceName) ==
              offsetof(::ENUM_SERVICE_STATUSA, lpServiceName));
static_assert(offsetof(plat::ENUM_SERVICE_STATUSA, ServiceStatus) ==
              offsetof(::ENUM_SERVICE_STATUSA, ServiceStatus));
static_assert(offsetof(plat::SERVICE_STATUS, dwCurrentState) == offsetof(::SERVICE_STATUS, dwCurrentState));

::SC_HANDLE Native(plat::SC_HANDLE h) {
    return reinterpret_cast<::SC_HANDLE>(h);
}
plat::SC_HANDLE Portable(::SC_HANDLE h) {
    return reinterpret_cast<plat::SC_HANDLE>(h);
}
::SERVICE_STATUS* Native(plat::SERVICE_STATUS* s) {
    return reinterpret_cast<::SERVICE_STATUS*>(s);
}

} // namespace

plat::SC_HANDLE Win32Services::OpenSCManagerA(const char* machineName, const char* databaseName,
                                              plat::DWORD access) {
    return Portable(::OpenSCManagerA(machineName, databaseName, access));
}

plat::SC_HANDLE Win32Services::OpenServiceA(plat::SC_HANDLE manager, const char* serviceName,
                                            plat::DWORD access) {
    return Portable(::OpenServiceA(Native(manager), serviceName, access));
}

plat::BOOL Win32Services::QueryServiceStatus(plat::SC_HANDLE service, plat::SERVICE_STATUS* status) {
    return ::QueryServiceStatus(Native(service), Native(status));
}

plat::BOOL Win32Services::ControlService(plat::SC_HANDLE service, plat::DWORD control,
                                         plat::SERVICE_STATUS* status) {
    return ::ControlService(Native(service), control, Native(status));
}

plat::BOOL Win32Services::StartServiceA(plat::SC_HANDLE service, plat::DWORD argc, const char** argv) {
    return ::StartServiceA(Native(service), argc, argv);
}

plat::BOOL Win32Services::EnumServicesStatusA(plat::SC_HANDLE manager, plat::DWORD serviceType,
                                              plat::DWORD serviceState, void* buffer, plat::DWORD bufferSize,
                                              plat::DWORD* bytesNeeded, plat::DWORD* servicesReturned,
                                              plat::DWORD* resumeHandle) {
    return ::EnumServicesStatusA(
        Native(manager), serviceType, serviceState, static_cast<::LPENUM_SERVICE_STATUSA>(buffer), bufferSize,
        reinterpret_cast<LPDWORD>(bytesNeeded), reinterpret_cast<LPDWORD>(servicesReturned),
        reinterpret_cast<LPDWORD>(resumeHandle));
}

plat::BOOL Win32Services::GetServiceDisplayName(plat::SC_HANDLE manager, const char* serviceName,
                                                std::string* displayName) {
    if (!serviceName || !displayName) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::wstring name = Wide(serviceName);
    // Asked with a small buffer first; the size it needs (in characters, without the end) comes back.
    DWORD length = 128;
    for (int round = 0; round < 3; ++round) {
        std::vector<wchar_t> buffer(length + 1);
        DWORD size = length + 1;
        if (::GetServiceDisplayNameW(Native(manager), name.c_str(), buffer.data(), &size)) {
            *displayName = Utf8(buffer.data());
            return 1;
        }
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) return 0;
        length = size + 1;
    }
    return 0;
}

plat::BOOL Win32Services::CloseServiceHandle(plat::SC_HANDLE handle) {
    return ::CloseServiceHandle(Native(handle));
}

} // namespace win32
