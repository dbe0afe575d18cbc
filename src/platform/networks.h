#pragma once
// The Network List Manager: which networks are connected and how Windows classes them.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/types.h"

namespace plat {

using HRESULT = int32_t; // 0 is success

inline constexpr int32_t NLM_NETWORK_CATEGORY_PUBLIC = 0;
inline constexpr int32_t NLM_NETWORK_CATEGORY_PRIVATE = 1;
inline constexpr int32_t NLM_NETWORK_CATEGORY_DOMAIN_AUTHENTICATED = 2;

// Sent to every top-level window when the machine wakes from sleep or hibernation.
inline constexpr UINT WM_POWERBROADCAST = 0x0218;
inline constexpr WPARAM PBT_APMRESUMEAUTOMATIC = 0x12;

struct ConnectedNetwork {
    std::string id; // the network's GUID as text
    int32_t category = NLM_NETWORK_CATEGORY_PUBLIC;
};

class INetworkList {
  public:
    virtual ~INetworkList() = default;
    // Starts watching, on the calling thread (COM, single-threaded; its messages must be
    // pumped): every connect, disconnect or change of category posts message to window.
    // 0, or the COM error that says why the Network List Manager cannot be had.
    virtual HRESULT StartWatching(HWND window, UINT message) = 0;
    virtual void StopWatching() = 0;
    virtual HRESULT GetConnectedNetworks(std::vector<ConnectedNetwork>* networks) = 0;
};

} // namespace plat
