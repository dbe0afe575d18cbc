#include "platform/sim/sim_registry.h"

#include <algorithm>
#include <cstring>

#include "platform/sim/sim_kernel.h"

namespace sim {
using namespace plat;

namespace {

std::vector<std::string> PathParts(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (c == '\\') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

std::string LowerCase(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

constexpr DWORD kWriteRights = 0x0006; // KEY_SET_VALUE | KEY_CREATE_SUB_KEY
constexpr DWORD kGenericWrite = 0x40000000;
constexpr DWORD kGenericAll = 0x10000000;

bool WantsWrite(DWORD access) {
    return (access & (kWriteRights | kGenericWrite | kGenericAll)) != 0;
}

} // namespace

SimRegistry::~SimRegistry() = default;

// Subkeys are kept in name order, so a look-up is a binary search.
SimRegistry::Key* SimRegistry::Key::Child(const std::string& n) const {
    auto it = std::lower_bound(subkeys.begin(), subkeys.end(), n, [](const auto& k, const std::string& name) {
        return CompareNoCase(k->name, name) < 0;
    });
    return (it != subkeys.end() && SameText((*it)->name, n)) ? it->get() : nullptr;
}

SimRegistry::Value* SimRegistry::Key::FindValue(const std::string& n) {
    for (auto& v : values)
        if (SameText(v.name, n)) return &v;
    return nullptr;
}

SimRegistry::Key* SimRegistry::Root(HKEY root) const {
    if (root == HKEY_LOCAL_MACHINE) return localMachine_.get();
    if (root == HKEY_CURRENT_USER) return currentUser_.get();
    return nullptr;
}

SimRegistry::Key* SimRegistry::Resolve(HKEY key) const {
    if (Key* root = Root(key)) return root;
    auto it = handles_.find(key);
    return it == handles_.end() ? nullptr : it->second.key;
}

SimRegistry::Key* SimRegistry::Walk(Key* from, const std::string& path, bool create, bool* created) {
    Key* k = from;
    for (const auto& part : PathParts(path)) {
        Key* child = k->Child(part);
        if (!child) {
            if (!create) return nullptr;
            auto made = std::make_unique<Key>();
            made->name = part;
            child = made.get();
            auto at = std::find_if(k->subkeys.begin(), k->subkeys.end(),
                                   [&](const auto& s) { return CompareNoCase(s->name, part) > 0; });
            k->subkeys.insert(at, std::move(made));
            if (created) *created = true;
        }
        k = child;
    }
    return k;
}

SimRegistry::Key* SimRegistry::WalkExisting(Key* from, const std::string& path) const {
    Key* k = from;
    for (const auto& part : PathParts(path)) {
        k = k->Child(part);
        if (!k) return nullptr;
    }
    return k;
}

HKEY SimRegistry::NewHandle(Key* key, bool writable) {
    HKEY h = nextHandle_;
    nextHandle_ += 4;
    handles_[h] = Handle{key, writable};
    ++opens_;
    return h;
}

SimRegistry::Fault* SimRegistry::FindFault(Key* key, const std::string& value) {
    for (auto& f : faults_)
        if (f.key == key && SameText(f.value, value)) return &f;
    return nullptr;
}

LONG SimRegistry::RegOpenKeyEx(HKEY key, const char* subKey, DWORD, DWORD access, HKEY* result) {
    Key* from = Resolve(key);
    if (!from || !result) return static_cast<LONG>(ERROR_INVALID_HANDLE);
    if (Root(key)) ++rootOpens_;
    Key* k = WalkExisting(from, subKey ? subKey : "");
    // rule: reg-open-missing-key-2
    if (!k) return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
    if (k->openError != 0) return k->openError;
    *result = NewHandle(k, WantsWrite(access));
    return static_cast<LONG>(ERROR_SUCCESS);
}

LONG SimRegistry::RegCreateKeyEx(HKEY key, const char* subKey, DWORD, DWORD access, HKEY* result,
                                 DWORD* disposition) {
    Key* from = Resolve(key);
    if (!from || !result) return static_cast<LONG>(ERROR_INVALID_HANDLE);
    if (Root(key)) ++rootOpens_;
    Key* existing = WalkExisting(from, subKey ? subKey : "");
    if (existing && existing->openError != 0) return existing->openError;
    bool created = false;
    Key* k = Walk(from, subKey ? subKey : "", true, &created);
    // rule: reg-create-disposition
    if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *result = NewHandle(k, WantsWrite(access));
    return static_cast<LONG>(ERROR_SUCCESS);
}

LONG SimRegistry::RegQueryInfoKey(HKEY key, DWORD* subKeys, DWORD* maxSubKeyLen) {
    Key* k = Resolve(key);
    if (!k) return static_cast<LONG>(ERROR_INVALID_HANDLE);
    size_t longest = 0;
    for (const auto& s : k->subkeys)
        longest = std::max(longest, s->name.size());
    if (subKeys) *subKeys = static_cast<DWORD>(k->subkeys.size());
    if (maxSubKeyLen) *maxSubKeyLen = static_cast<DWORD>(longest);
    return static_cast<LONG>(ERROR_SUCCESS);
}

LONG SimRegistry::RegEnumKeyEx(HKEY key, DWORD index, char* name, DWORD* nameLength) {
    Key* k = Resolve(key);
    if (!k || !nameLength) return static_cast<LONG>(ERROR_INVALID_HANDLE);
    // rule: reg-enum-key-end-259
    if (index >= k->subkeys.size()) return static_cast<LONG>(ERROR_NO_MORE_ITEMS);
    if (k->subkeys[index]->enumError != 0) return k->subkeys[index]->enumError;
    const std::string& n = k->subkeys[index]->name;
    // rule: reg-enum-key-more-data
    if (!name || *nameLength < n.size() + 1) return static_cast<LONG>(ERROR_MORE_DATA);
    std::memcpy(name, n.c_str(), n.size() + 1);
    *nameLength = static_cast<DWORD>(n.size());
    return static_cast<LONG>(ERROR_SUCCESS);
}

LONG SimRegistry::RegQueryValueEx(HKEY key, const char* valueName, DWORD* type, uint8_t* data,
                                  DWORD* dataSize) {
    Key* k = Resolve(key);
    if (!k) return static_cast<LONG>(ERROR_INVALID_HANDLE);
    // rule: reg-query-value-data-without-size
    if (data && !dataSize) return static_cast<LONG>(ERROR_INVALID_PARAMETER);
    const std::string name = valueName ? valueName : "";
    ++k->valueQueries[LowerCase(name)];
    Value* v = k->FindValue(name);
    if (!v) return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
    if (data) {
        if (Fault* f = FindFault(k, name)) {
            if (f->changeSize && f->readsBefore > 0) {
                --f->readsBefore;
            } else if (f->changeSize) {
                v->data = f->newData;
                faults_.erase(faults_.begin() + (f - faults_.data()));
            } else {
                return f->code;
            }
        }
    }
    const auto size = static_cast<DWORD>(v->data.size());
    if (type) *type = v->type;
    if (data) {
        // rule: reg-query-value-more-data-gives-size
        if (*dataSize < size) {
            *dataSize = size;
            return static_cast<LONG>(ERROR_MORE_DATA);
        }
        if (size) std::memcpy(data, v->data.data(), size);
    }
    if (dataSize) *dataSize = size;
    return static_cast<LONG>(ERROR_SUCCESS);
}

LONG SimRegistry::RegSetValueEx(HKEY key, const char* valueName, DWORD type, const uint8_t* data,
                                DWORD dataSize) {
    auto it = handles_.find(key);
    if (it == handles_.end()) return static_cast<LONG>(ERROR_INVALID_HANDLE);
    // rule: reg-write-needs-set-value-right
    if (!it->second.writable) return static_cast<LONG>(ERROR_ACCESS_DENIED);
    if (!data && dataSize) return static_cast<LONG>(ERROR_INVALID_PARAMETER);
    Key* k = it->second.key;
    const std::string name = valueName ? valueName : "";
    std::vector<uint8_t> bytes(data, data + dataSize);
    if (Value* v = k->FindValue(name)) {
        v->type = type;
        v->data = std::move(bytes);
    } else {
        k->values.push_back(Value{name, type, std::move(bytes)});
    }
    return static_cast<LONG>(ERROR_SUCCESS);
}

LONG SimRegistry::RegDeleteValue(HKEY key, const char* valueName) {
    auto it = handles_.find(key);
    if (it == handles_.end()) return static_cast<LONG>(ERROR_INVALID_HANDLE);
    if (!it->second.writable) return static_cast<LONG>(ERROR_ACCESS_DENIED);
    auto& values = it->second.key->values;
    const std::string name = valueName ? valueName : "";
    // rule: reg-names-case-insensitive
    auto v =
        std::find_if(values.begin(), values.end(), [&](const Value& x) { return SameText(x.name, name); });
    if (v == values.end()) return static_cast<LONG>(ERROR_FILE_NOT_FOUND);
    values.erase(v);
    return static_cast<LONG>(ERROR_SUCCESS);
}

LONG SimRegistry::RegCloseKey(HKEY key) {
    if (Root(key)) return static_cast<LONG>(ERROR_SUCCESS);
    // rule: reg-close-unknown-handle-6
    if (handles_.erase(key) == 0) return static_cast<LONG>(ERROR_INVALID_HANDLE);
    return static_cast<LONG>(ERROR_SUCCESS);
}

void SimRegistry::CreateKey(HKEY root, const std::string& path) {
    Walk(Root(root), path, true);
}

void SimRegistry::SetValue(HKEY root, const std::string& path, const std::string& name, DWORD type,
                           std::vector<uint8_t> data) {
    Key* k = Walk(Root(root), path, true);
    if (Value* v = k->FindValue(name)) {
        v->type = type;
        v->data = std::move(data);
    } else {
        k->values.push_back(Value{name, type, std::move(data)});
    }
}

void SimRegistry::SetString(HKEY root, const std::string& path, const std::string& name,
                            const std::string& text, DWORD type) {
    std::vector<uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    SetValue(root, path, name, type, std::move(data));
}

void SimRegistry::SetMultiString(HKEY root, const std::string& path, const std::string& name,
                                 const std::vector<std::string>& items) {
    std::vector<uint8_t> data;
    for (const auto& item : items) {
        data.insert(data.end(), item.begin(), item.end());
        data.push_back(0);
    }
    data.push_back(0);
    SetValue(root, path, name, REG_MULTI_SZ, std::move(data));
}

void SimRegistry::SetDword(HKEY root, const std::string& path, const std::string& name, DWORD value) {
    std::vector<uint8_t> data(4);
    for (int i = 0; i < 4; ++i)
        data[i] = static_cast<uint8_t>(value >> (8 * i));
    SetValue(root, path, name, REG_DWORD, std::move(data));
}

void SimRegistry::DeleteKey(HKEY root, const std::string& path) {
    auto parts = PathParts(path);
    if (parts.empty()) return;
    const std::string leaf = parts.back();
    parts.pop_back();
    std::string parentPath;
    for (const auto& p : parts)
        parentPath += p + "\\";
    Key* parent = WalkExisting(Root(root), parentPath);
    if (!parent) return;
    auto& subs = parent->subkeys;
    subs.erase(
        std::remove_if(subs.begin(), subs.end(), [&](const auto& s) { return SameText(s->name, leaf); }),
        subs.end());
}

bool SimRegistry::KeyExists(HKEY root, const std::string& path) const {
    return WalkExisting(Root(root), path) != nullptr;
}

const SimRegistry::Value* SimRegistry::FindValue(HKEY root, const std::string& path,
                                                 const std::string& name) const {
    Key* k = WalkExisting(Root(root), path);
    return k ? k->FindValue(name) : nullptr;
}

void SimRegistry::FailOpen(HKEY root, const std::string& path, LONG code) {
    Walk(Root(root), path, true)->openError = code;
}

void SimRegistry::ChangeValueBeforeRead(HKEY root, const std::string& path, const std::string& name,
                                        std::vector<uint8_t> newData, int afterDataReads) {
    faults_.push_back(Fault{Walk(Root(root), path, true), name, true, std::move(newData), 0, afterDataReads});
}

void SimRegistry::FailValueRead(HKEY root, const std::string& path, const std::string& name, LONG code) {
    faults_.push_back(Fault{Walk(Root(root), path, true), name, false, {}, code});
}

void SimRegistry::FailSubkeyEnumeration(HKEY root, const std::string& path, LONG code) {
    Walk(Root(root), path, true)->enumError = code;
}

int SimRegistry::ValueQueryCount(HKEY root, const std::string& path, const std::string& name) const {
    const Key* k = WalkExisting(Root(root), path);
    if (!k) return 0;
    auto it = k->valueQueries.find(LowerCase(name));
    return it == k->valueQueries.end() ? 0 : it->second;
}

} // namespace sim
