#pragma once
// "Off on public networks": what the rule does, as a pure function of the events it is told
// and of the time, so it is tested without a network or a window.
#include <cstdint>
#include <string>

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

    void SetEnabled(bool enabled);
    bool Enabled() const { return enabled_; }
    // What is connected now: whether a network is Public, and a text naming the connected
    // networks and their categories. A different text is a change of networks (the first
    // one, at start-up, too); the same text again is none. True for a change.
    bool NetworksChanged(bool anyPublic, const std::string& networks, uint64_t now);
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
    bool enabled_ = false;
    bool known_ = false;
    bool anyPublic_ = false;
    std::string networks_;
    bool pending_ = false; // a change not acted on yet
    bool offByRule_ = false;
    uint64_t changedAt_ = 0;
};

} // namespace Main
