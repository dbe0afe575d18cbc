#include <algorithm>
#include <set>

#include "sharing_fixture.h"

using namespace plat;
using KillServ::saStart;
using KillServ::saStop;

namespace {

class ServiceOperationsTest : public SharingTest {};

// The steps of a switch run go to its report; those of a query never do.
struct AsASwitch {
    AsASwitch() { KillServ::WorkerMode = 1; }
    ~AsASwitch() { KillServ::WorkerMode = 0; }
};

// The wait follows the service: a query at once, every 100 ms for a second, then slower.
TEST_F(ServiceOperationsTest, AWaitQueriesAtOnceThenOften_AndAFailedQueryIsAPollWithoutProgress) {
    os.services.Add("Spooler").Running().PendingFor(200);
    EXPECT_TRUE(Worker().DoServiceAction("Spooler", saStop));
    EXPECT_EQ(os.kernel.Sleeps(), (std::vector<DWORD>{100, 100}));
    EXPECT_EQ(os.kernel.GetTickCount64(), 200u) << "seen stopped at once";
    os.services.Add("Counted").Running().SettlesAfter(3);
    EXPECT_TRUE(Worker().DoServiceAction("Counted", saStop));
    EXPECT_EQ(os.kernel.Sleeps().size(), 2u + 2u);
    os.services.Add("Flaky").Running().FailsQueries(2);
    EXPECT_TRUE(Worker().DoServiceAction("Flaky", saStop));
    EXPECT_EQ(os.kernel.Sleeps().size(), 4u + 2u);
    EXPECT_TRUE(Errors().empty());
}

TEST_F(ServiceOperationsTest, AStalledServiceIsGivenUpAfter239sButOneThatShowsProgressIsWaitedFor) {
    os.services.Add("Stuck").Running().NeverSettles();
    KillServ::TKT& stuck = Worker();
    const AsASwitch reported;
    EXPECT_FALSE(stuck.DoServiceAction("Stuck", saStop));
    EXPECT_GE(os.kernel.GetTickCount64(), 239000u);
    EXPECT_LT(os.kernel.GetTickCount64(), 240000u);
    const auto sleeps = os.kernel.Sleeps();
    EXPECT_EQ(*std::max_element(sleeps.begin(), sleeps.end()), 1000u) << "at most a second apart";
    EXPECT_EQ(std::count(sleeps.begin(), sleeps.end(), 100u), 10) << "every 100 ms in the first second";
    ASSERT_TRUE(stuck.Report().FirstFailure);
    EXPECT_TRUE(stuck.Report().FirstFailure->TimedOut);
    EXPECT_TRUE(Errors().empty());
    // Its check point advances each second for five minutes: still waited for, and seen at once.
    const uint64_t before = os.kernel.GetTickCount64();
    os.services.Add("Slow").Stopped().PendingFor(300000);
    EXPECT_TRUE(Worker().DoServiceAction("Slow", saStart));
    EXPECT_LT(os.kernel.GetTickCount64() - before, 301000u);
}

// Back where it was: a start that ends STOPPED and a stop that ends RUNNING have failed, and
// are told at once with Windows' exit code.
TEST_F(ServiceOperationsTest, AServiceThatGoesBackHasFailedAtOnceWithItsExitCode) {
    os.services.Add("Crash").Stopped().PendingFor(500).FailsWhileStarting(ERROR_SERVICE_SPECIFIC_ERROR, 42);
    KillServ::TKT& start = Worker();
    const AsASwitch reported;
    EXPECT_FALSE(start.DoServiceAction("Crash", saStart));
    EXPECT_LE(os.kernel.GetTickCount64(), 600u);
    ASSERT_TRUE(start.Report().FirstFailure);
    const auto& f = *start.Report().FirstFailure;
    EXPECT_TRUE(f.WentBack && !f.TimedOut);
    EXPECT_EQ(f.Error, ERROR_SERVICE_SPECIFIC_ERROR);
    EXPECT_EQ(f.ServiceCode, 42u);
    os.services.Add("Stubborn").Running().PendingFor(300).StopFails();
    KillServ::TKT& stop = start;
    EXPECT_FALSE(stop.DoServiceAction("Stubborn", saStop));
    ASSERT_EQ(stop.Report().Steps.size(), 2u);
    EXPECT_TRUE(stop.Report().Steps[1].WentBack);
    EXPECT_EQ(stop.Report().Steps[1].Error, 0u);
    EXPECT_LE(os.kernel.GetTickCount64(), 600u + 400u);
}

TEST_F(ServiceOperationsTest, StartPassesTheServiceNameAsItsOnlyArgumentWithTheGivenRightsAndClosesInOrder) {
    os.services.Add("Browser");
    Worker().DoServiceAction("BROWSER", saStart);
    EXPECT_EQ(os.services.StateOf("Browser"), SERVICE_RUNNING);
    for (const auto& call : os.services.Calls()) {
        if (call.op == "OpenSCManager") {
            EXPECT_EQ(call.value, 0xA0000000u);
        }
        if (call.op == "OpenService") {
            EXPECT_EQ(call.value, 0xA0000100u);
        }
        if (call.op == "StartService") {
            EXPECT_EQ(call.value, 1u);
            EXPECT_EQ(call.detail, "BROWSER");
        }
    }
    EXPECT_EQ(os.services.CallsTo("StartService").size(), 1u);
    EXPECT_EQ(os.services.CallsTo("CloseServiceHandle"), (std::vector<std::string>{"Browser", ""}))
        << "the service closed before the manager";
}

TEST_F(ServiceOperationsTest, StoppedAndRunningAreTheOnlyStatesThatCount) {
    os.services.Add("Paused").Paused();
    os.services.Add("Starting").State(SERVICE_START_PENDING);
    for (const char* name : {"Paused", "Starting"}) {
        EXPECT_FALSE(Worker().ServiceRunning(name));
        EXPECT_FALSE(Worker().ServiceStopped(name));
        Worker().StopIfRunning(name);
        Worker().StartIfStopped(name);
    }
    EXPECT_TRUE(os.services.CallsTo("ControlService").empty());
    EXPECT_TRUE(os.services.CallsTo("StartService").empty());
}

TEST_F(ServiceOperationsTest, UnknownServiceIsNeitherStoppedNorStartedNorRunningAfterACompleteEnumeration) {
    os.services.Add("Alpha").Running();
    os.services.Add("Beta");
    EXPECT_FALSE(Worker().ServiceStopped("NoSuchService"));
    Worker().StartIfStopped("NoSuchService");
    EXPECT_TRUE(os.services.CallsTo("StartService").empty());
    EXPECT_FALSE(Worker().ServiceRunning("NoSuchService"));
    EXPECT_EQ(KillServ::ServiceNameList, (std::vector<std::string>{"Alpha", "Beta"}));
    EXPECT_EQ(KillServ::ServiceStateList, (std::vector<std::string>{"Started", "Stopped"}));
    EXPECT_TRUE(Errors().empty());
}

TEST_F(ServiceOperationsTest, ServiceThatCannotBeOpenedIsAnsweredFromTheEnumeration) {
    os.services.Add("Guarded").Running().CannotBeOpened(ERROR_ACCESS_DENIED);
    os.services.Add("GuardedOff").CannotBeOpened(ERROR_ACCESS_DENIED);
    EXPECT_TRUE(Worker().ServiceRunning("guarded"));
    EXPECT_FALSE(Worker().ServiceRunning("GuardedOff"));
    EXPECT_EQ(KillServ::ServiceNameList.size(), 4u); // two enumerations, one after the other
    EXPECT_TRUE(Errors().empty());
}

TEST_F(ServiceOperationsTest, EnumerationBeyond1024BytesResizesToBytesNeededAndAppendsEachServiceOnce) {
    for (int i = 0; i < 60; ++i)
        os.services.Add("Service" + std::to_string(100 + i)).Running();
    os.services.Add("Target").Running().CannotBeOpened(ERROR_ACCESS_DENIED);
    EXPECT_TRUE(Worker().ServiceRunning("Target"));
    const auto& names = KillServ::ServiceNameList;
    EXPECT_EQ(names.size(), 61u);
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), 61u);
    EXPECT_EQ(KillServ::ServiceStateList.size(), 61u);

    std::vector<DWORD> sizes;
    for (const auto& call : os.services.Calls())
        if (call.op == "EnumServicesStatus") sizes.push_back(call.value);
    ASSERT_EQ(sizes.size(), 2u);
    EXPECT_EQ(sizes[0], 1024u);
    const DWORD entry = sizeof(ENUM_SERVICE_STATUS) + 2 * 11; // "Service1nn" twice
    const DWORD first = 1024 / entry;
    EXPECT_EQ(sizes[1], (60 - first) * entry + sizeof(ENUM_SERVICE_STATUS) + 2 * 7);
}

TEST_F(ServiceOperationsTest, EntriesWithoutANameKeepTheTwoListsParallel) {
    os.services.Add("Anon").Running().EnumeratedWithoutName();
    os.services.Add("Zed").Paused().CannotBeOpened(ERROR_ACCESS_DENIED);
    EXPECT_FALSE(Worker().ServiceRunning("Zed"));
    EXPECT_EQ(KillServ::ServiceNameList, (std::vector<std::string>{"", "Zed"}));
    EXPECT_EQ(KillServ::ServiceStateList, (std::vector<std::string>{"Started", "Paused"}));
}

TEST_F(ServiceOperationsTest, EmptyNameIsNeverSentToTheServiceManager) {
    os.services.Add("Anon").Running().EnumeratedWithoutName();
    EXPECT_FALSE(Worker().ServiceRunning(""));
    EXPECT_FALSE(Worker().ServiceStopped(""));
    Worker().StopIfRunning("");
    Worker().StartIfStopped("");
    EXPECT_TRUE(os.services.Calls().empty());
}

// The bisection over the list as enumerated: found whatever the case, first equal entry decides.
TEST_F(ServiceOperationsTest, FailuresOfTheServiceManagerNeverReachTheCaller) {
    os.services.FailOpenManager(ERROR_ACCESS_DENIED);
    EXPECT_FALSE(Worker().ServiceRunning("lanmanserver"));
    EXPECT_FALSE(Worker().ServiceStopped("lanmanserver"));
    EXPECT_EQ(Errors(), Error("Acces Denied")); // from the fallback enumeration only
}

struct CodeText {
    DWORD code;
    const char* text;
};

class RequestRefusedTest : public SharingTest, public ::testing::WithParamInterface<CodeText> {};

TEST_P(RequestRefusedTest, RefusedRequestReportsTableCTextAndDoesNotWait) {
    os.services.Add("Svc").Running().RefusesControl(GetParam().code);
    Worker().StopService("Svc");
    EXPECT_EQ(Errors(), Error(GetParam().text));
    EXPECT_TRUE(os.kernel.Sleeps().empty());
}

INSTANTIATE_TEST_SUITE_P(
    TableC, RequestRefusedTest,
    ::testing::Values(
        CodeText{3, "The service binary file could not be found"},
        CodeText{5, "The specified handle was not opened with the necessary access"},
        CodeText{6, "The specified handle is invalid"},
        CodeText{1051, "The service cannot be stopped because other running services are dependent on it"},
        CodeText{1052, "The requested control code is not valid, or it is unacceptable to the service"},
        CodeText{1053, "The service did not respond to the start request in a timely fashion"},
        CodeText{1054, "A thread could not be created for the Win32 service"},
        CodeText{1055, "The database is locked"},
        CodeText{1056, "An instance of the service is already running"},
        CodeText{1058, "The service has been disabled"},
        CodeText{1061,
                 "The requested control code cannot be sent to the service because the state of the service "
                 "is SERVICE_STOPPED, SERVICE_START_PENDING, or SERVICE_STOP_PENDING"},
        CodeText{1062, "The service has not been started"},
        CodeText{1068, "The service depends on another service that has failed to start"},
        CodeText{1069, "The service could not be logged on"},
        CodeText{1072, "The service has been marked for deletion"},
        CodeText{1075,
                 "The service depends on a service that does not exist or has been marked for deletion"},
        CodeText{1057, "Unknown Error"}));

TEST_F(ServiceOperationsTest, RefusedStartUsesTheSameTable) {
    os.services.Add("Off").RefusesStart(ERROR_SERVICE_DISABLED);
    Worker().StartIfStopped("Off");
    EXPECT_EQ(Errors(), Error("The service has been disabled"));
}

TEST_F(ServiceOperationsTest, ManagerThatCannotBeOpenedReportsTableA) {
    const std::pair<DWORD, const char*> table[] = {{5, "Acces Denied"},
                                                   {87, "Invalid Parameter"},
                                                   {1065, "Database doesn't exists"},
                                                   {1115, "Unknown Error"}};
    for (const auto& [code, text] : table) {
        KillServ::ErrorList.clear();
        os.services.FailOpenManager(code);
        Worker().DoServiceAction("lanmanserver", saStop);
        Worker().ListServices();
        std::vector<std::string> twice = Error(text);
        const std::vector<std::string> once = twice;
        twice.insert(twice.end(), once.begin(), once.end());
        EXPECT_EQ(Errors(), twice) << code;
    }
    os.services.FailOpenManager(0);
}

TEST_F(ServiceOperationsTest, ServiceThatCannotBeOpenedReportsTableB) {
    const std::pair<DWORD, const char*> table[] = {
        {5, "The specified service control manager database handle does not have access to the service"},
        {6, "The specified handle is invalid"},
        {123, "The specified service name is invalid"},
        {1060, "The specified service does not exist"},
        {2, "Unknown Error"}};
    for (const auto& [code, text] : table) {
        KillServ::ErrorList.clear();
        os.services.Add("Svc").Running().CannotBeOpened(code);
        Worker().DoServiceAction("Svc", saStop);
        EXPECT_EQ(Errors(), Error(text)) << code;
    }
    KillServ::ErrorList.clear();
    Worker().DoServiceAction("Missing", saStart);
    EXPECT_EQ(Errors(), Error("The specified service does not exist"));
}

TEST_F(ServiceOperationsTest, FailedEnumerationReportsTableDAndKeepsWhatItHas) {
    const std::pair<DWORD, const char*> table[] = {
        {5, "The specified handle was not opened with SC_MANAGER_ENUMERATE_SERVICE access"},
        {6, "The specified handle is invalid"},
        {87, "A parameter that was specified is invalid"},
        {1, "Unknown Error"}};
    for (const auto& [code, text] : table) {
        KillServ::ErrorList.clear();
        os.services.FailEnumeration(code);
        Worker().ListServices();
        EXPECT_EQ(Errors(), Error(text)) << code;
    }
    os.services.FailEnumeration(0);
    EXPECT_TRUE(KillServ::ServiceNameList.empty());
}

} // namespace

// Windows promises no enumeration order, and '_' sorts before letters in upper case and after
// them in lower case: a service that cannot be opened is found in the list whatever the order,
// and the newest enumeration answers.
class EnumerationOrderTest : public ::testing::TestWithParam<sim::SimServices::EnumOrder> {};

TEST_P(EnumerationOrderTest, AServiceThatCannotBeOpenedIsFoundInAnyOrderWithItsNewestState) {
    sim::Machine machine = sim::Machine::StandardUser();
    machine.serviceEnumerationOrder = GetParam();
    sim::SimPlatform os{machine};
    KillServ::ServiceNameList.clear();
    KillServ::ServiceStateList.clear();
    const std::vector<std::string> names = {"a_b", "aB", "A_C", "a", "lanmanserver", "Browser", "A_", "ab_"};
    for (const auto& n : names)
        os.services.Add(n).Running().CannotBeOpened(ERROR_ACCESS_DENIED).DependsOn({"lanmanserver"});
    os.services.SetState("aB", SERVICE_STOPPED);
    {
        int32_t unused = 0;
        KillServ::TKT worker(KillServ::TKT::InPlace{}, 0, &unused);
        for (const auto& n : names)
            EXPECT_EQ(worker.ServiceRunning(n), n != "aB") << n;
        EXPECT_TRUE(worker.ServiceRunning("A_B")) << "names compare without case";
        os.services.SetState("A_C", SERVICE_STOPPED);
        os.services.SetState("aB", SERVICE_RUNNING);
        EXPECT_FALSE(worker.ServiceRunning("A_C")) << "the newest enumeration answers";
        EXPECT_TRUE(worker.ServiceRunning("aB")) << "the newest enumeration answers";
        EXPECT_FALSE(worker.ServiceRunning("a_c_")) << "an absent name";
    }
    KillServ::ServiceNameList.clear();
    KillServ::ServiceStateList.clear();
    KillServ::ErrorList.clear();
    EXPECT_EQ(os.services.OpenHandleCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Orders, EnumerationOrderTest,
                         ::testing::Values(sim::SimServices::EnumOrder::UpperCase,
                                           sim::SimServices::EnumOrder::LowerCase,
                                           sim::SimServices::EnumOrder::Reverse));
