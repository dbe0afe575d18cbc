#include "sharing_fixture.h"

#include "sharing/killserv_report.h"
#include "sharing/policy.h"

using namespace plat;
using List = std::vector<std::string>;

namespace {

// A machine with lanmanserver, a second sharing service and dependents of both.
class WorkerTest : public SharingTest {
  protected:
    void SetUp() override {
        SharingTest::SetUp();
        os.services.Add("LanmanServer").Running();
        os.services.Add("Second").Running();
        os.services.Add("Browser").Running().DependsOn({"LanmanServer"});
        os.services.Add("Netlogon").Running().DependsOn({"LanmanServer"});
        os.services.Add("Fax").Running().DependsOn({"Second"});
        os.services.Add("Both").Running().DependsOn({"Second", "lanmanserver"});
        os.services.Add("Unrelated").Running();
        SetSecondService("Second");
    }
    void Stop(const std::vector<std::string>& names) {
        for (const auto& n : names)
            os.services.SetState(n, SERVICE_STOPPED);
    }
    bool Asked(const std::string& name) {
        for (const auto& n : os.services.CallsTo("OpenService"))
            if (KillServ::SameText(n, name)) return true;
        return false;
    }
};

TEST_F(WorkerTest, QueryWhileTheSecondServiceRunsIsOneWithoutAskingLanmanserver) {
    Stop({"LanmanServer"});
    ASSERT_TRUE(Run(0));
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(Asked("Second"));
    EXPECT_FALSE(Asked("lanmanserver"));
}

TEST_F(WorkerTest, QueryAsksLanmanserverWhenTheSecondServiceIsStopped) {
    Stop({"Second"});
    ASSERT_TRUE(Run(0));
    EXPECT_EQ(result, 1);
    EXPECT_EQ(os.services.CallsTo("OpenService"), (List{"Second", "lanmanserver"}));
    Stop({"LanmanServer"});
    ASSERT_TRUE(Run(7)); // any mode but 1 is a query
    EXPECT_EQ(result, 0);
}

TEST_F(WorkerTest, QueryWithoutASecondServiceNeverSendsAnEmptyName) {
    os.files.Remove("./code.ini");
    Stop({"LanmanServer"});
    ASSERT_TRUE(Run(0));
    EXPECT_EQ(result, 0);
    EXPECT_EQ(os.services.CallsTo("OpenService"), List{"lanmanserver"});
    SetSecondService("");
    ASSERT_TRUE(Run(0));
    EXPECT_EQ(os.services.CallsTo("OpenService"), (List{"lanmanserver", "lanmanserver"}));
}

TEST_F(WorkerTest, SecondServiceNameIsReadAfreshEachTime) {
    EXPECT_EQ(KillServ::SecondServiceName({}), "Second");
    ASSERT_TRUE(os.files.WritePrivateProfileString("Info", "SecondService", "Fax", "./code.ini"));
    EXPECT_EQ(KillServ::SecondServiceName({}), "Fax");
    // The tray writing it at that moment does not make it a file without a second service.
    os.files.HoldOpenElsewhere("./code.ini", 3);
    EXPECT_EQ(KillServ::SecondServiceName({}), "Fax");
    os.files.Remove("./code.ini");
    EXPECT_EQ(KillServ::SecondServiceName({}), "");
}

TEST_F(WorkerTest, ASecondServiceSetByPolicyComesBeforeTheSettingsWhenItIsAServiceName) {
    os.registry.SetString(HKEY_LOCAL_MACHINE, KillServ::PolicyKey, "SecondService", "Fax");
    EXPECT_EQ(KillServ::SecondServiceName({}), "Fax");
    // Not what the policy writes, or no name a service can have: the settings file decides.
    for (const auto& [type, text] : std::vector<std::pair<DWORD, std::string>>{
             {REG_SZ, ""}, {REG_SZ, std::string(257, 'x')}, {REG_EXPAND_SZ, "Fax"}, {REG_DWORD, "Fax"}}) {
        os.registry.SetString(HKEY_LOCAL_MACHINE, KillServ::PolicyKey, "SecondService", text, type);
        EXPECT_EQ(KillServ::SecondServiceName({}), "Second")
            << "type " << type << ", " << text.size() << " chars";
    }
    os.registry.SetString(HKEY_LOCAL_MACHINE, KillServ::PolicyKey, "SecondService", std::string(256, 'x'));
    EXPECT_EQ(KillServ::SecondServiceName({}), std::string(256, 'x'));
    EXPECT_EQ(os.registry.OpenHandleCount(), 0);
}

TEST_F(WorkerTest, SwitchRunLeavesTheResultAlone) {
    result = 42;
    ASSERT_TRUE(Run(1));
    EXPECT_EQ(result, 42);
}

TEST_F(WorkerTest, SwitchOffStopsDependentsOfTheSecondServiceFirstThenLanmanserversThenTheServices) {
    ASSERT_TRUE(Run(1));
    EXPECT_EQ(StatusFile(), "Both\r\nFax\r\nBrowser\r\nNetlogon\r\n");
    EXPECT_EQ(os.services.Actions(), (List{"stop Both", "stop Fax", "stop Browser", "stop Netlogon",
                                           "stop Second", "stop LanmanServer"}));
    EXPECT_EQ(os.services.StateOf("Unrelated"), SERVICE_RUNNING);
}

TEST_F(WorkerTest, AStopRefusedMidwayStartsAgainWhatItStoppedAndOwesNothing) {
    // Deep refuses its own stop, sent with those of Both, Fax and Netlogon: they are waited
    // for, then started again.
    os.services.Add("Deep").Running().DependsOn({"Browser"}).RefusesControl(ERROR_ACCESS_DENIED);
    ASSERT_TRUE(Run(1));
    EXPECT_EQ(StatusFile(), "Both\r\nFax\r\nBrowser\r\nNetlogon\r\nDeep\r\n");
    EXPECT_EQ(os.services.Actions(),
              (List{"stop Both", "stop Fax", "stop Netlogon", "start Both", "start Fax", "start Netlogon"}));
    for (const char* name : {"LanmanServer", "Second", "Both", "Fax", "Browser", "Netlogon", "Deep"})
        EXPECT_EQ(os.services.StateOf(name), SERVICE_RUNNING) << name;
    EXPECT_EQ(os.files.Get("./srvStat.done").value_or("<none>"), "Both\r\nFax\r\nBrowser\r\nNetlogon\r\nDeep\r\n");
    ASSERT_TRUE(Run(0));
    EXPECT_EQ(result, 1); // the controller learns of the failure from this query
}

// The switch goes as fast as the services: what does not depend on each other stops
// together, and a failure is known as soon as the service shows it.
TEST_F(WorkerTest, IndependentDependentsStopTogetherAndAChainOneAfterTheOther) {
    for (const char* name : {"LanmanServer", "Second", "Browser", "Netlogon", "Fax", "Both"})
        os.services.Add(name).PendingFor(1000);
    os.services.Add("Deep").Running().DependsOn({"Browser"}).PendingFor(1000);
    ASSERT_TRUE(Run(1));
    // Layers: Both, Fax, Netlogon and Deep; then Browser; then Second and LanmanServer.
    EXPECT_EQ(os.services.CallsTo("ControlService"),
              (List{"Both", "Fax", "Netlogon", "Deep", "Browser", "Second", "LanmanServer"}));
    EXPECT_EQ(os.kernel.GetTickCount64(), 3000u) << "three layers of a second each";
    EXPECT_EQ(os.services.StateOf("LanmanServer"), SERVICE_STOPPED);
    const uint64_t off = os.kernel.GetTickCount64();
    ASSERT_TRUE(Run(1));
    EXPECT_EQ(os.services.CallsTo("StartService"),
              (List{"Second", "LanmanServer", "Browser", "Both", "Fax", "Netlogon", "Deep"}));
    EXPECT_EQ(os.kernel.GetTickCount64() - off, 3000u);
    for (const char* name : {"LanmanServer", "Second", "Both", "Fax", "Browser", "Netlogon", "Deep"})
        EXPECT_EQ(os.services.StateOf(name), SERVICE_RUNNING) << name;
}

TEST_F(WorkerTest, AStartThatCrashesInTheUndoOfARefusedStopIsToldWithinSecondsAndStaysOwed) {
    os.services.Add("Fax").PendingFor(500).FailsWhileStarting(ERROR_SERVICE_SPECIFIC_ERROR, 7);
    os.services.Add("Netlogon").RefusesControl(ERROR_ACCESS_DENIED);
    os.services.Add("Deep").Running().DependsOn({"Browser"});
    ASSERT_TRUE(Run(1));
    EXPECT_LT(os.kernel.GetTickCount64(), 3000u);
    // Both and Fax were under way when Netlogon refused; Deep, after it, was never asked.
    EXPECT_EQ(os.services.CallsTo("ControlService"), (List{"Both", "Fax", "Netlogon"}));
    ASSERT_TRUE(report.FirstFailure);
    EXPECT_EQ(report.FirstFailure->Service, "Netlogon") << "the first failure in breadth-first order";
    bool crashTold = false;
    for (const auto& step : report.Steps)
        crashTold |= step.Action == "start" && step.Service == "Fax" && step.WentBack &&
                     step.Error == ERROR_SERVICE_SPECIFIC_ERROR && step.ServiceCode == 7;
    EXPECT_TRUE(crashTold);
    EXPECT_EQ(os.services.StateOf("Both"), SERVICE_RUNNING);
    EXPECT_EQ(os.services.StateOf("Fax"), SERVICE_STOPPED);
    // Fax is still owed: the next start brings it back once it can.
    EXPECT_EQ(os.files.Get("./srvStat.done").value_or("<none>"), "Both\r\nBrowser\r\nNetlogon\r\nDeep\r\n");
}

TEST_F(WorkerTest, ADependentThatDoesNotAcceptStopLeavesEveryServiceUntouched) {
    os.services.Add("Deep").Running().DependsOn({"Browser"}).DoesNotAcceptStop();
    os.files.Put("./srvStat.txt", "Old\r\n");
    ASSERT_TRUE(Run(1));
    EXPECT_TRUE(os.services.Actions().empty());
    EXPECT_EQ(StatusFile(), "Old\r\n");
    EXPECT_EQ(os.files.ReplaceCount(), 0);
}

TEST_F(WorkerTest, AServiceThatTakesStopOnlyOnceItsDependentsStoppedIsStoppedAfterThem) {
    os.services.Add("Deep").Running().DependsOn({"Browser"});
    os.services.Add("Browser").AcceptsStopOnlyOnceDependentsStopped();
    ASSERT_TRUE(Run(1));
    EXPECT_EQ(os.services.Actions(), (List{"stop Both", "stop Fax", "stop Netlogon", "stop Deep",
                                           "stop Browser", "stop Second", "stop LanmanServer"}));
}

TEST_F(WorkerTest, AStopRefusedWhoseUndoFailsTooReportsTheRefusalAndStillOwesWhatStaysDown) {
    os.services.Add("Deep").Running().DependsOn({"Browser"}).RefusesControl(ERROR_ACCESS_DENIED);
    os.services.Add("Fax").RefusesStart(ERROR_SERVICE_DISABLED);
    ASSERT_TRUE(Run(1));
    ASSERT_TRUE(report.FirstFailure);
    EXPECT_EQ(report.FirstFailure->Action, "stop");
    EXPECT_EQ(report.FirstFailure->Service, "Deep");
    EXPECT_EQ(report.FirstFailure->Error, ERROR_ACCESS_DENIED);
    EXPECT_EQ(os.services.StateOf("Fax"), SERVICE_STOPPED);
    EXPECT_EQ(os.files.Get("./srvStat.done").value_or("<none>"), "Both\r\nBrowser\r\nNetlogon\r\nDeep\r\n")
        << "Fax stays owed";
}

TEST_F(WorkerTest, PolicyValuesCountOnlyAsTheDwordsGroupPolicyWritesAndZeroDisablesNothing) {
    struct Case {
        DWORD type;
        std::vector<uint8_t> data;
        bool disables;
    };
    for (const auto& [type, data, disables] : std::vector<Case>{{REG_DWORD, {1, 0, 0, 0}, true},
                                                                {REG_DWORD, {0, 0, 0, 0}, false},
                                                                {REG_SZ, {'1', 0, 0, 0}, false},
                                                                {REG_DWORD, {1, 0}, false}}) {
        for (const std::string name : {"DisableAutoStart", "DisablePublicNetworkRule"}) {
            os.registry.SetValue(HKEY_LOCAL_MACHINE, KillServ::PolicyKey, name, type, data);
            const KillServ::TPolicy policy = KillServ::ReadPolicy();
            EXPECT_EQ(name == "DisableAutoStart" ? policy.DisableAutoStart : policy.DisablePublicNetworkRule,
                      disables)
                << name << ", type " << type << ", " << data.size() << " bytes";
            os.registry.DeleteKey(HKEY_LOCAL_MACHINE, KillServ::PolicyKey);
        }
    }
}

TEST_F(WorkerTest, SwitchWhileOnlyLanmanserverRunsLeavesTheSecondServiceAlone) {
    Stop({"Second", "Fax"});
    ASSERT_TRUE(Run(1));
    EXPECT_EQ(StatusFile(), "Both\r\nBrowser\r\nNetlogon\r\n");
    for (const auto& name : os.services.CallsTo("ControlService"))
        EXPECT_NE(name, "Second");
    EXPECT_EQ(os.services.Actions().back(), "stop LanmanServer");
}

TEST_F(WorkerTest, OnlyDependentsThatAreNotStoppedAreRecordedAndAPausedOneComesBackPaused) {
    Stop({"Netlogon"});
    os.services.SetState("Fax", SERVICE_PAUSED);
    os.services.Add("Both").CannotBeOpened(ERROR_ACCESS_DENIED);
    ASSERT_TRUE(Run(1));
    EXPECT_EQ(StatusFile(), "Both\r\nFax\r\nBrowser\r\n");
    EXPECT_EQ(os.files.Get("./srvStat.paused").value_or("<none>"), "Fax\r\n");
    // Windows counts a paused dependent as running, so it is stopped with the others; Both,
    // which cannot be touched, keeps Second from stopping, and all is put back as it was.
    EXPECT_EQ(os.services.Actions(), (List{"stop Fax", "stop Browser", "start Fax", "start Browser", "pause Fax"}));
    EXPECT_EQ(os.services.StateOf("Fax"), SERVICE_PAUSED);

    os.services.Add("Both").CannotBeOpened(0);
    ASSERT_TRUE(Run(1));
    EXPECT_EQ(os.services.StateOf("Fax"), SERVICE_STOPPED);
    os.services.ClearLog();
    ASSERT_TRUE(Run(1));
    EXPECT_EQ(os.services.StateOf("Fax"), SERVICE_PAUSED);
    EXPECT_EQ(os.services.StateOf("Netlogon"), SERVICE_STOPPED);
    EXPECT_EQ(os.services.Actions().back(), "pause Fax");
}

TEST_F(WorkerTest, StopWithoutRunningDependentsRewritesTheFileEmpty) {
    os.files.Put("./srvStat.txt", "Old\r\n");
    Stop({"Browser", "Netlogon", "Fax", "Both"});
    ASSERT_TRUE(Run(1));
    EXPECT_EQ(StatusFile(), "");
    EXPECT_EQ(os.services.Actions(), (List{"stop Second", "stop LanmanServer"}));
}

TEST_F(WorkerTest, StatusFileThatCannotBeWrittenEndsTheRunBeforeAnythingIsStopped) {
    os.files.Put("./srvStat.txt", "Old\r\n");
    os.files.FailReplaces("./srvStat.txt");
    ASSERT_TRUE(Run(1)); // the completion still runs
    EXPECT_TRUE(os.services.Actions().empty());
    EXPECT_EQ(StatusFile(), "Old\r\n");
    EXPECT_TRUE(KillServ::DependentList.empty());
    EXPECT_TRUE(KillServ::ServiceNameList.empty());
}

TEST_F(WorkerTest, UnreadableDependencyValueEndsTheRunBeforeAnythingIsStopped) {
    os.registry.FailValueRead(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\Fax",
                              "DependOnService", static_cast<LONG>(ERROR_ACCESS_DENIED));
    ASSERT_TRUE(Run(1));
    EXPECT_TRUE(os.services.Actions().empty());
    EXPECT_EQ(StatusFile(), "<none>");
}

class StartSequenceTest : public WorkerTest {
  protected:
    void SetUp() override {
        WorkerTest::SetUp();
        Stop({"LanmanServer", "Second", "Browser", "Netlogon", "Fax", "Both"});
    }
};

TEST_F(StartSequenceTest, WithoutAFileOnlyTheSecondServiceThenLanmanserverStart) {
    ASSERT_TRUE(Run(1));
    EXPECT_EQ(os.services.Actions(), (List{"start Second", "start LanmanServer"}));
    EXPECT_EQ(StatusFile(), "<none>");
}

TEST_F(StartSequenceTest, RecordedDependentsStartInFileOrderAfterTheSharingServices) {
    os.files.Put("./srvStat.txt", "Fax\r\nNetlogon\r\nBrowser\r\n");
    ASSERT_TRUE(Run(1));
    EXPECT_EQ(os.services.Actions(),
              (List{"start Second", "start LanmanServer", "start Fax", "start Netlogon", "start Browser"}));
    EXPECT_EQ(os.services.CallsTo("StartService"), (List{"Second", "LanmanServer", "Fax", "Netlogon", "Browser"}));
}

TEST_F(StartSequenceTest, EmptyOverlongAndUnknownLinesLeadToNoStartAttempt) {
    os.files.Put("./srvStat.txt", "\r\nGhost\r\n" + std::string(300, 'x') + "\r\n \r\nFax");
    ASSERT_TRUE(Run(1));
    EXPECT_EQ(os.services.CallsTo("StartService"), (List{"Second", "LanmanServer", "Fax"}));
    // Windows takes service names of up to 256 characters.
    const std::string longest(256, 'L');
    os.services.Add(longest).Stopped().DependsOn({"Second"});
    os.files.Put("./srvStat.txt", longest + "\r\n");
    Stop({"Second", "LanmanServer"});
    ASSERT_TRUE(Run(1));
    EXPECT_EQ(os.services.StateOf(longest), SERVICE_RUNNING);
    for (const auto& name : os.services.CallsTo("OpenService")) {
        EXPECT_FALSE(name.empty());
        EXPECT_LE(name.size(), 256u);
    }
}

TEST_F(StartSequenceTest, FileIsLeftUnchangedAndReadAgainByTheNextStart) {
    os.files.Put("./srvStat.txt", "Fax\r\n");
    ASSERT_TRUE(Run(1));
    EXPECT_EQ(StatusFile(), "Fax\r\n");
    Stop({"Fax", "Second", "LanmanServer"});
    os.services.ClearLog();
    ASSERT_TRUE(Run(1));
    EXPECT_EQ(os.services.Actions(), (List{"start Second", "start LanmanServer", "start Fax"}));
    EXPECT_EQ(StatusFile(), "Fax\r\n");
}

TEST_F(StartSequenceTest, UnreadableFileEndsTheRunWithoutStartingAnything) {
    os.files.Put("./srvStat.txt", "Fax\r\n");
    os.files.FailReads("./srvStat.txt");
    ASSERT_TRUE(Run(1));
    EXPECT_TRUE(os.services.Actions().empty());
}

TEST_F(StartSequenceTest, HugeFileWithOddBytesStartsTheNamesItHolds) {
    std::string text = "Fax\n";
    text += std::string(10u << 20, '\xe9') + "\r";
    text += "Browser\r\n\xff\xfe\r\nBoth";
    text += std::string("\0Netlogon\r\n", 11); // a NUL ends the text
    os.files.Put("./srvStat.txt", text);
    ASSERT_TRUE(Run(1));
    EXPECT_EQ(os.services.CallsTo("StartService"), (List{"Second", "LanmanServer", "Fax", "Browser", "Both"}));
    EXPECT_EQ(os.services.StateOf("Netlogon"), SERVICE_STOPPED);
}

TEST_F(WorkerTest, SwitchingOffAndOnAgainRestoresEveryService) {
    ASSERT_TRUE(Run(1));
    for (const char* n : {"LanmanServer", "Second", "Browser", "Netlogon", "Fax", "Both"})
        EXPECT_EQ(os.services.StateOf(n), SERVICE_STOPPED) << n;
    ASSERT_TRUE(Run(0));
    EXPECT_EQ(result, 0);
    ASSERT_TRUE(Run(1));
    for (const char* n : {"LanmanServer", "Second", "Browser", "Netlogon", "Fax", "Both", "Unrelated"})
        EXPECT_EQ(os.services.StateOf(n), SERVICE_RUNNING) << n;
    ASSERT_TRUE(Run(0));
    EXPECT_EQ(result, 1);
}

TEST_F(WorkerTest, CompletionRunsOnceAfterTheRunWithTheWorkerAsSenderAndTheListsReleased) {
    plat::TThread* sender = nullptr;
    bool sawStatusFile = false;
    auto* worker = new KillServ::TKT(1, &result, [&](plat::TThread* s) {
        sender = s;
        sawStatusFile = os.files.FileExists("./srvStat.txt");
        EXPECT_TRUE(KillServ::DependentList.empty());
    });
    EXPECT_EQ(os.threads.PendingCount(), 1);
    os.threads.RunPending();
    EXPECT_EQ(sender, worker);
    EXPECT_TRUE(sawStatusFile);
}

TEST_F(WorkerTest, WorkerThatCannotGetAThreadRaisesAndRunsNothing) {
    os.threads.FailNextStart();
    bool finished = false;
    EXPECT_THROW(new KillServ::TKT(1, &result, [&](plat::TThread*) { finished = true; }), plat::EThread);
    os.threads.RunPending();
    EXPECT_FALSE(finished);
    EXPECT_TRUE(os.services.Calls().empty());
}

TEST_F(WorkerTest, QueryWithoutAResultAddressWritesNothing) {
    new KillServ::TKT(0, nullptr);
    EXPECT_EQ(os.threads.RunPending(), 1);
}

} // namespace
