// The one-pass dependents walk against the per-name reference walk, over registries made from
// the input: both must collect the same list or end with the same error, close every key,
// and the stop order must be a rearrangement of the list.
//
// Input: byte 0 the number of services (1 to 8, named A..H); then per service a type byte, a
// fault byte, a length byte and that many value bytes drawn from a small alphabet of names,
// separators and quotes; the bytes left choose the roots.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "dependents_reference.h"
#include "platform/sim/sim_platform.h"
#include "sharing/killserv.h"

namespace {

using namespace plat;
const std::string kServices = "SYSTEM\\CurrentControlSet\\Services\\";
// Few letters, so that values often name one another, twice or in another case.
const char kAlphabet[] = "ABCDabcd\0\0\0,, ;\"+\t";

class Input {
  public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t Next() { return at_ < size_ ? data_[at_++] : 0; }
    bool Done() const { return at_ >= size_; }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

std::string ServiceName(int i) {
    return std::string(1, static_cast<char>('A' + i % 8));
}

void Build(Input input, sim::SimRegistry& registry, int& count, Input& rest) {
    count = 1 + input.Next() % 8;
    registry.CreateKey(HKEY_LOCAL_MACHINE, kServices);
    for (int i = 0; i < count; ++i) {
        const std::string key = kServices + ServiceName(i);
        registry.CreateKey(HKEY_LOCAL_MACHINE, key);
        static const DWORD types[] = {REG_MULTI_SZ,  REG_MULTI_SZ, REG_SZ,     REG_SZ,
                                      REG_EXPAND_SZ, REG_DWORD,    REG_BINARY, REG_NONE};
        const uint8_t typeByte = input.Next();
        const uint8_t fault = input.Next();
        const int length = input.Next() % 48;
        std::vector<uint8_t> value;
        for (int b = 0; b < length; ++b)
            value.push_back(static_cast<uint8_t>(kAlphabet[input.Next() % (sizeof kAlphabet - 1)]));
        if (typeByte % 9 != 8)
            registry.SetValue(HKEY_LOCAL_MACHINE, key, "DependOnService", types[typeByte % 8], value);
        switch (fault % 32) {
        case 0:
            registry.FailOpen(HKEY_LOCAL_MACHINE, key, static_cast<LONG>(ERROR_ACCESS_DENIED));
            break;
        case 1:
            registry.FailSubkeyEnumeration(HKEY_LOCAL_MACHINE, key, static_cast<LONG>(ERROR_ACCESS_DENIED));
            break;
        case 2:
            if (typeByte % 9 != 8)
                registry.FailValueRead(HKEY_LOCAL_MACHINE, key, "DependOnService",
                                       static_cast<LONG>(ERROR_ACCESS_DENIED));
            break;
        default:
            break;
        }
    }
    rest = input;
}

std::string Root(Input& input, int count) {
    const uint8_t b = input.Next();
    if (b % 9 == 8) return "";
    std::string name = ServiceName(b % 9 % count);
    if (b & 0x80) name[0] = static_cast<char>(name[0] - 'A' + 'a');
    return name;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    sim::SimPlatform os;
    sim::SimRegistry walkRegistry, refRegistry;
    int count = 0;
    Input rest(data, size);
    Build(Input(data, size), walkRegistry, count, rest);
    Build(Input(data, size), refRegistry, count, rest);

    int32_t spare = 0;
    auto* worker = new KillServ::TKT(0, &spare); // its operations are called directly; it ends below
    KillServ::DependentList.clear();
    KillServ::TStringList expected;
    for (int roots = 0; roots < 3 && !rest.Done(); ++roots) {
        const std::string root = Root(rest, count);
        std::string walkError, refError;
        os.table.registry = &walkRegistry;
        try {
            worker->CollectDependents(root);
        } catch (const KillServ::EKillServError& e) {
            walkError = e.what();
        }
        os.table.registry = &refRegistry;
        try {
            reference::CollectDependents(root, expected);
        } catch (const KillServ::EKillServError& e) {
            refError = e.what();
        }
        if (walkError != refError || KillServ::DependentList != expected) std::abort();
        if (!walkError.empty()) break;
    }
    os.table.registry = &walkRegistry;
    try {
        KillServ::TStringList order = KillServ::StopOrder(expected, KillServ::ReadDependencyTable());
        KillServ::TStringList sorted = expected;
        std::sort(order.begin(), order.end());
        std::sort(sorted.begin(), sorted.end());
        if (order != sorted) std::abort();
    } catch (const KillServ::EKillServError&) {
    }
    if (walkRegistry.OpenHandleCount() != 0 || refRegistry.OpenHandleCount() != 0) std::abort();
    os.table.registry = &os.registry;
    os.threads.RunPending();
    KillServ::DependentList.clear();
    return 0;
}
