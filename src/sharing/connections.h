#pragma once
// Who a switch off would cut off: the sessions on this computer's shared folders and the
// files they hold open, and the question put to the user before a stop cuts them off.
#include <string>
#include <vector>

#include "platform/types.h"

namespace KillServ {

struct TConnection {
    std::string Client; // the computer, without the leading backslashes
    std::string User;
    std::vector<std::string> Files; // file names (no folders), in the server's order
};

struct TConnections {
    // NERR_Success when the sessions could be listed; Sessions is empty otherwise.
    plat::DWORD Error = 0;
    // Why the open files could not be listed (Administrators and Server Operators only,
    // or not supported): the sessions are then named without their files.
    plat::DWORD FilesError = 0;
    std::vector<TConnection> Sessions;
    bool Known() const { return Error == 0; }
    bool Anybody() const { return Known() && !Sessions.empty(); }
    bool FilesRefusedForRights() const { return FilesError == plat::ERROR_ACCESS_DENIED; }
};

// Asks Windows now. Sessions at level 10, then their open files at level 3, matched by user;
// named pipes are not files anybody would lose. Files refused for want of rights leave the
// sessions known: a standard user is asked about the computers it could list.
TConnections WhoIsConnected();

// "2 computers are connected to your shared folders: ANNA-PC (anna, 3 open files: Q3
// report.xlsx, ...), 192.168.1.20 (guest). Stop sharing anyway?" Kept short: the first few
// computers and files, then "and N more".
std::string CutOffQuestion(const TConnections& connections);
// One line for the log: who was connected, or why it is not known.
std::string ConnectedSummary(const TConnections& connections);
// The same as counts only ("2 computers, 3 open files"): for srvStat.report, which every user
// may read, where Windows shows the names to administrators alone.
std::string ConnectedCounts(const TConnections& connections);

enum class TCutOffAnswer { Nobody, Yes, No, Unknown };
// Enumerates and, when somebody is connected, asks with a Yes/No box owned by owner (No is
// the default button); extraFlags go to the box (the elevated copy's is topmost). Unknown
// when the enumeration failed: a switch is never blocked by it. connected gets what was found.
// With a time limit, a box nobody answers within it counts as No.
TCutOffAnswer AskBeforeCuttingOff(plat::HWND owner, plat::UINT extraFlags, TConnections* connected,
                                  plat::DWORD timeoutMs = 0);

} // namespace KillServ
