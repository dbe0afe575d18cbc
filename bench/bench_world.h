#pragma once
// A made-up but plausible set of installed services for the dependents benchmarks: a few core
// services that many depend on, a handful of direct dependents of lanmanserver (growing slowly
// with the machine's size) with dependents of their own, two to three levels deep, and many
// drivers and services that depend on neither. Deterministic for a given count.
#include <cstdint>
#include <string>
#include <vector>

namespace bench {

struct BenchService {
    std::string name;
    std::vector<std::string> dependsOn; // empty: no DependOnService value
    bool asRegSz = false;               // written as REG_SZ "a,b" instead of REG_MULTI_SZ
};

inline const std::vector<std::string>& CoreServices() {
    static const std::vector<std::string> core{
        "Afd",   "Dhcp",     "Dnscache", "EventLog", "LanmanServer", "LanmanWorkstation",
        "NetBT", "PlugPlay", "RpcSs",    "Tcpip"};
    return core;
}

// count extra services named Bench0000..., generated after the core ones.
inline std::vector<BenchService> MakeServiceWorld(int count) {
    uint32_t seed = 0x2545F491u;
    auto next = [&seed](uint32_t n) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % n;
    };
    auto nameOf = [](int i) {
        std::string digits = std::to_string(i);
        return "Bench" + std::string(4 - std::min<size_t>(4, digits.size()), '0') + digits;
    };
    const auto& core = CoreServices();
    const int direct = 4 + count / 500; // direct dependents of lanmanserver
    std::vector<BenchService> world;
    for (int i = 0; i < count; ++i) {
        BenchService s{nameOf(i), {}, false};
        if (i < direct) {
            s.dependsOn = {"Tcpip", "LanmanServer"};
        } else if (i < direct * 3) {
            s.dependsOn = {nameOf(static_cast<int>(next(static_cast<uint32_t>(i))) %
                                  (direct * 2))}; // second/third level
        } else {
            const uint32_t roll = next(100);
            const int deps = roll < 40 ? 0 : roll < 75 ? 1 : roll < 95 ? 2 : 3;
            for (int d = 0; d < deps; ++d) {
                if (next(100) < 75) {
                    std::string c = core[next(static_cast<uint32_t>(core.size()))];
                    if (c == "LanmanServer") c = "LanmanWorkstation";
                    s.dependsOn.push_back(c);
                } else {
                    s.dependsOn.push_back(nameOf(
                        static_cast<int>(direct * 3 + next(static_cast<uint32_t>(i - direct * 3 + 1)))));
                }
            }
            s.asRegSz = !s.dependsOn.empty() && next(100) < 5;
        }
        world.push_back(std::move(s));
    }
    return world;
}

} // namespace bench
