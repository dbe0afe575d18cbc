#pragma once
// The straightforward dependents walk, kept as the yardstick of the one-pass walk: every name
// the walk fetches gets a full scan of the services' keys, each opened by its full path from
// HKEY_LOCAL_MACHINE, its value's size asked and then its data read. Used by the equivalence
// tests and the benchmarks; not part of the program.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/handles.h"
#include "platform/platform.h"
#include "sharing/killserv.h"

namespace reference {

using KillServ::TStringList;

inline const std::string kServicesKey = "SYSTEM\\CurrentControlSet\\Services";

inline TStringList ReadSubkeyNames() {
    using namespace plat;
    TStringList names;
    unique_hkey key;
    if (Os().registry->RegOpenKeyEx(HKEY_LOCAL_MACHINE, kServicesKey.c_str(), 0, KEY_READ, key.put()) != 0)
        return names;
    DWORD count = 0;
    DWORD longest = 0;
    if (Os().registry->RegQueryInfoKey(key.get(), &count, &longest) != 0) return names;
    std::vector<char> name(std::max<DWORD>(longest, 255) + 1);
    for (DWORD i = 0; i < count; ++i) {
        auto length = static_cast<DWORD>(name.size());
        LONG rc = Os().registry->RegEnumKeyEx(key.get(), i, name.data(), &length);
        if (rc == static_cast<LONG>(ERROR_MORE_DATA)) {
            name.resize(32768);
            length = static_cast<DWORD>(name.size());
            rc = Os().registry->RegEnumKeyEx(key.get(), i, name.data(), &length);
        }
        if (rc == static_cast<LONG>(ERROR_NO_MORE_ITEMS)) break;
        if (rc != 0) continue;
        names.emplace_back(name.data(), std::min<size_t>(length, name.size()));
    }
    return names;
}

inline bool IgnoredType(plat::DWORD type) {
    return type == plat::REG_EXPAND_SZ || type == plat::REG_DWORD || type == plat::REG_BINARY;
}

inline std::string ReadValueData(const plat::unique_hkey& key, const char* name, plat::DWORD size,
                                 plat::DWORD* type) {
    using namespace plat;
    std::vector<uint8_t> data;
    for (int attempt = 0; attempt < 8; ++attempt) {
        if (size > (16u << 20)) break;
        data.resize(size);
        DWORD got = size;
        const LONG rc = Os().registry->RegQueryValueEx(key.get(), name, type, data.data(), &got);
        if (rc == 0) return std::string(data.begin(), data.begin() + std::min(got, size));
        if (rc != static_cast<LONG>(ERROR_MORE_DATA) || got <= size) break;
        size = got;
    }
    throw KillServ::EKillServError(std::string("Failed to get data for '") + name + "'");
}

// How often one service's value names target (upper-cased): REG_SZ at most once.
inline int Mentions(const std::string& serviceKey, const std::string& target) {
    using namespace plat;
    unique_hkey key;
    const std::string path = kServicesKey + "\\" + serviceKey;
    if (Os().registry->RegOpenKeyEx(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, key.put()) != 0) return 0;
    DWORD type = 0;
    DWORD size = 0;
    if (Os().registry->RegQueryValueEx(key.get(), "DependOnService", &type, nullptr, &size) != 0 || size == 0)
        return 0;
    if (IgnoredType(type)) return 0;
    const std::string data = ReadValueData(key, "DependOnService", size, &type);
    if (IgnoredType(type)) return 0;
    auto matches = [&](const std::string& item) { return KillServ::UpperCase(item) == target; };
    if (type == REG_SZ) {
        const TStringList items = KillServ::SplitCommaText(data);
        return std::any_of(items.begin(), items.end(), matches) ? 1 : 0;
    }
    const TStringList items = KillServ::SplitMultiString(data);
    return static_cast<int>(std::count_if(items.begin(), items.end(), matches));
}

inline TStringList FindDependents(const std::string& name) {
    TStringList result;
    if (name.empty()) return result;
    const std::string target = KillServ::UpperCase(name);
    for (const auto& serviceKey : ReadSubkeyNames())
        for (int n = Mentions(serviceKey, target); n > 0; --n)
            result.push_back(serviceKey);
    return result;
}

inline void CollectDependents(const std::string& root, TStringList& list) {
    auto holds = [&](const std::string& name) {
        return std::any_of(list.begin(), list.end(),
                           [&](const std::string& entry) { return KillServ::SameText(entry, name); });
    };
    size_t cursor = list.size();
    TStringList pending = FindDependents(root);
    for (;;) {
        TStringList fresh;
        for (auto& name : pending)
            if (!holds(name)) fresh.push_back(std::move(name));
        list.insert(list.end(), fresh.begin(), fresh.end());
        pending.clear();
        if (cursor == list.size()) return;
        pending = FindDependents(list[cursor]);
        ++cursor;
    }
}

} // namespace reference
