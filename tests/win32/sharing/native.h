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
void CreateFolder(const std::string& path);
void RemoveFile(const std::string& path);
int CountFiles(const std::string& folder, const std::string& pattern);

} // namespace native
