// The order in which the stop sequence stops the collected dependents.
#include <random>

#include "sharing_fixture.h"

using namespace plat;
using KillServ::StopOrder;
using KillServ::TDependencyTable;
using List = std::vector<std::string>;

namespace {

// A table from "service: items" pairs, all multi-strings.
TDependencyTable Table(const std::vector<std::pair<std::string, List>>& services) {
    TDependencyTable table;
    for (const auto& [service, items] : services)
        table.Add(service, items, true);
    return table;
}

TEST(StopOrderTest, ChainIsStoppedFarthestFirst) {
    const auto table = Table({{"A", {"R"}}, {"B", {"A"}}, {"C", {"B", "Tcpip"}}});
    EXPECT_EQ(StopOrder({"A", "B", "C"}, table), (List{"C", "B", "A"}));
}

TEST(StopOrderTest, UnrelatedServicesKeepTheListsOrder) {
    const auto table = Table({{"X", {"R"}}, {"Y", {"R"}}, {"Z", {"R", "Tcpip"}}});
    EXPECT_EQ(StopOrder({"Y", "X", "Z"}, table), (List{"Y", "X", "Z"}));
    EXPECT_TRUE(StopOrder({}, table).empty());
}

TEST(StopOrderTest, DiamondStopsTheBottomThenTheSidesInListOrderThenTheTop) {
    const auto table = Table({{"Top", {"R"}},
                              {"Left", {"Top"}},
                              {"Right", {"Top"}},
                              {"Bottom", {"Left", "Right"}},
                              {"Free", {"R"}}});
    EXPECT_EQ(StopOrder({"Top", "Free", "Left", "Right", "Bottom"}, table),
              (List{"Free", "Bottom", "Left", "Right", "Top"}));
}

TEST(StopOrderTest, ServiceWaitsOnlyForItsOwnDependentsNotForLaterTies) {
    // Netlogon comes before Deep although Deep must go before Browser.
    const auto table = Table({{"Browser", {"R"}}, {"Netlogon", {"R"}}, {"Deep", {"Browser"}}});
    EXPECT_EQ(StopOrder({"Browser", "Netlogon", "Deep"}, table), (List{"Netlogon", "Deep", "Browser"}));
}

TEST(StopOrderTest, ServicesOnACircleKeepTheListsOrderAfterTheirOtherDependents) {
    // A and B depend on each other; C depends on A, so on both.
    const auto table = Table({{"A", {"R", "B"}}, {"B", {"A"}}, {"C", {"A"}}, {"Self", {"Self", "R"}}});
    EXPECT_EQ(StopOrder({"A", "B", "C"}, table), (List{"C", "A", "B"}));
    EXPECT_EQ(StopOrder({"B", "A", "C"}, table), (List{"C", "B", "A"}));
    EXPECT_EQ(StopOrder({"Self", "A"}, table), (List{"Self", "A"}));
}

TEST(StopOrderTest, NameListedTwiceKeepsBothPlacesAndWaitsForItsDependents) {
    const auto table = Table({{"D", {"R", "R"}}, {"X", {"R"}}, {"E", {"D"}}});
    EXPECT_EQ(StopOrder({"D", "X", "D"}, table), (List{"D", "X", "D"}));
    EXPECT_EQ(StopOrder({"D", "D", "X", "E"}, table), (List{"X", "E", "D", "D"}));
}

TEST(StopOrderTest, DependencyThroughAServiceNotListedStillCountsAndCaseDoesNot) {
    // Middle is already stopped and no longer listed; Far depends on Near through it.
    const auto table = Table({{"Near", {"R"}}, {"Middle", {"NEAR"}}, {"Far", {"middle"}}});
    EXPECT_EQ(StopOrder({"near", "FAR"}, table), (List{"FAR", "near"}));
    EXPECT_EQ(StopOrder({"Near", "Unknown"}, table), (List{"Near", "Unknown"}));
}

// Over random graphs: the order is a rearrangement of the list, every service comes after all
// listed services that depend on it (unless the two are on a circle), and services free of
// each other keep their relative order when nothing forces them apart.
TEST(StopOrderTest, RandomGraphsGiveARearrangementThatStopsDependentsFirst) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 300; ++round) {
        const int size = 1 + static_cast<int>(random() % 14);
        // Appended, not "S" + std::string: GCC 12 at -O3 takes that for an overlapping copy (-Wrestrict).
        auto name = [](int i) { return std::string("S").append(std::to_string(i)); };
        std::vector<std::pair<std::string, List>> services;
        std::vector<std::vector<bool>> edge(size, std::vector<bool>(size, false)); // i depends on j
        for (int i = 0; i < size; ++i) {
            List items{"R"};
            for (int d = static_cast<int>(random() % 3); d > 0; --d) {
                const int j = static_cast<int>(random() % size);
                items.push_back(name(j));
                edge[i][j] = true;
            }
            services.emplace_back(name(i), items);
        }
        // Reachability by Floyd-Warshall: the yardstick for "depends on, directly or not".
        auto reach = edge;
        for (int k = 0; k < size; ++k)
            for (int i = 0; i < size; ++i)
                for (int j = 0; j < size; ++j)
                    if (reach[i][k] && reach[k][j]) reach[i][j] = true;
        List list;
        for (int i = 0; i < size; ++i)
            if (random() % 4 != 0) list.push_back(name(i));
        if (!list.empty() && random() % 5 == 0) list.push_back(list[random() % list.size()]);
        const List order = StopOrder(list, Table(services));

        List sortedList = list, sortedOrder = order;
        std::sort(sortedList.begin(), sortedList.end());
        std::sort(sortedOrder.begin(), sortedOrder.end());
        ASSERT_EQ(sortedOrder, sortedList) << "round " << round;
        auto index = [](const std::string& n) { return std::stoi(n.substr(1)); };
        for (size_t a = 0; a < order.size(); ++a)
            for (size_t b = a + 1; b < order.size(); ++b) {
                const int early = index(order[a]), late = index(order[b]);
                if (early == late || reach[early][late] == reach[late][early]) continue;
                // One depends on the other and not back: the dependent goes first.
                EXPECT_TRUE(reach[early][late])
                    << "round " << round << ": " << order[a] << " before " << order[b];
            }
    }
}

// The stop sequence of a switch, through the simulated service manager.
class StopSequenceOrderTest : public SharingTest {
  protected:
    List StopRequests() const { return os.services.CallsTo("ControlService"); }
};

TEST_F(StopSequenceOrderTest, ChainBehindLanmanserverIsStoppedFarthestFirstAndRecordedNearestFirst) {
    os.services.Add("LanmanServer").Running();
    os.services.Add("A").Running().DependsOn({"LanmanServer"});
    os.services.Add("B").Running().DependsOn({"A"});
    os.services.Add("C").Running().DependsOn({"B"});
    ASSERT_TRUE(Run(1));
    EXPECT_EQ(StatusFile(), "A\r\nB\r\nC\r\n");
    EXPECT_EQ(StopRequests(), (List{"C", "B", "A", "LanmanServer"}));
    EXPECT_EQ(os.services.Actions(), (List{"stop C", "stop B", "stop A", "stop LanmanServer"}));
    EXPECT_TRUE(Errors().empty());
}

TEST_F(StopSequenceOrderTest, DependentsOfBothSharingServicesAreStoppedBeforeWhatTheyDependOn) {
    SetSecondService("Second");
    os.services.Add("LanmanServer").Running();
    os.services.Add("Second").Running();
    os.services.Add("Near").Running().DependsOn({"Second"});
    os.services.Add("Own").Running().DependsOn({"lanmanserver"});
    os.services.Add("Shared").Running().DependsOn({"lanmanserver", "Near"});
    os.services.Add("Gone").DependsOn({"Own"}); // stopped: neither recorded nor stopped
    os.services.Add("Last").Running().DependsOn({"Gone"});
    ASSERT_TRUE(Run(1));
    EXPECT_EQ(StatusFile(), "Near\r\nShared\r\nOwn\r\nLast\r\n");
    // Together: Shared and Last (nothing listed depends on them), then Near and Own.
    EXPECT_EQ(StopRequests(), (List{"Shared", "Last", "Near", "Own", "Second", "LanmanServer"}));
    EXPECT_TRUE(Errors().empty());
}

TEST_F(StopSequenceOrderTest, SwitchReadsEachDependencyValueOnceForBothWalksAndTheOrder) {
    SetSecondService("Second");
    os.services.Add("LanmanServer").Running();
    os.services.Add("Second").Running();
    os.services.Add("A").Running().DependsOn({"Second"});
    os.services.Add("B").Running().DependsOn({"LanmanServer", "A"});
    os.services.Add("Other").Running().DependsOn({"Tcpip"});
    ASSERT_TRUE(Run(1));
    EXPECT_EQ(StopRequests(), (List{"B", "A", "Second", "LanmanServer"}));
    for (const char* service : {"LanmanServer", "Second", "A", "B", "Other"})
        EXPECT_EQ(os.registry.ValueQueryCount(HKEY_LOCAL_MACHINE,
                                              "SYSTEM\\CurrentControlSet\\Services\\" + std::string(service),
                                              "DependOnService"),
                  1)
            << service;
}

} // namespace
