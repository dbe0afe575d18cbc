// CollectDependents from lanmanserver over simulated registries of growing size, the one-pass
// walk side by side with the per-name reference walk of the tests.
#include <benchmark/benchmark.h>

#include <algorithm>

#include "bench_world.h"
#include "dependents_reference.h"
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

template <typename Walk> void Measure(benchmark::State& state, Walk walk) {
    sim::SimPlatform os;
    Build(os, static_cast<int>(state.range(0)));
    int32_t spare = 0;
    auto* worker = new KillServ::TKT(0, &spare); // held until the end: its operations are called directly
    size_t collected = 0;
    for (auto _ : state) {
        KillServ::DependentList.clear();
        walk(*worker);
        collected = KillServ::DependentList.size();
        benchmark::DoNotOptimize(collected);
    }
    state.counters["services"] = static_cast<double>(state.range(0));
    state.counters["collected"] = static_cast<double>(collected);
    os.threads.RunPending();
}

void BM_Walk(benchmark::State& state) {
    Measure(state, [](KillServ::TKT& worker) { worker.CollectDependents("lanmanserver"); });
}

void BM_ReferenceWalk(benchmark::State& state) {
    Measure(state,
            [](KillServ::TKT&) { reference::CollectDependents("lanmanserver", KillServ::DependentList); });
}

} // namespace

// Each size measured walk, then reference, so the two of a row share the machine's state.
BENCHMARK(BM_Walk)->Arg(200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReferenceWalk)->Arg(200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Walk)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReferenceWalk)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Walk)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReferenceWalk)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
