// Who is connected, as the two enumerations tell it.
#include "sharing/connections.h"

#include "sharing_fixture.h"

namespace {

using Connections = SharingTest;

TEST_F(Connections, EachEnumerationsAnswerDecidesWhoIsListedAndWhetherItIsKnown) {
    os.shares.Connect("\\\\ANNA-PC", "anna", {"D:\\Shares\\plan.txt"});
    os.shares.OpenFileOfEndedSession("bob", "D:\\Shares\\Reports\\");
    KillServ::TConnections found = KillServ::WhoIsConnected();
    ASSERT_TRUE(found.Known());
    EXPECT_EQ(KillServ::ConnectedSummary(found),
              "ANNA-PC (anna, 1 open file: plan.txt), bob (1 open file: Reports)");

    // Files are told only to administrators: the copy must ask instead of the tray.
    os.shares.FailFileEnum(plat::ERROR_ACCESS_DENIED);
    found = KillServ::WhoIsConnected();
    EXPECT_FALSE(found.Known());
    EXPECT_EQ(found.Error, plat::ERROR_ACCESS_DENIED);
    // Files not supported (Wine): who is connected, without their files.
    os.shares.FailFileEnum(plat::ERROR_NOT_SUPPORTED);
    found = KillServ::WhoIsConnected();
    ASSERT_TRUE(found.Known());
    EXPECT_EQ(KillServ::ConnectedSummary(found), "ANNA-PC (anna)");
}

} // namespace
