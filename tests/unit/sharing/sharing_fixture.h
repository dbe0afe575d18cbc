#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/sim_platform.h"
#include "sharing/killserv.h"
#include "texts/texts.h"

// A simulated machine for the sharing worker. Every test ends with all service-manager and
// registry handles closed.
class SharingTest : public ::testing::Test {
  protected:
    // The worker runs in the elevated copy (or an elevated tray).
    sim::SimPlatform os{sim::Machine::Elevated()};
    int32_t result = -1;
    KillServ::TSwitchReport report; // the latest run's, as its completion handed it over

    void SetUp() override {
        KillServ::ServiceNameList.clear();
        KillServ::ServiceStateList.clear();
        KillServ::ErrorList.clear();
        KillServ::DependentList.clear();
        Texts::SetLanguage(Texts::EnglishTag); // an elevated copy's run sets it
    }
    void TearDown() override {
        os.threads.RunPending();
        EXPECT_EQ(os.services.OpenHandleCount(), 0) << "service handles left open";
        EXPECT_EQ(os.registry.OpenHandleCount(), 0) << "registry keys left open";
    }

    // A worker whose operations the test calls directly; it runs (a query) at tear-down.
    KillServ::TKT& Worker() {
        if (!worker_) worker_ = new KillServ::TKT(0, &spare_);
        return *worker_;
    }

    // Runs one worker to its end, as the message loop would; true when OnFinished ran.
    bool Run(int32_t mode) {
        int finished = 0;
        new KillServ::TKT(mode, &result, [&](plat::TThread* worker) {
            ++finished;
            report = static_cast<KillServ::TKT*>(worker)->Report();
        });
        os.threads.RunPending();
        return finished == 1;
    }

    void SetSecondService(const std::string& name) {
        os.files.Put("./code.ini", "[Info]\r\nSecondService=" + name + "\r\n");
    }
    std::string StatusFile() { return os.files.Get("./srvStat.txt").value_or("<none>"); }
    std::vector<std::string> Errors() const { return KillServ::ErrorList; }
    static std::vector<std::string> Error(const std::string& text) {
        return {"\r\n\r\nError trying to peform the specified action.", "Error Message: " + text + "."};
    }

  private:
    KillServ::TKT* worker_ = nullptr;
    int32_t spare_ = 0;
};
