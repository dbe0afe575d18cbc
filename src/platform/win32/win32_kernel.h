#pragma once
#include "platform/kernel.h"

namespace win32 {

class Win32Kernel : public plat::IKernel {
  public:
    plat::DWORD GetLastError() override;
    void SetLastError(plat::DWORD code) override;
    void Sleep(plat::DWORD milliseconds) override;
    uint64_t GetTickCount64() override;
    std::string GetModuleFileName() override;
    plat::BOOL SetCurrentDirectory(const char* path) override;
    std::string GetCurrentDirectory() override;
    std::string GetEnvironmentVariable(const char* name) override;
    void GetLocalTime(plat::SYSTEMTIME* time) override;
    std::string FormatMessage(plat::DWORD code, const std::string& language) override;
    std::vector<std::string> GetUserPreferredUILanguages() override;
    std::string GetProgramDataFolder() override;
    plat::DWORD GetUniversalPath(const std::string& path, std::string* universal) override;
    bool IsProcessElevated() override;
    bool ElevatesAsItself() override;
    plat::HANDLE CreateMutex(const char* name) override;
    bool MutexExists(const char* name) override;
    plat::BOOL ReleaseMutex(plat::HANDLE mutex) override;
    plat::DWORD WaitForSingleObject(plat::HANDLE handle, plat::DWORD milliseconds) override;
    plat::BOOL GetExitCodeProcess(plat::HANDLE process, plat::DWORD* exitCode) override;
    plat::BOOL CloseHandle(plat::HANDLE handle) override;
};

} // namespace win32
