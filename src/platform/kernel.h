#pragma once
#include <string>

#include "platform/types.h"

namespace plat {

// Process, time and error state as the portable code sees them.
class IKernel {
  public:
    virtual ~IKernel() = default;
    virtual DWORD GetLastError() = 0;
    virtual void SetLastError(DWORD code) = 0;
    virtual void Sleep(DWORD milliseconds) = 0;
    // Milliseconds since an arbitrary start; virtual time in the simulation.
    virtual uint64_t GetTickCount64() = 0;
    // Full path of the running program file.
    virtual std::string GetModuleFileName() = 0;
    virtual BOOL SetCurrentDirectory(const char* path) = 0;
    // As the operating system returns it: no trailing separator except at a drive root.
    virtual std::string GetCurrentDirectory() = 0;
    // An empty string when the variable is not set.
    virtual std::string GetEnvironmentVariable(const char* name) = 0;

    // Whether this process runs with an elevated (full administrator) token: OpenProcessToken
    // and GetTokenInformation(TokenElevation). False when it cannot be told.
    virtual bool IsProcessElevated() = 0;

    // A named mutex of this session. When it existed already the handle is still returned and
    // GetLastError gives ERROR_ALREADY_EXISTS; one another user's process made gives 0 and
    // ERROR_ACCESS_DENIED.
    virtual HANDLE CreateMutex(const char* name) = 0;
    virtual DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) = 0;
    virtual BOOL GetExitCodeProcess(HANDLE process, DWORD* exitCode) = 0;
    virtual BOOL CloseHandle(HANDLE handle) = 0;
};

} // namespace plat
