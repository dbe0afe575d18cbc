#pragma once
// The hidden main form: start-up and shut-down, the sharing state controller, the lamp
// animation and the settings commands.
#include "texts/texts.h"
#include <cstdint>
#include <string>

#include "app/images.h"
#include "app/network_rule.h"
#include "framework/extctrls.h"
#include "framework/forms.h"
#include "framework/imglist.h"
#include "framework/menus.h"
#include "platform/networks.h"
#include "sharing/connections.h"
#include "sharing/switch_request.h"
#include "trayicon/tray_icon.h"

namespace Main {

using fw::TObject;

// Controller state, one set for the process (zero when the program is loaded).
extern int32_t SharingState;      // outcome of the latest query: 1 enabled, 0 disabled
extern int32_t ShownState;        // what the icon shows; 2 while starting or switching
extern int32_t WorkerCount;       // workers started and not yet completed (0 or 1)
extern int32_t LastWorkerKind;    // 1 switch, 0 query
extern int32_t PrevWorkerKind;    // LastWorkerKind before the latest start
extern int32_t StateBeforeSwitch; // ShownState when the latest switch started
extern bool CompletionIdle;       // false while ThreadDone runs
extern bool FirstCompletion;      // true until the start-up query has been shown

// Back to the values of a freshly loaded program (tests start each case from there).
void ResetUnitState();
void ResetControllerState();

inline constexpr const char* RunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* MarkerKey = "Software\\Tarnwick";
inline constexpr const char* AutoRunName = "Tarnwick";

class TForm1 : public fw::TForm {
  public:
    explicit TForm1(fw::TComponent* AOwner);
    ~TForm1() override;

    TrayIcon::TTrayIcon* TrayIcon1 = nullptr;
    fw::TPopupMenu* PopupMenu1 = nullptr;
    fw::TMenuItem* Savestate = nullptr;
    fw::TMenuItem* RunAtStartup = nullptr;
    fw::TMenuItem* ExitMenu = nullptr;
    fw::TMenuItem* Help = nullptr;
    fw::TMenuItem* StopStart = nullptr;
    fw::TMenuItem* PublicNetworks = nullptr;
    fw::TTimer* Timer1 = nullptr;
    fw::TImageList* DeTre = nullptr;
    fw::TImageList* YellowHalf = nullptr;
    fw::TImageList* YellowFul = nullptr;
    fw::TImageList* RedFul = nullptr;
    fw::TImageList* GreenFul = nullptr;
    fw::TImageList* Boom = nullptr;
    fw::TImageList* BoomLight = nullptr;
    fw::TImageList* BlackLight = nullptr;

    // Start-up and shut-down
    void TrayIcon1Startup(TObject* Sender, bool& ShowMainForm);
    void FormCreate(TObject* Sender);
    void StartTarnwick();
    void ExitMenuClick(TObject* Sender);
    void FormClose(TObject* Sender, fw::TCloseAction& Action);

    // Controller
    bool GetState();
    // A switch the user asks for; before a stop it asks whether to cut off who is connected.
    // A switch made by a rule, not by the user, passes false and is never held up by a box.
    bool ChangeState(bool AskWhoIsConnected = true);
    void ThreadDone(TObject* Sender);
    void Timer1Timer(TObject* Sender);
    void TrayIcon1DblClick(TObject* Sender);
    void StopStartClick(TObject* Sender);

    // Animation
    void PlayFrames(fw::TCustomImageList* List, int32_t From, int32_t To, int32_t Delay);
    void PlayCurrentFrames(int32_t From, int32_t To, int32_t Delay);
    void AnimateToFrame(fw::TCustomImageList* List, int32_t Target, int32_t Delay);
    void AnimateStateToFrame(int32_t Target, int32_t Delay);
    fw::TCustomImageList* CurrentIconList();
    void StartCycling(fw::TCustomImageList* List, uint32_t Interval);
    // The light list of a sharing state, or null when the state has none.
    fw::TCustomImageList* StateList(int32_t State);

    // Settings, autostart and help
    int32_t GetAutoRun(const std::string& Name);
    void SetAutoRun(const std::string& Name, const std::string& Path, int32_t Mode);
    void FirstStartAutoRun();
    void RunAtStartupClick(TObject* Sender);
    void SavestateClick(TObject* Sender);
    void HelpClick(TObject* Sender);
    // The autostart command line for the program in the current directory.
    std::string AutoRunPath();

    // Draws the frames again at the small-icon size of the display now and in its theme, when
    // either has changed, and shows the frame of the running animation at once in the new
    // pictures: the animation goes on where it was. True when anything was drawn.
    bool DrawImageLists();
    int32_t FrameSize() const { return frameSize_; }
    const images::Theme& FrameTheme() const { return frameTheme_; }
    // "Off on public networks": the networks from the Network List Manager, the rule's
    // decisions at each tick, its balloon and its tool tip.
    void StartWatchingNetworks();
    void NetworkListChanged();
    void ApplyNetworkRule();
    void PublicNetworksClick(TObject* Sender);
    void NetworkBalloonClick(TObject* Sender);
    // The resting tool tip: the state, what the rule suggests, why the rule cannot work.
    std::string StateHint() const;
    TNetworkRule NetworkRule;
    // Where this tray keeps its files, chosen at start-up; each worker's request carries them.
    KillServ::THomes Homes;
    // The latest switch: as it was asked for, and as its worker (or the elevated copy) told it.
    KillServ::TSwitchRequest SwitchRequest;
    KillServ::TSwitchReport SwitchReport;
    // The language of the menu, tool tips, balloons, boxes and help: a policy's, then the
    // code.ini key's, then Windows' display language; English when none is shipped.
    std::string ChooseLanguage();
    // The sharing command's caption. The decisions that read it read its English text, so
    // they decide alike in every language.
    void SetStopStartCaption(Texts::TextId caption);
    std::string StopStartEnglish() const;

  private:
    // A double click or the menu command: the user's own switch, or the one the rule's
    // suggestion asked for.
    void SwitchAskedFor();
    bool SuggestionFits() const;
    // Forgets the balloon's suggestion and puts the resting tool tip back.
    void DropSuggestion();
    // At the verifying query of a switch: what the rule learns from it, and the balloon that
    // tells of an automatic switch.
    void NetworkRuleSwitchEnded();
    void AnnounceNetworkRuleSwitch();
    void CreateImageLists();
    // The application window's messages that change the display: scale, settings, theme,
    // a new taskbar.
    bool DisplayMessage(fw::TMessage& Message);
    // False when no thread could be had and that was reported before.
    bool StartWorker(int32_t Mode);
    // False when somebody is connected and the user keeps sharing on.
    bool MayCutOffWhoIsConnected();
    // The switch log's entry once the verifying query has told where the switch led.
    void LogSwitchResult();
    void WriteIni(const char* Section, const char* Key, const std::string& Value);
    // The user's code.ini, in the user's home.
    std::string IniFile() const;
    std::string ReadIni(const char* Section, const char* Key, const char* Default);

    int32_t frameSize_ = 0;
    images::Theme frameTheme_;
    int32_t displayHook_ = 0;
    plat::HRESULT networkError_ = 0; // why the Network List Manager cannot be had
    int32_t networkHook_ = 0;
    TNetworkRule::Action suggestion_ = TNetworkRule::Action::None; // a balloon not yet followed
    bool ruleSwitch_ = false;                                      // the running switch is the rule's
    bool ruleActedAlone_ = false;                                  // ... and it ran without asking anybody
    KillServ::TConnections connectedAtRuleSwitch_;
    std::string announcement_;
    Texts::TextId stopStartText_ = Texts::TextId::MenuStopSharingFirst;
};

// Posted to the application window at each event of the Network List Manager.
inline constexpr plat::UINT WM_NETWORKSCHANGED = plat::WM_APP + 0x31;

extern TForm1* Form1;

// The name of the mutex that keeps one lamp per session.
inline constexpr const char* InstanceMutexName = "Local\\Tarnwick.Lamp";

// The program: application object, main form, message loop. Returns the exit code. A second
// start in the same session finds the first one's mutex and ends at once with 0.
int RunProgram();

} // namespace Main
