#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace sim {

// A registry of typed values under HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER. Subkeys are
// enumerated in case-insensitive name order, as Windows does. Paths use backslashes.
class SimRegistry : public plat::IRegistry {
  public:
    struct Value {
        std::string name;
        plat::DWORD type = plat::REG_NONE;
        std::vector<uint8_t> data;
    };

    SimRegistry() = default;
    ~SimRegistry() override;

    plat::LONG RegOpenKeyEx(plat::HKEY key, const char* subKey, plat::DWORD options, plat::DWORD access,
                            plat::HKEY* result) override;
    plat::LONG RegCreateKeyEx(plat::HKEY key, const char* subKey, plat::DWORD options, plat::DWORD access,
                              plat::HKEY* result, plat::DWORD* disposition) override;
    plat::LONG RegQueryInfoKey(plat::HKEY key, plat::DWORD* subKeys, plat::DWORD* maxSubKeyLen) override;
    plat::LONG RegEnumKeyEx(plat::HKEY key, plat::DWORD index, char* name, plat::DWORD* nameLength) override;
    plat::LONG RegQueryValueEx(plat::HKEY key, const char* valueName, plat::DWORD* type, uint8_t* data,
                               plat::DWORD* dataSize) override;
    plat::LONG RegSetValueEx(plat::HKEY key, const char* valueName, plat::DWORD type, const uint8_t* data,
                             plat::DWORD dataSize) override;
    plat::LONG RegDeleteValue(plat::HKEY key, const char* valueName) override;
    plat::LONG RegCloseKey(plat::HKEY key) override;

    // Building a world. Missing keys along the path are created.
    void CreateKey(plat::HKEY root, const std::string& path);
    void SetValue(plat::HKEY root, const std::string& path, const std::string& name, plat::DWORD type,
                  std::vector<uint8_t> data);
    void SetString(plat::HKEY root, const std::string& path, const std::string& name, const std::string& text,
                   plat::DWORD type = plat::REG_SZ);
    // Each item NUL-terminated, then the closing empty string.
    void SetMultiString(plat::HKEY root, const std::string& path, const std::string& name,
                        const std::vector<std::string>& items);
    void SetDword(plat::HKEY root, const std::string& path, const std::string& name, plat::DWORD value);
    void DeleteKey(plat::HKEY root, const std::string& path);

    // Looking at it.
    bool KeyExists(plat::HKEY root, const std::string& path) const;
    const Value* FindValue(plat::HKEY root, const std::string& path, const std::string& name) const;
    int OpenHandleCount() const { return static_cast<int>(handles_.size()); }
    int OpenCount() const { return opens_; }
    // Opens (and creates) that named their key by a path from HKEY_LOCAL_MACHINE or
    // HKEY_CURRENT_USER rather than from an open key.
    int OpenFromRootCount() const { return rootOpens_; }
    // RegQueryValueEx calls about one value (size queries and data reads alike), whether or
    // not the value exists.
    int ValueQueryCount(plat::HKEY root, const std::string& path, const std::string& name) const;

    // Faults.
    void FailOpen(plat::HKEY root, const std::string& path, plat::LONG code);
    // The data read after afterDataReads reads of the value finds it holding newData (by
    // default the first one, as if it changed after its size was asked).
    void ChangeValueBeforeRead(plat::HKEY root, const std::string& path, const std::string& name,
                               std::vector<uint8_t> newData, int afterDataReads = 0);
    void FailValueRead(plat::HKEY root, const std::string& path, const std::string& name, plat::LONG code);
    // RegEnumKeyEx on the parent of path fails with code at the index where path's key stands.
    void FailSubkeyEnumeration(plat::HKEY root, const std::string& path, plat::LONG code);

  private:
    struct Key {
        std::string name;
        std::vector<std::unique_ptr<Key>> subkeys;
        std::vector<Value> values;
        plat::LONG openError = 0;
        plat::LONG enumError = 0;                // its parent's RegEnumKeyEx fails at its index
        std::map<std::string, int> valueQueries; // by lower-cased value name
        Key* Child(const std::string& n) const;
        Value* FindValue(const std::string& n);
    };
    struct Fault {
        Key* key;
        std::string value;
        bool changeSize;
        std::vector<uint8_t> newData;
        plat::LONG code;
        int readsBefore = 0; // data reads that pass before a change takes effect
    };
    struct Handle {
        Key* key;
        bool writable;
    };

    Key* Root(plat::HKEY root) const;
    Key* Resolve(plat::HKEY key) const;
    Key* Walk(Key* from, const std::string& path, bool create, bool* created = nullptr);
    Key* WalkExisting(Key* from, const std::string& path) const;
    plat::HKEY NewHandle(Key* key, bool writable);
    Fault* FindFault(Key* key, const std::string& value);

    std::unique_ptr<Key> localMachine_ = std::make_unique<Key>();
    std::unique_ptr<Key> currentUser_ = std::make_unique<Key>();
    std::map<plat::HKEY, Handle> handles_;
    plat::HKEY nextHandle_ = 0x1000;
    int opens_ = 0;
    int rootOpens_ = 0;
    std::vector<Fault> faults_;
};

} // namespace sim
