#pragma once
// What a switch takes and what it gives back, as values: everything the worker acts on (and
// with it everything the elevated copy acts on) is in TSwitchRequest, everything it found out
// in TSwitchReport. Nothing of a switch travels in namespace variables.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/types.h"

namespace KillServ {

// Where the program keeps its files. Two homes, each empty for the current directory (the
// program's folder): the user's own settings (code.ini's LastState and SaveState, the switch
// log) and the machine's state (srvStat.txt, srvStat.done, srvStat.paused, srvStat.report and
// the machine's code.ini with SecondService). Beside a program whose folder nobody but the
// administrators and the account that switches may change (a portable copy of one's own),
// both are the program's folder: there the program itself is no better guarded than its
// files. Beside a protected program (Program Files) the user's settings go to
// %LOCALAPPDATA%\Tarnwick and the machine's state to ProgramData\Tarnwick, which only
// administrators may change. A copy in a folder another account may change, or on the network,
// keeps the user's settings beside it and the machine's state in ProgramData\Tarnwick, and
// trusts nothing of its own folder. ChooseHomes decides it; every path comes from UserFile or
// MachineFile.
struct THomes {
    std::string UserFolder;
    std::string MachineFolder;
    // False for a program folder another account may change: nothing in it steers a switch.
    bool TrustsProgramFolder = true;
    std::string UserFile(const std::string& name) const;
    std::string MachineFile(const std::string& name) const;
    // Beside the program: the machine's state is as trusted as the program.
    bool BesideTheProgram() const { return MachineFolder.empty() && TrustsProgramFolder; }
};

// A switch, as asked for. The tray builds it for each of its workers; the elevated copy
// builds its own from its command line and the machine alone, never from the tray.
struct TSwitchRequest {
    THomes Homes;
    // The window the UAC prompt and the question belong to (the tray's), so they open in front.
    plat::HWND PromptOwner = 0;
    // Ask who is connected before a stop cuts them off: the elevated copy does, where the tray
    // could not tell for want of rights; the tray's own workers never do (the tray asked).
    bool AskWhoIsConnected = false;
    // The tray asked and the user said yes: the elevated copy is told so and does not ask again.
    bool UserConfirmedCutOff = false;
    // "off" or "on" when the asker knows which way the switch goes (the state it showed);
    // empty: the run decides from the services.
    std::string Direction;
    // The elevated copy's own run (which may act for a copy in a folder it does not trust);
    // a tray never switches from such a folder.
    bool ElevatedCopy = false;
};

// How a switch went as far as its process can tell; the verifying query tells the rest.
enum class SwitchOutcome {
    Ran,
    Declined, // the elevation it needed was refused or not available: nothing switched
    Failed,
    Busy,               // another switch ran all the time it waited: nothing switched
    DeniedByPolicy,     // elevation is refused by policy on this computer
    UnreachableProgram, // the program's mapped drive cannot be reached by an elevated process
    UntrustedFolder,    // the machine's folder was not made by an administrator
    LockUnavailable,    // the switch lock could not be made, for a reason other than another switch
    UntrustedProgram,   // a tray with administrator rights runs from a folder another account may change
    KeptOn              // somebody was connected and the user chose to keep sharing on
};

// One service action of a switch run: "stop", "start", "pause" or "continue", and how it went.
struct TServiceStep {
    std::string Action;
    std::string Service;
    plat::DWORD Error = 0; // 0 when the service reached the action's state
    bool TimedOut = false; // accepted, but its wait ran out first
    std::string Dependent; // for ERROR_DEPENDENT_SERVICES_RUNNING: one that still runs
    // Accepted, then back where it was: a start that ended STOPPED, a stop that ended RUNNING.
    // Error is then the service's exit code (dwWin32ExitCode), ServiceCode its own code
    // (dwServiceSpecificExitCode) where the exit code is ERROR_SERVICE_SPECIFIC_ERROR.
    bool WentBack = false;
    plat::DWORD ServiceCode = 0;
    bool Failed() const { return Error != 0 || TimedOut || WentBack; }
};

// What a switch run did, handed back with its completion (and by the elevated copy in its
// record): written by the worker thread, read on the main thread once the worker is done.
struct TSwitchReport {
    SwitchOutcome Outcome = SwitchOutcome::Ran;
    std::string Direction; // "off", "on", or empty before the run decided
    std::vector<TServiceStep> Steps;
    std::optional<TServiceStep> FirstFailure;
    // Who was connected, as ConnectedSummary tells it; empty when this run did not look.
    std::string Connected;
    // Each action goes in; the first failure is kept.
    void NoteStep(TServiceStep step);
};

} // namespace KillServ
