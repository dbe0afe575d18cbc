#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/sim/sim_platform.h"

using namespace plat;

namespace {

class SimServicesTest : public ::testing::Test {
  protected:
    sim::SimPlatform os{sim::Machine::Elevated()}; // the rights the switch has
    SC_HANDLE manager = 0;

    void SetUp() override { manager = os.services.OpenSCManager(nullptr, nullptr, 0xA0000000); }
    void TearDown() override {
        if (manager) os.services.CloseServiceHandle(manager);
        EXPECT_EQ(os.services.OpenHandleCount(), 0);
    }
    SC_HANDLE Open(const char* name) { return os.services.OpenService(manager, name, 0xA0000100); }
    DWORD Query(SC_HANDLE h) {
        SERVICE_STATUS st{};
        return os.services.QueryServiceStatus(h, &st) ? st.dwCurrentState : 0;
    }
};

struct Batch {
    BOOL ok;
    DWORD error, returned, needed, resume;
    std::vector<std::string> names;
};

Batch Enumerate(sim::SimPlatform& os, SC_HANDLE manager, std::vector<uint64_t>& buffer, DWORD size,
                DWORD resume) {
    Batch b{};
    b.resume = resume;
    b.ok = os.services.EnumServicesStatus(manager, SERVICE_TYPE_ALL, SERVICE_STATE_ALL, buffer.data(), size,
                                          &b.needed, &b.returned, &b.resume);
    b.error = b.ok ? 0 : os.kernel.GetLastError();
    const auto* records = reinterpret_cast<const ENUM_SERVICE_STATUS*>(buffer.data());
    for (DWORD i = 0; i < b.returned; ++i)
        b.names.push_back(records[i].lpServiceName ? records[i].lpServiceName : "<null>");
    return b;
}

TEST_F(SimServicesTest, EnumerationInBatchesDeliversEveryServiceOnceInNameOrder) {
    for (const char* n : {"delta", "Alpha", "chuck", "Bravo", "eagle"})
        os.services.Add(n);
    const DWORD entry = sizeof(ENUM_SERVICE_STATUS) + 2 * 6; // names of five letters, twice
    std::vector<uint64_t> buffer(1024);

    Batch first = Enumerate(os, manager, buffer, 2 * entry + 3, 0);
    EXPECT_FALSE(first.ok);
    EXPECT_EQ(first.error, ERROR_MORE_DATA);
    EXPECT_EQ(first.names, (std::vector<std::string>{"Alpha", "Bravo"}));
    EXPECT_EQ(first.needed, 3 * entry);

    Batch rest = Enumerate(os, manager, buffer, first.needed, first.resume);
    EXPECT_TRUE(rest.ok);
    EXPECT_EQ(rest.names, (std::vector<std::string>{"chuck", "delta", "eagle"}));
    EXPECT_EQ(rest.resume, 0u);
}

TEST_F(SimServicesTest, EnumerationPlacesRecordsFirstAndStringsAtTheEndOfTheBuffer) {
    os.services.Add("one");
    os.services.Add("two").DisplayName("Second one");
    std::vector<uint64_t> buffer(64);
    const DWORD size = static_cast<DWORD>(buffer.size() * 8);
    Batch b = Enumerate(os, manager, buffer, size, 0);
    ASSERT_TRUE(b.ok);
    const auto* base = reinterpret_cast<const char*>(buffer.data());
    const auto* records = reinterpret_cast<const ENUM_SERVICE_STATUS*>(buffer.data());
    const char* lowest = base + size;
    for (int i = 0; i < 2; ++i) {
        EXPECT_GE(records[i].lpServiceName, base + 2 * sizeof(ENUM_SERVICE_STATUS));
        lowest = std::min<const char*>({lowest, records[i].lpServiceName, records[i].lpDisplayName});
    }
    EXPECT_STREQ(records[1].lpDisplayName, "Second one");
    EXPECT_EQ(lowest, base + size - (4 + 4 + 4 + 11)); // one, one, two, "Second one"
}

TEST_F(SimServicesTest, EntryEnumeratedWithoutNameHasANullNamePointer) {
    os.services.Add("hidden").EnumeratedWithoutName();
    std::vector<uint64_t> buffer(64);
    Batch b = Enumerate(os, manager, buffer, 512, 0);
    EXPECT_EQ(b.names, (std::vector<std::string>{"<null>"}));
}

TEST_F(SimServicesTest, PendingCountsQueriesOrTakesVirtualTimeAndEndsAsScripted) {
    os.services.Add("counted").Running().SettlesAfter(3);
    os.services.Add("timed").PendingFor(2500, 4000).FailsWhileStarting(ERROR_SERVICE_SPECIFIC_ERROR, 7);
    os.services.Add("relapses").Running().PendingFor(1000).StopFails();
    os.services.Add("dies").ProcessEndsAtOnce();
    SC_HANDLE counted = Open("counted"), timed = Open("timed"), relapses = Open("relapses"),
              dies = Open("dies");
    SERVICE_STATUS st{};
    ASSERT_TRUE(os.services.ControlService(counted, SERVICE_CONTROL_STOP, &st));
    EXPECT_EQ(st.dwCurrentState, SERVICE_STOP_PENDING);
    EXPECT_EQ(Query(counted), SERVICE_STOP_PENDING);
    EXPECT_EQ(Query(counted), SERVICE_STOP_PENDING);
    EXPECT_EQ(Query(counted), SERVICE_STOPPED) << "the third query, whatever the time";

    ASSERT_TRUE(os.services.StartService(timed, 0, nullptr));
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(Query(timed), SERVICE_START_PENDING) << "queries alone do not end it";
    os.kernel.Sleep(1200);
    ASSERT_TRUE(os.services.QueryServiceStatus(timed, &st));
    EXPECT_EQ(st.dwCurrentState, SERVICE_START_PENDING);
    EXPECT_EQ(st.dwCheckPoint, 1u);
    EXPECT_EQ(st.dwWaitHint, 4000u);
    os.kernel.Sleep(1300);
    ASSERT_TRUE(os.services.QueryServiceStatus(timed, &st));
    EXPECT_EQ(st.dwCurrentState, SERVICE_STOPPED);
    EXPECT_EQ(st.dwWin32ExitCode, ERROR_SERVICE_SPECIFIC_ERROR);
    EXPECT_EQ(st.dwServiceSpecificExitCode, 7u);
    EXPECT_EQ(st.dwCheckPoint, 0u);
    EXPECT_EQ(st.dwWaitHint, 0u);

    ASSERT_TRUE(os.services.ControlService(relapses, SERVICE_CONTROL_STOP, &st));
    os.kernel.Sleep(1000);
    EXPECT_EQ(Query(relapses), SERVICE_RUNNING) << "a stop that fails";

    EXPECT_FALSE(os.services.StartService(dies, 0, nullptr));
    EXPECT_EQ(os.kernel.GetLastError(), ERROR_SERVICE_REQUEST_TIMEOUT);
    EXPECT_EQ(Query(dies), SERVICE_STOPPED);
    for (SC_HANDLE h : {counted, timed, relapses, dies})
        os.services.CloseServiceHandle(h);
}

TEST_F(SimServicesTest, AStopIsRefusedWhileADependentIsActive) {
    os.services.Add("base").Running();
    os.services.Add("user").Running().DependsOn({"base"});
    SC_HANDLE base = Open("base");
    SERVICE_STATUS st{};
    // Wine stops it anyway, so this is the simulation's alone (the contract has 1062 and 1056).
    EXPECT_FALSE(os.services.ControlService(base, SERVICE_CONTROL_STOP, &st));
    EXPECT_EQ(os.kernel.GetLastError(), ERROR_DEPENDENT_SERVICES_RUNNING);
    os.services.SetState("user", SERVICE_PAUSED);
    EXPECT_FALSE(os.services.ControlService(base, SERVICE_CONTROL_STOP, &st));
    EXPECT_EQ(os.kernel.GetLastError(), ERROR_DEPENDENT_SERVICES_RUNNING) << "a paused dependent counts";
    os.services.CloseServiceHandle(base);
}

TEST_F(SimServicesTest, StartBringsUpStoppedDependenciesFirst) {
    os.services.Add("base");
    os.services.Add("user").DependsOn({"base", "+Group"});
    SC_HANDLE h = Open("user");
    const char* args[] = {"user"};
    ASSERT_TRUE(os.services.StartService(h, 1, args));
    EXPECT_EQ(Query(h), SERVICE_RUNNING);
    os.services.CloseServiceHandle(h);
    EXPECT_EQ(os.services.Actions(), (std::vector<std::string>{"start base", "start user"}));
    EXPECT_EQ(os.services.StateOf("base"), SERVICE_RUNNING);
}

TEST_F(SimServicesTest, OpenFailuresLeaveTheirCodeAndNoHandle) {
    os.services.Add("locked").CannotBeOpened(ERROR_ACCESS_DENIED);
    EXPECT_EQ(Open("locked"), 0u);
    EXPECT_EQ(os.kernel.GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(Open(""), 0u);
    EXPECT_EQ(os.kernel.GetLastError(), ERROR_INVALID_NAME);
    EXPECT_EQ(os.services.ServiceHandleCount(), 0);
}

TEST(SimKernelTest, SleepMovesTheVirtualClockOnly) {
    sim::SimPlatform os{sim::Machine::Elevated()}; // the rights the switch has
    os.kernel.Sleep(239000);
    EXPECT_EQ(os.kernel.GetTickCount64(), 239000u);
    EXPECT_EQ(os.kernel.Sleeps().size(), 1u);
}

TEST(SimKernelTest, RelativePathsResolveAgainstTheCurrentDirectory) {
    sim::SimPlatform os{sim::Machine::Elevated()}; // the rights the switch has
    ASSERT_TRUE(os.kernel.SetCurrentDirectory("D:\\Apps/Tarnwick\\"));
    EXPECT_EQ(os.kernel.GetCurrentDirectory(), "D:\\Apps\\Tarnwick");
    EXPECT_EQ(os.kernel.FullPath("./srvStat.txt"), "D:\\Apps\\Tarnwick\\srvStat.txt");
    EXPECT_EQ(os.kernel.FullPath("..\\x\\.\\y.ini"), "D:\\Apps\\x\\y.ini");
    os.kernel.AddMissingFolder("E:\\gone");
    EXPECT_FALSE(os.kernel.SetCurrentDirectory("E:\\gone"));
    EXPECT_EQ(os.kernel.GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST(SimThreadsTest, PendingThreadsRunInStartOrderWithTheirCompletionAfterEachBody) {
    sim::SimPlatform os{sim::Machine::Elevated()}; // the rights the switch has
    std::vector<std::string> seen;
    os.threads.StartThread([&] { seen.push_back("body 1"); },
                           [&] {
                               seen.push_back("done 1");
                               os.threads.StartThread([&] { seen.push_back("body 3"); },
                                                      [&] { seen.push_back("done 3"); });
                           });
    os.threads.StartThread([&] { throw std::runtime_error("x"); }, [&] { seen.push_back("done 2"); });
    EXPECT_EQ(os.threads.RunPending(), 3);
    EXPECT_EQ(seen, (std::vector<std::string>{"body 1", "done 1", "done 2", "body 3", "done 3"}));
}

} // namespace
