#pragma once
#include <string>
#include <vector>

#include "platform/types.h"

// windows.h names its ANSI/wide switch FormatMessage; ours is the platform's operation.
#ifdef FormatMessage
#undef FormatMessage
#endif

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
    virtual void GetLocalTime(SYSTEMTIME* time) = 0;
    // The system's own text for an error code, without the line end Windows puts after it;
    // empty when the system has none (ERROR_MR_MID_NOT_FOUND). language "" is the user's
    // language (Windows' own order: the thread's, the user's, the system's, English); a
    // language tag ("de") asks for that language only, and gives nothing (and
    // ERROR_RESOURCE_LANG_NOT_FOUND) where Windows is not installed in it.
    virtual std::string FormatMessage(DWORD code, const std::string& language) = 0;
    // The user's display languages in their order of preference, as language tags
    // ("de-DE"): GetUserPreferredUILanguages with MUI_LANGUAGE_NAME. Empty when it fails.
    virtual std::vector<std::string> GetUserPreferredUILanguages() = 0;
    // Full path of the running program file.
    virtual std::string GetModuleFileName() = 0;
    virtual BOOL SetCurrentDirectory(const char* path) = 0;
    // As the operating system returns it: no trailing separator except at a drive root.
    virtual std::string GetCurrentDirectory() = 0;
    // An empty string when the variable is not set.
    virtual std::string GetEnvironmentVariable(const char* name) = 0;
    // The machine's folder for data of all users (C:\\ProgramData), as the system knows it:
    // not from the environment, which the user may change. Empty when it cannot be had.
    virtual std::string GetProgramDataFolder() = 0;
    // The path by which another logon session (an elevated one) reaches path: a path on a
    // mapped network drive becomes its UNC path, any other path stays as it is. 0, or the
    // error that says why a mapped drive's path cannot be had.
    virtual DWORD GetUniversalPath(const std::string& path, std::string* universal) = 0;

    // Whether this process runs with an elevated (full administrator) token: OpenProcessToken
    // and GetTokenInformation(TokenElevation). False when it cannot be told.
    virtual bool IsProcessElevated() = 0;
    // Whether an elevation of this process runs as this same account: it is elevated already,
    // or its token is the filtered one of an administrator (TokenElevationTypeLimited). A
    // standard user's elevation runs as whichever administrator typed the password.
    virtual bool ElevatesAsItself() = 0;

    // A named mutex, not owned ("Local\\" names are this session's, "Global\\" ones the
    // machine's). When it existed already the handle is still returned and GetLastError gives
    // ERROR_ALREADY_EXISTS; one another user's or an elevated process made gives 0 and
    // ERROR_ACCESS_DENIED.
    virtual HANDLE CreateMutex(const char* name) = 0;
    // Whether a mutex of that name exists, also one this process may not open.
    virtual bool MutexExists(const char* name) = 0;
    virtual BOOL ReleaseMutex(HANDLE mutex) = 0;
    // WAIT_OBJECT_0 (or WAIT_ABANDONED for a mutex whose owner ended), WAIT_TIMEOUT, WAIT_FAILED.
    virtual DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) = 0;
    virtual BOOL GetExitCodeProcess(HANDLE process, DWORD* exitCode) = 0;
    virtual BOOL CloseHandle(HANDLE handle) = 0;
};

} // namespace plat
