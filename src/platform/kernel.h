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
    virtual std::string GetModuleFileNameA() = 0;
    virtual BOOL SetCurrentDirectoryA(const char* path) = 0;
    // As the operating system returns it: no trailing separator except at a drive root.
    virtual std::string GetCurrentDirectoryA() = 0;
};

} // namespace plat
