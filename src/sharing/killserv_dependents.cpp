// Dependents discovery: one pass over the services' registry keys, then the breadth-first walk
// and the stop order in memory.
#include "sharing/killserv_dependents.h"

#include <algorithm>
#include <array>
#include <unordered_set>

#include "platform/handles.h"
#include "platform/platform.h"
#include "sharing/killserv.h"

namespace KillServ {
using namespace plat;

namespace {

const char* const kServicesKey = "SYSTEM\\CurrentControlSet\\Services";
const char* const kDependOnService = "DependOnService";
constexpr DWORD kLongestKeyName = 255;
// No dependency list comes near this; a larger size is treated as a failed read.
constexpr DWORD kValueSizeLimit = 16u << 20;
constexpr int kReadAttempts = 8;
// Holds nearly every DependOnService in one query; a longer one is read again at its size.
constexpr DWORD kFirstReadSize = 512;

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
        const LONG rc = Os().registry->RegQueryValueEx(key.get(), name, type, data.data(), &got);
        if (rc == 0) return std::string(data.begin(), data.begin() + std::min(got, size));
        if (rc != static_cast<LONG>(ERROR_MORE_DATA) || got <= size) break;
        size = got;
    }
    throw EKillServError(std::string("Failed to get data for '") + name + "'"); // english: the worker's own
}

// The value's bytes when it counts (present, not empty, of a type that is read); false when
// the service has no dependency. The first query asks for type, size and data at once.
bool ReadDependOnService(const unique_hkey& key, std::string& data, DWORD& type) {
    std::array<uint8_t, kFirstReadSize> first;
    DWORD size = kFirstReadSize;
    const LONG rc = Os().registry->RegQueryValueEx(key.get(), kDependOnService, &type, first.data(), &size);
    if (rc == 0) {
        if (size == 0 || IgnoredType(type)) return false;
        data.assign(first.begin(), first.begin() + std::min(size, kFirstReadSize));
        return true;
    }
    if (rc == static_cast<LONG>(ERROR_FILE_NOT_FOUND)) return false;
    // A failed read counts only for a value that would be read: ask type and size alone.
    if (rc != static_cast<LONG>(ERROR_MORE_DATA) &&
        Os().registry->RegQueryValueEx(key.get(), kDependOnService, &type, nullptr, &size) != 0)
        return false;
    if (size == 0 || IgnoredType(type)) return false;
    data = ReadValueData(key, kDependOnService, size, &type);
    return !IgnoredType(type);
}

void ReadServiceKey(const unique_hkey& services, const std::string& service, TDependencyTable& table) {
    unique_hkey key;
    if (Os().registry->RegOpenKeyEx(services.get(), service.c_str(), 0, KEY_READ, key.put()) != 0) return;
    std::string data;
    DWORD type = 0;
    if (!ReadDependOnService(key, data, type)) return;
    if (type == REG_SZ)
        table.Add(service, SplitCommaText(data), false);
    else
        table.Add(service, SplitMultiString(data), true);
}

// The subkey name at index, or false when the subkey is to be skipped; done is set at the end.
bool SubkeyName(const unique_hkey& services, DWORD index, std::vector<char>& buffer, std::string& name,
                bool& done) {
    auto length = static_cast<DWORD>(buffer.size());
    LONG rc = Os().registry->RegEnumKeyEx(services.get(), index, buffer.data(), &length);
    if (rc == static_cast<LONG>(ERROR_MORE_DATA)) {
        buffer.resize(32768);
        length = static_cast<DWORD>(buffer.size());
        rc = Os().registry->RegEnumKeyEx(services.get(), index, buffer.data(), &length);
    }
    done = rc == static_cast<LONG>(ERROR_NO_MORE_ITEMS);
    if (rc != 0) return false;
    name.assign(buffer.data(), std::min<size_t>(length, buffer.size()));
    return true;
}

} // namespace

void TDependencyTable::Add(const std::string& service, const TStringList& items, bool countEachMention) {
    const auto index = static_cast<uint32_t>(services_.size());
    services_.push_back(service);
    upperServices_.push_back(UpperCase(service));
    // Mentions in the order the items come; each name of this service counted once here.
    std::vector<std::pair<std::string, uint32_t>> counts;
    for (const auto& item : items) {
        if (item.empty()) continue; // no service has an empty name
        std::string name = UpperCase(item);
        auto it = std::find_if(counts.begin(), counts.end(), [&](const auto& c) { return c.first == name; });
        if (it == counts.end())
            counts.emplace_back(std::move(name), 1);
        else if (countEachMention)
            ++it->second;
    }
    for (auto& [name, times] : counts)
        dependents_[std::move(name)].push_back(Mention{index, times});
}

TStringList TDependencyTable::DependentsOf(const std::string& Name) const {
    TStringList result;
    auto it = dependents_.find(UpperCase(Name));
    if (it == dependents_.end()) return result;
    for (const auto& mention : it->second)
        result.insert(result.end(), mention.times, services_[mention.service]);
    return result;
}

void TDependencyTable::CollectDependents(const std::string& Root, TStringList& list) const {
    std::unordered_set<std::string> held;
    for (const auto& name : list)
        held.insert(UpperCase(name));
    size_t cursor = list.size();
    TStringList PendingList = DependentsOf(Root);
    for (;;) {
        // Names already held are dropped; a name twice in one fetch stays twice.
        const size_t merged = list.size();
        for (auto& name : PendingList)
            if (!held.contains(UpperCase(name))) list.push_back(std::move(name));
        for (size_t i = merged; i < list.size(); ++i)
            held.insert(UpperCase(list[i]));
        PendingList.clear();
        if (cursor == list.size()) return;
        PendingList = DependentsOf(list[cursor]);
        ++cursor;
    }
}

std::unordered_set<std::string> TDependencyTable::AllDependentsOf(const std::string& Name) const {
    std::unordered_set<std::string> found;
    std::vector<std::string> pending{UpperCase(Name)};
    while (!pending.empty()) {
        const std::string name = std::move(pending.back());
        pending.pop_back();
        auto it = dependents_.find(name);
        if (it == dependents_.end()) continue;
        for (const auto& mention : it->second)
            if (found.insert(upperServices_[mention.service]).second)
                pending.push_back(upperServices_[mention.service]);
    }
    return found;
}

namespace {

// For each place of list: how many places must stop before it, and which places wait for it.
struct Waiting {
    std::vector<uint32_t> count;
    std::vector<std::vector<size_t>> releases;
    std::vector<bool> onCircle; // with another service of the list
};

// Place i waits for place j when j's service depends on i's and not the other way round: on
// a circle neither waits, and a name listed twice never waits for itself.
Waiting WhoWaits(const TStringList& list, const TDependencyTable& dependencies) {
    const size_t n = list.size();
    std::vector<std::string> upper(n);
    std::unordered_map<std::string, std::unordered_set<std::string>> dependentsOf;
    for (size_t i = 0; i < n; ++i) {
        upper[i] = UpperCase(list[i]);
        if (!dependentsOf.contains(upper[i]))
            dependentsOf.emplace(upper[i], dependencies.AllDependentsOf(upper[i]));
    }
    Waiting waiting{std::vector<uint32_t>(n, 0), std::vector<std::vector<size_t>>(n),
                    std::vector<bool>(n, false)};
    for (size_t i = 0; i < n; ++i)
        for (size_t j = 0; j < n; ++j) {
            if (upper[i] == upper[j] || !dependentsOf[upper[i]].contains(upper[j])) continue;
            if (dependentsOf[upper[j]].contains(upper[i])) {
                waiting.onCircle[i] = true;
                continue;
            }
            ++waiting.count[i];
            waiting.releases[j].push_back(i);
        }
    return waiting;
}

} // namespace

TStringList StopOrder(const TStringList& list, const TDependencyTable& dependencies) {
    const size_t n = list.size();
    Waiting waiting = WhoWaits(list, dependencies);
    // Always the earliest listed of the services free to stop, so ties keep the list's order.
    TStringList order;
    std::vector<bool> done(n, false);
    for (;;) {
        size_t next = 0;
        while (next < n && (done[next] || waiting.count[next] != 0))
            ++next;
        if (next == n) break;
        done[next] = true;
        order.push_back(list[next]);
        for (size_t i : waiting.releases[next])
            --waiting.count[i];
    }
    // Waiting is acyclic, so nothing is left; should anything be, it still gets its stop.
    for (size_t i = 0; i < n; ++i)
        if (!done[i]) order.push_back(list[i]);
    return order;
}

std::vector<TStringList> StopLayers(const TStringList& list, const TDependencyTable& dependencies) {
    const size_t n = list.size();
    Waiting waiting = WhoWaits(list, dependencies);
    std::vector<TStringList> layers;
    std::vector<bool> done(n, false);
    std::unordered_set<std::string> placed; // a name listed twice is stopped once
    auto place = [&](TStringList& layer, size_t i) {
        if (placed.insert(UpperCase(list[i])).second) layer.push_back(list[i]);
    };
    for (;;) {
        std::vector<size_t> free;
        for (size_t i = 0; i < n; ++i)
            if (!done[i] && waiting.count[i] == 0) free.push_back(i);
        if (free.empty()) break;
        TStringList together;
        for (size_t i : free)
            if (!waiting.onCircle[i]) place(together, i);
        if (!together.empty()) layers.push_back(std::move(together));
        for (size_t i : free) {
            if (!waiting.onCircle[i]) continue;
            TStringList alone;
            place(alone, i);
            if (!alone.empty()) layers.push_back(std::move(alone));
        }
        for (size_t i : free) {
            done[i] = true;
            for (size_t k : waiting.releases[i])
                --waiting.count[k];
        }
    }
    // Waiting is acyclic, so nothing is left; should anything be, it still gets its stop.
    for (size_t i = 0; i < n; ++i)
        if (!done[i]) {
            TStringList alone;
            place(alone, i);
            if (!alone.empty()) layers.push_back(std::move(alone));
        }
    return layers;
}

TDependencyTable ReadDependencyTable() {
    TDependencyTable table;
    unique_hkey services;
    if (Os().registry->RegOpenKeyEx(HKEY_LOCAL_MACHINE, kServicesKey, 0, KEY_READ, services.put()) != 0)
        return table;
    DWORD count = 0;
    DWORD longest = 0;
    if (Os().registry->RegQueryInfoKey(services.get(), &count, &longest) != 0) return table;
    std::vector<char> buffer(std::max(longest, kLongestKeyName) + 1);
    std::string service;
    bool done = false;
    for (DWORD i = 0; i < count && !done; ++i)
        if (SubkeyName(services, i, buffer, service, done)) ReadServiceKey(services, service, table);
    return table;
}

TStringList TKT::FindDependents(const std::string& Name) {
    if (Name.empty()) return {}; // no service has an empty name: nothing to read
    return ReadDependencyTable().DependentsOf(Name);
}

void TKT::CollectDependents(const std::string& Root) {
    if (Root.empty()) return;
    CollectDependents(Root, ReadDependencyTable());
}

void TKT::CollectDependents(const std::string& Root, const TDependencyTable& Dependencies) {
    Dependencies.CollectDependents(Root, DependentList);
}

} // namespace KillServ
