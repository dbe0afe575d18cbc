#pragma once
// The few direct system calls the Win32 tests make to set up and look at their world, kept
// apart so the tests themselves see only the portable types.
#include <cstdint>
#include <string>

namespace native {

uint32_t CurrentThreadId();
bool ThreadAlive(uint32_t threadId);
// Sends a message to a window of a thread of its own that takes ms before it answers: the
// calling thread waits the way it does inside a call to another process.
bool SendToSlowThread(uint32_t ms);
void SleepMs(uint32_t ms);
bool IsRunning(const char* service);
// Starts the service unless it runs and waits (up to 10 s) until it does.
void EnsureRunning(const char* service);
// Stops the service (sends the stop request once) and waits (up to 10 s) until it has stopped.
void EnsureStopped(const char* service);
// Sends the stop request once without waiting: 0 when it was accepted, else the error code.
uint32_t StopRequestError(const char* service);
// Asks the service manager to start the service and returns at once.
void StartNoWait(const char* service);
// The service's state (SERVICE_STOPPED = 1 ... SERVICE_PAUSED = 7), 0 when it cannot be asked.
uint32_t StateOf(const char* service);
// Pauses a running service and waits until it is paused.
bool Pause(const char* service);
// Whether the service reports that it accepts a stop request.
bool AcceptsStop(const char* service);
void CreateFolder(const std::string& path);
void RemoveFile(const std::string& path);
int CountFiles(const std::string& folder, const std::string& pattern);
// Ends a process that overstayed, by its handle, and waits (up to 10 s) until it has ended.
void EndProcess(uintptr_t process);

} // namespace native
