// A switch off and on again on the simulated machine, in its virtual time: the worker's
// layered switch with its following waits, side by side with two sequential baselines (one
// service at a time, a fixed poll of 1 s as earlier versions waited, and of 250 ms as a
// script calling Stop-Service polls) and the critical path (the services' own times along the
// longest chain). Every service takes 200 ms to stop and to start, as the Wine test services do.
// The figures are counters in seconds of virtual time; Google Benchmark's own times are the
// simulation's cost and say nothing about the switch.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/sim/sim_platform.h"
#include "sharing/killserv.h"
#include "sharing/killserv_dependents.h"

namespace {

constexpr uint32_t kServiceMs = 200;

enum Shape { Flat, Chain5, Diamond };

struct Topology {
    std::map<std::string, std::vector<std::string>> dependsOn; // dependents of lanmanserver
    int longestChain = 0;                                       // services, lanmanserver included
};

std::string Name(int i) {
    return "Dep" + std::to_string(100 + i).substr(1);
}

// flat: every dependent on lanmanserver; chains of five below it; a diamond: one service on
// lanmanserver, the others but one on it, the last on all of those.
Topology Make(Shape shape, int n) {
    Topology t;
    for (int i = 0; i < n; ++i) {
        std::vector<std::string> on{"LanmanServer"};
        if (shape == Chain5 && i % 5 != 0) on = {Name(i - 1)};
        if (shape == Diamond && n > 1 && i > 0) {
            on = {Name(0)};
            if (i == n - 1 && n > 2) {
                on.clear();
                for (int m = 1; m < n - 1; ++m)
                    on.push_back(Name(m));
            }
        }
        t.dependsOn[Name(i)] = on;
    }
    if (shape == Flat) t.longestChain = n > 0 ? 2 : 1;
    if (shape == Chain5) t.longestChain = 1 + std::min(n, 5);
    if (shape == Diamond) t.longestChain = 1 + std::min(n, 3);
    return t;
}

void Build(sim::SimPlatform& os, const Topology& t) {
    os.services.Add("LanmanServer").Running().PendingFor(kServiceMs);
    for (const auto& [name, on] : t.dependsOn)
        os.services.Add(name).Running().DependsOn(on).PendingFor(kServiceMs);
}

// One service at a time in the stop order, each polled every pollMs until it is there.
uint64_t Sequential(sim::SimPlatform& os, const Topology& t, uint32_t pollMs, bool stop) {
    KillServ::TStringList names;
    for (const auto& [name, on] : t.dependsOn)
        names.push_back(name);
    names = KillServ::StopOrder(names, KillServ::ReadDependencyTable());
    names.push_back("LanmanServer");
    if (!stop) std::reverse(names.begin(), names.end());
    auto& scm = *plat::Os().services;
    const uint64_t began = os.kernel.GetTickCount64();
    const plat::SC_HANDLE manager = scm.OpenSCManager(nullptr, nullptr, 0xA0000000);
    for (const auto& name : names) {
        const plat::SC_HANDLE service = scm.OpenService(manager, name.c_str(), 0xA0000100);
        plat::SERVICE_STATUS status{};
        if (stop) {
            scm.ControlService(service, plat::SERVICE_CONTROL_STOP, &status);
        } else {
            const char* argv[] = {name.c_str()};
            scm.StartService(service, 1, argv);
        }
        const plat::DWORD target = stop ? plat::SERVICE_STOPPED : plat::SERVICE_RUNNING;
        do {
            os.kernel.Sleep(pollMs);
        } while (scm.QueryServiceStatus(service, &status) && status.dwCurrentState != target);
        scm.CloseServiceHandle(service);
    }
    scm.CloseServiceHandle(manager);
    return os.kernel.GetTickCount64() - began;
}

uint64_t Switch(sim::SimPlatform& os) {
    const uint64_t began = os.kernel.GetTickCount64();
    int32_t result = 0;
    new KillServ::TKT(1, &result);
    os.threads.RunPending();
    return os.kernel.GetTickCount64() - began;
}

void BM_Switch(benchmark::State& state) {
    const auto shape = static_cast<Shape>(state.range(0));
    const Topology t = Make(shape, static_cast<int>(state.range(1)));
    uint64_t off = 0, on = 0, oneSecondOff = 0, oneSecondOn = 0, quarterOff = 0, quarterOn = 0;
    for (auto _ : state) {
        {
            sim::SimPlatform os{sim::Machine::Elevated()};
            Build(os, t);
            off = Switch(os);
            on = Switch(os);
            if (os.services.StateOf("LanmanServer") != plat::SERVICE_RUNNING) state.SkipWithError("not on again");
        }
        for (uint32_t poll : {1000u, 250u}) {
            sim::SimPlatform os{sim::Machine::Elevated()};
            Build(os, t);
            const uint64_t stopped = Sequential(os, t, poll, true);
            const uint64_t started = Sequential(os, t, poll, false);
            (poll == 1000 ? oneSecondOff : quarterOff) = stopped;
            (poll == 1000 ? oneSecondOn : quarterOn) = started;
        }
    }
    const double path = t.longestChain * kServiceMs / 1000.0;
    state.counters["off_s"] = off / 1000.0;
    state.counters["on_s"] = on / 1000.0;
    state.counters["seq1s_off_s"] = oneSecondOff / 1000.0;
    state.counters["seq1s_on_s"] = oneSecondOn / 1000.0;
    state.counters["seq250_off_s"] = quarterOff / 1000.0;
    state.counters["seq250_on_s"] = quarterOn / 1000.0;
    state.counters["path_s"] = path;
}

} // namespace

BENCHMARK(BM_Switch)
    ->ArgsProduct({{Flat, Chain5, Diamond}, {1, 8, 40}})
    ->ArgNames({"shape", "dependents"})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
