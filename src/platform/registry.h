#pragma once
#include "platform/types.h"

namespace plat {

inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Registry operations; results are Windows error codes (ERROR_SUCCESS on success). Besides the
// two predefined roots, a key is a handle returned by an open or create and must be closed.
class IRegistry {
  public:
    virtual ~IRegistry() = default;
    virtual LONG RegOpenKeyEx(HKEY key, const char* subKey, DWORD options, DWORD access, HKEY* result) = 0;
    virtual LONG RegCreateKeyEx(HKEY key, const char* subKey, DWORD options, DWORD access, HKEY* result,
                                DWORD* disposition) = 0;
    // Number of subkeys and the length of the longest subkey name (without its NUL).
    virtual LONG RegQueryInfoKey(HKEY key, DWORD* subKeys, DWORD* maxSubKeyLen) = 0;
    // nameLength: in, the buffer size in chars; out, the name's length without its NUL.
    virtual LONG RegEnumKeyEx(HKEY key, DWORD index, char* name, DWORD* nameLength) = 0;
    // data may be null to ask for type and size; ERROR_MORE_DATA when *dataSize is too small.
    virtual LONG RegQueryValueEx(HKEY key, const char* valueName, DWORD* type, uint8_t* data,
                                 DWORD* dataSize) = 0;
    virtual LONG RegSetValueEx(HKEY key, const char* valueName, DWORD type, const uint8_t* data,
                               DWORD dataSize) = 0;
    virtual LONG RegDeleteValue(HKEY key, const char* valueName) = 0;
    virtual LONG RegCloseKey(HKEY key) = 0;
};

} // namespace plat
