// "Off on public networks": sharing follows the networks Windows classes as Public.
#include <algorithm>
#include <cstdio>

#include "app/main_form.h"
#include "platform/platform.h"
#include "sharing/connections.h"
#include "sharing/policy.h"
#include "tarnwick_version.h"

namespace Main {

namespace {

using Action = TNetworkRule::Action;

using Texts::Say;
using Texts::TextId;

std::string HexError(plat::HRESULT error) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(error));
    return text;
}

} // namespace

void TForm1::StartWatchingNetworks() {
    const bool allowed = !KillServ::ReadPolicy().DisablePublicNetworkRule;
    PublicNetworks->SetChecked(allowed && ReadIni("Info", "PublicNetworks", "") == "off");
    if (fw::Application && !networkHook_)
        networkHook_ = fw::Application->HookMainWindow([this](fw::TMessage& message) {
            if (message.Msg == plat::WM_POWERBROADCAST && message.WParam == plat::PBT_APMRESUMEAUTOMATIC) {
                // Windows identifies the networks anew after sleep, showing them Public meanwhile.
                NetworkRule.Resumed(plat::Os().kernel->GetTickCount64());
                return false;
            }
            if (message.Msg != WM_NETWORKSCHANGED) return false;
            NetworkListChanged();
            return true;
        });
    auto* networks = plat::Os().networks;
    const plat::HWND window = fw::Application ? fw::Application->Handle() : 0;
    networkError_ = !networks ? static_cast<plat::HRESULT>(0x80004001) // E_NOTIMPL
                              : networks->StartWatching(window, WM_NETWORKSCHANGED);
    // Without the Network List Manager the rule cannot work; the tool tip tells why.
    PublicNetworks->SetEnabled(allowed && networkError_ == 0);
    NetworkRule.SetEnabled(PublicNetworks->Checked() && networkError_ == 0);
    // What is connected at start-up counts as a change.
    if (networkError_ == 0) NetworkListChanged();
}

void TForm1::NetworkListChanged() {
    auto* networks = plat::Os().networks;
    if (!networks || networkError_ != 0) return;
    std::vector<plat::ConnectedNetwork> connected;
    if (networks->GetConnectedNetworks(&connected) != 0) return; // asked again at the next event
    const uint64_t now = plat::Os().kernel->GetTickCount64();
    if (!NetworkRule.NetworksChanged(connected, now) || suggestion_ == Action::None) return;
    // A suggestion belongs to the networks it was made for.
    DropSuggestion();
}

void TForm1::DropSuggestion() {
    suggestion_ = Action::None;
    // While a switch runs, its own tool tip stays; the completion writes the resting one.
    if (ShownState != 2) {
        TrayIcon1->SetHint(StateHint());
        TrayIcon1->RefreshIcon();
    }
}

void TForm1::ApplyNetworkRule() {
    if (!NetworkRule.Enabled()) return;
    const bool busy =
        WorkerCount != 0 || !CompletionIdle || FirstCompletion || ShownState == 2 || LastWorkerKind == 1;
    const bool elevated = plat::Os().kernel->IsProcessElevated();
    const Action action = NetworkRule.Decide(ShownState, busy, elevated, plat::Os().kernel->GetTickCount64());
    switch (action) {
    case Action::SwitchOff:
    case Action::SwitchOn: {
        // Nobody is asked: the rule acts for the user, who is told afterwards whom it cut off.
        // A listing that failed tells no count: it is not read as nobody.
        connectedAtRuleSwitch_ =
            action == Action::SwitchOff ? KillServ::WhoIsConnected() : KillServ::TConnections{};
        if (!ChangeState(false)) return;
        ruleSwitch_ = ruleActedAlone_ = true;
        StopStart->SetEnabled(false);
        return;
    }
    case Action::SuggestOff:
    case Action::SuggestOn:
        // Unelevated, a UAC prompt out of nowhere would be wrong: the user is asked to click.
        suggestion_ = action;
        TrayIcon1->SetHint(StateHint());
        TrayIcon1->RefreshIcon();
        TrayIcon1->ShowBalloonHint(
            Texts::ProductName,
            Say(action == Action::SuggestOff ? TextId::BalloonSuggestOff : TextId::BalloonSuggestOn));
        return;
    case Action::None:
        return;
    }
}

bool TForm1::SuggestionFits() const {
    return (suggestion_ == Action::SuggestOff && ShownState == 1) ||
           (suggestion_ == Action::SuggestOn && ShownState == 0);
}

void TForm1::SwitchAskedFor() {
    // The click carries the right to come to the foreground: taken now, it lets the UAC prompt
    // of the switch open in front instead of as a flashing taskbar button.
    if (fw::Application) plat::Os().user->SetForegroundWindow(fw::Application->Handle());
    const bool followsSuggestion = SuggestionFits();
    const bool started = ChangeState();
    if (started) {
        if (followsSuggestion) {
            ruleSwitch_ = true;
            ruleActedAlone_ = false;
        } else {
            NetworkRule.UserSwitched();
        }
        suggestion_ = Action::None;
    }
    // A No to the question leaves the menu command as it was.
    if (started || WorkerCount != 0) StopStart->SetEnabled(false);
}

void TForm1::NetworkBalloonClick(TObject*) {
    // A balloon that told of an automatic switch, or a suggestion overtaken meanwhile, asks
    // nothing of its click.
    if (SuggestionFits()) SwitchAskedFor();
}

void TForm1::PublicNetworksClick(TObject*) {
    const bool on = !PublicNetworks->Checked();
    PublicNetworks->SetChecked(on);
    WriteIni("Info", "PublicNetworks", on ? "off" : "on");
    NetworkRule.SetEnabled(on);
    if (!on && suggestion_ != Action::None) DropSuggestion();
}

void TForm1::NetworkRuleSwitchEnded() {
    if (!ruleSwitch_) return;
    ruleSwitch_ = false;
    NetworkRule.RuleSwitchEnded(SharingState);
    // The lamp tells that sharing went off; a balloon only when it cut somebody off, whom
    // nobody was asked about.
    if (!ruleActedAlone_ || SharingState != 0 || StateBeforeSwitch != 1) return;
    const KillServ::TConnections& cut = connectedAtRuleSwitch_;
    if (cut.Known() && cut.Sessions.empty()) return;
    announcement_ = cut.Known() ? Texts::SayCount(TextId::BalloonCutOff, cut.Sessions.size())
                                : Say(TextId::BalloonCutOffUnknown, {std::to_string(cut.Error)});
}

void TForm1::AnnounceNetworkRuleSwitch() {
    if (announcement_.empty()) return;
    TrayIcon1->ShowBalloonHint(Texts::ProductName, announcement_);
    announcement_.clear();
}

std::string TForm1::StateHint() const {
    TextId hint = SharingState == 1 ? TextId::TipEnabled : TextId::TipDisabled;
    if (suggestion_ == Action::SuggestOff && SharingState == 1)
        hint = TextId::TipSuggestOff;
    else if (suggestion_ == Action::SuggestOn && SharingState == 0)
        hint = TextId::TipSuggestOn;
    std::string text = Say(hint, {TARNWICK_VERSION_TEXT});
    if (networkError_ != 0) text += Say(TextId::TipRuleUnavailable, {HexError(networkError_)});
    return text;
}

} // namespace Main
