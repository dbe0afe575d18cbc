// Group Policy values, read through the platform's registry.
#include "sharing/policy.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/handles.h"
#include "platform/platform.h"

namespace KillServ {
using namespace plat;

namespace {

// The service manager takes names of up to 256 characters.
constexpr DWORD kLongestServiceName = 256;

bool ReadDword(HKEY key, const char* name, DWORD& out) {
    DWORD type = 0;
    uint8_t data[4] = {};
    DWORD size = sizeof data;
    if (Os().registry->RegQueryValueEx(key, name, &type, data, &size) != ERROR_SUCCESS) return false;
    if (type != REG_DWORD || size != sizeof data) return false;
    std::memcpy(&out, data, sizeof out);
    return true;
}

bool ReadString(HKEY key, const char* name, std::string& out) {
    DWORD type = 0;
    std::vector<uint8_t> data(kLongestServiceName + 1, 0);
    DWORD size = static_cast<DWORD>(data.size());
    // A longer value answers ERROR_MORE_DATA: it cannot name a service and is left out.
    if (Os().registry->RegQueryValueEx(key, name, &type, data.data(), &size) != ERROR_SUCCESS) return false;
    if (type != REG_SZ) return false;
    out.assign(
        reinterpret_cast<const char*>(data.data()),
        strnlen(reinterpret_cast<const char*>(data.data()), std::min<size_t>(size, kLongestServiceName)));
    return true;
}

} // namespace

TPolicy ReadPolicy() {
    TPolicy policy;
    unique_hkey key;
    if (Os().registry->RegOpenKeyEx(HKEY_LOCAL_MACHINE, PolicyKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return policy;
    DWORD disable = 0;
    if (ReadDword(key.get(), "DisableAutoStart", disable)) policy.DisableAutoStart = disable != 0;
    if (ReadDword(key.get(), "DisablePublicNetworkRule", disable))
        policy.DisablePublicNetworkRule = disable != 0;
    std::string second;
    if (ReadString(key.get(), "SecondService", second)) policy.SecondService = second;
    std::string language;
    if (ReadString(key.get(), "Language", language)) policy.Language = language;
    return policy;
}

} // namespace KillServ
