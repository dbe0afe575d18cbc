// The dependents walk from lanmanserver through the real registry of a Wine prefix, side by
// side with one bare scan of every service key and with the per-name reference walk.
//   tarnwick-win32-walk-bench populate N   adds N service keys (the benchmark world of bench/)
//   tarnwick-win32-walk-bench walk [N]     N rounds (default 9): a bare scan and a walk in each,
//                                          the reference walk in the first three
// Google Benchmark is not built for MinGW here, so rounds are timed with steady_clock and
// the two measurements of a round run back to back.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "bench_world.h"
#include "dependents_reference.h"
#include "platform/win32/win32_platform.h"
#include "sharing/killserv.h"
#include "win32_test.h"

namespace {

int Populate(win32::Win32Platform& os, int count) {
    const auto start = std::chrono::steady_clock::now();
    int written = 0;
    for (const auto& s : bench::MakeServiceWorld(count)) {
        plat::HKEY key = 0;
        plat::DWORD disposition = 0;
        const std::string path = "SYSTEM\\CurrentControlSet\\Services\\" + s.name;
        if (os.registry.RegCreateKeyEx(plat::HKEY_LOCAL_MACHINE, path.c_str(), 0, plat::KEY_ALL_ACCESS, &key,
                                       &disposition) != 0)
            continue;
        const uint8_t type[4] = {0x10, 0, 0, 0};
        os.registry.RegSetValueEx(key, "Type", plat::REG_DWORD, type, 4);
        if (!s.dependsOn.empty()) {
            std::string value;
            for (const auto& d : s.dependsOn) {
                if (s.asRegSz && !value.empty()) value += ',';
                value += d;
                if (!s.asRegSz) value += '\0';
            }
            value += '\0';
            os.registry.RegSetValueEx(key, "DependOnService", s.asRegSz ? plat::REG_SZ : plat::REG_MULTI_SZ,
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

// What any walk has to do: open the services key, enumerate it, open each service key
// relative to it, query its DependOnService in one call, close it. Returns the values found.
size_t BareScan(plat::IRegistry& registry) {
    using namespace plat;
    HKEY services = 0;
    if (registry.RegOpenKeyEx(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services", 0, KEY_READ,
                              &services) != 0)
        return 0;
    DWORD count = 0;
    DWORD longest = 0;
    registry.RegQueryInfoKey(services, &count, &longest);
    std::vector<char> name(std::max<DWORD>(longest, 255) + 1);
    uint8_t data[512];
    size_t values = 0;
    for (DWORD i = 0; i < count; ++i) {
        auto length = static_cast<DWORD>(name.size());
        if (registry.RegEnumKeyEx(services, i, name.data(), &length) != 0) continue;
        HKEY key = 0;
        if (registry.RegOpenKeyEx(services, name.data(), 0, KEY_READ, &key) != 0) continue;
        DWORD type = 0;
        DWORD size = sizeof data;
        if (registry.RegQueryValueEx(key, "DependOnService", &type, data, &size) == 0) ++values;
        registry.RegCloseKey(key);
    }
    registry.RegCloseKey(services);
    return values;
}

template <typename F> double Milliseconds(F f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

struct Row {
    std::vector<double> times;
    void Print(const char* what) {
        std::sort(times.begin(), times.end());
        std::printf("%-16s median %8.1f ms   min %8.1f ms   max %8.1f ms   (%zu runs)\n", what,
                    times[times.size() / 2], times.front(), times.back(), times.size());
    }
    double Median() const { return times[times.size() / 2]; }
};

} // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "walk";
    const int number = argc > 2 ? std::max(1, std::atoi(argv[2])) : 9;
    win32::Win32Platform os;
    if (command == "populate") return Populate(os, number);
    plat::DWORD keys = 0;
    plat::DWORD longest = 0;
    plat::HKEY services = 0;
    if (os.registry.RegOpenKeyEx(plat::HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services", 0,
                                 plat::KEY_READ, &services) == 0) {
        os.registry.RegQueryInfoKey(services, &keys, &longest);
        os.registry.RegCloseKey(services);
    }
    Row scan, walk, reference;
    size_t values = 0;
    KillServ::TStringList walked, expected;
    wtest::WithHeldWorker(os, [&](KillServ::TKT& worker) {
        for (int round = 0; round < number; ++round) {
            scan.times.push_back(Milliseconds([&] { values = BareScan(os.registry); }));
            walk.times.push_back(Milliseconds([&] {
                KillServ::DependentList.clear();
                worker.CollectDependents("lanmanserver");
            }));
            walked = KillServ::DependentList;
            if (round < 3) {
                expected.clear();
                reference.times.push_back(
                    Milliseconds([&] { reference::CollectDependents("lanmanserver", expected); }));
            }
        }
    });
    std::printf("service keys: %lu (%zu with DependOnService), dependents collected: %zu%s\n",
                static_cast<unsigned long>(keys), values, walked.size(),
                walked == expected ? ", as the reference walk" : ", NOT AS THE REFERENCE WALK");
    scan.Print("bare scan");
    walk.Print("walk");
    reference.Print("reference walk");
    std::printf("walk / bare scan: %.2f   reference / walk: %.0f\n", walk.Median() / scan.Median(),
                reference.Median() / walk.Median());
    return walked == expected ? 0 : 1;
}
