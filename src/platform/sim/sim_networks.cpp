#include "platform/sim/sim_networks.h"

#include <algorithm>

#include "platform/sim/sim_ui.h"

namespace sim {
using namespace plat;

HRESULT SimNetworks::StartWatching(HWND window, UINT message) {
    if (error_) return error_;
    window_ = window;
    message_ = message;
    return 0;
}

HRESULT SimNetworks::GetConnectedNetworks(std::vector<ConnectedNetwork>* networks) {
    if (error_) return error_;
    if (networks) *networks = networks_;
    return 0;
}

void SimNetworks::Connect(const std::string& id, int32_t category) {
    Disconnect(id);
    networks_.push_back({id, category});
    Changed();
}

void SimNetworks::Disconnect(const std::string& id) {
    const auto before = networks_.size();
    std::erase_if(networks_, [&](const ConnectedNetwork& n) { return n.id == id; });
    if (networks_.size() != before) Changed();
}

void SimNetworks::SetCategory(const std::string& id, int32_t category) {
    for (auto& n : networks_)
        if (n.id == id) n.category = category;
    Changed();
}

void SimNetworks::Changed() {
    if (window_) user_.PostMessage(window_, message_, 0, 0);
}

} // namespace sim
