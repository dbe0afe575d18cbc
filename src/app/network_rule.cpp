#include "app/network_rule.h"

#include <algorithm>

namespace Main {

void TNetworkRule::SetEnabled(bool enabled) {
    if (enabled && !enabled_ && known_) pending_ = true; // switched on: the networks now count
    enabled_ = enabled;
    if (!enabled) offByRule_ = false;
}

bool TNetworkRule::NetworksChanged(const std::vector<plat::ConnectedNetwork>& connected, uint64_t now) {
    std::vector<Seen> next;
    for (const auto& n : connected) {
        const auto before = std::find_if(seen_.begin(), seen_.end(),
                                         [&](const Seen& s) { return s.network.id == n.id; });
        if (before == seen_.end())
            next.push_back({n, now, false});
        else if (before->network.category != n.category)
            next.push_back({n, now, before->counted});
        else
            next.push_back(*before);
    }
    std::sort(next.begin(), next.end(), [](const Seen& a, const Seen& b) { return a.network.id < b.network.id; });
    std::string networks;
    for (const auto& s : next)
        networks += s.network.id + "=" + std::to_string(s.network.category) + ";";
    seen_ = std::move(next);
    if (known_ && networks == networks_) return false;
    known_ = true;
    anyPublic_ = std::any_of(seen_.begin(), seen_.end(), [](const Seen& s) {
        return s.network.category == plat::NLM_NETWORK_CATEGORY_PUBLIC;
    });
    networks_ = networks;
    // Each change starts the wait anew, so a flapping connection is acted on once, when it
    // has settled.
    pending_ = true;
    changedAt_ = now;
    return true;
}

void TNetworkRule::Resumed(uint64_t now) {
    for (auto& s : seen_) {
        s.counted = false;
        s.since = now;
    }
}

bool TNetworkRule::Settled(uint64_t now) const {
    if (now < changedAt_ + SettleMs) return false;
    return std::all_of(seen_.begin(), seen_.end(),
                       [&](const Seen& s) { return now >= s.since + (s.counted ? SettleMs : IdentifyMs); });
}

TNetworkRule::Action TNetworkRule::Decide(int32_t sharing, bool switchRunning, bool elevated, uint64_t now) {
    if (!enabled_ || !pending_ || switchRunning || !Settled(now)) return Action::None;
    for (auto& s : seen_)
        s.counted = true;
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
