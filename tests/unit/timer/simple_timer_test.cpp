#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "framework/forms.h"
#include "platform/sim/sim_platform.h"
#include "timer/simple_timer.h"

namespace {

using SimpleTimer::SharedTimerHandler;
using SimpleTimer::TSimpleTimer;

class SimpleTimerTest : public ::testing::Test {
  protected:
    ~SimpleTimerTest() override { SimpleTimer::UnitFinalization(); }

    // A timer that records the virtual time of each expiry.
    std::unique_ptr<TSimpleTimer> Recording(uint32_t period, std::vector<uint64_t>& log) {
        return std::make_unique<TSimpleTimer>(
            period, [this, &log](fw::TObject*) { log.push_back(os.kernel.GetTickCount64()); });
    }
    plat::HWND Window() const { return SharedTimerHandler ? SharedTimerHandler->Window() : 0; }

    sim::SimPlatform os;
    fw::TApplication app;
    std::vector<uint64_t> fired;
};

TEST_F(SimpleTimerTest, PlainTimerFiresEverySecondOnceActiveAndStopsWhenInactive) {
    TSimpleTimer timer;
    std::vector<fw::TObject*> senders;
    timer.SetOnElapsed([&](fw::TObject* s) {
        senders.push_back(s);
        fired.push_back(os.kernel.GetTickCount64());
    });
    os.user.RunFor(5000);
    EXPECT_TRUE(fired.empty());
    timer.SetActive(true);
    os.user.RunFor(3000);
    timer.SetActive(false);
    os.user.RunFor(3000);
    EXPECT_EQ(fired, (std::vector<uint64_t>{6000, 7000, 8000}));
    EXPECT_EQ(senders, (std::vector<fw::TObject*>(3, &timer)));
    EXPECT_FALSE(timer.Active());
}

TEST_F(SimpleTimerTest, ZeroPeriodNeverStartsAndLeavesActiveAsItWas) {
    auto timer = Recording(0, fired);
    timer->SetActive(true);
    EXPECT_FALSE(timer->Active());
    EXPECT_FALSE(timer->StartTicking());
    // Suspended: running, then period 0; Active := true keeps it suspended.
    timer->SetPeriod(100);
    timer->SetActive(true);
    timer->SetPeriod(0);
    timer->SetActive(true);
    EXPECT_TRUE(timer->Active());
    os.user.RunFor(1000);
    EXPECT_TRUE(fired.empty());
    EXPECT_FALSE(os.user.TimerSet(Window(), timer->TimerId()));
}

TEST_F(SimpleTimerTest, SamePeriodKeepsThePhaseWhileANewOneOrActiveAgainRestartsFromNow) {
    auto timer = Recording(300, fired);
    timer->SetActive(true);
    os.user.RunFor(200);
    timer->SetPeriod(300);
    os.user.RunFor(200); // 400
    timer->SetPeriod(250);
    os.user.RunFor(600); // 1000
    timer->SetActive(true);
    os.user.RunFor(300); // 1300
    EXPECT_EQ(fired, (std::vector<uint64_t>{300, 650, 900, 1250}));
}

TEST_F(SimpleTimerTest, SuspendedByZeroPeriodResumesWithTheNextNonZeroPeriod) {
    auto timer = Recording(100, fired);
    timer->SetActive(true);
    os.user.RunFor(150);
    timer->SetPeriod(0);
    EXPECT_TRUE(timer->Active());
    os.user.RunFor(1000); // 1150
    timer->SetPeriod(250);
    os.user.RunFor(600); // 1750
    EXPECT_EQ(fired, (std::vector<uint64_t>{100, 1400, 1650}));
}

TEST_F(SimpleTimerTest, EmptiedCallbackSuspendsAndOnlyActiveRestarts) {
    auto timer = Recording(100, fired);
    timer->SetActive(true);
    os.user.RunFor(100);
    timer->SetOnElapsed({});
    EXPECT_TRUE(timer->Active());
    os.user.RunFor(300); // 400
    timer->SetOnElapsed([&](fw::TObject*) { fired.push_back(os.kernel.GetTickCount64()); });
    os.user.RunFor(300); // 700
    EXPECT_EQ(fired.size(), 1u);
    timer->SetActive(true);
    os.user.RunFor(200); // 900
    EXPECT_EQ(fired, (std::vector<uint64_t>{100, 800, 900}));
}

TEST_F(SimpleTimerTest, RefusedSetTimerLeavesTheTimerStopped) {
    auto timer = Recording(100, fired);
    timer->SetActive(true);
    os.user.SetTimerFails(true);
    EXPECT_FALSE(timer->StartTicking());
    EXPECT_FALSE(timer->Active());
    os.user.SetTimerFails(false);
    os.user.RunFor(500);
    EXPECT_TRUE(fired.empty());
}

TEST_F(SimpleTimerTest, LateExpiriesMergeIntoOneAndTheTimerKeepsItsGrid) {
    auto timer = Recording(100, fired);
    timer->SetActive(true);
    os.kernel.Sleep(1050); // the thread was busy
    os.user.RunFor(200);   // to 1250
    EXPECT_EQ(fired, (std::vector<uint64_t>{1050, 1100, 1200}));
}

TEST_F(SimpleTimerTest, SharedWindowLivesFromTheFirstTimerToTheLastAndCannotBeClosedFromOutside) {
    EXPECT_EQ(SharedTimerHandler, nullptr);
    auto a = std::make_unique<TSimpleTimer>();
    const plat::HWND first = Window();
    EXPECT_TRUE(os.user.IsWindow(first));
    auto b = std::make_unique<TSimpleTimer>();
    EXPECT_EQ(Window(), first);
    EXPECT_EQ(SharedTimerHandler->UserCount, 2u);
    a.reset();
    EXPECT_TRUE(os.user.IsWindow(first));
    b.reset();
    EXPECT_EQ(SharedTimerHandler, nullptr);
    EXPECT_FALSE(os.user.IsWindow(first));

    auto c = Recording(100, fired);
    c->SetActive(true);
    os.user.PostFromOtherProcess(Window(), plat::WM_CLOSE, 0, 0);
    os.user.RunFor(300);
    EXPECT_TRUE(os.user.IsWindow(Window()));
    EXPECT_EQ(fired, (std::vector<uint64_t>{100, 200, 300}));
}

TEST_F(SimpleTimerTest, ExpiryQueuedForAFreedTimerIsDiscardedAndAFreedActiveTimerKillsItsSystemTimer) {
    auto keeper = std::make_unique<TSimpleTimer>(); // keeps the shared window alive
    auto freed = Recording(100, fired);
    const plat::UINT_PTR staleId = freed->TimerId();
    freed.reset();
    os.user.PostMessage(Window(), plat::WM_TIMER, staleId, 0);
    os.user.RunUntilIdle();
    EXPECT_TRUE(fired.empty());
    auto fresh = Recording(100, fired);
    EXPECT_NE(fresh->TimerId(), staleId);
    os.user.PostMessage(Window(), plat::WM_TIMER, staleId, 0);
    os.user.RunUntilIdle();
    EXPECT_TRUE(fired.empty());
    fresh->SetActive(true);
    const plat::UINT_PTR id = fresh->TimerId();
    ASSERT_TRUE(os.user.TimerSet(Window(), id));
    fresh.reset();
    EXPECT_FALSE(os.user.TimerSet(Window(), id));
    EXPECT_EQ(os.user.TimerCount(), 0u);
}

TEST_F(SimpleTimerTest, TimerFreedByAnotherTimersCallbackAtTheSameInstantNeverFires) {
    std::unique_ptr<TSimpleTimer> victim = Recording(100, fired);
    TSimpleTimer killer(100, [&](fw::TObject*) { victim.reset(); });
    killer.SetActive(true);
    victim->SetActive(true);
    os.user.RunFor(300);
    EXPECT_TRUE(fired.empty());
}

} // namespace
