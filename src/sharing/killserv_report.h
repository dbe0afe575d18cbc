#pragma once
// What a switch did and why it failed, told to the user: each service action with its
// result, the first failure of a run with the advice that fits its cause, the record the
// elevated copy hands back to the tray, and the switch log beside the user's code.ini.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/types.h"

namespace KillServ {

// One service action of a switch run: "stop", "start", "pause" or "continue", and how it went.
struct TServiceStep {
    std::string Action;
    std::string Service;
    plat::DWORD Error = 0; // 0 when the service reached the action's state
    bool TimedOut = false; // accepted, but its wait ran out first
    std::string Dependent; // for ERROR_DEPENDENT_SERVICES_RUNNING: one that still runs
    bool Failed() const { return Error != 0 || TimedOut; }
};

// The latest switch run, from the worker that did it (or from the elevated copy's record).
// Set by the worker thread, read on the main thread after its completion.
extern std::vector<TServiceStep>& SwitchSteps;
extern std::optional<TServiceStep> FirstFailure;
extern std::string SwitchDirection;   // "off", "on", or empty before the run decided
extern std::string ConnectedAtSwitch; // ConnectedSummary of whoever looked last, empty if nobody looked
// Empties what a run fills; ConnectedAtSwitch is the asker's, who sets it before the run.
void ClearSwitchReport();
// Called by the worker for each action it performs; the first failure is kept.
void NoteServiceStep(TServiceStep step);

// The elevated copy's report to the tray: a few key=value lines in the machine's folder,
// which only administrators may write where it matters. The tray accepts it only when it
// was written by a run that began after startedAfter (the machine's tick count).
inline constexpr const char* SwitchRecordFileName = "srvStat.report";
void WriteSwitchRecord(uint64_t started);
bool ReadSwitchRecord(uint64_t startedAfter);
std::string FormatSwitchRecord(uint64_t started);
bool ParseSwitchRecord(const std::string& text, uint64_t startedAfter);

// The lines below the failure box's first sentence: what failed, Windows' own words for it,
// and advice that fits the cause; empty when no service failed.
std::string FailureReasonText();

// The switch log, bounded: past LogLimitBytes the log becomes tarnwick.log.1 (replacing the
// one before) and a new one begins. Never raises: a log that cannot be written is skipped.
inline constexpr const char* LogFileName = "tarnwick.log";
inline constexpr size_t LogLimitBytes = 64 * 1024;
// One entry: the local time, the direction, who was connected, each service with its
// result, and outcome.
void LogSwitch(const std::string& direction, const std::string& outcome);

} // namespace KillServ
