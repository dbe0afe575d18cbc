// Who is connected, as the two enumerations tell it, and what the question says of it.
#include "sharing/connections.h"

#include "sharing_fixture.h"

namespace {

using Connections = SharingTest;

TEST_F(Connections, EachEnumerationsAnswerDecidesWhoIsListedAndWhetherItIsKnown) {
    os.services.Add("lanmanserver").Running();
    os.shares.Connect("\\\\ANNA-PC", "anna", {"D:\\Shares\\plan.txt"});
    os.shares.OpenFileOfEndedSession("bob", "D:\\Shares\\Reports\\");
    KillServ::TConnections found = KillServ::WhoIsConnected();
    ASSERT_TRUE(found.Known());
    EXPECT_EQ(KillServ::ConnectedSummary(found),
              "ANNA-PC (anna, 1 open file: plan.txt), bob (1 open file: Reports)");

    // Files not supported (Wine): who is connected, without their files.
    os.shares.FailFileEnum(plat::ERROR_NOT_SUPPORTED);
    found = KillServ::WhoIsConnected();
    ASSERT_TRUE(found.Known());
    EXPECT_EQ(KillServ::ConnectedSummary(found), "ANNA-PC (anna)");
    EXPECT_EQ(KillServ::CutOffQuestion(found),
              "1 computer is connected to your shared folders: ANNA-PC (anna). Stop sharing anyway?");
}

// A standard user: sessions are listed to everybody, open files to administrators only.
TEST_F(Connections, AStandardUserIsToldTheSessionsAndAFailedListingIsNeverACount) {
    os.Become(sim::Machine::StandardUser());
    os.services.Add("lanmanserver").Running();
    os.shares.Connect("ANNA-PC", "anna", {"D:\\Shares\\plan.txt"});
    os.shares.Connect("192.168.1.20", "guest");
    KillServ::TConnections found = KillServ::WhoIsConnected();
    ASSERT_TRUE(found.Known());
    EXPECT_EQ(found.FilesError, plat::ERROR_ACCESS_DENIED);
    EXPECT_EQ(KillServ::CutOffQuestion(found),
              "2 computers are connected to your shared folders: ANNA-PC (anna), 192.168.1.20 (guest). Open "
              "files are shown to administrators only. Stop sharing anyway?");
    // A Server Operator may list the files without elevation.
    os.shares.SetServerOperator(true);
    EXPECT_EQ(KillServ::ConnectedCounts(KillServ::WhoIsConnected()), "2 computers, 1 open file");

    // Stopped, the Server service lists nothing: not known, never "nobody" or 0 computers.
    os.services.SetState("lanmanserver", plat::SERVICE_STOPPED);
    found = KillServ::WhoIsConnected();
    EXPECT_FALSE(found.Known());
    EXPECT_EQ(found.Error, plat::NERR_ServerNotStarted);
    EXPECT_EQ(KillServ::ConnectedCounts(found), "not known (error 2114)");
    EXPECT_EQ(KillServ::AskBeforeCuttingOff(0, 0, nullptr), KillServ::TCutOffAnswer::Unknown);
    EXPECT_TRUE(os.user.MessageBoxes().empty());
}

} // namespace
