#include "app/network_rule.h"

namespace Main {

void TNetworkRule::SetEnabled(bool enabled) {
    if (enabled && !enabled_ && known_) pending_ = true; // switched on: the networks now count
    enabled_ = enabled;
    if (!enabled) offByRule_ = false;
}

bool TNetworkRule::NetworksChanged(bool anyPublic, const std::string& networks, uint64_t now) {
    if (known_ && networks == networks_) return false;
    known_ = true;
    anyPublic_ = anyPublic;
    networks_ = networks;
    // Each change starts the wait anew, so a flapping connection is acted on once, when it
    // has settled.
    pending_ = true;
    changedAt_ = now;
    return true;
}

TNetworkRule::Action TNetworkRule::Decide(int32_t sharing, bool switchRunning, bool elevated, uint64_t now) {
    if (!enabled_ || !pending_ || switchRunning || now < changedAt_ + SettleMs) return Action::None;
    pending_ = false;
    if (anyPublic_ && sharing == 1) return elevated ? Action::SwitchOff : Action::SuggestOff;
    if (!anyPublic_ && sharing == 0 && offByRule_) return elevated ? Action::SwitchOn : Action::SuggestOn;
    return Action::None;
}

void TNetworkRule::RuleSwitchEnded(int32_t sharing) {
    offByRule_ = sharing == 0;
}

void TNetworkRule::UserSwitched() {
    pending_ = false;
    offByRule_ = false;
}

} // namespace Main
