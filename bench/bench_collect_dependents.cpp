// CollectDependents from lanmanserver over simulated registries of growing size.
#include <benchmark/benchmark.h>

#include <algorithm>

#include "bench_world.h"
#include "platform/sim/sim_platform.h"
#include "sharing/killserv.h"

namespace {

void Build(sim::SimPlatform& os, int count) {
    for (const auto& name : bench::CoreServices())
        os.services.Add(name).Running();
    const std::string key = "SYSTEM\\CurrentControlSet\\Services\\";
    for (const auto& s : bench::MakeServiceWorld(count - static_cast<int>(bench::CoreServices().size()))) {
        os.services.Add(s.name).Running();
        if (s.dependsOn.empty()) continue;
        if (!s.asRegSz) {
            os.services.Add(s.name).DependsOn(s.dependsOn);
            continue;
        }
        std::string text;
        for (const auto& d : s.dependsOn)
            text += (text.empty() ? "" : ",") + d;
        os.registry.SetString(plat::HKEY_LOCAL_MACHINE, key + s.name, "DependOnService", text);
    }
}

void BM_CollectDependentsFromLanmanserver(benchmark::State& state) {
    sim::SimPlatform os;
    Build(os, static_cast<int>(state.range(0)));
    int32_t spare = 0;
    auto* worker = new KillServ::TKT(0, &spare); // held until the end: its operations are called directly
    size_t collected = 0;
    for (auto _ : state) {
        KillServ::DependentList.clear();
        worker->CollectDependents("lanmanserver");
        collected = KillServ::DependentList.size();
        benchmark::DoNotOptimize(collected);
    }
    state.counters["services"] = static_cast<double>(state.range(0));
    state.counters["collected"] = static_cast<double>(collected);
    os.threads.RunPending();
}

} // namespace

BENCHMARK(BM_CollectDependentsFromLanmanserver)
    ->Arg(200)
    ->Arg(1000)
    ->Arg(5000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
