#pragma once
// A non-visual component that keeps one icon in the notification area: tool tip, popup menu,
// mouse events, image-list cycling and hiding the application at start-up.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "framework/classes.h"
#include "framework/forms.h"
#include "framework/graphics.h"
#include "framework/imglist.h"
#include "framework/menus.h"
#include "platform/ui.h"
#include "timer/simple_timer.h"

namespace TrayIcon {

using fw::TComponent;
using fw::TNotifyEvent;
using fw::TObject;

enum TMouseButton : int32_t { mbLeft = 0, mbRight = 1, mbMiddle = 2 };
using TShiftState = uint32_t;
inline constexpr TShiftState ssShift = 1;
inline constexpr TShiftState ssAlt = 2;
inline constexpr TShiftState ssCtrl = 4;
inline constexpr TShiftState ssLeft = 8;
inline constexpr TShiftState ssRight = 16;
inline constexpr TShiftState ssMiddle = 32;

using TMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int32_t X, int32_t Y)>;
using TCycleEvent = std::function<void(TObject* Sender, int32_t NextIndex)>;
using TStartupEvent = std::function<void(TObject* Sender, bool& ShowMainForm)>;

// The shell's callback message to the shared window.
inline constexpr plat::UINT WM_TRAYNOTIFY = 0x800;

// The hidden window shared by every tray icon; the shell's callbacks arrive here.
class TTrayIconHandler : public TObject {
  public:
    TTrayIconHandler();
    ~TTrayIconHandler() override;
    plat::HWND Window() const { return window_; }
    plat::LRESULT TrayWindowProc(plat::HWND hWnd, plat::UINT Msg, plat::WPARAM wParam, plat::LPARAM lParam);

    uint32_t UserCount = 0;

  private:
    plat::HWND window_ = 0;
};

extern TTrayIconHandler* SharedTrayIconHandler;
// The number registered for "TaskbarCreated"; 0 when it was not registered.
extern plat::UINT TaskbarCreatedMessage;

void AcquireTrayIconHandler();
void ReleaseTrayIconHandler();
// Shift 1, Alt 2, Ctrl 4, from the keys' state now.
TShiftState CurrentShiftState();
// dwFileVersionMS of comctl32.dll (major in the high word); 0 when it cannot be read.
uint32_t CommonControlsVersion();
// Unit start: registers "TaskbarCreated" when comctl32 is 4.71 or later. The first tray icon
// runs it if the program has not.
void UnitInitialization();
// Unit end: frees the shared handler if it still exists and forgets what the unit start
// found. The program entry calls it while the platform is still installed.
void UnitFinalization();

class TTrayIcon : public TComponent {
  public:
    explicit TTrayIcon(TComponent* AOwner);
    ~TTrayIcon() override;

    // The id sent as uID and returned in wParam of each callback: a serial number, never
    // reused, so a callback queued for a freed component matches no live one.
    plat::UINT TrayIconId() const { return trayIconId_; }
    const plat::NOTIFYICONDATA& NotifyData() const { return notifyData_; }
    // The notification version the shell took for this icon: 4 (keyboard notifications, the
    // anchor point) or 0.
    plat::UINT NotifyVersion() const { return shellVersion_; }

    bool DesignPreview() const { return designPreview_; }
    void SetDesignPreview(bool value);
    fw::TCustomImageList* IconList() const { return iconList_; }
    void SetIconList(fw::TCustomImageList* value);
    bool CycleIcons() const { return cycleIcons_; }
    void SetCycleIcons(bool value);
    uint32_t CycleInterval() const { return cycleInterval_; }
    void SetCycleInterval(uint32_t value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value) { enabled_ = value; }
    const std::string& Hint() const { return hint_; }
    void SetHint(std::string value);
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool value);
    fw::TIcon* Icon() const { return icon_.get(); }
    void SetIcon(fw::TIcon* value);
    bool IconVisible() const { return iconVisible_; }
    void SetIconVisible(bool value);
    int32_t IconIndex() const { return iconIndex_; }
    void SetIconIndex(int32_t value);
    fw::TPopupMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(fw::TPopupMenu* value);
    bool LeftPopup() const { return leftPopup_; }
    void SetLeftPopup(bool value) { leftPopup_ = value; }
    bool WantEnterExitEvents() const { return wantEnterExitEvents_; }
    void SetWantEnterExitEvents(bool value);
    bool MinimizeToTray() const { return minimizeToTray_; }
    void SetMinimizeToTray(bool value) { minimizeToTray_ = value; }

    // Re-sends the icon and tool tip (NIM_MODIFY).
    void RefreshIcon() { UpdateIcon(); }
    // A balloon from the icon (NIIF_INFO); its click raises OnBalloonHintClick. False when the
    // icon is not in the area. Texts longer than the shell's fields are cut at a character.
    bool ShowBalloonHint(const std::string& Title, const std::string& Text);

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseExit;
    TCycleEvent OnCycle;
    TNotifyEvent OnBalloonHintShow;
    TNotifyEvent OnBalloonHintHide;
    TNotifyEvent OnBalloonHintTimeout;
    TNotifyEvent OnBalloonHintClick;
    TNotifyEvent OnMinimizeToTray;
    TStartupEvent OnStartup;

    virtual bool WantsDefaultIcon() { return true; }
    virtual bool AddIcon();
    virtual bool RemoveIcon();
    virtual bool UpdateIcon();

  protected:
    void AfterLoad() override;
    void ComponentRemoved(TComponent* AComponent) override;

    virtual void DoClick();
    virtual void DoDblClick();
    virtual void DoCycle();
    virtual void DoMouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
    virtual void DoMouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y);
    virtual void DoMouseMove(TShiftState Shift, int32_t X, int32_t Y);
    virtual void DoMouseEnter();
    virtual void DoMouseExit();
    virtual void MinimizeApplicationToTray();

  private:
    friend class TTrayIconHandler;

    bool FillNotifyData();
    bool Notify(plat::DWORD operation);
    // anchor: the point version 4 sends with the event; none with version 0.
    void HandleCallback(plat::UINT message, std::optional<plat::POINT> anchor);
    void AskForVersion();
    void KeySelect();
    void ShowMenuAtCursor();
    void ShowMenuAt(plat::POINT at);
    void ClickDefaultItem();
    void ClickDelayElapsed(TObject* Sender);
    void LeavePollTick(TObject* Sender);
    void AddRetryTick(TObject* Sender);
    void CycleStep(TObject* Sender);
    void IconImageChanged(TObject* Sender);
    int32_t NextCycleIndex() const;
    bool OwnerIsWindowed() const;
    void AskStartupQuestion();
    void HideApplication();
    void HideApplicationWindow();
    bool ApplicationMessageHook(fw::TMessage& Message);
    void HookOwnerWindow();
    void UnhookOwnerWindow();
    plat::LRESULT OwnerWindowProc(plat::HWND hWnd, plat::UINT Msg, plat::WPARAM wParam, plat::LPARAM lParam);
    bool TryMinimizeToTray(plat::LRESULT& Result);

    plat::UINT trayIconId_ = 0;
    plat::NOTIFYICONDATA notifyData_{};
    std::unique_ptr<fw::TIcon> icon_;
    std::unique_ptr<SimpleTimer::TSimpleTimer> iconCycleTimer_;
    std::unique_ptr<SimpleTimer::TSimpleTimer> clickDelayTimer_;
    std::unique_ptr<SimpleTimer::TSimpleTimer> leavePollTimer_;
    std::unique_ptr<SimpleTimer::TSimpleTimer> addRetryTimer_;
    int32_t addRetriesLeft_ = 0;

    bool designPreview_ = false;
    fw::TCustomImageList* iconList_ = nullptr;
    bool cycleIcons_ = false;
    uint32_t cycleInterval_ = 0;
    bool enabled_ = true;
    std::string hint_;
    bool showHint_ = true;
    bool iconVisible_ = false;
    int32_t iconIndex_ = 0;
    fw::TPopupMenu* popupMenu_ = nullptr;
    bool leftPopup_ = false;
    bool wantEnterExitEvents_ = false;
    bool minimizeToTray_ = false;

    bool leftDownPending_ = false;
    bool clickPending_ = false;
    bool doubleClickSeen_ = false;
    bool cursorOutside_ = true;
    plat::POINT lastCursorPos_{};
    plat::UINT shellVersion_ = 0;
    bool keySelectSeen_ = false;
    uint64_t lastKeySelect_ = 0;
    bool previewSwitching_ = false;
    bool mdiStartupPending_ = true;
    int32_t applicationHook_ = 0;
    plat::HWND ownerWindow_ = 0;
    plat::WNDPROC savedOwnerWndProc_;
    bool ownerHooked_ = false;
};

// The live component with this id, or null.
TTrayIcon* FindTrayIcon(plat::UINT id);

} // namespace TrayIcon
