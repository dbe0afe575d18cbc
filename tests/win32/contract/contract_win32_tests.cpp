// Every contract case under Wine, against real services of tools/testservice that this
// program installs in the throwaway prefix.
// Usage: tarnwick-win32-contract-tests.exe TESTSERVICE_EXE LOG [OUTPUT]
// Run in a Wine desktop (the shell's cases need one), where stdout reaches nobody: the
// results then go to OUTPUT.
#include <cstdio>
#include <string>

#include "contract/contract.h"
#include "platform/win32/win32_platform.h"
#include "wine_native.h"

namespace {

class WineWorld : public contract::World {
  public:
    WineWorld(std::string serviceExe, std::string log) : exe_(std::move(serviceExe)), log_(std::move(log)) {}
    plat::Platform& Os() override { return os_.table; }
    const char* Backend() const override { return "wine"; }

    bool AddService(const std::string& name, Kind kind, const std::vector<std::string>& dependsOn) override {
        const char* option = kind == Kind::RefusesStop        ? " refuse-stop"
                             : kind == Kind::Slow               ? " slow"
                             : kind == Kind::FailsWhileStarting ? " fail-start"
                                                                : "";
        const std::string command = "\"" + exe_ + "\" service \"" + name + "\" \"" + log_ + "\"" + option;
        return wine_native::InstallService(name, command, dependsOn);
    }
    void Pass(uint32_t milliseconds) override { wine_native::SleepMs(milliseconds); }
    void OnAnotherThread(const std::function<void()>& body) override { wine_native::RunOnThread(body); }

  private:
    win32::Win32Platform os_;
    std::string exe_, log_;
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::printf("usage: tarnwick-win32-contract-tests TESTSERVICE_EXE LOG\ncontract: 0 passed, 1 failed\n");
        return 2;
    }
    std::FILE* out = argc > 3 ? std::fopen(argv[3], "w") : stdout;
    if (!out) out = stdout;
    int passed = 0, failed = 0;
    for (const auto& c : contract::Cases()) {
        contract::Checker check;
        {
            WineWorld world(argv[1], argv[2]);
            c.run(world, check);
        }
        (check.failures.empty() ? passed : failed)++;
        std::fprintf(out, "[%s] %s\n", check.failures.empty() ? "  OK  " : "FAILED", c.name.c_str());
        for (const auto& f : check.failures)
            std::fprintf(out, "    failed: %s\n", f.c_str());
        std::fflush(out);
    }
    std::fprintf(out, "contract: %d passed, %d failed\n", passed, failed);
    if (out != stdout) std::fclose(out);
    return failed == 0 ? 0 : 1;
}
