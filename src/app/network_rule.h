#pragma once
// "Off on public networks": what the rule does, as a pure function of the events it is told
// and of the time, so it is tested without a network or a window.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/networks.h"

namespace Main {

class TNetworkRule {
  public:
    enum class Action {
        None,
        SwitchOff,  // switch sharing off through the normal switch
        SwitchOn,   // switch it back on: the rule had switched it off
        SuggestOff, // without elevation: ask the user (a balloon) instead of prompting
        SuggestOn,
    };
    // Networks flap while connecting: a state acts once it has held this long.
    static constexpr uint64_t SettleMs = 4000;
    // Windows lists a network it is still identifying as Public, and says nothing of it
    // being unidentified: a network new to the rule, and every network after start-up or a
    // resume, counts only once it has kept its category this long.
    static constexpr uint64_t IdentifyMs = 30000;

    void SetEnabled(bool enabled);
    bool Enabled() const { return enabled_; }
    // What is connected now. A different set of networks or categories is a change (the
    // first one, at start-up, too); the same again is none. True for a change.
    bool NetworksChanged(const std::vector<plat::ConnectedNetwork>& connected, uint64_t now);
    // The machine woke up: every network is identified anew.
    void Resumed(uint64_t now);
    // Asked at each tick: at most one action per change, once the change has settled and
    // no switch runs. sharing is the measured state (1 on, 0 off).
    Action Decide(int32_t sharing, bool switchRunning, bool elevated, uint64_t now);
    // A switch of the rule's (or one a suggestion led to) ended with sharing in this state.
    void RuleSwitchEnded(int32_t sharing);
    // The user switched: that choice holds until the networks change again.
    void UserSwitched();
    bool AnyPublic() const { return anyPublic_; }
    bool OffByRule() const { return offByRule_; }

  private:
    struct Seen {
        plat::ConnectedNetwork network;
        uint64_t since = 0;   // when it got its current category
        bool counted = false; // kept a category long enough once, since start-up or resume
    };
    bool Settled(uint64_t now) const;

    bool enabled_ = false;
    bool known_ = false;
    bool anyPublic_ = false;
    std::string networks_;
    std::vector<Seen> seen_;
    bool pending_ = false; // a change not acted on yet
    bool offByRule_ = false;
    uint64_t changedAt_ = 0;
};

} // namespace Main
