#pragma once
// What a switch did and why it failed, told to the user: each service action with its
// result, the first failure of a run with the advice that fits its cause, the record the
// elevated copy hands back to the tray, and the switch log beside the user's code.ini.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/types.h"
#include "sharing/switch_request.h"

namespace KillServ {

// The elevated copy's report to the tray: a few key=value lines in the machine's folder,
// which only administrators may write where it matters. The tray accepts it only when it
// was written by a run that began after startedAfter (the machine's tick count).
inline constexpr const char* SwitchRecordFileName = "srvStat.report";
void WriteSwitchRecord(const THomes& homes, const TSwitchReport& report, uint64_t started);
// Into report: its direction, steps and first failure, and who was connected where the copy
// looked; report is left alone when the record is not fresh.
bool ReadSwitchRecord(const THomes& homes, uint64_t startedAfter, TSwitchReport& report);
std::string FormatSwitchRecord(const TSwitchReport& report, uint64_t started);
bool ParseSwitchRecord(const std::string& text, uint64_t startedAfter, TSwitchReport& report);

// The lines below the failure box's first sentence: what failed, Windows' own words for it,
// and advice that fits the cause; empty when no service failed.
std::string FailureReasonText(const TSwitchReport& report);

// The switch log, bounded: past LogLimitBytes the log becomes tarnwick.log.1 (replacing the
// one before) and a new one begins. Never raises: a log that cannot be written is skipped.
inline constexpr const char* LogFileName = "tarnwick.log";
inline constexpr size_t LogLimitBytes = 64 * 1024;
// One entry, in the user's folder: the local time, the direction, who was connected, each
// service with its result (from the report), and outcome.
void LogSwitch(const THomes& homes, const TSwitchReport& report, const std::string& direction,
               const std::string& outcome);

} // namespace KillServ
