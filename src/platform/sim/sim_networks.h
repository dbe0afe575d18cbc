#pragma once
#include <string>
#include <vector>

#include "platform/networks.h"

namespace sim {

class SimUser;

// Networks a test connects, disconnects and reclassifies; each change is posted to the
// watching window, as the Network List Manager's events are.
class SimNetworks : public plat::INetworkList {
  public:
    explicit SimNetworks(SimUser& user) : user_(user) {}
    plat::HRESULT StartWatching(plat::HWND window, plat::UINT message) override;
    void StopWatching() override { window_ = 0; }
    plat::HRESULT GetConnectedNetworks(std::vector<plat::ConnectedNetwork>* networks) override;

    void Connect(const std::string& id, int32_t category);
    void Disconnect(const std::string& id);
    void SetCategory(const std::string& id, int32_t category);
    // COM cannot give the Network List Manager (0 ends it).
    void Fail(plat::HRESULT error) { error_ = error; }
    bool Watched() const { return window_ != 0; }

  private:
    void Changed();
    SimUser& user_;
    std::vector<plat::ConnectedNetwork> networks_;
    plat::HWND window_ = 0;
    plat::UINT message_ = 0;
    plat::HRESULT error_ = 0;
};

} // namespace sim
