// What a switch did and why it failed: the steps, the copy's record, the reason in the
// failure box and the switch log.
#include "sharing/killserv_report.h"

#include <cstdio>

#include "platform/handles.h"
#include "platform/platform.h"
#include "sharing/killserv.h"
#include "texts/texts.h"

namespace KillServ {
using namespace plat;
using Texts::Say;
using Texts::TextId;

namespace {

// A record or log line names at most this much of a service; more is not a service name.
constexpr size_t kLongestField = 256;
constexpr size_t kLongestRecord = 64 * 1024;
constexpr size_t kLongestEntry = 4096;
// The worker waits 239 polls of a second for a service to settle (the log's words).
constexpr const char* kWaitText = "4 minutes"; // english: log

std::string Field(std::string text) {
    for (char& c : text)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    if (text.size() > kLongestField) text.resize(kLongestField);
    return text;
}

std::vector<std::string> SplitTabs(const std::string& text) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t tab = text.find('\t', start);
        parts.push_back(text.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) return parts;
        start = tab + 1;
    }
}

// Five fields; a step that went back adds two, so a record of an earlier version still reads.
std::string StepLine(const TServiceStep& s) {
    std::string line = Field(s.Action) + "\t" + Field(s.Service) + "\t" + std::to_string(s.Error) + "\t" +
                       (s.TimedOut ? "1" : "0") + "\t" + Field(s.Dependent);
    if (s.WentBack) line += "\t1\t" + std::to_string(s.ServiceCode);
    return line;
}

bool ParseNumber(const std::string& text, uint64_t* value) {
    if (text.empty() || text.size() > 20) return false;
    uint64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        const uint64_t next = v * 10 + static_cast<uint64_t>(c - '0');
        if (next / 10 != v) return false;
        v = next;
    }
    *value = v;
    return true;
}

std::optional<TServiceStep> ParseStep(const std::string& text) {
    const auto parts = SplitTabs(text);
    uint64_t error = 0, own = 0;
    if ((parts.size() != 5 && parts.size() != 7) || parts[1].empty() || parts[1].size() > kLongestField ||
        !ParseNumber(parts[2], &error) || error > 0xFFFFFFFFu || (parts[3] != "0" && parts[3] != "1"))
        return std::nullopt;
    if (parts.size() == 7 && (parts[5] != "1" || !ParseNumber(parts[6], &own) || own > 0xFFFFFFFFu))
        return std::nullopt;
    static const char* const actions[] = {"stop", "start", "pause", "continue"};
    bool known = false;
    for (const char* a : actions)
        known = known || parts[0] == a;
    if (!known) return std::nullopt;
    return TServiceStep{parts[0], parts[1],          static_cast<DWORD>(error), parts[3] == "1",
                        parts[4], parts.size() == 7, static_cast<DWORD>(own)};
}

std::string DisplayNameOf(const std::string& service) {
    unique_schandle manager(Os().services->OpenSCManager(nullptr, nullptr, SC_MANAGER_CONNECT));
    std::string shown;
    if (!manager || !Os().services->GetServiceDisplayName(manager.get(), service.c_str(), &shown)) return {};
    return shown;
}

// "Server" (lanmanserver), or the name alone when Windows shows no other.
std::string Named(const std::string& service) {
    const std::string shown = DisplayNameOf(service);
    if (shown.empty() || SameText(shown, service)) return Say(TextId::ServiceShown, {service});
    return Say(TextId::ServiceNamed, {shown, service});
}

std::string Shown(const std::string& service) {
    const std::string shown = DisplayNameOf(service);
    return Say(TextId::ServiceShown, {shown.empty() ? service : shown});
}

// Windows' own words for an error, in the language of the box where Windows has it, else in
// the user's.
std::string Reason(DWORD error) {
    std::string words = Os().kernel->FormatMessage(error, Texts::CurrentLanguage());
    if (words.empty()) words = Os().kernel->FormatMessage(error, "");
    return words;
}

TextId ByAction(const std::string& action, TextId stop, TextId start, TextId pause, TextId resume) {
    if (action == "stop") return stop;
    if (action == "start") return start;
    if (action == "pause") return pause;
    return resume;
}

// "error 1066, the service's own code 42", or "exit code 0" for a service that gave none.
std::string ExitCodeText(const TServiceStep& f) {
    if (f.Error == 0) return Say(TextId::ExitCodeNone);
    const std::string error = std::to_string(f.Error);
    if (f.Error == ERROR_SERVICE_SPECIFIC_ERROR)
        return Say(TextId::ExitCodeOwn, {error, std::to_string(f.ServiceCode)});
    return Say(TextId::ExitCodeError, {error});
}

std::string WhatFailed(const TServiceStep& f) {
    const std::string service = Named(f.Service);
    if (f.WentBack) {
        const bool start = f.Action == "start";
        const std::string reason = f.Error != 0 ? Reason(f.Error) : std::string();
        if (reason.empty())
            return Say(start ? TextId::WentBackStart : TextId::WentBackStop, {service, ExitCodeText(f)});
        return Say(start ? TextId::WentBackStartWithReason : TextId::WentBackStopWithReason,
                   {service, ExitCodeText(f), reason});
    }
    if (f.TimedOut)
        return Say(ByAction(f.Action, TextId::TimedOutStop, TextId::TimedOutStart, TextId::TimedOutPause,
                            TextId::TimedOutContinue),
                   {service});
    std::string words = Reason(f.Error);
    if (words.empty()) words = Say(TextId::NoReasonText);
    return Say(ByAction(f.Action, TextId::FailedStop, TextId::FailedStart, TextId::FailedPause,
                        TextId::FailedContinue),
               {service, words, std::to_string(f.Error)});
}

std::string Advice(const TServiceStep& f) {
    const std::string service = Shown(f.Service);
    if (f.WentBack)
        return Say(f.Action == "start" ? TextId::AdviceWentBackStart : TextId::AdviceWentBackStop, {service});
    if (f.TimedOut || f.Error == ERROR_SERVICE_REQUEST_TIMEOUT)
        return Say(f.Action == "start" ? TextId::AdviceStillStarting : TextId::AdviceStillStopping);
    switch (f.Error) {
    case ERROR_SERVICE_DISABLED:
        return Say(TextId::AdviceDisabled, {service});
    case ERROR_ACCESS_DENIED:
        return Say(TextId::AdviceAccessDenied, {service});
    case ERROR_INVALID_SERVICE_CONTROL:
        return Say(TextId::AdviceCannotStop, {service});
    case ERROR_SERVICE_CANNOT_ACCEPT_CTRL:
        return Say(TextId::AdviceBusy, {service});
    case ERROR_DEPENDENT_SERVICES_RUNNING:
        if (!f.Dependent.empty()) return Say(TextId::AdviceDependentNamed, {Shown(f.Dependent)});
        return Say(TextId::AdviceDependent);
    default:
        return {};
    }
}

std::string Timestamp() {
    SYSTEMTIME t{};
    Os().kernel->GetLocalTime(&t);
    char text[64];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute, t.wSecond);
    return text;
}

// english-begin: the log is read by support, in English whatever the user's language
std::string LogExitCode(const TServiceStep& s) {
    if (s.Error == 0) return "exit code 0";
    std::string text = "error " + std::to_string(s.Error);
    if (s.Error == ERROR_SERVICE_SPECIFIC_ERROR)
        text += ", the service's own code " + std::to_string(s.ServiceCode);
    return text;
}

std::string StepResult(const TServiceStep& s) {
    if (s.WentBack)
        return std::string(s.Action == "start" ? "stopped again" : "running again") + " (" + LogExitCode(s) +
               ")";
    if (s.TimedOut) return "did not finish within " + std::string(kWaitText);
    if (s.Error == 0) return "done";
    std::string text = "error " + std::to_string(s.Error);
    if (!s.Dependent.empty()) text += " (" + s.Dependent + " still runs)";
    return text;
}
// english-end

} // namespace

void TSwitchReport::NoteStep(TServiceStep step) {
    if (step.Failed() && !FirstFailure) FirstFailure = step;
    Steps.push_back(std::move(step));
}

std::string FormatSwitchRecord(const TSwitchReport& report, uint64_t started) {
    std::string text = "started=" + std::to_string(started) + "\r\n";
    text += "direction=" + Field(report.Direction) + "\r\n";
    if (!report.Connected.empty()) text += "connected=" + Field(report.Connected) + "\r\n";
    for (const auto& s : report.Steps)
        text += "step=" + StepLine(s) + "\r\n";
    if (report.FirstFailure) text += "failure=" + StepLine(*report.FirstFailure) + "\r\n";
    return text;
}

bool ParseSwitchRecord(const std::string& text, uint64_t startedAfter, TSwitchReport& report) {
    if (text.size() > kLongestRecord) return false;
    uint64_t started = 0;
    bool fresh = false;
    std::string direction, connected;
    std::vector<TServiceStep> steps;
    std::optional<TServiceStep> failure;
    for (const auto& line : ParseStatusText(text)) {
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = line.substr(0, eq);
        const std::string value = line.substr(eq + 1);
        if (key == "started")
            fresh = ParseNumber(value, &started) && started >= startedAfter;
        else if (key == "direction" && (value == "off" || value == "on"))
            direction = value;
        else if (key == "connected")
            connected = Field(value);
        else if (key == "step") {
            if (auto step = ParseStep(value)) steps.push_back(*step);
        } else if (key == "failure") {
            failure = ParseStep(value);
        }
    }
    if (!fresh) return false;
    report.Direction = direction;
    if (!connected.empty()) report.Connected = connected;
    report.Steps = std::move(steps);
    report.FirstFailure = failure && failure->Failed() ? failure : std::nullopt;
    return true;
}

void WriteSwitchRecord(const THomes& homes, const TSwitchReport& report, uint64_t started) {
    // The tray learns less without it; the switch itself is done.
    Os().files->ReplaceFileAtomically(homes.MachineFile(SwitchRecordFileName),
                                      FormatSwitchRecord(report, started));
}

bool ReadSwitchRecord(const THomes& homes, uint64_t startedAfter, TSwitchReport& report) {
    const std::string path = homes.MachineFile(SwitchRecordFileName);
    std::string text;
    if (!Os().files->FileExists(path) || Os().files->ReadWholeFile(path, text) != ReadResult::Ok)
        return false;
    return ParseSwitchRecord(text, startedAfter, report);
}

std::string FailureReasonText(const TSwitchReport& report) {
    if (!report.FirstFailure) return {};
    std::string text = WhatFailed(*report.FirstFailure);
    const std::string advice = Advice(*report.FirstFailure);
    if (!advice.empty()) text += "\r\n" + advice;
    return text;
}

// english-begin: the log
void LogSwitch(const THomes& homes, const TSwitchReport& report, const std::string& direction,
               const std::string& outcome) {
    try {
        std::string entry =
            Timestamp() + " switch " + (direction.empty() ? "(direction unknown)" : direction) + "\r\n";
        entry += "  connected: " + (report.Connected.empty() ? std::string("not asked") : report.Connected) +
                 "\r\n";
        for (const auto& s : report.Steps)
            entry += "  " + s.Action + " " + s.Service + ": " + StepResult(s) + "\r\n";
        entry += "  outcome: " + outcome + "\r\n";
        if (entry.size() > kLongestEntry) entry = entry.substr(0, kLongestEntry - 7) + "...\r\n";

        auto& files = *Os().files;
        const std::string path = homes.UserFile(LogFileName);
        std::string log;
        if (files.FileExists(path) && files.ReadWholeFile(path, log) != ReadResult::Ok) return;
        if (log.size() + entry.size() > LogLimitBytes) {
            // The old log goes whole to .1; a log grown too big elsewhere keeps only its end.
            if (log.size() > LogLimitBytes) log.erase(0, log.size() - LogLimitBytes);
            if (!files.ReplaceFileAtomically(homes.UserFile(std::string(LogFileName) + ".1"), log)) return;
            log.clear();
        }
        files.ReplaceFileAtomically(path, log + entry);
    } catch (...) {
        // Never in the way of the switch or its box.
    }
}
// english-end

} // namespace KillServ
