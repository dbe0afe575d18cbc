#pragma once
// The direct system calls the Wine world makes to set up its services, apart from the cases,
// which see only the portable types.
#include <functional>
#include <string>
#include <vector>

namespace wine_native {

// Installs a stopped demand-start service running commandLine; dependsOn is written as a
// REG_MULTI_SZ DependOnService.
bool InstallService(const std::string& name, const std::string& commandLine, const std::vector<std::string>& dependsOn);
void SleepMs(unsigned ms);
// Runs body on a thread of its own and waits until that thread has ended.
void RunOnThread(const std::function<void()>& body);

} // namespace wine_native
