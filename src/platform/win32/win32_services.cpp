#include "platform/win32/win32_services.h"

#include <cstddef>
#include <cstring>
#include <vector>

#include "platform/win32/win32_text.h"

namespace win32 {
namespace {

// The portable records are read straight out of the system's buffers.
static_assert(sizeof(plat::SERVICE_STATUS) == sizeof(::SERVICE_STATUS));
static_assert(sizeof(plat::ENUM_SERVICE_STATUS) == sizeof(::ENUM_SERVICE_STATUSW));
static_assert(offsetof(plat::ENUM_SERVICE_STATUS, ServiceStatus) ==
              offsetof(::ENUM_SERVICE_STATUSW, ServiceStatus));
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

plat::SC_HANDLE Win32Services::OpenSCManager(const char* machineName, const char* databaseName,
                                             plat::DWORD access) {
    const WideArg machine(machineName), database(databaseName);
    if (!machine.ok() || !database.ok()) return 0;
    return Portable(::OpenSCManagerW(machine.get(), database.get(), access));
}

plat::SC_HANDLE Win32Services::OpenService(plat::SC_HANDLE manager, const char* serviceName,
                                           plat::DWORD access) {
    const WideArg name(serviceName);
    if (!name.ok()) return 0;
    return Portable(::OpenServiceW(Native(manager), name.get(), access));
}

plat::BOOL Win32Services::QueryServiceStatus(plat::SC_HANDLE service, plat::SERVICE_STATUS* status) {
    return ::QueryServiceStatus(Native(service), Native(status));
}

plat::BOOL Win32Services::ControlService(plat::SC_HANDLE service, plat::DWORD control,
                                         plat::SERVICE_STATUS* status) {
    return ::ControlService(Native(service), control, Native(status));
}

plat::BOOL Win32Services::StartService(plat::SC_HANDLE service, plat::DWORD argc, const char** argv) {
    std::vector<std::wstring> arguments(argc);
    std::vector<const wchar_t*> pointers(argc);
    for (DWORD i = 0; i < argc; ++i) {
        if (!Widen(argv[i] ? argv[i] : "", arguments[i])) return FALSE;
        pointers[i] = arguments[i].c_str();
    }
    return ::StartServiceW(Native(service), argc, argc ? pointers.data() : nullptr);
}

// The system fills a UTF-16 buffer; the caller's gets the same records with UTF-8 names. A
// UTF-8 name takes at most 3/2 of its UTF-16 bytes, so the system is given two thirds of the
// caller's buffer, and what it needs is handed on as three halves.
plat::BOOL Win32Services::EnumServicesStatus(plat::SC_HANDLE manager, plat::DWORD serviceType,
                                             plat::DWORD serviceState, void* buffer, plat::DWORD bufferSize,
                                             plat::DWORD* bytesNeeded, plat::DWORD* servicesReturned,
                                             plat::DWORD* resumeHandle) {
    const DWORD wideSize = bufferSize / 3 * 2;
    std::vector<uint64_t> wide(wideSize / sizeof(uint64_t) + 1);
    DWORD needed = 0;
    DWORD returned = 0;
    const BOOL ok = ::EnumServicesStatusW(Native(manager), serviceType, serviceState,
                                          reinterpret_cast<::LPENUM_SERVICE_STATUSW>(wide.data()), wideSize,
                                          &needed, &returned, reinterpret_cast<LPDWORD>(resumeHandle));
    const DWORD error = ::GetLastError();
    if (bytesNeeded) *bytesNeeded = needed > 0xAAAAAAAAu ? needed : needed / 2 * 3 + 3;
    if (servicesReturned) *servicesReturned = 0;
    if (!ok && error != ERROR_MORE_DATA) return FALSE;
    const auto* in = reinterpret_cast<const ::ENUM_SERVICE_STATUSW*>(wide.data());
    auto* out = static_cast<plat::ENUM_SERVICE_STATUS*>(buffer);
    char* strings = reinterpret_cast<char*>(out + returned);
    char* const end = static_cast<char*>(buffer) + bufferSize;
    for (DWORD i = 0; i < returned; ++i) {
        std::string name, display;
        if (!Narrow(in[i].lpServiceName ? in[i].lpServiceName : L"", name) ||
            !Narrow(in[i].lpDisplayName ? in[i].lpDisplayName : L"", display))
            return FALSE;
        if (strings + name.size() + display.size() + 2 > end) { // cannot happen by the sizes above
            ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        out[i].lpServiceName = strings;
        std::memcpy(strings, name.c_str(), name.size() + 1);
        strings += name.size() + 1;
        out[i].lpDisplayName = strings;
        std::memcpy(strings, display.c_str(), display.size() + 1);
        strings += display.size() + 1;
        std::memcpy(&out[i].ServiceStatus, &in[i].ServiceStatus, sizeof out[i].ServiceStatus);
    }
    if (servicesReturned) *servicesReturned = returned;
    ::SetLastError(error);
    return ok;
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
