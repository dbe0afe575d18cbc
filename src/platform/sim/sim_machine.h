#pragma once
// The description of a simulated machine: who runs the program, what Windows version answers,
// the services, folders, networks and shell it has. SimPlatform builds the simulation from it;
// the rules each part follows are listed with their sources in RULES.md.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/sim/sim_networks.h"
#include "platform/sim/sim_services.h"
#include "platform/ui.h"

namespace sim {

// The machine a test runs on. The default is what most Windows 10/11 users have: the first
// account of an installation, an administrator's whose programs run with the filtered token
// (not elevated; a UAC prompt asks for consent and the elevated copy runs as the same account),
// Program Files, Windows and ProgramData protected, a shell that takes version-4 icons, share
// rights split by group, UIPI in force once elevated, per-monitor DPI. The filtered
// administrator rather than a standard account, because that is how Windows sets up the account
// that installs it, and so how most machines a tray utility meets are used; the standard
// account is the preset StandardAccount(). Wine() is the permissive world of a Wine prefix.
struct Machine {
    bool elevated = false;
    UacAnswer uac = UacAnswer::Accept;
    std::vector<std::string> protectedFolders = {"C:\\Program Files", "C:\\Program Files (x86)",
                                                 "C:\\Windows", "C:\\ProgramData"};
    // Protected folders in which a standard user may create folders of their own.
    std::vector<std::string> foldersUsersMayCreateIn = {"C:\\ProgramData"};
    std::string userName = "Ann";
    // Ann's account is an administrator's, as the first account of a Windows installation is:
    // her UAC prompt asks for consent. False: a standard account, whose prompt takes the
    // password of the administrator named here, and the elevated program runs as them.
    bool administratorAccount = true;
    std::string administratorName = "Admin";
    std::string localAppData = "C:\\Users\\Ann\\AppData\\Local";
    // The display languages (GetUserPreferredUILanguages), the first being the one Windows
    // is shown in.
    std::vector<std::string> displayLanguages = {"en-US"};
    // GetACP: 1252 on an English, French or German Windows.
    plat::UINT ansiCodePage = CP_WESTERN;
    std::string programData = "C:\\ProgramData";
    // Folders that are not there (every other folder is): a fresh machine has no folder of
    // Tarnwick's in ProgramData until a switch or the installer makes it.
    std::vector<std::string> missingFolders = {"C:\\ProgramData\\Tarnwick"};
    // Network drives of the user's logon session: drive ("Z:") and network path.
    std::vector<std::pair<std::string, std::string>> mappedDrives;
    // Who is connected to the shared folders: client computer, account, files held open.
    struct Connection {
        std::string client, user;
        std::vector<std::string> files;
    };
    std::vector<Connection> connections;
    // Open files are listed to Administrators (an elevated token) and Server Operators only;
    // sessions at level 10 to everybody.
    bool serverOperator = false;
    // The networks connected at start, as the Network List Manager classes them, or the COM
    // error that keeps it from being had.
    std::vector<plat::ConnectedNetwork> networks;
    plat::HRESULT networkListError = 0;
    // Identification: the networks above are listed as unidentified and Public for this long
    // after boot, a network connected later for the other time; each event comes this often.
    uint64_t networksIdentifiedAfterMs = 0;
    uint64_t newNetworksIdentifiedAfterMs = 0;
    uint32_t networkEventRepeats = 1;
    // Explorer at logon: icons refused for this long, then "TaskbarCreated" after the given
    // time, or never.
    uint64_t explorerRefusesIconsForMs = 0;
    std::optional<uint64_t> taskbarCreatedAfterMs;
    // The highest notification-icon version the shell takes: Windows since Vista takes 4, with
    // keyboard notifications, and so does Wine 8's explorer; 0 is a shell that answers only the first.
    plat::UINT shellNotifyVersion = plat::NOTIFYICON_VERSION_4;
    // Windows 10 1607 and later: GetDpiForWindow and GetSystemMetricsForDpi answer per monitor.
    bool perMonitorDpi = true;
    // The order the service manager enumerates in (Windows promises none).
    SimServices::EnumOrder serviceEnumerationOrder = SimServices::EnumOrder::UpperCase;

    // The default machine, named where a test wants to say so.
    static Machine StandardUser() { return Machine{}; }
    // A standard account: its UAC prompt takes an administrator's password, and the elevated
    // copy runs as that administrator.
    static Machine StandardAccount() {
        Machine m;
        m.administratorAccount = false;
        return m;
    }
    // The same machine as seen from the elevated copy (or from an elevated tray): what the
    // switch itself runs with.
    static Machine Elevated() {
        Machine m;
        m.elevated = true;
        return m;
    }
    // The world of a Wine prefix: every process a full administrator, no folder protected,
    // everybody may list sessions and files, a shell of version 4 like Windows'.
    static Machine Wine() {
        Machine m;
        m.elevated = true;
        m.protectedFolders.clear();
        m.foldersUsersMayCreateIn.clear();
        return m;
    }
};

} // namespace sim
