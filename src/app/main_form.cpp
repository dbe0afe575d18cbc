// The main form's description, start-up and shut-down.
#include "app/main_form.h"

#include <algorithm>

#include "app/images.h"
#include "platform/platform.h"
#include "sharing/killserv.h"
#include "sharing/policy.h"
#include "timer/simple_timer.h"

namespace Main {

int32_t SharingState = 0;
int32_t ShownState = 0;
int32_t WorkerCount = 0;
int32_t LastWorkerKind = 0;
int32_t PrevWorkerKind = 0;
int32_t StateBeforeSwitch = 0;
bool CompletionIdle = false;
bool FirstCompletion = false;

TForm1* Form1 = nullptr;

void ResetUnitState() {
    SharingState = ShownState = WorkerCount = LastWorkerKind = PrevWorkerKind = StateBeforeSwitch = 0;
    CompletionIdle = FirstCompletion = false;
    ResetControllerState();
}

namespace {

fw::TMenuItem* AddItem(TForm1* form, const char* name, Texts::TextId caption) {
    auto* item = new fw::TMenuItem(form);
    item->SetName(name);
    item->SetCaption(Texts::Say(caption));
    form->PopupMenu1->Items()->Add(item);
    return item;
}

fw::TImageList* MakeList(TForm1* form, images::FrameList list) {
    auto* imageList = new fw::TImageList(form);
    imageList->SetName(images::ListName(list));
    return imageList;
}

} // namespace

// What the form description holds, assigned in the order it is read.
TForm1::TForm1(fw::TComponent* AOwner) : fw::TForm(AOwner) {
    SetName("Form1");
    SetCaption(Texts::ProductName);
    SetEnabled(false);
    SetWindowState(fw::wsMinimized);
    OnCreate = [this](TObject* Sender) { FormCreate(Sender); };
    OnClose = [this](TObject* Sender, fw::TCloseAction& Action) { FormClose(Sender, Action); };

    TrayIcon1 = new TrayIcon::TTrayIcon(this);
    TrayIcon1->SetName("TrayIcon1");
    TrayIcon1->SetCycleInterval(100);
    TrayIcon1->SetHint(Texts::ProductName);
    TrayIcon1->SetIconIndex(0);
    TrayIcon1->OnDblClick = [this](TObject* Sender) { TrayIcon1DblClick(Sender); };
    TrayIcon1->OnStartup = [this](TObject* Sender, bool& Show) { TrayIcon1Startup(Sender, Show); };

    PopupMenu1 = new fw::TPopupMenu(this);
    PopupMenu1->SetName("PopupMenu1");
    Savestate = AddItem(this, "Savestate", Texts::TextId::MenuSaveState);
    Savestate->SetVisible(false);
    Savestate->OnClick = [this](TObject* Sender) { SavestateClick(Sender); };
    RunAtStartup = AddItem(this, "RunAtStartup", Texts::TextId::MenuRunAtStartup);
    RunAtStartup->OnClick = [this](TObject* Sender) { RunAtStartupClick(Sender); };
    ExitMenu = AddItem(this, "ExitMenu", Texts::TextId::MenuQuit);
    ExitMenu->OnClick = [this](TObject* Sender) { ExitMenuClick(Sender); };
    Help = AddItem(this, "Help", Texts::TextId::MenuHelp);
    Help->OnClick = [this](TObject* Sender) { HelpClick(Sender); };
    StopStart = AddItem(this, "StopStart", Texts::TextId::MenuStopSharingFirst);
    // The double click's command, shown in bold as Windows marks a notification icon's default.
    StopStart->SetDefault(true);
    StopStart->OnClick = [this](TObject* Sender) { StopStartClick(Sender); };
    // After the sharing command, so the other items keep their places and access keys.
    PublicNetworks = AddItem(this, "PublicNetworks", Texts::TextId::MenuOffOnPublicNetworks);
    PublicNetworks->OnClick = [this](TObject* Sender) { PublicNetworksClick(Sender); };
    TrayIcon1->OnBalloonHintClick = [this](TObject* Sender) { NetworkBalloonClick(Sender); };

    Timer1 = new fw::TTimer(this);
    Timer1->SetName("Timer1");
    Timer1->OnTimer = [this](TObject* Sender) { Timer1Timer(Sender); };

    CreateImageLists();
    // The frames follow the display: its scale and its high-contrast theme.
    if (fw::Application)
        displayHook_ = fw::Application->HookMainWindow([this](fw::TMessage& m) { return DisplayMessage(m); });

    // References to other components are resolved once the whole description has been read.
    TrayIcon1->SetPopupMenu(PopupMenu1);
    TrayIcon1->SetIconList(Boom);
}

TForm1::~TForm1() {
    // A worker completion that arrives while the form goes must not reach it.
    if (Form1 == this) Form1 = nullptr;
    if (fw::Application && displayHook_ != 0) fw::Application->UnhookMainWindow(displayHook_);
    if (plat::Installed() && plat::Os().networks) plat::Os().networks->StopWatching();
    if (fw::Application && networkHook_) fw::Application->UnhookMainWindow(networkHook_);
}

void TForm1::CreateImageLists() {
    DeTre = MakeList(this, images::FrameList::DeTre);
    YellowHalf = MakeList(this, images::FrameList::YellowHalf);
    YellowFul = MakeList(this, images::FrameList::YellowFul);
    RedFul = MakeList(this, images::FrameList::RedFul);
    GreenFul = MakeList(this, images::FrameList::GreenFul);
    Boom = MakeList(this, images::FrameList::Boom);
    BoomLight = MakeList(this, images::FrameList::BoomLight);
    BlackLight = MakeList(this, images::FrameList::BlackLight);
    DrawImageLists();
}

void TForm1::TrayIcon1Startup(TObject*, bool& ShowMainForm) {
    ShowMainForm = false;
}

void TForm1::FormCreate(TObject*) {
    FirstCompletion = true;

    // Relative paths (code.ini, srvStat.txt) resolve against the program's own folder,
    // whatever folder it was started from.
    std::string folder = plat::Os().kernel->GetModuleFileName();
    const auto cut = folder.find_last_of("\\/:");
    folder.erase(cut == std::string::npos ? 0 : cut + 1);
    plat::Os().kernel->SetCurrentDirectory(folder.c_str());
    // Installed where only an administrator may write (Program Files), the files go to the
    // user's own folder instead; a portable install keeps them beside the program.
    Homes = KillServ::ChooseHomes();
    // The menu was made before the settings could be read: it takes the language now.
    Texts::SetLanguage(ChooseLanguage());
    Savestate->SetCaption(Texts::Say(Texts::TextId::MenuSaveState));
    RunAtStartup->SetCaption(Texts::Say(Texts::TextId::MenuRunAtStartup));
    ExitMenu->SetCaption(Texts::Say(Texts::TextId::MenuQuit));
    Help->SetCaption(Texts::Say(Texts::TextId::MenuHelp));
    SetStopStartCaption(stopStartText_);
    PublicNetworks->SetCaption(Texts::Say(Texts::TextId::MenuOffOnPublicNetworks));

    ShownState = 2;
    TrayIcon1->SetEnabled(false);
    TrayIcon1->SetIconVisible(false);
    TrayIcon1->SetHint(Texts::Say(Texts::TextId::TipStarting));
    CompletionIdle = true;
    FirstStartAutoRun();
    StartTarnwick();
}

void TForm1::StartTarnwick() {
    TrayIcon1->SetIconIndex(2);
    TrayIcon1->SetIconVisible(true);
    Hide();
    GetState();
    StartWatchingNetworks();
    Savestate->SetChecked(ReadIni("Info", "SaveState", "no") == "yes");
    if (Savestate->Checked()) {
        // The start-up query is still counted here, so ChangeState refuses: sharing is left
        // as it was found.
        const std::string last = ReadIni("Info", "LastState", "");
        const std::string caption = StopStartEnglish();
        // The caption's English text decides, so every language decides alike.
        const bool stop = caption == "Stop sharing";   // english: a decision
        const bool start = caption == "Start sharing"; // english: a decision
        if ((stop && last == "on") || (start && last == "off")) ChangeState();
    }
}

void TForm1::ExitMenuClick(TObject*) {
    Close();
}

std::string TForm1::ChooseLanguage() {
    // A pin that names no shipped language is no pin: the display language is nearer to it
    // than English.
    for (const std::string& pinned : {KillServ::ReadPolicy().Language, ReadIni("Info", "Language", "")}) {
        if (pinned.empty()) continue;
        const std::string language = Texts::ResolveLanguage({pinned});
        if (!language.empty()) return language;
    }
    const std::string shown = Texts::ResolveLanguage(plat::Os().kernel->GetUserPreferredUILanguages());
    return shown.empty() ? Texts::EnglishTag : shown;
}

void TForm1::SetStopStartCaption(Texts::TextId caption) {
    stopStartText_ = caption;
    StopStart->SetCaption(Texts::Say(caption));
}

std::string TForm1::StopStartEnglish() const {
    return Texts::RawText(Texts::EnglishTag, stopStartText_);
}

void TForm1::FormClose(TObject*, fw::TCloseAction&) {
    if (TrayIcon1->IconList() == DeTre) {
        if (auto* light = StateList(TrayIcon1->IconIndex())) PlayFrames(light, 1, 2, 150);
        PlayFrames(DeTre, 3, 3, 150);
    } else {
        AnimateToFrame(CurrentIconList(), 4, 100);
        PlayCurrentFrames(1, 2, 150);
        PlayFrames(DeTre, 3, 3, 150);
    }
    PlayFrames(BoomLight, 0, 13, 50);
    PlayFrames(Boom, 13, 0, 35);
}

int RunProgram() {
    // One lamp per session: a second start would add a second icon and a second worker on
    // the same srvStat.txt. A mutex the elevated instance made is refused to us (error 5):
    // that is a first instance as well.
    // A running lamp owns the mutex: one whose owner ended without letting it go (a killed
    // lamp, while another process still holds a handle) is abandoned, and the wait that says
    // so gives it to us.
    auto& kernel = *plat::Os().kernel;
    const plat::HANDLE instance = kernel.CreateMutex(InstanceMutexName);
    const plat::DWORD instanceError = kernel.GetLastError();
    if (!instance && instanceError == plat::ERROR_ACCESS_DENIED) return 0;
    bool owned = false;
    if (instance) {
        const plat::DWORD wait = kernel.WaitForSingleObject(instance, 0);
        owned = wait == plat::WAIT_OBJECT_0 || wait == plat::WAIT_ABANDONED;
        // An existing mutex nobody owned is held by a lamp that does not own it (an earlier
        // version's): another instance all the same.
        const bool another = wait == plat::WAIT_TIMEOUT ||
                             (wait == plat::WAIT_OBJECT_0 && instanceError == plat::ERROR_ALREADY_EXISTS);
        if (another) {
            if (owned) kernel.ReleaseMutex(instance);
            kernel.CloseHandle(instance);
            return 0;
        }
    }
    struct ReleaseInstance {
        plat::HANDLE h;
        bool owned;
        ~ReleaseInstance() {
            if (h && owned && plat::Installed()) plat::Os().kernel->ReleaseMutex(h);
        }
    };
    struct CloseInstance {
        plat::HANDLE h;
        ~CloseInstance() {
            if (h && plat::Installed()) plat::Os().kernel->CloseHandle(h);
        }
    } closeInstance{instance};
    const ReleaseInstance releaseInstance{instance, owned};

    TrayIcon::UnitInitialization();
    int code = 0;
    {
        fw::TApplication application;
        application.SetTitle(Texts::ProductName);
        application.CreateForm(Form1);
        application.Run();
        // The form and its tray icon go with the application; a completion that comes in
        // meanwhile finds no form.
        Form1 = nullptr;
    }
    TrayIcon::UnitFinalization();
    SimpleTimer::UnitFinalization();
    return code;
}

} // namespace Main
