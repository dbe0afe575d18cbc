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

    // Connected now; with an identification time set, listed as an unidentified Public
    // network for that long before its own category.
    void Connect(const std::string& id, int32_t category);
    // Connected, and identified after ms (0: at once); what boot does with its networks.
    void ConnectIdentifiedAfter(const std::string& id, int32_t category, uint64_t ms);
    void Disconnect(const std::string& id);
    void SetCategory(const std::string& id, int32_t category);
    // How long a network connected later is identified, and how often each event comes.
    void SetIdentification(uint64_t ms, uint32_t eventRepeats) {
        identifyMs_ = ms;
        repeats_ = eventRepeats ? eventRepeats : 1;
    }
    // The machine wakes from sleep: windows are told, the same networks are announced again.
    void Resume();
    // COM cannot give the Network List Manager (0 ends it).
    void Fail(plat::HRESULT error) { error_ = error; }
    bool Watched() const { return window_ != 0; }

  private:
    struct Network {
        plat::ConnectedNetwork shown;
        uint64_t generation = 0;
    };
    void Changed();
    SimUser& user_;
    std::vector<Network> networks_;
    uint64_t generations_ = 0;
    uint64_t identifyMs_ = 0;
    uint32_t repeats_ = 1;
    plat::HWND window_ = 0;
    plat::UINT message_ = 0;
    plat::HRESULT error_ = 0;
};

} // namespace sim
