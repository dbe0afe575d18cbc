#pragma once
#include "platform/networks.h"

namespace win32 {

class NetworkEventSink;

// INetworkListManager and its INetworkEvents connection point, on the thread that started
// watching.
class Win32Networks : public plat::INetworkList {
  public:
    ~Win32Networks() override { StopWatching(); }
    plat::HRESULT StartWatching(plat::HWND window, plat::UINT message) override;
    void StopWatching() override;
    plat::HRESULT GetConnectedNetworks(std::vector<plat::ConnectedNetwork>* networks) override;

  private:
    void* manager_ = nullptr; // INetworkListManager*
    void* point_ = nullptr;   // IConnectionPoint*
    NetworkEventSink* sink_ = nullptr;
    unsigned long cookie_ = 0;
    bool comStarted_ = false;
};

} // namespace win32
