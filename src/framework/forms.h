#pragma once
// Windowed controls, forms and the application object with its message loop.
#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "framework/classes.h"
#include "platform/ui.h"

namespace fw {

struct TMessage {
    plat::UINT Msg = 0;
    plat::WPARAM WParam = 0;
    plat::LPARAM LParam = 0;
    plat::LRESULT Result = 0;
};

// A hidden top-level window whose messages go to method. An exception that escapes method
// is shown by the application's error report and the message's result is 0.
plat::HWND AllocateHWnd(plat::WNDPROC method);
void DeallocateHWnd(plat::HWND window);

// Wraps a window procedure so that no exception leaves it: the error report shows it.
plat::WNDPROC GuardedWndProc(plat::WNDPROC method);

// A component with a window of its own, created when first asked for.
class TWinControl : public TComponent {
  public:
    explicit TWinControl(TComponent* AOwner) : TComponent(AOwner) {}
    ~TWinControl() override;
    plat::HWND Handle();
    bool HandleAllocated() const { return handle_ != 0; }

  protected:
    virtual plat::HWND CreateHandle();
    // hWnd is the window's own handle, also while it is being created (before Handle is known).
    virtual plat::LRESULT WndProc(plat::HWND hWnd, plat::UINT Msg, plat::WPARAM wParam, plat::LPARAM lParam);
    void DestroyHandle();

  private:
    plat::HWND handle_ = 0;
};

enum TFormStyle : int32_t { fsNormal = 0, fsMDIChild = 1, fsMDIForm = 2, fsStayOnTop = 3 };
enum TWindowState : int32_t { wsNormal = 0, wsMinimized = 1, wsMaximized = 2 };
enum TCloseAction : int32_t { caNone = 0, caHide = 1, caFree = 2, caMinimize = 3 };

// A form: it owns components and destroys them. It is loading from construction until
// AfterConstruction, which runs every AfterLoad and then OnCreate.
class TForm : public TWinControl {
  public:
    explicit TForm(TComponent* AOwner);
    ~TForm() override;

    // Ends loading and raises OnCreate; the application's CreateForm calls it.
    void AfterConstruction();

    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    TFormStyle FormStyle() const { return formStyle_; }
    void SetFormStyle(TFormStyle style) { formStyle_ = style; }
    TWindowState WindowState() const { return windowState_; }
    void SetWindowState(TWindowState state) { windowState_ = state; }

    // Runs OnClose; unless it answers caNone, the main form ends the application's message
    // loop, any other form hides (caHide), minimises or frees itself later (caFree).
    void Close();
    // Frees the form once the messages already queued have been handled.
    void Release();

    TNotifyEvent OnCreate;
    std::function<void(TObject* Sender, TCloseAction& Action)> OnClose;

  protected:
    virtual void DoCreate();
    virtual void DoClose(TCloseAction& Action);
    plat::HWND CreateHandle() override;
    plat::LRESULT WndProc(plat::HWND hWnd, plat::UINT Msg, plat::WPARAM wParam, plat::LPARAM lParam) override;

  private:
    std::string caption_;
    bool enabled_ = true;
    bool visible_ = false;
    TFormStyle formStyle_ = fsNormal;
    TWindowState windowState_ = wsNormal;
};

// The application: a hidden top-level window, the forms, the main-thread message loop and
// the top-level error report. One exists at a time, reachable as fw::Application.
class TApplication : public TComponent {
  public:
    TApplication();
    ~TApplication() override;

    // The first form created becomes the main form.
    template <class T> T* CreateForm(T*& reference) {
        T* form = new T(this);
        reference = form;
        // The first form is the main form from the start: closing it inside its own OnCreate
        // (from a box that OnCreate raised) ends the program as any later close would.
        if (!mainForm_) creatingMainForm_ = form;
        form->AfterConstruction();
        if (!mainForm_ && creatingMainForm_ == form) mainForm_ = form;
        creatingMainForm_ = nullptr;
        return form;
    }
    // The main form, or the first form while it is still being created.
    bool IsMainForm(const TForm* form) const { return form && (form == mainForm_ || form == creatingMainForm_); }

    plat::HWND Handle() const { return handle_; }
    TForm* MainForm() const { return mainForm_; }
    bool ShowMainForm() const { return showMainForm_; }
    void SetShowMainForm(bool show) { showMainForm_ = show; }
    const std::string& Title() const { return title_; }
    void SetTitle(std::string title) { title_ = std::move(title); }

    // Shows the main form when ShowMainForm says so, then handles messages until Terminate.
    void Run();
    // Handles every message that is waiting, then returns.
    void ProcessMessages();
    // Handles one message, waiting for it if none is queued.
    void HandleMessage();
    // Ends the message loop after the current message.
    void Terminate();
    bool Terminated() const { return terminated_; }

    // Hooks see every message of the application window first; true means handled.
    using TWindowHook = std::function<bool(TMessage& Message)>;
    int32_t HookMainWindow(TWindowHook hook);
    void UnhookMainWindow(int32_t id);

    // The top-level error report: a modal box with the text of the exception being handled.
    // Call it from a catch block.
    void HandleException(TObject* Sender);

  protected:
    void ComponentRemoved(TComponent* AComponent) override;

  private:
    bool ProcessMessage();
    plat::LRESULT WndProc(plat::HWND hWnd, plat::UINT Msg, plat::WPARAM wParam, plat::LPARAM lParam);

    plat::HWND handle_ = 0;
    TForm* mainForm_ = nullptr;
    TForm* creatingMainForm_ = nullptr;
    bool showMainForm_ = true;
    bool terminated_ = false;
    std::string title_;
    std::vector<std::pair<int32_t, TWindowHook>> hooks_;
    int32_t nextHook_ = 1;
};

// The one application object, or null.
extern TApplication* Application;

} // namespace fw
