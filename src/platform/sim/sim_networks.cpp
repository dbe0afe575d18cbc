#include "platform/sim/sim_networks.h"

#include <algorithm>

#include "platform/sim/sim_ui.h"

namespace sim {
using namespace plat;

namespace {
constexpr uint64_t kRepeatSpacingMs = 250;
}

HRESULT SimNetworks::StartWatching(HWND window, UINT message) {
    if (error_) return error_;
    window_ = window;
    message_ = message;
    return 0;
}

// rule: nlm-connected-networks
HRESULT SimNetworks::GetConnectedNetworks(std::vector<ConnectedNetwork>* networks) {
    if (error_) return error_;
    if (networks) {
        networks->clear();
        for (const auto& n : networks_)
            networks->push_back(n.shown);
    }
    return 0;
}

void SimNetworks::Connect(const std::string& id, int32_t category) {
    ConnectIdentifiedAfter(id, category, identifyMs_);
}

void SimNetworks::ConnectIdentifiedAfter(const std::string& id, int32_t category, uint64_t ms) {
    Disconnect(id);
    const uint64_t generation = ++generations_;
    // rule: nlm-identifying-shown-public
    networks_.push_back({{id, ms ? NLM_NETWORK_CATEGORY_PUBLIC : category}, generation});
    Changed();
    if (!ms) return;
    user_.After(ms, [this, id, category, generation] {
        // A network gone or reconnected meanwhile is another connection.
        for (auto& n : networks_)
            if (n.shown.id == id && n.generation == generation && n.shown.category != category) {
                n.shown.category = category;
                Changed();
            }
    });
}

void SimNetworks::Disconnect(const std::string& id) {
    const auto before = networks_.size();
    std::erase_if(networks_, [&](const Network& n) { return n.shown.id == id; });
    if (networks_.size() != before) Changed();
}

void SimNetworks::SetCategory(const std::string& id, int32_t category) {
    for (auto& n : networks_)
        if (n.shown.id == id) n.shown.category = category;
    Changed();
}

void SimNetworks::Resume() {
    // rule: power-resume-broadcast
    for (HWND h : user_.Windows())
        if (user_.IsTopLevel(h)) user_.PostMessage(h, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    Changed();
}

// rule: nlm-events-on-change
void SimNetworks::Changed() {
    if (!window_) return;
    user_.PostMessage(window_, message_, 0, 0);
    // rule: nlm-events-repeat
    for (uint32_t i = 1; i < repeats_; ++i)
        user_.After(i * kRepeatSpacingMs, [this] {
            if (window_) user_.PostMessage(window_, message_, 0, 0);
        });
}

} // namespace sim
