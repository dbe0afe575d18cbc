// The sharing state controller: starts workers, verifies every switch with a later query,
// and shows the measured state.
#include "app/main_form.h"
#include "framework/dialogs.h"
#include "framework/exception.h"
#include "platform/platform.h"
#include "sharing/connections.h"
#include "sharing/killserv.h"
#include "sharing/killserv_report.h"
#include "texts/texts.h"

namespace Main {

namespace {

// Switches accepted and completions run so far: a completion that waited in a box learns
// from them whether something newer has been shown or is under way meanwhile.
uint64_t SwitchesAccepted = 0;
uint64_t CompletionsRun = 0;
// A worker that cannot be started is reported once, not at every tick while it keeps failing.
bool StartFailureReported = false;

// A completion that arrives after the form has gone (the process is ending) is dropped. An
// error from the handler reaches the top-level error report, as in any other handler.
void DeliverCompletion(int32_t mode, const KillServ::TKT& worker) {
    if (!Form1) return;
    if (mode == 1) {
        // Who was connected: as the copy found it, or else as the tray's own question did.
        const std::string asked = Form1->SwitchReport.Connected;
        Form1->SwitchReport = worker.Report();
        if (Form1->SwitchReport.Connected.empty()) Form1->SwitchReport.Connected = asked;
    }
    try {
        Form1->ThreadDone(nullptr);
    } catch (...) {
        CompletionIdle = true;
        if (fw::Application) fw::Application->HandleException(nullptr);
    }
}

// What a switch that could not run at all tells the user, instead of the reboot advice; empty
// when the verifying query tells it.
std::string OutcomeText(KillServ::SwitchOutcome outcome, const KillServ::THomes& homes) {
    using Texts::Say;
    using Texts::TextId;
    switch (outcome) {
    case KillServ::SwitchOutcome::Busy:
        return Say(TextId::BoxBusy);
    case KillServ::SwitchOutcome::DeniedByPolicy:
        return Say(TextId::BoxDeniedByPolicy);
    case KillServ::SwitchOutcome::UnreachableProgram:
        return Say(TextId::BoxUnreachableProgram);
    case KillServ::SwitchOutcome::UntrustedFolder:
        return Say(TextId::BoxUntrustedFolder,
                   {homes.MachineFolder.empty() ? KillServ::MachineDataFolder() : homes.MachineFolder});
    case KillServ::SwitchOutcome::LockUnavailable:
        return Say(TextId::BoxLockUnavailable, {KillServ::SwitchLockPath()});
    case KillServ::SwitchOutcome::UntrustedProgram:
        return Say(TextId::BoxUntrustedProgram, {KillServ::ProgramFolder()});
    default:
        return {};
    }
}

// The failure box: the first sentence as it always was (people and scripts know the box by
// it), then what failed and what to do about it.
std::string WithReason(const std::string& sentence, const KillServ::TSwitchReport& report) {
    const std::string reason = KillServ::FailureReasonText(report);
    return reason.empty() ? sentence : sentence + "\r\n\r\n" + reason;
}

// english-begin: the log's words
std::string OutcomeWords(KillServ::SwitchOutcome outcome) {
    switch (outcome) {
    case KillServ::SwitchOutcome::Ran:
        return "the switch ran";
    case KillServ::SwitchOutcome::Declined:
        return "nothing switched: elevation was declined or is not available";
    case KillServ::SwitchOutcome::Failed:
        return "the switch failed";
    case KillServ::SwitchOutcome::Busy:
        return "nothing switched: another switch was running";
    case KillServ::SwitchOutcome::DeniedByPolicy:
        return "nothing switched: a policy refuses elevation";
    case KillServ::SwitchOutcome::UnreachableProgram:
        return "nothing switched: the program's network drive cannot be reached elevated";
    case KillServ::SwitchOutcome::UntrustedFolder:
        return "nothing switched: the machine's folder was not made by an administrator";
    case KillServ::SwitchOutcome::KeptOn:
        return "nothing switched: the user kept sharing on";
    case KillServ::SwitchOutcome::LockUnavailable:
        return "nothing switched: the switch lock could not be made";
    case KillServ::SwitchOutcome::UntrustedProgram:
        return "nothing switched: the program's folder may be changed by another account";
    }
    return {};
}
// english-end

// A switch whose verdict is nobody's fault and needs no box: the user said no.
bool ChosenByTheUser(KillServ::SwitchOutcome outcome) {
    return outcome == KillServ::SwitchOutcome::Declined || outcome == KillServ::SwitchOutcome::KeptOn;
}

// Scoped: while the question is open, neither a tick's query nor a second click starts.
struct HoldTheController {
    HoldTheController() { WorkerCount = 1; }
    ~HoldTheController() { WorkerCount = 0; }
};

} // namespace

void ResetControllerState() {
    SwitchesAccepted = CompletionsRun = 0;
    StartFailureReported = false;
}

bool TForm1::StartWorker(int32_t Mode) {
    // The handler goes in with the construction, so it is bound before the run can end.
    try {
        KillServ::TSwitchRequest request = Mode == 1 ? SwitchRequest : KillServ::TSwitchRequest{};
        request.Homes = Homes;
        new KillServ::TKT(
            Mode, &SharingState,
            [Mode](plat::TThread* worker) { DeliverCompletion(Mode, static_cast<KillServ::TKT&>(*worker)); },
            std::move(request));
    } catch (const std::exception& e) {
        // No thread, no completion: uncount it, or the controller would stay busy for good.
        WorkerCount = 0;
        // The verifying query is asked for at every tick: once on screen, the failure is not
        // shown again (one box inside the other) while the ticks keep trying.
        if (Mode == 0 && StartFailureReported) return false;
        StartFailureReported = true;
        throw fw::Exception(e.what());
    }
    StartFailureReported = false;
    return true;
}

bool TForm1::GetState() {
    bool started = false;
    if (WorkerCount == 0) {
        WorkerCount = 1;
        started = StartWorker(0);
    }
    if (started) {
        PrevWorkerKind = LastWorkerKind;
        LastWorkerKind = 0;
    }
    RunAtStartup->SetChecked(GetAutoRun(AutoRunName) == 1);
    WriteIni("Info", "LastState",
             StopStartEnglish() == "&Stop sharing" ? "off" : "on"); // english: a decision
    return started;
}

bool TForm1::MayCutOffWhoIsConnected() {
    KillServ::TConnections connected;
    KillServ::TCutOffAnswer answer;
    {
        HoldTheController hold;
        answer = KillServ::AskBeforeCuttingOff(SwitchRequest.PromptOwner, 0, &connected);
    }
    // Where Windows would not tell this process, the elevated copy asks instead.
    SwitchReport.Connected = KillServ::ConnectedSummary(connected);
    SwitchRequest.UserConfirmedCutOff = answer == KillServ::TCutOffAnswer::Yes;
    if (answer != KillServ::TCutOffAnswer::No) return true;
    KillServ::LogSwitch(Homes, SwitchReport, "off", OutcomeWords(KillServ::SwitchOutcome::KeptOn));
    return false;
}

void TForm1::LogSwitchResult() {
    const std::string& direction =
        SwitchRequest.Direction.empty() ? SwitchReport.Direction : SwitchRequest.Direction;
    KillServ::LogSwitch(Homes, SwitchReport, direction,
                        OutcomeWords(SwitchReport.Outcome) + "; sharing is " + // english: log
                            (SharingState == 1 ? "on" : "off"));
}

bool TForm1::ChangeState(bool AskWhoIsConnected) {
    FirstStartAutoRun();
    if (WorkerCount != 0) return false;
    SwitchRequest = KillServ::TSwitchRequest{};
    SwitchReport = KillServ::TSwitchReport{};
    // The UAC prompt of an unelevated switch belongs to this program's window.
    SwitchRequest.PromptOwner = fw::Application ? fw::Application->Handle() : 0;
    SwitchRequest.Direction = ShownState == 1 ? "off" : ShownState == 0 ? "on" : "";
    // Only a stop cuts anybody off.
    if (ShownState == 1 && AskWhoIsConnected && !MayCutOffWhoIsConnected()) return false;
    WorkerCount = 1;
    if (!StartWorker(1)) return false;
    ++SwitchesAccepted;
    PrevWorkerKind = LastWorkerKind;
    LastWorkerKind = 1;
    StateBeforeSwitch = ShownState;
    ShownState = 2;

    AnimateStateToFrame(2, 100);
    PlayFrames(BlackLight, 2, 2, 100);
    StartCycling(YellowHalf, 100);

    TrayIcon1->SetHint(
        Texts::Say(StateBeforeSwitch == 1 ? Texts::TextId::TipDisabling : Texts::TextId::TipEnabling));
    TrayIcon1->RefreshIcon();
    return true;
}

void TForm1::ThreadDone(TObject*) {
    CompletionIdle = false;
    ++CompletionsRun;
    const uint64_t switchesBefore = SwitchesAccepted;
    const uint64_t completionsBefore = CompletionsRun;
    WorkerCount -= 1;
    if (WorkerCount == 0 && LastWorkerKind == 0) {
        StopStart->SetEnabled(true);
        SetStopStartCaption(SharingState == 1 ? Texts::TextId::MenuStopSharing
                                              : Texts::TextId::MenuStartSharing);

        if (PrevWorkerKind == 1) {
            LogSwitchResult();
            NetworkRuleSwitchEnded();
        }
        // A declined UAC prompt, or a No to cutting people off, switched nothing by the user's
        // choice: no failure box. A switch that could not run at all says why, whatever the
        // state is now.
        const std::string outcomeText = PrevWorkerKind == 1 ? OutcomeText(SwitchReport.Outcome, Homes) : "";
        if (PrevWorkerKind == 1 && (!outcomeText.empty() || (SharingState == StateBeforeSwitch &&
                                                             !ChosenByTheUser(SwitchReport.Outcome)))) {
            // The box tells the measured state: a switch asked for while it is open starts
            // from that state, so its own failure can be reported in turn.
            ShownState = SharingState;
            if (!outcomeText.empty())
                fw::ShowError(outcomeText);
            else if (SharingState == 1)
                fw::ShowError(WithReason(Texts::Say(Texts::TextId::BoxUnableToStop), SwitchReport));
            else if (SharingState == 0)
                fw::ShowError(WithReason(Texts::Say(Texts::TextId::BoxUnableToStart), SwitchReport));
            // The box's own message loop may have let a new switch in, or shown a later
            // result: the lamp and the tool tip are theirs now.
            if (SwitchesAccepted != switchesBefore || CompletionsRun != completionsBefore) {
                CompletionIdle = true;
                return;
            }
        }

        TrayIcon1->SetHint(StateHint());

        if (FirstCompletion) {
            TrayIcon1->SetEnabled(true);
            TrayIcon1->SetIconVisible(true);
            PlayFrames(Boom, 0, 13, 50);
            PlayFrames(BoomLight, 13, 0, 50);
            plat::Os().kernel->Sleep(50);
            if (auto* light = StateList(SharingState)) PlayFrames(light, 2, 6, 50);
            PlayCurrentFrames(5, 5, 75);
            PlayCurrentFrames(4, 4, 100);
            PlayCurrentFrames(3, 3, 125);
            PlayCurrentFrames(4, 4, 200);
            PlayCurrentFrames(5, 5, 100);
            FirstCompletion = false;
        } else {
            AnimateStateToFrame(4, 100);
            AnimateStateToFrame(2, 100);
            PlayFrames(DeTre, 3, 3, 100);
            if (auto* light = StateList(SharingState)) PlayFrames(light, 2, 1, 100);
        }

        PlayFrames(DeTre, SharingState, SharingState, 0);
        ShownState = SharingState;
        TrayIcon1->RefreshIcon();
        AnnounceNetworkRuleSwitch();
    }
    CompletionIdle = true;
}

void TForm1::Timer1Timer(TObject*) {
    if (WorkerCount == 0 && CompletionIdle && LastWorkerKind == 1) GetState();
    ApplyNetworkRule();
}

void TForm1::TrayIcon1DblClick(TObject*) {
    // The sharing command is the menu's default item: while it is enabled the tray icon clicks
    // it right after this handler, so a double click switches once, through the command.
    if (StopStart->Default() && StopStart->Enabled() && StopStart->Visible() &&
        TrayIcon1->PopupMenu() == PopupMenu1 && PopupMenu1->AutoPopup() && !TrayIcon1->LeftPopup())
        return;
    SwitchAskedFor();
}

void TForm1::StopStartClick(TObject*) {
    SwitchAskedFor();
}

} // namespace Main
