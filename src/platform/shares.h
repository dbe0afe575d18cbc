#pragma once
// Who is connected to this computer's shared folders: the server service's sessions and the
// files they hold open (netapi32, loaded at run time from the system folder only).
#include <string>
#include <vector>

#include "platform/types.h"

namespace plat {

using NET_API_STATUS = DWORD;
inline constexpr NET_API_STATUS NERR_Success = 0;
inline constexpr NET_API_STATUS NERR_ServerNotStarted = 2114;

// The fields of SESSION_INFO_10 the program reads, as UTF-8.
struct SESSION_INFO_10 {
    std::string sesi10_cname;    // the client computer, as the server names it
    std::string sesi10_username; // the account it connected as
};

// The fields of FILE_INFO_3 the program reads, as UTF-8.
struct FILE_INFO_3 {
    std::string fi3_pathname; // the local path of the file, folder or named pipe
    std::string fi3_username;
};

class IShares {
  public:
    virtual ~IShares() = default;
    // Every session at level 10 (all batches of a resumed enumeration); NERR_Success or the
    // error (ERROR_ACCESS_DENIED where only administrators may ask, NERR_ServerNotStarted,
    // ERROR_NOT_SUPPORTED). sessions is left untouched on failure.
    virtual NET_API_STATUS NetSessionEnum(std::vector<SESSION_INFO_10>* sessions) = 0;
    // Every open file at level 3; as NetSessionEnum. Windows lets only administrators ask.
    virtual NET_API_STATUS NetFileEnum(std::vector<FILE_INFO_3>* files) = 0;
};

} // namespace plat
