// Dependents discovery: which services name a given one in their DependOnService value, and
// the breadth-first walk over them.
#include <algorithm>
#include <vector>

#include "platform/handles.h"
#include "platform/platform.h"
#include "sharing/killserv.h"

namespace KillServ {
using namespace plat;

namespace {

const std::string kServicesKey = "SYSTEM\\CurrentControlSet\\Services";
const char* const kDependOnService = "DependOnService";
constexpr DWORD kLongestKeyName = 255;
// No dependency list comes near this; a larger size is treated as a failed read.
constexpr DWORD kValueSizeLimit = 16u << 20;
constexpr int kReadAttempts = 8;

TStringList ReadSubkeyNames(const std::string& path) {
    TStringList names;
    unique_hkey key;
    if (Os().registry->RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, key.put()) != 0)
        return names;
    DWORD count = 0;
    DWORD longest = 0;
    if (Os().registry->RegQueryInfoKeyA(key.get(), &count, &longest) != 0) return names;
    std::vector<char> name(std::max(longest, kLongestKeyName) + 1);
    for (DWORD i = 0; i < count; ++i) {
        auto length = static_cast<DWORD>(name.size());
        LONG rc = Os().registry->RegEnumKeyExA(key.get(), i, name.data(), &length);
        if (rc == static_cast<LONG>(ERROR_MORE_DATA)) {
            name.resize(32768);
            length = static_cast<DWORD>(name.size());
            rc = Os().registry->RegEnumKeyExA(key.get(), i, name.data(), &length);
        }
        if (rc == static_cast<LONG>(ERROR_NO_MORE_ITEMS)) break;
        if (rc != 0) continue;
        names.emplace_back(name.data(), std::min<size_t>(length, name.size()));
    }
    return names;
}

bool IgnoredType(DWORD type) {
    return type == REG_EXPAND_SZ || type == REG_DWORD || type == REG_BINARY;
}

// Reads the value's bytes; a value that grows between the size query and the read is read
// again at its new size. A read that keeps failing ends the run.
std::string ReadValueData(const unique_hkey& key, const char* name, DWORD size, DWORD* type) {
    std::vector<uint8_t> data;
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
        if (size > kValueSizeLimit) break;
        data.resize(size);
        DWORD got = size;
        const LONG rc = Os().registry->RegQueryValueExA(key.get(), name, type, data.data(), &got);
        if (rc == 0) return std::string(data.begin(), data.begin() + std::min(got, size));
        if (rc != static_cast<LONG>(ERROR_MORE_DATA) || got <= size) break;
        size = got;
    }
    throw EKillServError(std::string("Failed to get data for '") + name + "'");
}

// Whether the value of one service's key names target (upper-cased), and how often.
int Mentions(const std::string& serviceKey, const std::string& target) {
    unique_hkey key;
    const std::string path = kServicesKey + "\\" + serviceKey;
    if (Os().registry->RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, key.put()) != 0) return 0;
    DWORD type = 0;
    DWORD size = 0;
    if (Os().registry->RegQueryValueExA(key.get(), kDependOnService, &type, nullptr, &size) != 0 || size == 0)
        return 0;
    if (IgnoredType(type)) return 0;
    const std::string data = ReadValueData(key, kDependOnService, size, &type);
    if (IgnoredType(type)) return 0;
    if (type == REG_SZ) {
        const TStringList items = SplitCommaText(data);
        return std::any_of(items.begin(), items.end(),
                           [&](const auto& item) { return UpperCase(item) == target; })
                   ? 1
                   : 0;
    }
    const TStringList items = SplitMultiString(data);
    return static_cast<int>(std::count_if(items.begin(), items.end(),
                                          [&](const auto& item) { return UpperCase(item) == target; }));
}

bool Holds(const TStringList& list, const std::string& name) {
    return std::any_of(list.begin(), list.end(), [&](const auto& entry) { return SameText(entry, name); });
}

} // namespace

TStringList TKT::FindDependents(const std::string& Name) {
    TStringList result;
    if (Name.empty()) return result; // no service has an empty name
    const std::string target = UpperCase(Name);
    for (const auto& serviceKey : ReadSubkeyNames(kServicesKey))
        for (int n = Mentions(serviceKey, target); n > 0; --n)
            result.push_back(serviceKey);
    return result;
}

void TKT::CollectDependents(const std::string& Root) {
    size_t cursor = DependentList.size();
    TStringList PendingList = FindDependents(Root);
    for (;;) {
        TStringList fresh;
        for (auto& name : PendingList)
            if (!Holds(DependentList, name)) fresh.push_back(std::move(name));
        DependentList.insert(DependentList.end(), fresh.begin(), fresh.end());
        PendingList.clear();
        if (cursor == DependentList.size()) return;
        PendingList = FindDependents(DependentList[cursor]);
        ++cursor;
    }
}

} // namespace KillServ
