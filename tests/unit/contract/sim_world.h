#pragma once
// The contract's world on the simulated machine: a fresh SimPlatform per case, on the
// full-administrator machine the Wine prefix is (the contract compares like with like).
#include "contract/contract.h"
#include "platform/sim/sim_platform.h"

namespace contract {

class SimWorld : public World {
  public:
    SimWorld() : os(sim::Machine::Wine()) {}
    plat::Platform& Os() override { return os.table; }
    const char* Backend() const override { return "sim"; }

    bool AddService(const std::string& name, Kind kind, const std::vector<std::string>& dependsOn) override {
        if (os.services.Exists(name)) return false;
        auto service = os.services.Add(name);
        if (!dependsOn.empty()) service.DependsOn(dependsOn);
        switch (kind) {
        case Kind::Plain:
            return true;
        case Kind::RefusesStop:
            service.DoesNotAcceptStop();
            return true;
        case Kind::Slow: // the test service's 3 s, with its 2 s wait hint
            service.PendingFor(3000, 2000);
            return true;
        case Kind::FailsWhileStarting: // about the 200 ms the test service takes
            service.PendingFor(200, 2000).FailsWhileStarting(plat::ERROR_SERVICE_SPECIFIC_ERROR, 42);
            return true;
        }
        return false;
    }
    void Pass(uint32_t milliseconds) override { os.kernel.Sleep(milliseconds); }
    // The body runs at once, as a thread of its own in the kernel's eyes (mutex ownership).
    void OnAnotherThread(const std::function<void()>& body) override { os.kernel.RunOnThread(body); }

    sim::SimPlatform os;
};

// gtest names a case by its name, not its bytes.
inline void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

} // namespace contract
