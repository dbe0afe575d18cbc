#include "sharing_fixture.h"

using namespace std::string_literals;

using namespace plat;

namespace {

const std::string kServices = "SYSTEM\\CurrentControlSet\\Services\\";

class DependentsTest : public SharingTest {
  protected:
    void Depends(const std::string& service, DWORD type, const std::string& bytes) {
        os.registry.SetValue(HKEY_LOCAL_MACHINE, kServices + service, "DependOnService", type,
                             std::vector<uint8_t>(bytes.begin(), bytes.end()));
    }
    KillServ::TStringList Find(const std::string& name) { return Worker().FindDependents(name); }
};

using List = std::vector<std::string>;

TEST_F(DependentsTest, WholeNamesInAnyCaseMakeDependentsInTheRegistrysOrderAndSpelling) {
    os.services.Add("zeta").DependsOn({"Tcpip", "LanmanServer"});
    os.services.Add("Alpha").DependsOn({"lanmanserver"});
    os.services.Add("Other").DependsOn({"Tcpip"});
    os.services.Add("Prefix").DependsOn({"LanmanServerX"});
    os.services.Add("Group").DependsOn({"+LanmanServer"}); // a group entry names no service
    EXPECT_EQ(Find("LANMANSERVER"), (List{"Alpha", "zeta"}));
}

TEST_F(DependentsTest, MultiStringNamingTheTargetTwiceListsTheServiceTwice) {
    os.services.Add("Twice").DependsOn({"lanmanserver", "Tcpip", "LANMANSERVER"});
    EXPECT_EQ(Find("LanmanServer"), (List{"Twice", "Twice"}));
}

TEST_F(DependentsTest, RegSzItemsAreSeparatedByCommasAndBlanksButNotSemicolons) {
    Depends("Comma", REG_SZ, std::string("Tcpip,LanmanServer\0", 19));
    Depends("Blank", REG_SZ, std::string("Tcpip LanmanServer\0", 19));
    Depends("Quoted", REG_SZ, std::string(" \"Tcpip\" , \"LanmanServer\"\0", 26));
    Depends("Semicolon", REG_SZ, std::string("Tcpip;LanmanServer\0", 19));
    Depends("Twice", REG_SZ, std::string("LanmanServer,LanmanServer\0", 26));
    EXPECT_EQ(Find("lanmanserver"), (List{"Blank", "Comma", "Quoted", "Twice"}));
}

TEST_F(DependentsTest, ExpandStringDwordAndBinaryValuesAreIgnored) {
    Depends("Expand", REG_EXPAND_SZ, std::string("LanmanServer\0", 13));
    Depends("Dword", REG_DWORD, std::string("Lanm", 4));
    Depends("Binary", REG_BINARY, std::string("LanmanServer\0\0", 14));
    Depends("None", REG_NONE, std::string("LanmanServer\0\0", 14)); // read as raw bytes
    EXPECT_EQ(Find("LanmanServer"), List{"None"});
}

TEST_F(DependentsTest, ValuesOfAnyShapeAreReadWithoutLosingTheirLastItem) {
    Depends("NoFinalNuls", REG_MULTI_SZ, "Tcpip\0LanmanServer"s);
    Depends("OddBytes", REG_MULTI_SZ, "LanmanServer\0\0\0"s);
    Depends("Padded", REG_MULTI_SZ, "\0\0\0LanmanServer\0\0\0\0\0"s);
    Depends("EmptyValue", REG_MULTI_SZ, "");
    Depends("OnlyNuls", REG_MULTI_SZ, "\0\0"s);
    EXPECT_EQ(Find("LanmanServer"), (List{"NoFinalNuls", "OddBytes", "Padded"}));
}

TEST_F(DependentsTest, ValueThatGrowsBetweenTheSizeQueryAndTheReadIsReadAtItsNewSize) {
    os.services.Add("Grower").DependsOn({"Tcpip"});
    os.registry.ChangeValueBeforeRead(HKEY_LOCAL_MACHINE, kServices + "Grower", "DependOnService",
                                      std::vector<uint8_t>{'R', 'p', 'c', 0, 'L', 'a', 'n', 'm', 'a', 'n',
                                                           'S', 'e', 'r', 'v', 'e', 'r', 0, 0});
    EXPECT_EQ(Find("LanmanServer"), List{"Grower"});
}

TEST_F(DependentsTest, KeysThatCannotBeOpenedOrHaveNoValueCountAsNoDependency) {
    os.services.Add("Locked").DependsOn({"LanmanServer"});
    os.registry.FailOpen(HKEY_LOCAL_MACHINE, kServices + "Locked", static_cast<LONG>(ERROR_ACCESS_DENIED));
    os.services.Add("NoValue");
    os.services.Add("Zlast").DependsOn({"LanmanServer"});
    EXPECT_EQ(Find("LanmanServer"), List{"Zlast"});
    // Nor the services key itself.
    os.registry.FailOpen(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services",
                         static_cast<LONG>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(Find("LanmanServer").empty());
}

TEST_F(DependentsTest, UnreadableValueDataRaisesAnError) {
    os.services.Add("Broken").DependsOn({"LanmanServer"});
    os.registry.FailValueRead(HKEY_LOCAL_MACHINE, kServices + "Broken", "DependOnService",
                              static_cast<LONG>(ERROR_ACCESS_DENIED));
    EXPECT_THROW(Find("LanmanServer"), KillServ::EKillServError);
}

class WalkTest : public DependentsTest {
  protected:
    List Collect(const std::string& root) {
        Worker().CollectDependents(root);
        return KillServ::DependentList;
    }
};

TEST_F(WalkTest, SmallGraphsAreCollectedNearestFirstEachNameOnceButTwiceWhereOneValueNamesItTwice) {
    // Four graphs side by side, each walked from its own root.
    os.services.Add("Chain").DependsOn({"ChainA"}); // listed before its dependency
    os.services.Add("ChainA").DependsOn({"ChainRoot"});
    os.services.Add("CircleA").DependsOn({"CircleRoot", "CircleB"});
    os.services.Add("CircleB").DependsOn({"CircleA"});
    os.services.Add("Doubled").DependsOn({"DoubledRoot", "doubledroot"});
    os.services.Add("Second").DependsOn({"lanmanserver"});
    for (const auto& [root, collected] :
         std::vector<std::pair<std::string, List>>{{"ChainRoot", {"ChainA", "Chain"}},
                                                   {"CircleRoot", {"CircleA", "CircleB"}},
                                                   {"DoubledRoot", {"Doubled", "Doubled"}},
                                                   {"lanmanserver", {"Second"}}}) {
        KillServ::DependentList.clear();
        EXPECT_EQ(Collect(root), collected) << root;
    }
}

TEST_F(WalkTest, BreadthFirstWalkReadsEveryKeyOnceOpeningServiceKeysRelativeToTheServicesKey) {
    os.services.Add("R");
    os.services.Add("A1").DependsOn({"R"});
    os.services.Add("A2").DependsOn({"R"});
    os.services.Add("B1").DependsOn({"A1"});
    os.services.Add("B2").DependsOn({"A2", "A1"});
    os.services.Add("C").DependsOn({"B2"});
    const int opens = os.registry.OpenCount();
    const int fromRoot = os.registry.OpenFromRootCount();
    EXPECT_EQ(Collect("R"), (List{"A1", "A2", "B1", "B2", "C"}));
    EXPECT_EQ(os.registry.OpenCount() - opens, 1 + 6); // the services key, then each subkey once
    EXPECT_EQ(os.registry.OpenFromRootCount() - fromRoot, 1);
    for (const char* service : {"R", "A1", "A2", "B1", "B2", "C"})
        EXPECT_EQ(os.registry.ValueQueryCount(HKEY_LOCAL_MACHINE, kServices + service, "DependOnService"), 1)
            << service;
}

TEST_F(WalkTest, LongValueIsReadAtItsSizeAndAgainWhenItGrowsMeanwhile) {
    os.services.Add("R");
    std::vector<std::string> many(100, "SomeOtherService");
    many.push_back("R");
    os.services.Add("Long").DependsOn(many); // far more than one first query holds
    std::vector<std::string> more(200, "YetAnotherService");
    more.push_back("r");
    std::vector<uint8_t> grown;
    for (const auto& item : more) {
        grown.insert(grown.end(), item.begin(), item.end());
        grown.push_back(0);
    }
    grown.push_back(0);
    os.services.Add("Grows").DependsOn(many);
    os.registry.ChangeValueBeforeRead(HKEY_LOCAL_MACHINE, kServices + "Grows", "DependOnService", grown, 1);
    EXPECT_EQ(Collect("R"), (List{"Grows", "Long"}));
}

TEST_F(WalkTest, SubkeyThatCannotBeEnumeratedIsSkippedAndTheScanGoesOn) {
    os.services.Add("R");
    os.services.Add("A").DependsOn({"R"});
    os.services.Add("B").DependsOn({"R"});
    os.services.Add("C").DependsOn({"B"});
    os.registry.FailSubkeyEnumeration(HKEY_LOCAL_MACHINE, kServices + "A",
                                      static_cast<LONG>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(Collect("R"), (List{"B", "C"}));
}

TEST_F(WalkTest, UnreadableValueEndsTheWalkWithoutAddingAnything) {
    os.services.Add("R");
    os.services.Add("A").DependsOn({"R"});
    os.services.Add("Broken").DependsOn({"Tcpip"});
    os.registry.FailValueRead(HKEY_LOCAL_MACHINE, kServices + "Broken", "DependOnService",
                              static_cast<LONG>(ERROR_ACCESS_DENIED));
    KillServ::DependentList = {"Earlier"};
    try {
        Collect("R");
        ADD_FAILURE() << "no error";
    } catch (const KillServ::EKillServError& e) {
        EXPECT_STREQ(e.what(), "Failed to get data for 'DependOnService'");
    }
    EXPECT_EQ(KillServ::DependentList, List{"Earlier"});
}

TEST_F(WalkTest, UnreadableValueOfAnIgnoredTypeCountsAsNoDependency) {
    os.services.Add("R");
    os.services.Add("A").DependsOn({"R"});
    Depends("Expand", REG_EXPAND_SZ, std::string("R\0", 2));
    os.registry.FailValueRead(HKEY_LOCAL_MACHINE, kServices + "Expand", "DependOnService",
                              static_cast<LONG>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(Collect("R"), List{"A"});
}

TEST_F(WalkTest, RootWithoutDependentsLeavesTheListUnchanged) {
    os.services.Add("R");
    os.services.Add("X").DependsOn({"Y"});
    KillServ::DependentList = {"Earlier"};
    EXPECT_EQ(Collect("R"), List{"Earlier"});
}

TEST_F(WalkTest, SecondRootAddsOnlyWhatTheFirstWalkDidNotFind) {
    os.services.Add("Second");
    os.services.Add("lanmanserver");
    os.services.Add("Shared").DependsOn({"Second", "lanmanserver"});
    os.services.Add("Own").DependsOn({"LANMANSERVER"});
    EXPECT_EQ(Collect("Second"), List{"Shared"});
    EXPECT_EQ(Collect("LanmanServer"), (List{"Shared", "Own"}));
    EXPECT_EQ(Collect("Second"), (List{"Shared", "Own"}));
}

TEST_F(WalkTest, EmptyRootHasNoDependents) {
    Depends("Blanks", REG_SZ, std::string("a,,b\0", 5)); // holds an empty item
    EXPECT_TRUE(Collect("").empty());
}

} // namespace
