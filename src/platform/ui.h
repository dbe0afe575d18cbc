#pragma once
#include "platform/types.h"

namespace plat {

// Windows, messages, timers, menus, message boxes and icons (user32/gdi32).
class IUser {
  public:
    virtual ~IUser() = default;
};

// The shell: notification area, opening documents, the common-controls version.
class IShell {
  public:
    virtual ~IShell() = default;
};

} // namespace plat
