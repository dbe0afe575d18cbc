#pragma once
// The command line of the elevated copy: one switch run, for the tray program that cannot
// stop or start services itself. It runs with administrator rights, so it is parsed strictly.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace KillServ {

inline constexpr const char* SwitchCommandVerb = "--switch-sharing";
// After the verb: the tray has asked the user already whether to cut off who is connected,
// and was told yes. It only spares a second question; it grants nothing.
inline constexpr const char* SwitchAskedWord = "--asked";
// Last, with a tag after it: the tray's language, for the copy's question. Only a tag of a
// language Tarnwick ships is taken; the copy may run as another account, whose own display
// language is not the tray user's.
inline constexpr const char* SwitchLanguageWord = "--language";

// What the elevated copy's exit code says.
enum SwitchExitCode : uint32_t {
    SwitchRan = 0,                 // the switch sequence ran to its end
    SwitchRefusedCommandLine = 10, // nothing done: the command line is not one of ours
    SwitchNotElevated = 11,        // nothing done: the copy got no administrator rights
    SwitchUntrustedFolder = 12,    // nothing done: the machine's folder was made by somebody else
    SwitchRunFailed = 13,          // the run ended early (srvStat.txt could not be written or read)
    SwitchBusy = 14,               // nothing done: another switch ran all the time it waited
    SwitchKeptOn = 15,             // nothing done: somebody was connected and the user kept sharing on
    SwitchLockUnavailable = 16,    // nothing done: the switch lock could not be made
};

// The copy takes nothing from the tray but the request itself: it works out its folders
// from its own program file, as an administrator's process must.
struct SwitchRequest {
    bool asked = false;   // SwitchAskedWord followed the verb
    std::string language; // the tag after SwitchLanguageWord; empty without it
};

// True when the command line asks for the elevated copy at all (its first word is the verb);
// any other command line starts the tray program, which ignores its arguments.
bool IsSwitchCommandLine(std::string_view args);
// The request, or nothing for anything but exactly --switch-sharing, optionally followed by
// --asked, then optionally by --language and a shipped language's tag, with blanks or tabs
// around and between them.
std::optional<SwitchRequest> ParseSwitchCommandLine(std::string_view args);
// The folder without its trailing separators, a drive's root excepted ("C:\\").
std::string WithoutTrailingSeparator(std::string folder);

// The elevated copy's whole run: checks, the switch through the worker's own code, the exit
// code. Nothing of the tray program starts in it.
uint32_t RunSwitchCommand(std::string_view args);

} // namespace KillServ
