// English: the program's own texts, and every other language's fallback.
#include "texts/texts_table.h"

namespace Texts {
namespace {
using enum TextId;
constexpr Entry kEntries[] = {
    {MenuSaveState, "Save last state"},
    {MenuRunAtStartup, "Run at startup"},
    {MenuQuit, "Quit"},
    {MenuHelp, "Help"},
    {MenuStopSharingFirst, "Stop sharing"},
    {MenuStopSharing, "&Stop sharing"},
    {MenuStartSharing, "&Start sharing"},
    {MenuOffOnPublicNetworks, "&Off on public networks"},
    {TipStarting, "Tarnwick\r\nProgram is starting\r\nPlease wait..."},
    {TipDisabling, "Tarnwick\r\nDisableing sharing\r\nPlease wait..."},
    {TipEnabling, "Tarnwick\r\nEnableing sharing\r\nPlease wait..."},
    {TipEnabled, "Tarnwick v{1}\r\nSharing is enabled\r\nDouble click to disable"},
    {TipDisabled, "Tarnwick v{1}\r\nSharing is disabled\r\nDouble click to enable"},
    {TipSuggestOff, "Tarnwick v{1}\r\nYou joined a public network while file sharing is on.\r\nDouble click "
                    "to switch it off."},
    {TipSuggestOn,
     "Tarnwick v{1}\r\nNo public network is connected; sharing is still off.\r\nDouble click to enable"},
    {TipRuleUnavailable, "\r\nPublic network rule unavailable: {1}"},
    {BalloonSuggestOff, "You joined a public network while file sharing is on. Click here to switch it off."},
    {BalloonSuggestOn, "No public network is connected any more and file sharing is still off. Click here to "
                       "switch it back on."},
    {BalloonCutOff, "File sharing is off because a public network is connected. 1 computer was connected to "
                    "your shared folders."
                    "|File sharing is off because a public network is connected. {1} computers were "
                    "connected to your shared "
                    "folders."},
    {BalloonCutOffUnknown, "File sharing is off because a public network is connected. Who was connected "
                           "could not be listed (error "
                           "{1})."},
    {BoxErrorTitle, "Error"},
    {BoxUnknownError, "Unknown error"},
    {BoxUnableToStop, "Tarnwick was unable to stop sharing, if the problem persists you may have to reboot."},
    {BoxUnableToStart,
     "Tarnwick was unable to start sharing, if the problem persists you may have to reboot."},
    {BoxBusy, "Another switch of file sharing was running, so Tarnwick switched nothing. Try again when it "
              "has ended."},
    {BoxDeniedByPolicy,
     "Tarnwick could not switch sharing: on this computer a policy refuses to run programs as "
     "administrator. An administrator must allow it."},
    {BoxUnreachableProgram,
     "Tarnwick could not switch sharing: it was started from a network drive that a program running as "
     "administrator cannot reach. Start Tarnwick from a local folder or by its network path."},
    {BoxUntrustedFolder,
     "Tarnwick could not switch sharing: the folder {1} was not made by an administrator, so Tarnwick does "
     "not "
     "trust what is in it. An administrator should delete that folder; Tarnwick then makes it anew."},
    {BoxLockUnavailable,
     "Tarnwick could not switch sharing: it could not make its switch lock {1}. Restart the "
     "computer; if it happens again, an administrator should delete that file."},
    {BoxUntrustedProgram,
     "Tarnwick runs as administrator from the folder {1}, which another account may change, so it switches "
     "nothing. Run it from Program Files, or from a folder only you and the administrators may change."},
    {FailedStop, "Stopping {1} failed: {2} (error {3})"},
    {FailedStart, "Starting {1} failed: {2} (error {3})"},
    {FailedPause, "Pausing {1} failed: {2} (error {3})"},
    {FailedContinue, "Continuing {1} failed: {2} (error {3})"},
    {TimedOutStop, "Stopping {1} did not finish within 4 minutes."},
    {TimedOutStart, "Starting {1} did not finish within 4 minutes."},
    {TimedOutPause, "Pausing {1} did not finish within 4 minutes."},
    {TimedOutContinue, "Continuing {1} did not finish within 4 minutes."},
    {WentBackStart, "Starting {1} failed: the service stopped again while it was starting. ({2})"},
    {WentBackStop, "Stopping {1} failed: the service went back to running while it was stopping. ({2})"},
    {WentBackStartWithReason,
     "Starting {1} failed: the service stopped again while it was starting. {3} ({2})"},
    {WentBackStopWithReason,
     "Stopping {1} failed: the service went back to running while it was stopping. {3} ({2})"},
    {ServiceNamed, "\"{1}\" ({2})"},
    {ServiceShown, "\"{1}\""},
    {ExitCodeNone, "exit code 0"},
    {ExitCodeError, "error {1}"},
    {ExitCodeOwn, "error {1}, the service's own code {2}"},
    {NoReasonText, "Windows gives no text for this error."},
    {AdviceWentBackStart, "The System log in Event Viewer (eventvwr.msc) may say why {1} stopped. Try again "
                          "once that is put right."},
    {AdviceWentBackStop,
     "The System log in Event Viewer (eventvwr.msc) may say why {1} kept running. Try again "
     "once that is put right."},
    {AdviceStillStarting, "The service may still be starting. Try again in a minute."},
    {AdviceStillStopping, "The service may still be stopping. Try again in a minute."},
    {AdviceDisabled,
     "The service is disabled. To use it again, open Services (services.msc), double-click {1}, set "
     "its Startup type to Manual or Automatic, click OK and try again."},
    {AdviceAccessDenied, "Windows did not let Tarnwick change {1}. An administrator must allow it."},
    {AdviceCannotStop,
     "{1} does not accept a stop request, so Tarnwick left every service as it was. Stop {1} "
     "yourself in Services (services.msc), or end the program it belongs to, and try again."},
    {AdviceBusy, "{1} is busy starting or stopping and cannot take the request now. Try again in a minute."},
    {AdviceDependentNamed,
     "{1} depends on it and is still running. Stop {1} first, or try again once it has stopped."},
    {AdviceDependent, "A service that depends on it is still running. Try again once it has stopped."},
    {QuestionConnected, "1 computer is connected to your shared folders: {2}."
                        "|{1} computers are connected to your shared folders: {2}."},
    {QuestionFilesHidden, "Open files are shown to administrators only."},
    {QuestionStopAnyway, "Stop sharing anyway?"},
    {SentenceSeparator, " "},
    {ListSeparator, ", "},
    {ListAndMore, "{2} and {1} more|{2} and {1} more"},
    {ConnectionWith, "{1} ({2})"},
    {ConnectionUserFiles, "{1}, {2}"},
    {OpenFiles, "1 open file: {2}|{1} open files: {2}"},
    {ErrorUnableToWrite, "Unable to write to {1}"},
    {ErrorFailedToSetData, "Failed to set data for '{1}'"},
    {ErrorInvalidDataType, "Invalid data type for '{1}'"},
    {ErrorAutorunOff, "Unable to set Tarnwick not to start with windows."},
    {ErrorAutorunOn, "Unable to configure Tarnwick to startup with windows."},
    {HelpElevated,
     "Tarnwick runs as administrator, so it does not open its help page: the browser would run as "
     "administrator too. Open {1} from Explorer instead."},
};
} // namespace

const Language English = {EnglishTag, PluralRule::OneOther, kEntries, std::size(kEntries)};

} // namespace Texts
