#include "platform/win32/win32_networks.h"

#include <initguid.h>
// initguid.h first, so these define the GUIDs they name.
#include <netlistmgr.h>
#include <objbase.h>
#include <ocidl.h>

namespace win32 {

// Hands every event of the Network List Manager to the main loop as a posted message; what
// changed is read afresh there.
class NetworkEventSink final : public INetworkEvents {
  public:
    NetworkEventSink(HWND window, UINT message) : window_(window), message_(message) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_INetworkEvents)) {
            *object = static_cast<INetworkEvents*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(InterlockedIncrement(&references_));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE NetworkAdded(GUID) override { return Post(); }
    HRESULT STDMETHODCALLTYPE NetworkDeleted(GUID) override { return Post(); }
    HRESULT STDMETHODCALLTYPE NetworkConnectivityChanged(GUID, NLM_CONNECTIVITY) override { return Post(); }
    HRESULT STDMETHODCALLTYPE NetworkPropertyChanged(GUID, NLM_NETWORK_PROPERTY_CHANGE) override {
        return Post();
    }

  private:
    HRESULT Post() {
        ::PostMessageW(window_, message_, 0, 0);
        return S_OK;
    }
    HWND window_;
    UINT message_;
    LONG references_ = 1;
};

namespace {

INetworkListManager* Manager(void* p) {
    return static_cast<INetworkListManager*>(p);
}

std::string GuidText(const GUID& id) {
    wchar_t text[64] = {};
    const int n = ::StringFromGUID2(id, text, 64);
    std::string out;
    for (int i = 0; i + 1 < n; ++i)
        out += static_cast<char>(text[i]); // a GUID's text is ASCII
    return out;
}

} // namespace

plat::HRESULT Win32Networks::StartWatching(plat::HWND window, plat::UINT message) {
    StopWatching();
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(com) && com != RPC_E_CHANGED_MODE) return com;
    comStarted_ = SUCCEEDED(com);
    INetworkListManager* manager = nullptr;
    HRESULT hr = ::CoCreateInstance(CLSID_NetworkListManager, nullptr, CLSCTX_ALL, IID_INetworkListManager,
                                    reinterpret_cast<void**>(&manager));
    if (FAILED(hr)) {
        StopWatching();
        return hr;
    }
    manager_ = manager;
    IConnectionPointContainer* container = nullptr;
    hr = manager->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container));
    IConnectionPoint* point = nullptr;
    if (SUCCEEDED(hr)) {
        hr = container->FindConnectionPoint(IID_INetworkEvents, &point);
        container->Release();
    }
    if (SUCCEEDED(hr)) {
        sink_ = new NetworkEventSink(reinterpret_cast<HWND>(window), message);
        hr = point->Advise(sink_, &cookie_);
        point_ = point;
    }
    if (FAILED(hr)) StopWatching();
    return hr;
}

void Win32Networks::StopWatching() {
    if (point_) {
        auto* point = static_cast<IConnectionPoint*>(point_);
        if (cookie_) point->Unadvise(cookie_);
        point->Release();
    }
    point_ = nullptr;
    cookie_ = 0;
    if (sink_) sink_->Release();
    sink_ = nullptr;
    if (manager_) Manager(manager_)->Release();
    manager_ = nullptr;
    if (comStarted_) ::CoUninitialize();
    comStarted_ = false;
}

plat::HRESULT Win32Networks::GetConnectedNetworks(std::vector<plat::ConnectedNetwork>* networks) {
    if (!manager_) return E_POINTER;
    IEnumNetworks* list = nullptr;
    HRESULT hr = Manager(manager_)->GetNetworks(NLM_ENUM_NETWORK_CONNECTED, &list);
    if (FAILED(hr)) return hr;
    std::vector<plat::ConnectedNetwork> found;
    for (;;) {
        INetwork* network = nullptr;
        ULONG fetched = 0;
        if (list->Next(1, &network, &fetched) != S_OK || fetched == 0 || !network) break;
        NLM_NETWORK_CATEGORY category = NLM_NETWORK_CATEGORY_PUBLIC;
        GUID id{};
        if (SUCCEEDED(network->GetCategory(&category)) && SUCCEEDED(network->GetNetworkId(&id)))
            found.push_back({GuidText(id), static_cast<int32_t>(category)});
        network->Release();
    }
    list->Release();
    if (networks) *networks = std::move(found);
    return S_OK;
}

} // namespace win32
