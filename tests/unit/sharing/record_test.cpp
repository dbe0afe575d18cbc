// srvStat.txt never loses a service Tarnwick stopped: whatever comes between a stop and the
// next start (a refused stop, a killed process, a start that could not bring everything
// back), the next start brings back every service Tarnwick stopped, and nothing else.
#include "sharing_fixture.h"

namespace {

using List = std::vector<std::string>;
using plat::SERVICE_RUNNING;
using plat::SERVICE_STOPPED;

class Record : public SharingTest {
  protected:
    // lanmanserver <- A <- B, lanmanserver <- C <- D, and E stopped by its user long ago.
    Record() {
        os.services.Add("lanmanserver").Running();
        os.services.Add("A").Running().DependsOn({"lanmanserver"});
        os.services.Add("C").Running().DependsOn({"lanmanserver"});
        os.services.Add("B").Running().DependsOn({"A"});
        os.services.Add("D").Running().DependsOn({"C"});
        os.services.Add("E").Stopped().DependsOn({"lanmanserver"});
    }
    List Running() const {
        List names;
        for (const char* n : {"lanmanserver", "A", "B", "C", "D", "E"})
            if (os.services.StateOf(n) == SERVICE_RUNNING) names.push_back(n);
        return names;
    }
    const List everyoneButE{"lanmanserver", "A", "B", "C", "D"};
};

TEST_F(Record, ARefusedStopBringsBackWhatItStoppedAndOwesNothingAfterIt) {
    os.services.Add("lanmanserver").RefusesControl(plat::ERROR_SERVICE_CANNOT_ACCEPT_CTRL);
    ASSERT_TRUE(Run(1));
    EXPECT_EQ(Running(), everyoneButE);
    EXPECT_EQ(StatusFile(), "A\r\nC\r\nB\r\nD\r\n");
    EXPECT_EQ(os.files.Get("./srvStat.done").value_or("<none>"), "A\r\nC\r\nB\r\nD\r\n");

    os.services.Add("lanmanserver").RefusesControl(0);
    os.services.SetState("D", SERVICE_STOPPED); // its user stops it meanwhile: not ours to start
    ASSERT_TRUE(Run(1)); // the user tries again
    EXPECT_EQ(Running(), List{});
    EXPECT_EQ(StatusFile(), "A\r\nC\r\nB\r\n");
    ASSERT_TRUE(Run(1));
    EXPECT_EQ(Running(), (List{"lanmanserver", "A", "B", "C"}));
}

TEST_F(Record, AStopKilledAfterItsRecordStillBringsEverythingBack) {
    // What a process killed in the middle of its stop leaves: the record written, the note
    // of the previous start emptied, B stopped, D's stop still under way (the two went out
    // together), the rest still running.
    os.files.Put("./srvStat.txt", "A\r\nC\r\nB\r\nD\r\n");
    os.files.Put("./srvStat.done", "");
    os.services.SetState("B", SERVICE_STOPPED);
    os.services.Add("D").PendingFor(2000);
    const plat::SC_HANDLE manager = os.services.OpenSCManager(nullptr, nullptr, 0xA0000000);
    const plat::SC_HANDLE d = os.services.OpenService(manager, "D", 0xA0000100);
    plat::SERVICE_STATUS status{};
    ASSERT_TRUE(os.services.ControlService(d, plat::SERVICE_CONTROL_STOP, &status));
    os.services.CloseServiceHandle(d);
    os.services.CloseServiceHandle(manager);

    ASSERT_TRUE(Run(1)); // started again: sharing is still on, so the first switch stops
    EXPECT_EQ(Running(), List{});
    EXPECT_EQ(StatusFile(), "A\r\nC\r\nB\r\nD\r\n");
    ASSERT_TRUE(Run(1));
    EXPECT_EQ(Running(), everyoneButE);
}

TEST_F(Record, ADependentSomeoneElseStoppedAfterAFullCycleIsLeftStopped) {
    ASSERT_TRUE(Run(1));
    ASSERT_TRUE(Run(1));
    EXPECT_EQ(Running(), everyoneButE);
    EXPECT_EQ(os.files.Get("./srvStat.done").value_or("<none>"), "A\r\nC\r\nB\r\nD\r\n");

    os.services.SetState("D", SERVICE_STOPPED); // its user stops it by hand
    ASSERT_TRUE(Run(1));
    EXPECT_EQ(StatusFile(), "A\r\nC\r\nB\r\n");
    EXPECT_EQ(os.files.Get("./srvStat.done").value_or("<none>"), "");
    ASSERT_TRUE(Run(1));
    EXPECT_EQ(Running(), (List{"lanmanserver", "A", "B", "C"}));
}

TEST_F(Record, AServiceTheStartCouldNotBringBackStaysOwed) {
    ASSERT_TRUE(Run(1));
    os.services.Add("D").RefusesStart(plat::ERROR_SERVICE_DISABLED);
    ASSERT_TRUE(Run(1));
    EXPECT_EQ(Running(), (List{"lanmanserver", "A", "B", "C"}));
    EXPECT_EQ(os.files.Get("./srvStat.done").value_or("<none>"), "A\r\nC\r\nB\r\n");

    os.services.Add("D").RefusesStart(0); // its administrator enables it again
    ASSERT_TRUE(Run(1));
    EXPECT_EQ(StatusFile(), "A\r\nC\r\nB\r\nD\r\n");
    ASSERT_TRUE(Run(1));
    EXPECT_EQ(Running(), everyoneButE);
}

TEST_F(Record, AStopThatOutlastsItsWaitStaysOwedThroughTheNextStartAndStop) {
    os.services.Add("B").NeverSettles(); // B's stop goes on after the wait has given up
    ASSERT_TRUE(Run(1));
    ASSERT_EQ(os.services.StateOf("B"), plat::SERVICE_STOP_PENDING);
    EXPECT_EQ(Running(), (List{"lanmanserver", "A", "C", "D"})) << "what stopped before B runs again";

    // It gets there in the end; the next stop keeps it, the start brings it back.
    os.services.Add("B").SettlesAfter(1);
    os.services.SetState("B", SERVICE_STOPPED);
    ASSERT_TRUE(Run(1));
    ASSERT_EQ(Running(), List{});
    EXPECT_EQ(StatusFile(), "A\r\nC\r\nB\r\nD\r\n");
    ASSERT_TRUE(Run(1));
    EXPECT_EQ(Running(), everyoneButE);
}

TEST_F(Record, AServiceStillStoppingWhenTheStartEndsIsNotCountedAsBack) {
    os.services.Add("B").NeverSettles();
    ASSERT_TRUE(Run(1)); // B stays stop-pending; the rest stops
    os.services.SetState("A", SERVICE_STOPPED);
    os.services.SetState("lanmanserver", SERVICE_STOPPED);
    ASSERT_TRUE(Run(1)); // the start cannot start B yet
    EXPECT_EQ(os.files.Get("./srvStat.done").value_or("<none>"), "A\r\nC\r\nD\r\n");
}

TEST_F(Record, ARecordedNameTheWalkDoesNotFindIsNeitherStartedNorCopied) {
    // Whoever wrote these names, a stop of ours did not: none depends on a sharing service.
    os.files.Put("./srvStat.txt", "RemoteRegistry\r\nA\r\n");
    os.files.Put("./srvStat.done", "A\r\n");
    os.services.Add("RemoteRegistry").Stopped();
    ASSERT_TRUE(Run(1));
    EXPECT_EQ(StatusFile(), "A\r\nC\r\nB\r\nD\r\n");
    os.files.Put("./srvStat.txt", "RemoteRegistry\r\n" + StatusFile());
    ASSERT_TRUE(Run(1));
    EXPECT_EQ(os.services.StateOf("RemoteRegistry"), SERVICE_STOPPED);
    EXPECT_EQ(os.files.Get("./srvStat.done").value_or("<none>"), "A\r\nC\r\nB\r\nD\r\n");
}

TEST_F(Record, WithoutTheNoteOfAStartTheWholeRecordCountsAsOwed) {
    // A record left by an earlier version, which kept no note.
    os.files.Put("./srvStat.txt", "E\r\n");
    ASSERT_TRUE(Run(1));
    EXPECT_EQ(StatusFile(), "A\r\nC\r\nE\r\nB\r\nD\r\n"); // E kept in its breadth-first place
}

TEST_F(Record, ARecordThatCannotBeReadEndsTheStopBeforeAnythingIsStopped) {
    os.files.Put("./srvStat.txt", "A\r\n");
    os.files.FailReads("./srvStat.txt");
    EXPECT_TRUE(Run(1));
    EXPECT_TRUE(os.services.Actions().empty());
    EXPECT_EQ(Running(), everyoneButE);
}

} // namespace
