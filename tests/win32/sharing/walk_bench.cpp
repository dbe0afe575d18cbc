// The dependents walk from lanmanserver through the real registry of a Wine prefix.
//   tarnwick-win32-walk-bench populate N   adds N service keys (the benchmark world of bench/)
//   tarnwick-win32-walk-bench walk [N]     times N walks (default 5)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <vector>

#include "bench_world.h"
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

int Populate(win32::Win32Platform& os, int count) {
    const auto start = std::chrono::steady_clock::now();
    int written = 0;
    for (const auto& s : bench::MakeServiceWorld(count)) {
        plat::HKEY key = 0;
        plat::DWORD disposition = 0;
        const std::string path = "SYSTEM\\CurrentControlSet\\Services\\" + s.name;
        if (os.registry.RegCreateKeyExA(plat::HKEY_LOCAL_MACHINE, path.c_str(), 0, plat::KEY_ALL_ACCESS, &key,
                                        &disposition) != 0)
            continue;
        const uint8_t type[4] = {0x10, 0, 0, 0};
        os.registry.RegSetValueExA(key, "Type", plat::REG_DWORD, type, 4);
        if (!s.dependsOn.empty()) {
            std::string value;
            for (const auto& d : s.dependsOn) {
                if (s.asRegSz && !value.empty()) value += ',';
                value += d;
                if (!s.asRegSz) value += '\0';
            }
            value += '\0';
            os.registry.RegSetValueExA(key, "DependOnService", s.asRegSz ? plat::REG_SZ : plat::REG_MULTI_SZ,
                                       reinterpret_cast<const uint8_t*>(value.data()),
                                       static_cast<plat::DWORD>(value.size()));
        }
        os.registry.RegCloseKey(key);
        ++written;
    }
    std::printf("populated %d service keys in %.1f s\n", written,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    return written == count ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "walk";
    const int number = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    win32::Win32Platform os;
    if (command == "populate") return Populate(os, number);
    const int walks = number;
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
