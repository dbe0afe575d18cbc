#pragma once
#include "platform/registry.h"

namespace win32 {

// The registry of advapi32; the portable root keys are mapped to the system's.
class Win32Registry : public plat::IRegistry {
  public:
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
};

} // namespace win32
