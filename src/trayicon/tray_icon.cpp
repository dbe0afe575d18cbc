#include "trayicon/tray_icon.h"

#include <cstring>
#include <optional>
#include <unordered_map>
#include <vector>

#include "framework/exception.h"
#include "platform/platform.h"

namespace TrayIcon {

TTrayIconHandler* SharedTrayIconHandler = nullptr;
plat::UINT TaskbarCreatedMessage = 0;

namespace {

constexpr plat::UINT kCallbackMessage = WM_TRAYNOTIFY;
constexpr plat::UINT kNotifyFlags = plat::NIF_MESSAGE | plat::NIF_ICON | plat::NIF_TIP;
constexpr uint32_t kLeavePollPeriod = 20;
// A refused add is tried again once a second for two minutes.
constexpr uint32_t kAddRetryPeriod = 1000;
constexpr int32_t kAddRetries = 120;
constexpr uint32_t kVersion471 = 0x40046; // above it: comctl32 4.71 or later

bool unitStarted = false;
uint32_t cachedCommonControlsVersion = 0;

std::unordered_map<plat::UINT, TTrayIcon*>& LiveIcons() {
    static std::unordered_map<plat::UINT, TTrayIcon*> live;
    return live;
}

plat::UINT NextTrayIconId() {
    static plat::UINT next = 0;
    if (++next == 0) ++next; // 0 is never an id
    return next;
}

plat::IUser& User() {
    return *plat::Os().user;
}

plat::HWND ApplicationWindow() {
    return fw::Application ? fw::Application->Handle() : 0;
}

} // namespace

TTrayIcon* FindTrayIcon(plat::UINT id) {
    auto it = LiveIcons().find(id);
    return it == LiveIcons().end() ? nullptr : it->second;
}

// ---- Unit-level operations ----

uint32_t CommonControlsVersion() {
    if (cachedCommonControlsVersion != 0) return cachedCommonControlsVersion;
    auto& shell = *plat::Os().shell;
    plat::DWORD handle = 0;
    const plat::DWORD size = shell.GetFileVersionInfoSize("comctl32.dll", &handle);
    if (size == 0) return 0;
    std::vector<uint8_t> block(size);
    if (!shell.GetFileVersionInfo("comctl32.dll", handle, size, block.data())) return 0;
    void* fixed = nullptr;
    plat::UINT length = 0;
    if (!shell.VerQueryValue(block.data(), "\\", &fixed, &length) || fixed == nullptr ||
        length < sizeof(plat::VS_FIXEDFILEINFO))
        return 0;
    plat::VS_FIXEDFILEINFO info;
    std::memcpy(&info, fixed, sizeof info);
    cachedCommonControlsVersion = info.dwFileVersionMS;
    return cachedCommonControlsVersion;
}

void UnitInitialization() {
    unitStarted = true;
    TaskbarCreatedMessage =
        CommonControlsVersion() > kVersion471 ? User().RegisterWindowMessage("TaskbarCreated") : 0;
}

void UnitFinalization() {
    delete SharedTrayIconHandler;
    SharedTrayIconHandler = nullptr;
    TaskbarCreatedMessage = 0;
    cachedCommonControlsVersion = 0;
    unitStarted = false;
}

TShiftState CurrentShiftState() {
    TShiftState shift = 0;
    if (User().GetAsyncKeyState(plat::VK_SHIFT) < 0) shift |= ssShift;
    if (User().GetAsyncKeyState(plat::VK_MENU) < 0) shift |= ssAlt;
    if (User().GetAsyncKeyState(plat::VK_CONTROL) < 0) shift |= ssCtrl;
    return shift;
}

void AcquireTrayIconHandler() {
    if (!unitStarted) UnitInitialization();
    if (!SharedTrayIconHandler) SharedTrayIconHandler = new TTrayIconHandler();
    ++SharedTrayIconHandler->UserCount;
}

void ReleaseTrayIconHandler() {
    if (!SharedTrayIconHandler) return;
    if (SharedTrayIconHandler->UserCount > 0) --SharedTrayIconHandler->UserCount;
    if (SharedTrayIconHandler->UserCount == 0) {
        delete SharedTrayIconHandler;
        SharedTrayIconHandler = nullptr;
    }
}

// ---- TTrayIconHandler ----

TTrayIconHandler::TTrayIconHandler() {
    window_ = fw::AllocateHWnd([this](plat::HWND h, plat::UINT m, plat::WPARAM w, plat::LPARAM l) {
        return TrayWindowProc(h, m, w, l);
    });
}

TTrayIconHandler::~TTrayIconHandler() {
    fw::DeallocateHWnd(window_);
}

plat::LRESULT TTrayIconHandler::TrayWindowProc(plat::HWND hWnd, plat::UINT Msg, plat::WPARAM wParam,
                                               plat::LPARAM lParam) {
    switch (Msg) {
    case kCallbackMessage: {
        // Version 4 puts the id in the high word of lParam (never 0) and the anchor point in
        // wParam; version 0 sends the id in wParam and the bare event. A callback may be queued
        // for a component freed since: only a live id is used.
        const auto low = static_cast<plat::UINT>(lParam & 0xFFFF);
        const auto high = static_cast<plat::UINT>((lParam >> 16) & 0xFFFF);
        if (high != 0) {
            TTrayIcon* icon = FindTrayIcon(high);
            if (icon && icon->NotifyVersion() >= plat::NOTIFYICON_VERSION_4) {
                const plat::POINT anchor{static_cast<int16_t>(wParam & 0xFFFF),
                                         static_cast<int16_t>((wParam >> 16) & 0xFFFF)};
                icon->HandleCallback(low, anchor);
            }
        } else if (TTrayIcon* icon = FindTrayIcon(static_cast<plat::UINT>(wParam))) {
            icon->HandleCallback(low, std::nullopt);
        }
        return 0;
    }
    case plat::WM_DESTROY:
    case plat::WM_CLOSE:
    case plat::WM_QUERYENDSESSION:
    case plat::WM_QUIT:
    case plat::WM_ENDSESSION:
    case plat::WM_NCDESTROY:
        // Agrees to end the session and cannot be closed by a message.
        return 1;
    default:
        return User().DefWindowProc(hWnd, Msg, wParam, lParam);
    }
}

// ---- TTrayIcon: life cycle ----

TTrayIcon::TTrayIcon(TComponent* AOwner) : TComponent(AOwner) {
    AcquireTrayIconHandler();
    trayIconId_ = NextTrayIconId();
    LiveIcons()[trayIconId_] = this;
    mdiStartupPending_ = true;
    enabled_ = true;
    showHint_ = true;
    previewSwitching_ = false;

    icon_ = std::make_unique<fw::TIcon>();
    icon_->OnChange = [this](TObject* Sender) { IconImageChanged(Sender); };

    std::memset(&notifyData_, 0, sizeof notifyData_);
    notifyData_.cbSize = plat::NOTIFYICONDATA_SIZE;
    notifyData_.hWnd = static_cast<uint32_t>(SharedTrayIconHandler->Window());
    notifyData_.uID = trayIconId_;
    notifyData_.uFlags = kNotifyFlags;
    notifyData_.uCallbackMessage = kCallbackMessage;

    iconCycleTimer_ = std::make_unique<SimpleTimer::TSimpleTimer>(1000, [this](TObject* s) { CycleStep(s); });
    clickDelayTimer_ =
        std::make_unique<SimpleTimer::TSimpleTimer>(1000, [this](TObject* s) { ClickDelayElapsed(s); });
    leavePollTimer_ = std::make_unique<SimpleTimer::TSimpleTimer>(kLeavePollPeriod,
                                                                  [this](TObject* s) { LeavePollTick(s); });
    addRetryTimer_ =
        std::make_unique<SimpleTimer::TSimpleTimer>(kAddRetryPeriod, [this](TObject* s) { AddRetryTick(s); });

    cursorOutside_ = true;
    SetDesignPreview(designPreview_);

    if (!Designing()) {
        if (fw::Application) {
            applicationHook_ = fw::Application->HookMainWindow(
                [this](fw::TMessage& m) { return ApplicationMessageHook(m); });
            // An elevated process gets no "TaskbarCreated" from Explorer unless it lets it in;
            // without it the icon would be lost for good after Explorer restarts.
            if (TaskbarCreatedMessage != 0)
                User().ChangeWindowMessageFilterEx(fw::Application->Handle(), TaskbarCreatedMessage,
                                                   plat::MSGFLT_ALLOW);
        }
        if (OwnerIsWindowed()) HookOwnerWindow();
    }
}

TTrayIcon::~TTrayIcon() {
    try {
        SetIconVisible(false);
        SetDesignPreview(false);
    } catch (...) {
        // Destruction always completes.
    }
    iconCycleTimer_.reset();
    clickDelayTimer_.reset();
    leavePollTimer_.reset();
    try {
        icon_.reset();
    } catch (...) {
    }
    LiveIcons().erase(trayIconId_);
    if (!Designing()) {
        if (fw::Application && applicationHook_ != 0) fw::Application->UnhookMainWindow(applicationHook_);
        UnhookOwnerWindow();
    }
    ReleaseTrayIconHandler();
}

void TTrayIcon::AfterLoad() {
    TComponent::AfterLoad();
    AskStartupQuestion();
    UpdateIcon();
    SetIconVisible(iconVisible_);
    SetCycleIcons(cycleIcons_);
    SetWantEnterExitEvents(wantEnterExitEvents_);
    AskForVersion();
}

void TTrayIcon::AskForVersion() {
    auto& shell = *plat::Os().shell;
    // Version 4 hands the id back in 16 bits: a larger id stays with version 0.
    // A shell that refuses it keeps the icon at version 0, every icon's version until asked.
    notifyData_.uVersion = trayIconId_ <= 0xFFFF ? plat::NOTIFYICON_VERSION_4 : 0;
    const bool taken = notifyData_.uVersion == plat::NOTIFYICON_VERSION_4 &&
                       shell.Shell_NotifyIcon(plat::NIM_SETVERSION, &notifyData_) != 0;
    notifyData_.uVersion = 0;
    shellVersion_ = taken ? plat::NOTIFYICON_VERSION_4 : 0;
    // With version 4 the shell hides the standard tool tip unless the record asks for it.
    notifyData_.uFlags = kNotifyFlags | (taken ? plat::NIF_SHOWTIP : 0);
    if (taken) UpdateIcon();
}

void TTrayIcon::ComponentRemoved(TComponent* AComponent) {
    TComponent::ComponentRemoved(AComponent);
    if (AComponent == nullptr) return;
    if (AComponent == popupMenu_) popupMenu_ = nullptr;
    if (AComponent == iconList_) {
        iconList_ = nullptr;
        SetIconIndex(0);
    }
}

// ---- The notification record and the shell ----

bool TTrayIcon::FillNotifyData() {
    if (Designing() && !previewSwitching_ && !designPreview_) return false;
    plat::HICON handle = 0;
    try {
        handle = icon_ ? icon_->Handle() : 0;
    } catch (const fw::EReadError&) {
        handle = 0;
    }
    notifyData_.hIcon = static_cast<uint32_t>(handle);
    constexpr size_t tipSize = sizeof notifyData_.szTip;
    if (!hint_.empty() && showHint_) {
        // At most 127 bytes of text and always a terminating NUL inside the field; a UTF-8
        // character that does not fit whole is left out, as half of one cannot be shown.
        size_t n = std::min(hint_.size(), tipSize - 1);
        while (n > 0 && n < hint_.size() && (static_cast<unsigned char>(hint_[n]) & 0xC0) == 0x80)
            --n;
        std::memset(notifyData_.szTip, 0, tipSize);
        std::memcpy(notifyData_.szTip, hint_.data(), n);
        notifyData_.szTip[tipSize - 1] = '\0';
    } else {
        std::memset(notifyData_.szTip, 0, tipSize);
    }
    return true;
}

namespace {
// At most size - 1 bytes of whole UTF-8 characters and a terminating NUL.
template <size_t N> void CopyField(char (&field)[N], const std::string& text) {
    size_t n = std::min(text.size(), N - 1);
    while (n > 0 && n < text.size() && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
        --n;
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), n);
}
} // namespace

bool TTrayIcon::ShowBalloonHint(const std::string& Title, const std::string& Text) {
    if (!iconVisible_ || !FillNotifyData()) return false;
    CopyField(notifyData_.szInfoTitle, Title);
    CopyField(notifyData_.szInfo, Text);
    notifyData_.dwInfoFlags = plat::NIIF_INFO;
    notifyData_.uFlags |= plat::NIF_INFO;
    const bool shown = Notify(plat::NIM_MODIFY);
    // Later updates of the icon or the tip must not show the balloon again.
    notifyData_.uFlags &= ~plat::NIF_INFO;
    std::memset(notifyData_.szInfo, 0, sizeof notifyData_.szInfo);
    std::memset(notifyData_.szInfoTitle, 0, sizeof notifyData_.szInfoTitle);
    notifyData_.dwInfoFlags = 0;
    return shown;
}

bool TTrayIcon::Notify(plat::DWORD operation) {
    return plat::Os().shell->Shell_NotifyIcon(operation, &notifyData_) != 0;
}

bool TTrayIcon::AddIcon() {
    if (!previewSwitching_) iconVisible_ = true;
    if (Designing() && !previewSwitching_) return false;
    // A busy shell may answer no to an add it took (its answer timed out): a modify tells at
    // once, and the icon is then ours, never added a second time.
    const bool added = FillNotifyData() && (Notify(plat::NIM_ADD) || Notify(plat::NIM_MODIFY));
    // A new shell (after TaskbarCreated) knows nothing of the version asked of the old one.
    if (added && !Loading()) AskForVersion();
    // At logon Explorer refuses icons until it is ready, and may never say "TaskbarCreated":
    // the add is tried again each second for a while, and again at every TaskbarCreated.
    addRetriesLeft_ = added ? 0 : kAddRetries;
    addRetryTimer_->SetActive(!added && iconVisible_);
    return added;
}

void TTrayIcon::AddRetryTick(TObject*) {
    if (!iconVisible_ || addRetriesLeft_ <= 0) {
        addRetryTimer_->SetActive(false);
        return;
    }
    --addRetriesLeft_;
    // A refused add may have been taken all the same (the shell can time out answering):
    // a modify tells, and sends the current frame and tool tip either way.
    const bool present = FillNotifyData() && (Notify(plat::NIM_MODIFY) || Notify(plat::NIM_ADD));
    if (present) AskForVersion();
    if (present || addRetriesLeft_ == 0) {
        addRetriesLeft_ = 0;
        addRetryTimer_->SetActive(false);
    }
}

bool TTrayIcon::RemoveIcon() {
    if (!previewSwitching_) iconVisible_ = false;
    addRetriesLeft_ = 0;
    addRetryTimer_->SetActive(false);
    if (Designing() && !previewSwitching_) return false;
    return FillNotifyData() && Notify(plat::NIM_DELETE);
}

bool TTrayIcon::UpdateIcon() {
    return FillNotifyData() && Notify(plat::NIM_MODIFY);
}

// ---- Properties ----

void TTrayIcon::SetDesignPreview(bool value) {
    designPreview_ = value;
    // Only the form designer previews the icon; at run time the value is just stored.
    if (!Designing()) return;
    previewSwitching_ = true;
    if (icon_ && icon_->Empty() && WantsDefaultIcon()) {
        // A copy of the stock icon, so that the owned icon may destroy what it holds.
        const plat::HICON stock = User().LoadIcon(0, plat::IDI_WINLOGO);
        if (stock != 0) icon_->SetHandle(User().CopyIcon(stock));
    }
    SetIconVisible(value);
    previewSwitching_ = false;
}

void TTrayIcon::SetIconList(fw::TCustomImageList* value) {
    iconList_ = value;
    if (value) FreeNotification(value);
    SetIconIndex(0);
}

void TTrayIcon::SetCycleIcons(bool value) {
    cycleIcons_ = value;
    if (value) {
        SetIconIndex(0);
        iconCycleTimer_->SetPeriod(cycleInterval_);
        iconCycleTimer_->SetActive(true);
    } else {
        iconCycleTimer_->SetActive(false);
    }
}

void TTrayIcon::SetCycleInterval(uint32_t value) {
    cycleInterval_ = value;
    SetCycleIcons(cycleIcons_);
}

void TTrayIcon::SetHint(std::string value) {
    hint_ = std::move(value);
    UpdateIcon();
}

void TTrayIcon::SetShowHint(bool value) {
    showHint_ = value;
    UpdateIcon();
}

void TTrayIcon::SetIcon(fw::TIcon* value) {
    icon_->Assign(value);
} // its change handler sends one NIM_MODIFY

void TTrayIcon::SetIconVisible(bool value) {
    if (value)
        AddIcon();
    else
        RemoveIcon();
}

void TTrayIcon::SetIconIndex(int32_t value) {
    if (iconList_) {
        iconIndex_ = value;
        const int32_t count = iconList_->Count();
        if (value >= count) iconIndex_ = count - 1;
        iconList_->GetIcon(iconIndex_, *icon_);
    } else {
        iconIndex_ = 0;
    }
    UpdateIcon();
}

void TTrayIcon::SetPopupMenu(fw::TPopupMenu* value) {
    popupMenu_ = value;
    if (value) FreeNotification(value);
}

void TTrayIcon::SetWantEnterExitEvents(bool value) {
    wantEnterExitEvents_ = value;
    leavePollTimer_->SetActive(value);
}

void TTrayIcon::IconImageChanged(TObject*) {
    UpdateIcon();
}

// ---- Events ----

void TTrayIcon::DoClick() {
    if (OnClick) OnClick(this);
}
void TTrayIcon::DoDblClick() {
    if (OnDblClick) OnDblClick(this);
}
void TTrayIcon::DoMouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}
void TTrayIcon::DoMouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) {
    if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}
void TTrayIcon::DoMouseMove(TShiftState Shift, int32_t X, int32_t Y) {
    if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}
void TTrayIcon::DoMouseEnter() {
    if (OnMouseEnter) OnMouseEnter(this);
}
void TTrayIcon::DoMouseExit() {
    if (OnMouseExit) OnMouseExit(this);
}

int32_t TTrayIcon::NextCycleIndex() const {
    const int32_t count = iconList_ ? iconList_->Count() : 0;
    return iconIndex_ < count - 1 ? iconIndex_ + 1 : 0;
}

void TTrayIcon::DoCycle() {
    const int32_t next = NextCycleIndex();
    if (OnCycle) OnCycle(this, next);
}

// ---- Callback dispatch ----

void TTrayIcon::HandleCallback(plat::UINT message, std::optional<plat::POINT> anchor) {
    const plat::UINT id = trayIconId_;
    const bool version4 = anchor.has_value();
    // Balloon notifications come whatever Enabled says.
    switch (message) {
    case plat::NIN_BALLOONSHOW:
        if (OnBalloonHintShow) OnBalloonHintShow(this);
        return;
    case plat::NIN_BALLOONHIDE:
        if (OnBalloonHintHide) OnBalloonHintHide(this);
        return;
    case plat::NIN_BALLOONTIMEOUT:
        if (OnBalloonHintTimeout) OnBalloonHintTimeout(this);
        return;
    case plat::NIN_BALLOONUSERCLICK:
        if (OnBalloonHintClick) OnBalloonHintClick(this);
        return;
    default:
        break;
    }
    if (!enabled_) return;

    plat::POINT cursor{};
    User().GetCursorPos(&cursor);
    const TShiftState shift = CurrentShiftState();
    // A handler may free this component; nothing below touches it once it is gone.
    auto alive = [id] { return FindTrayIcon(id) != nullptr; };

    switch (message) {
    case plat::WM_MOUSEMOVE:
        if (wantEnterExitEvents_ && cursorOutside_) {
            DoMouseEnter();
            if (!alive()) return;
            cursorOutside_ = false;
        }
        DoMouseMove(shift, cursor.x, cursor.y);
        if (!alive()) return;
        lastCursorPos_ = cursor;
        break;
    case plat::WM_LBUTTONDOWN:
        if (OnDblClick) {
            clickDelayTimer_->SetPeriod(User().GetDoubleClickTime());
            clickDelayTimer_->SetActive(true);
        }
        DoMouseDown(mbLeft, shift | ssLeft, cursor.x, cursor.y);
        if (!alive()) return;
        leftDownPending_ = true;
        if (leftPopup_) ShowMenuAtCursor();
        break;
    case plat::WM_LBUTTONUP:
        if (leftDownPending_) clickPending_ = true;
        if (leftDownPending_ && !clickDelayTimer_->Active()) {
            leftDownPending_ = false;
            clickPending_ = false;
            DoClick();
            if (!alive()) return;
        }
        leftDownPending_ = false;
        DoMouseUp(mbLeft, shift | ssLeft, cursor.x, cursor.y);
        break;
    case plat::WM_LBUTTONDBLCLK:
        clickPending_ = false;
        doubleClickSeen_ = true;
        DoDblClick();
        if (!alive()) return;
        ClickDefaultItem();
        break;
    case plat::NIN_KEYSELECT:
        // Enter or Space on the icon selected from the keyboard does what a double click does.
        if (version4) KeySelect();
        break;
    case plat::WM_CONTEXTMENU:
        // Version 4 asks for the menu at the release of the right button, and from the
        // keyboard: at the icon's anchor point, not wherever the mouse pointer is.
        if (version4) ShowMenuAt(*anchor);
        break;
    case plat::WM_RBUTTONDOWN:
        DoMouseDown(mbRight, shift | ssRight, cursor.x, cursor.y);
        if (!alive()) return;
        // With version 4 the menu waits for the WM_CONTEXTMENU that follows the release.
        if (!version4) ShowMenuAtCursor();
        break;
    case plat::WM_RBUTTONUP:
        DoMouseUp(mbRight, shift | ssRight, cursor.x, cursor.y);
        break;
    case plat::WM_MBUTTONDOWN:
        DoMouseDown(mbMiddle, shift | ssMiddle, cursor.x, cursor.y);
        break;
    case plat::WM_MBUTTONUP:
        DoMouseUp(mbMiddle, shift | ssMiddle, cursor.x, cursor.y);
        break;
    default:
        break; // right and middle double clicks and anything else
    }
}

void TTrayIcon::ClickDelayElapsed(TObject*) {
    clickDelayTimer_->SetActive(false); // once per press
    const bool click = !doubleClickSeen_ && clickPending_;
    if (click) clickPending_ = false;
    doubleClickSeen_ = false;
    if (click) DoClick();
}

void TTrayIcon::ClickDefaultItem() {
    if (!popupMenu_ || !popupMenu_->AutoPopup() || leftPopup_) return;
    fw::TMenuItem* items = popupMenu_->Items();
    fw::TMenuItem* found = nullptr;
    for (int32_t i = items->Count() - 1; i >= 0; --i)
        if (items->Items(i)->Default()) found = items->Items(i);
    if (found) found->Click();
}

void TTrayIcon::KeySelect() {
    // The shell may report one Enter twice: a repeat within the double-click time is the same key.
    const uint64_t now = plat::Os().kernel->GetTickCount64();
    if (keySelectSeen_ && now - lastKeySelect_ < User().GetDoubleClickTime()) return;
    keySelectSeen_ = true;
    lastKeySelect_ = now;
    const plat::UINT id = trayIconId_;
    clickPending_ = false;
    DoDblClick();
    if (!FindTrayIcon(id)) return;
    ClickDefaultItem();
}

void TTrayIcon::ShowMenuAtCursor() {
    plat::POINT cursor{};
    if (!popupMenu_ || !popupMenu_->AutoPopup() || !User().GetCursorPos(&cursor)) return;
    ShowMenuAt(cursor);
}

void TTrayIcon::ShowMenuAt(plat::POINT at) {
    if (!popupMenu_ || !popupMenu_->AutoPopup()) return;
    const plat::UINT id = trayIconId_;
    User().SetForegroundWindow(ApplicationWindow());
    if (fw::Application) fw::Application->ProcessMessages();
    // The messages just handled may have freed this component or its menu.
    if (!FindTrayIcon(id) || !popupMenu_) return;
    popupMenu_->SetPopupComponent(this);
    popupMenu_->Popup(at.x, at.y);
    if (!FindTrayIcon(id)) return;
    // Lets the owner's thread notice that the menu has gone.
    if (OwnerIsWindowed())
        User().PostMessage(static_cast<fw::TWinControl*>(Owner())->Handle(), plat::WM_NULL, 0, 0);
}

void TTrayIcon::LeavePollTick(TObject*) {
    if (cursorOutside_) return;
    plat::POINT cursor{};
    if (!User().GetCursorPos(&cursor)) return;
    if (cursor.x != lastCursorPos_.x || cursor.y != lastCursorPos_.y) {
        cursorOutside_ = true;
        DoMouseExit();
    }
}

// ---- Cycling ----

void TTrayIcon::CycleStep(TObject*) {
    // An expiry already queued when cycling was switched off must not move the shown frame.
    if (!iconList_ || !cycleIcons_) return;
    const plat::UINT id = trayIconId_;
    iconList_->GetIcon(iconIndex_, *icon_);
    DoCycle();
    // The cycle handler may have freed the icon, taken the list away or stopped cycling.
    if (!FindTrayIcon(id) || !iconList_ || !cycleIcons_) return;
    SetIconIndex(iconIndex_ < iconList_->Count() - 1 ? iconIndex_ + 1 : 0);
}

// ---- Start-up and the application ----

bool TTrayIcon::OwnerIsWindowed() const {
    return dynamic_cast<fw::TWinControl*>(Owner()) != nullptr;
}

void TTrayIcon::AskStartupQuestion() {
    if (Designing() || !OwnerIsWindowed()) return;
    bool showMainForm = true;
    if (OnStartup) OnStartup(this, showMainForm);
    if (!showMainForm) {
        if (fw::Application) fw::Application->SetShowMainForm(false);
        HideApplication();
    }
}

void TTrayIcon::HideApplication() {
    if (!OwnerIsWindowed() || !fw::Application || !fw::Application->MainForm()) return;
    fw::Application->MainForm()->SetVisible(false);
    HideApplicationWindow();
}

void TTrayIcon::HideApplicationWindow() {
    const plat::HWND app = ApplicationWindow();
    if (app != 0 && User().IsWindowVisible(app)) User().ShowWindow(app, plat::SW_HIDE);
}

void TTrayIcon::MinimizeApplicationToTray() {
    HideApplication();
    SetIconVisible(true);
}

bool TTrayIcon::ApplicationMessageHook(fw::TMessage& Message) {
    fw::TForm* mainForm = fw::Application ? fw::Application->MainForm() : nullptr;
    switch (Message.Msg) {
    case plat::WM_SIZE:
        if (Message.WParam == plat::SIZE_MINIMIZED && minimizeToTray_) MinimizeApplicationToTray();
        break;
    case plat::WM_WINDOWPOSCHANGED:
        if (mdiStartupPending_ && mainForm) {
            if (mainForm->FormStyle() == fw::fsMDIForm) {
                bool showMainForm = true;
                if (OnStartup) OnStartup(this, showMainForm);
                if (!showMainForm) HideApplicationWindow();
            }
            mdiStartupPending_ = false;
        }
        break;
    case plat::WM_SYSCOMMAND:
        if (Message.WParam == plat::SC_RESTORE && mainForm) mainForm->SetVisible(true);
        break;
    default:
        break;
    }
    // Without a registered number there is no taskbar message to watch for; WM_NULL is not one.
    if (TaskbarCreatedMessage != 0 && Message.Msg == TaskbarCreatedMessage && iconVisible_) AddIcon();
    return false;
}

// ---- The owner window ----

void TTrayIcon::HookOwnerWindow() {
    auto* owner = dynamic_cast<fw::TWinControl*>(Owner());
    if (!owner) return;
    ownerWindow_ = owner->Handle();
    if (ownerWindow_ == 0) return;
    savedOwnerWndProc_ = User().GetWindowLong(ownerWindow_, plat::GWL_WNDPROC);
    if (!savedOwnerWndProc_) return;
    // The stub goes by id and carries the saved procedure, so a message that reaches it after
    // this component is gone still goes where it belongs.
    const plat::UINT id = trayIconId_;
    plat::WNDPROC saved = savedOwnerWndProc_;
    plat::WNDPROC stub = fw::GuardedWndProc(
        [id, saved](plat::HWND h, plat::UINT m, plat::WPARAM w, plat::LPARAM l) -> plat::LRESULT {
            if (TTrayIcon* icon = FindTrayIcon(id)) return icon->OwnerWindowProc(h, m, w, l);
            return plat::Os().user->CallWindowProc(saved, h, m, w, l);
        });
    ownerHooked_ = static_cast<bool>(User().SetWindowLong(ownerWindow_, plat::GWL_WNDPROC, std::move(stub)));
}

void TTrayIcon::UnhookOwnerWindow() {
    if (ownerHooked_ && savedOwnerWndProc_ && ownerWindow_ != 0 && User().IsWindow(ownerWindow_))
        User().SetWindowLong(ownerWindow_, plat::GWL_WNDPROC, savedOwnerWndProc_);
    ownerHooked_ = false;
    savedOwnerWndProc_ = nullptr;
    ownerWindow_ = 0;
}

bool TTrayIcon::TryMinimizeToTray(plat::LRESULT& Result) {
    if (!minimizeToTray_ || !OnMinimizeToTray) return false;
    OnMinimizeToTray(this);
    MinimizeApplicationToTray();
    Result = 1;
    return true;
}

plat::LRESULT TTrayIcon::OwnerWindowProc(plat::HWND hWnd, plat::UINT Msg, plat::WPARAM wParam,
                                         plat::LPARAM lParam) {
    plat::LRESULT result = 0;
    const plat::WNDPROC saved = savedOwnerWndProc_; // this component may be gone after a handler
    if (Msg == plat::WM_SHOWWINDOW && wParam == 1 && lParam == 0) {
        User().SetForegroundWindow(ApplicationWindow());
        User().SetForegroundWindow(hWnd);
    } else if (Msg == plat::WM_SHOWWINDOW && wParam == 0 && lParam == plat::SW_PARENTCLOSING &&
               !(fw::Application && fw::Application->Terminated())) {
        if (TryMinimizeToTray(result)) return result;
    } else if (Msg == plat::WM_SYSCOMMAND && wParam == plat::SC_MINIMIZE) {
        if (TryMinimizeToTray(result)) return result;
    }
    return User().CallWindowProc(saved, hWnd, Msg, wParam, lParam);
}

} // namespace TrayIcon
