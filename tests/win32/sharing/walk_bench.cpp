// Times the dependents walk from lanmanserver through the real registry of a Wine prefix.
// Argument: the number of walks (default 5). Prints the services key size, the walk's result
// size and the time per walk.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <vector>

#include "platform/win32/win32_platform.h"
#include "sharing/killserv.h"

namespace {

class HeldThreads : public plat::IThreads {
  public:
    bool StartThread(std::function<void()> body, std::function<void()> onFinished) override {
        body_ = std::move(body);
        done_ = std::move(onFinished);
        return true;
    }
    void Finish() {
        body_();
        done_();
    }

  private:
    std::function<void()> body_, done_;
};

} // namespace

int main(int argc, char** argv) {
    const int walks = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    win32::Win32Platform os;
    HeldThreads held;
    plat::Platform table = os.table;
    table.threads = &held;
    plat::Install(&table);
    int32_t spare = 0;
    auto* worker = new KillServ::TKT(0, &spare);

    plat::DWORD keys = 0;
    plat::DWORD longest = 0;
    plat::HKEY services = 0;
    if (os.registry.RegOpenKeyExA(plat::HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services", 0,
                                  plat::KEY_READ, &services) == 0) {
        os.registry.RegQueryInfoKeyA(services, &keys, &longest);
        os.registry.RegCloseKey(services);
    }
    std::vector<double> times;
    size_t collected = 0;
    for (int i = 0; i < walks; ++i) {
        KillServ::DependentList.clear();
        const auto start = std::chrono::steady_clock::now();
        worker->CollectDependents("lanmanserver");
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        collected = KillServ::DependentList.size();
    }
    std::sort(times.begin(), times.end());
    std::printf("service keys: %lu, dependents collected: %zu, walks: %d\n", static_cast<unsigned long>(keys),
                collected, walks);
    std::printf("walk time: median %.1f ms, min %.1f ms, max %.1f ms\n", times[times.size() / 2],
                times.front(), times.back());
    held.Finish();
    plat::Install(&os.table);
    return 0;
}
