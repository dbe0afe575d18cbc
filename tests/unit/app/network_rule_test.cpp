// "Off on public networks" on an elevated machine (the rule switches by itself) against the
// simulated Network List Manager.
#include "app_fixture.h"
#include "sharing/policy.h"

namespace {

constexpr int32_t Public = plat::NLM_NETWORK_CATEGORY_PUBLIC;
constexpr int32_t Private = plat::NLM_NETWORK_CATEGORY_PRIVATE;

class NetworkRule : public TarnwickTest {
  protected:
    NetworkRule() : TarnwickTest(sim::Machine::Elevated()) {
        os.services.Add("lanmanserver").Running();
        os.services.Add("Browser").Running().DependsOn({"LanmanServer"});
        os.networks.Connect("{home}", Private);
    }
    void RuleOn() { os.files.Put(std::string(Folder) + "\\code.ini", "[Info]\r\nPublicNetworks=off\r\n"); }
    // Past the settling time, the switch and its verifying query.
    void Settle() { os.user.RunFor(Main::TNetworkRule::SettleMs + 5000); }
    // Past the wait for a new network (every one at start-up).
    void Identify() { os.user.RunFor(Main::TNetworkRule::IdentifyMs + 5000); }
    size_t Stops() const { return os.services.CallsTo("ControlService").size(); }
    std::vector<std::string> Balloons() const {
        const auto* icon = os.shell.FindIcon(form->TrayIcon1->TrayIconId());
        return icon ? icon->Balloons : std::vector<std::string>{};
    }
    const sim::SimMenuItem* MenuItem() {
        ChooseFromMenu("");
        return os.user.Popups().back().Find("&Off on public networks");
    }
};

// Nobody is asked before an automatic switch; a balloon tells how many it cut off.
TEST_F(NetworkRule, APublicNetworkAtStartUpSwitchesSharingOffAndLeavingItSwitchesItBackOn) {
    RuleOn();
    os.shares.Connect("ANNA-PC", "anna", {"C:\\Share\\report.xlsx"});
    os.networks.Connect("{cafe}", Public);
    StartAndSettle();
    Identify();
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_STOPPED);
    EXPECT_EQ(File("srvStat.txt"), "Browser\r\n");
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(Balloons(),
              std::vector<std::string>{"File sharing is off because a public network is connected. 1 "
                                       "computer was connected to your shared folders."});

    // Gone: sharing comes back once nothing has changed for the settling time, not before.
    os.networks.Disconnect("{cafe}");
    os.user.RunFor(Main::TNetworkRule::SettleMs - 500);
    EXPECT_TRUE(os.services.CallsTo("StartService").empty());
    Settle();
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_RUNNING);
    EXPECT_EQ(os.services.StateOf("Browser"), plat::SERVICE_RUNNING);
    EXPECT_EQ(Tip(), EnabledTip);
    EXPECT_EQ(Balloons().size(), 1u);
}

TEST_F(NetworkRule, WithoutTheKeyNothingIsSwitchedUntilTheItemIsChecked) {
    os.networks.Connect("{cafe}", Public);
    StartAndSettle();
    Settle();
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_RUNNING);
    const auto* item = MenuItem();
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->Enabled);
    EXPECT_FALSE(item->Checked);

    ChooseFromMenu("&Off on public networks");
    EXPECT_EQ(File("code.ini"), "[Info]\r\nLastState=on\r\nPublicNetworks=off\r\n");
    Identify();
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_STOPPED);
}

TEST_F(NetworkRule, AFlappingNetworkIsActedOnOnceWhenItHasSettled) {
    RuleOn();
    StartAndSettle();
    Identify();
    for (int i = 0; i < 4; ++i) {
        os.networks.SetCategory("{home}", Public);
        os.user.RunFor(1000);
        os.networks.SetCategory("{home}", Private);
        os.user.RunFor(1000);
    }
    os.networks.SetCategory("{home}", Public);
    // Changed just under the settling time ago: nothing yet.
    os.user.RunFor(Main::TNetworkRule::SettleMs - 1);
    EXPECT_EQ(Stops(), 0u);
    Settle();
    Settle();
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_STOPPED);
    EXPECT_EQ(Stops(), 2u);          // Browser, then lanmanserver: one switch
    EXPECT_TRUE(Balloons().empty()); // nobody was cut off
}

TEST_F(NetworkRule, TheUsersSwitchWinsUntilTheNetworksChange) {
    RuleOn();
    os.networks.Connect("{cafe}", Public);
    StartAndSettle();
    Identify();
    ASSERT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_STOPPED);
    DoubleClick();
    Settle();
    Settle();
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_RUNNING);
    // An event that changes nothing (the same networks, the same categories) is no change.
    os.networks.SetCategory("{cafe}", Public);
    Settle();
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_RUNNING);

    os.networks.Connect("{airport}", Public);
    Identify();
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_STOPPED);
    // Switched off by the user, sharing stays off when the public networks go.
    DoubleClick();
    Settle();
    DoubleClick();
    Settle();
    os.networks.Disconnect("{cafe}");
    os.networks.Disconnect("{airport}");
    Settle();
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_STOPPED);
}

TEST_F(NetworkRule, WithoutTheNetworkListManagerTheItemIsGreyedAndTheTipSaysWhy) {
    RuleOn();
    os.networks.Connect("{cafe}", Public);
    os.networks.Fail(static_cast<plat::HRESULT>(0x80040154));
    StartAndSettle();
    Identify();
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_RUNNING);
    EXPECT_EQ(Tip(), std::string(EnabledTip) + "\r\nPublic network rule unavailable: 0x80040154");
    EXPECT_FALSE(MenuItem()->Enabled);
    EXPECT_TRUE(Boxes().empty());
}

TEST_F(NetworkRule, APolicyTurnsTheRuleOffAndGreysTheItem) {
    RuleOn();
    os.registry.SetDword(plat::HKEY_LOCAL_MACHINE, KillServ::PolicyKey, "DisablePublicNetworkRule", 1);
    os.networks.Connect("{cafe}", Public);
    StartAndSettle();
    Identify();
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_RUNNING);
    const auto* item = MenuItem();
    EXPECT_FALSE(item->Enabled);
    EXPECT_FALSE(item->Checked);
    EXPECT_EQ(Tip(), EnabledTip);
}

// A standard user's machine where Windows identifies each new network for 20 s, listing it
// meanwhile as Public, and repeats every event: the rule suggests with a balloon.
class NetworkIdentification : public TarnwickTest {
  protected:
    static constexpr const char* Suggestion =
        "You joined a public network while file sharing is on. Click here to switch it off.";
    NetworkIdentification() {
        sim::Machine machine = sim::Machine::StandardUser();
        machine.networks = {{"{home}", Private}};
        machine.networksIdentifiedAfterMs = 20000;
        machine.newNetworksIdentifiedAfterMs = 20000;
        machine.networkEventRepeats = 3;
        os.Become(machine);
        os.services.Add("lanmanserver").Running();
        os.files.Put(std::string(Folder) + "\\code.ini", "[Info]\r\nPublicNetworks=off\r\n");
    }
    std::vector<std::string> Balloons() const {
        const auto* icon = os.shell.FindIcon(form->TrayIcon1->TrayIconId());
        return icon ? icon->Balloons : std::vector<std::string>{};
    }
    static constexpr uint64_t Identify = Main::TNetworkRule::IdentifyMs;
    static constexpr uint64_t Settle = Main::TNetworkRule::SettleMs;
};

TEST_F(NetworkIdentification, OnlyANetworkThatKeepsItsCategoryCountsAndACountedOneActsOnAChangeAfterSettling) {
    // At boot, home is Public for 20 s, then Private: nothing to suggest, ever.
    StartAndSettle();
    os.user.RunFor(2 * Identify);
    EXPECT_TRUE(Balloons().empty());
    EXPECT_EQ(Tip(), EnabledTip);

    // A network that really is Public: suggested once it has held its category the whole wait.
    os.networks.ConnectIdentifiedAfter("{cafe}", Public, 0);
    os.user.RunFor(Identify - 1);
    EXPECT_TRUE(Balloons().empty());
    os.user.RunFor(2);
    EXPECT_EQ(Balloons(), std::vector<std::string>{Suggestion});

    // Gone, then home (counted) turns Public: a change acted on after the settling time.
    os.networks.Disconnect("{cafe}");
    os.user.RunFor(Identify);
    os.networks.SetCategory("{home}", Public);
    os.user.RunFor(Settle - 1);
    EXPECT_EQ(Balloons().size(), 1u);
    os.user.RunFor(Settle);
    EXPECT_EQ(Balloons().size(), 2u);
    EXPECT_EQ(os.services.StateOf("lanmanserver"), plat::SERVICE_RUNNING);
}

TEST_F(NetworkIdentification, ANewNetworkThatChangesItsCategoryWaitsAgainFromTheChange) {
    StartAndSettle();
    os.user.RunFor(2 * Identify);
    os.networks.ConnectIdentifiedAfter("{hotel}", Private, 0);
    os.user.RunFor(20000);
    os.networks.SetCategory("{hotel}", Public);
    os.user.RunFor(Identify - 1000);
    EXPECT_TRUE(Balloons().empty()) << "Public for less than the wait";
    os.user.RunFor(2000);
    EXPECT_EQ(Balloons(), std::vector<std::string>{Suggestion});
}

TEST_F(NetworkIdentification, AResumeIdentifiesTheNetworksAnewAndItsBurstOfEventsSuggestsNothing) {
    StartAndSettle();
    os.user.RunFor(2 * Identify);
    // Woken up: the burst announces the same networks; home goes through identification again.
    os.networks.Resume();
    os.networks.SetCategory("{home}", Public);
    os.user.RunFor(Identify - Settle);
    os.networks.SetCategory("{home}", Private);
    os.user.RunFor(2 * Identify);
    EXPECT_TRUE(Balloons().empty());
    EXPECT_EQ(Tip(), EnabledTip);
}

} // namespace
