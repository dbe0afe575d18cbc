// The registry's answers, as Windows gives them (Wine's dlls/advapi32/tests/registry.c, which
// runs on Windows): dispositions, missing keys and values, names in any case, the end of an
// enumeration, a buffer too small, a closed handle.
#include <cstring>
#include <string>

#include "contract/contract.h"

using namespace plat;

namespace {
const char* const Base = "Software\\TarnwickContract";
}

// registry.c: test_reg_create_key, test_reg_open_key, test_reg_query_value, test_enum_value, test_reg_close_key.
CONTRACT_CASE(RegistryKeysAndValuesAnswerAsWindowsDoes) {
    auto& reg = *world.Os().registry;
    HKEY key = 0;
    DWORD disposition = 0;
    const std::string path = std::string(Base) + "\\Keys";
    check.Equal(reg.RegCreateKeyEx(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, &key, &disposition),
                LONG(ERROR_SUCCESS), "create");
    check.Equal(disposition, DWORD(REG_CREATED_NEW_KEY), "a new key's disposition");
    HKEY again = 0;
    check.Equal(reg.RegCreateKeyEx(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, &again, &disposition),
                LONG(ERROR_SUCCESS), "create again");
    check.Equal(disposition, DWORD(REG_OPENED_EXISTING_KEY), "an existing key's disposition");
    if (again) reg.RegCloseKey(again);

    const DWORD seven = 7;
    check.Equal(reg.RegSetValueEx(key, "Count", REG_DWORD, reinterpret_cast<const uint8_t*>(&seven), sizeof seven),
                LONG(ERROR_SUCCESS), "set a DWORD");
    DWORD type = 0, got = 0, size = sizeof got;
    check.Equal(reg.RegQueryValueEx(key, "COUNT", &type, reinterpret_cast<uint8_t*>(&got), &size),
                LONG(ERROR_SUCCESS), "a value's name in another case");
    check.Equal(got, DWORD(7), "the value read");
    check.Equal(type, DWORD(REG_DWORD), "its type");
    size = 2;
    check.Equal(reg.RegQueryValueEx(key, "Count", &type, reinterpret_cast<uint8_t*>(&got), &size),
                LONG(ERROR_MORE_DATA), "a buffer too small");
    check.Equal(size, DWORD(4), "the size it needs");
    size = 0;
    check.Equal(reg.RegQueryValueEx(key, "Count", &type, nullptr, &size), LONG(ERROR_SUCCESS), "the size alone");
    check.Equal(size, DWORD(4), "the size alone is the size");
    check.Equal(reg.RegQueryValueEx(key, "Missing", &type, nullptr, &size), LONG(ERROR_FILE_NOT_FOUND),
                "a missing value");
    check.Equal(reg.RegDeleteValue(key, "Missing"), LONG(ERROR_FILE_NOT_FOUND), "deleting a missing value");
    // Text is UTF-8 on this side of the platform, its size counted in those bytes (Windows
    // keeps UTF-16).
    const std::string text = "C:\\Tools\\\u0414\u043C\u0438\u0442\u0440\u0438\u0439 \u03A9\\Tarnwick.exe";
    check.Equal(reg.RegSetValueEx(key, "Path", REG_SZ, reinterpret_cast<const uint8_t*>(text.c_str()),
                                  static_cast<DWORD>(text.size() + 1)),
                LONG(ERROR_SUCCESS), "set a text outside ASCII");
    char back[64] = {};
    size = sizeof back;
    check.Equal(reg.RegQueryValueEx(key, "Path", &type, reinterpret_cast<uint8_t*>(back), &size),
                LONG(ERROR_SUCCESS), "read it back");
    check.Equal(std::string(back), text, "the text read back");
    check.Equal(size, DWORD(text.size() + 1), "its size in UTF-8 bytes with the NUL");
    HKEY reader = 0;
    check.Equal(reg.RegOpenKeyEx(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &reader), LONG(ERROR_SUCCESS),
                "open to read");
    check.Equal(reg.RegDeleteValue(reader, "Count"), LONG(ERROR_ACCESS_DENIED), "deleting through a reading handle");
    if (reader) reg.RegCloseKey(reader);
    check.Equal(reg.RegDeleteValue(key, "count"), LONG(ERROR_SUCCESS), "deleting in another case");

    HKEY child = 0;
    const std::string childPath = path + "\\Longer name";
    check.Equal(reg.RegCreateKeyEx(HKEY_CURRENT_USER, childPath.c_str(), 0, KEY_ALL_ACCESS, &child, nullptr),
                LONG(ERROR_SUCCESS), "create a subkey");
    if (child) reg.RegCloseKey(child);
    char name[64] = {};
    DWORD length = 4;
    check.Equal(reg.RegEnumKeyEx(key, 0, name, &length), LONG(ERROR_MORE_DATA), "a name buffer too small");
    length = sizeof name;
    check.Equal(reg.RegEnumKeyEx(key, 0, name, &length), LONG(ERROR_SUCCESS), "the first subkey");
    check.Equal(std::string(name), std::string("Longer name"), "its name");
    check.Equal(length, DWORD(11), "its length, without the NUL");
    length = sizeof name;
    check.Equal(reg.RegEnumKeyEx(key, 1, name, &length), LONG(ERROR_NO_MORE_ITEMS), "past the last subkey");

    HKEY missing = 0;
    check.Equal(reg.RegOpenKeyEx(HKEY_CURRENT_USER, (path + "\\Nothing here").c_str(), 0, KEY_READ, &missing),
                LONG(ERROR_FILE_NOT_FOUND), "a missing key");
    check.Equal(reg.RegCloseKey(key), LONG(ERROR_SUCCESS), "close");
}
