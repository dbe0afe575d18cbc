#pragma once
// The services' dependencies as one pass over the registry finds them, and the two orders
// drawn from them: the breadth-first walk of dependents and the order in which to stop them.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "sharing/killserv_text.h"

namespace KillServ {

// What the DependOnService values of the service keys name, in the registry's subkey order.
// Built by one read of every key; every question after that is answered from memory.
class TDependencyTable {
  public:
    // One service key and the items of its value. A multi-string lists its service once per
    // mention of a name; a REG_SZ comma text (countEachMention false) once however often.
    void Add(const std::string& service, const TStringList& items, bool countEachMention);

    // The services that name Name, in subkey order and spelled as their keys are.
    TStringList DependentsOf(const std::string& Name) const;

    // Appends to list every service that depends on Root directly or through others and
    // that list does not hold yet, breadth first; a service whose value names one of the
    // walk's names twice is appended twice.
    void CollectDependents(const std::string& Root, TStringList& list) const;

    // Upper-cased names of every service that depends on Name directly or through others
    // (Name itself only when it is on a circle).
    std::unordered_set<std::string> AllDependentsOf(const std::string& Name) const;

    size_t ServiceCount() const { return services_.size(); }

  private:
    struct Mention {
        uint32_t service; // index into services_
        uint32_t times;
    };
    std::vector<std::string> services_;
    std::vector<std::string> upperServices_;
    std::unordered_map<std::string, std::vector<Mention>> dependents_; // by upper-cased name
};

// Reads the DependOnService value of every key under HKEY_LOCAL_MACHINE
// "SYSTEM\CurrentControlSet\Services" once. A key that cannot be enumerated or opened, a
// missing or empty value and a value of an ignored type count as no dependency; a value whose
// data cannot be read raises EKillServError. A services key that cannot be opened gives an
// empty table.
TDependencyTable ReadDependencyTable();

// The names of list in the order to stop them: each after every listed service that depends
// on it, directly or through other services the table knows. Ties, a name listed twice and
// the services on a circle keep the order of list.
TStringList StopOrder(const TStringList& list, const TDependencyTable& dependencies);
// The same order in layers that may be stopped together: each layer holds the services whose
// dependents in the list are all in earlier layers, in the list's order. A service on a
// dependency circle with another of the list has a layer of its own, as the order puts it.
// Starting goes through the layers backwards.
std::vector<TStringList> StopLayers(const TStringList& list, const TDependencyTable& dependencies);

} // namespace KillServ
