#pragma once
// One set of expectations for both platforms: each case is written once against
// plat::Platform and a World that sets up what only a test can (services, time). The host
// tests run every case on the simulated machine, the Wine program on the real services of a
// throwaway prefix; where Wine follows Windows (its conformance tests ran there), the
// simulation has to answer the same.
#include <cstdint>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace contract {

// What a case may ask of the machine it runs on.
class World {
  public:
    virtual ~World() = default;
    virtual plat::Platform& Os() = 0;
    virtual const char* Backend() const = 0; // "sim" or "wine"

    // How a test service behaves (the Wine suites' tools/testservice, and its simulated twin).
    enum class Kind {
        Plain,                // starts and stops at once
        RefusesStop,          // does not accept STOP (1052)
        Slow,                 // start- and stop-pending for 3 s each
        FailsWhileStarting,   // START_PENDING, then STOPPED with 1066 and service-specific code 42
    };
    // Installs a stopped, demand-start service; the name must be new in this run. False when
    // it could not be made.
    virtual bool AddService(const std::string& name, Kind kind, const std::vector<std::string>& dependsOn = {}) = 0;
    // Lets time pass: real time under Wine, the virtual clock in the simulation.
    virtual void Pass(uint32_t milliseconds) = 0;
    // Runs body on another thread and waits until that thread has ended.
    virtual void OnAnotherThread(const std::function<void()>& body) = 0;
};

// Counts failed checks of one case and keeps their descriptions.
class Checker {
  public:
    void Check(bool ok, const std::string& what) {
        if (!ok) failures.push_back(what);
    }
    template <typename A, typename B> void Equal(const A& actual, const B& expected, const std::string& what) {
        if (actual == expected) return;
        std::ostringstream s;
        s << what << ": got " << actual << ", expected " << expected;
        failures.push_back(s.str());
    }
    std::vector<std::string> failures;
};

struct Case {
    std::string name;
    void (*run)(World&, Checker&);
};

inline std::vector<Case>& Cases() {
    static std::vector<Case> cases;
    return cases;
}

struct Register {
    Register(const char* name, void (*run)(World&, Checker&)) { Cases().push_back({name, run}); }
};

} // namespace contract

// A case: CONTRACT_CASE(ServicesStartOfARunningServiceIs1056) { ... world ... check ... }
#define CONTRACT_CASE(name)                                                                                  \
    static void name(contract::World& world, contract::Checker& check);                                     \
    static const contract::Register name##Registered(#name, name);                                          \
    static void name([[maybe_unused]] contract::World& world, [[maybe_unused]] contract::Checker& check)
