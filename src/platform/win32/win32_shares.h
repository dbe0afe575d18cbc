#pragma once
// The server service's sessions and open files through netapi32. Free of windows.h.
#include "platform/shares.h"

namespace win32 {

// netapi32.dll is loaded at first use from the system folder only (never beside the
// program), so the program's static imports stay as they are.
class Win32Shares : public plat::IShares {
  public:
    plat::NET_API_STATUS NetSessionEnum(std::vector<plat::SESSION_INFO_10>* sessions) override;
    plat::NET_API_STATUS NetFileEnum(std::vector<plat::FILE_INFO_3>* files) override;
};

} // namespace win32
