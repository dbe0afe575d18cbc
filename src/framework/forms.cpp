#include "framework/forms.h"
#include "texts/texts.h"

#include <algorithm>

#include "framework/dialogs.h"
#include "framework/exception.h"
#include "platform/platform.h"

namespace fw {

TApplication* Application = nullptr;

namespace {

// Posted to a form's own window by Release: the form is freed when it arrives.
constexpr plat::UINT CM_RELEASE = plat::WM_APP + 0x3021;

void ReportCurrentException() {
    try {
        if (Application) Application->HandleException(nullptr);
    } catch (...) {
        // The report itself failed; nothing is left to tell the user with.
    }
}

std::string ProgramTitle() {
    std::string path = plat::Os().kernel ? plat::Os().kernel->GetModuleFileName() : std::string();
    const auto slash = path.find_last_of("\\/:");
    if (slash != std::string::npos) path.erase(0, slash + 1);
    const auto dot = path.find_last_of('.');
    if (dot != std::string::npos && dot > 0) path.erase(dot);
    return path;
}

} // namespace

plat::WNDPROC GuardedWndProc(plat::WNDPROC method) {
    return [method = std::move(method)](plat::HWND h, plat::UINT m, plat::WPARAM w,
                                        plat::LPARAM l) -> plat::LRESULT {
        try {
            return method(h, m, w, l);
        } catch (...) {
            ReportCurrentException();
            return 0;
        }
    };
}

plat::HWND AllocateHWnd(plat::WNDPROC method) {
    // Top-level (not message-only), so that broadcasts such as WM_QUERYENDSESSION reach it.
    return plat::Os().user->CreateWindowEx(plat::WS_EX_TOOLWINDOW, "", plat::WS_POPUP, 0,
                                           GuardedWndProc(std::move(method)));
}

void DeallocateHWnd(plat::HWND window) {
    if (window != 0 && plat::Installed() && plat::Os().user) plat::Os().user->DestroyWindow(window);
}

// ---- TWinControl ----

TWinControl::~TWinControl() {
    // Owned components go while this is still a windowed control with its window, so
    // that they can undo what they did to it (a subclassed procedure).
    DestroyComponents();
    DestroyHandle();
}

plat::HWND TWinControl::Handle() {
    if (handle_ == 0) handle_ = CreateHandle();
    return handle_;
}

plat::HWND TWinControl::CreateHandle() {
    return plat::Os().user->CreateWindowEx(
        0, Name().c_str(), plat::WS_POPUP, 0,
        GuardedWndProc([this](plat::HWND h, plat::UINT m, plat::WPARAM w, plat::LPARAM l) {
            return WndProc(h, m, w, l);
        }));
}

plat::LRESULT TWinControl::WndProc(plat::HWND hWnd, plat::UINT Msg, plat::WPARAM wParam,
                                   plat::LPARAM lParam) {
    return plat::Os().user->DefWindowProc(hWnd, Msg, wParam, lParam);
}

void TWinControl::DestroyHandle() {
    const plat::HWND h = std::exchange(handle_, 0);
    if (h != 0 && plat::Installed() && plat::Os().user) plat::Os().user->DestroyWindow(h);
}

// ---- TForm ----

TForm::TForm(TComponent* AOwner) : TWinControl(AOwner) {
    // Everything created from here to AfterConstruction is part of the form's description.
    BeginLoading();
}

TForm::~TForm() {
    DestroyComponents();
    // Its window goes while this is still a form: the last messages it gets (WM_DESTROY)
    // must reach a whole object.
    DestroyHandle();
}

void TForm::AfterConstruction() {
    FinishLoading();
    DoCreate();
}

void TForm::DoCreate() {
    if (!OnCreate) return;
    try {
        OnCreate(this);
    } catch (...) {
        // An error in OnCreate is reported and the form lives on without the rest of it.
        if (!Application) throw;
        Application->HandleException(this);
    }
}

void TForm::SetCaption(std::string caption) {
    caption_ = std::move(caption);
    if (HandleAllocated()) plat::Os().user->SetWindowText(Handle(), caption_.c_str());
}

void TForm::SetEnabled(bool enabled) {
    enabled_ = enabled;
    if (HandleAllocated()) plat::Os().user->EnableWindow(Handle(), enabled ? 1 : 0);
}

void TForm::SetVisible(bool visible) {
    visible_ = visible;
    if (visible)
        plat::Os().user->ShowWindow(Handle(),
                                    windowState_ == wsMinimized ? plat::SW_SHOWMINIMIZED : plat::SW_SHOW);
    else if (HandleAllocated())
        plat::Os().user->ShowWindow(Handle(), plat::SW_HIDE);
}

plat::HWND TForm::CreateHandle() {
    const plat::HWND h = plat::Os().user->CreateWindowEx(
        0, caption_.c_str(), plat::WS_POPUP | plat::WS_CAPTION | plat::WS_SYSMENU, 0,
        GuardedWndProc([this](plat::HWND h, plat::UINT m, plat::WPARAM w, plat::LPARAM l) {
            return WndProc(h, m, w, l);
        }));
    if (h != 0 && !enabled_) plat::Os().user->EnableWindow(h, 0);
    return h;
}

plat::LRESULT TForm::WndProc(plat::HWND hWnd, plat::UINT Msg, plat::WPARAM wParam, plat::LPARAM lParam) {
    switch (Msg) {
    case plat::WM_CLOSE:
        Close();
        return 0;
    case CM_RELEASE:
        delete this;
        return 0;
    default:
        return TWinControl::WndProc(hWnd, Msg, wParam, lParam);
    }
}

void TForm::DoClose(TCloseAction& Action) {
    if (OnClose) OnClose(this, Action);
}

void TForm::Close() {
    TCloseAction action = caHide;
    DoClose(action);
    if (action == caNone) return;
    if (Application && Application->IsMainForm(this)) {
        Application->Terminate();
        return;
    }
    switch (action) {
    case caHide:
        Hide();
        break;
    case caMinimize:
        SetWindowState(wsMinimized);
        break;
    case caFree:
        Release();
        break;
    default:
        break;
    }
}

void TForm::Release() {
    plat::Os().user->PostMessage(Handle(), CM_RELEASE, 0, 0);
}

// ---- TApplication ----

TApplication::TApplication() : TComponent(nullptr) {
    title_ = ProgramTitle();
    // A top-level window, never a message-only one: "TaskbarCreated" and the session-end
    // messages are broadcast to top-level windows only.
    handle_ = plat::Os().user->CreateWindowEx(
        plat::WS_EX_TOOLWINDOW, title_.c_str(), plat::WS_POPUP, 0,
        GuardedWndProc([this](plat::HWND h, plat::UINT m, plat::WPARAM w, plat::LPARAM l) {
            return WndProc(h, m, w, l);
        }));
    if (!Application) Application = this;
}

TApplication::~TApplication() {
    DestroyComponents();
    mainForm_ = nullptr;
    // Whoever installed a hook may be gone; the window's last messages go to nobody's hook.
    hooks_.clear();
    if (handle_ != 0 && plat::Installed() && plat::Os().user) plat::Os().user->DestroyWindow(handle_);
    handle_ = 0;
    if (Application == this) Application = nullptr;
}

void TApplication::Run() {
    if (showMainForm_ && mainForm_) mainForm_->Show();
    while (!terminated_)
        HandleMessage();
}

bool TApplication::ProcessMessage() {
    plat::MSG msg;
    if (!plat::Os().user->PeekMessage(&msg, 0, 0, 0, plat::PM_REMOVE)) return false;
    if (msg.message == plat::WM_QUIT) {
        terminated_ = true;
    } else {
        plat::Os().user->TranslateMessage(&msg);
        plat::Os().user->DispatchMessage(&msg);
    }
    return true;
}

void TApplication::ProcessMessages() {
    while (ProcessMessage()) {
    }
}

void TApplication::HandleMessage() {
    if (ProcessMessage()) return;
    plat::MSG msg;
    const plat::BOOL got = plat::Os().user->GetMessage(&msg, 0, 0, 0);
    if (got == 0 || got == -1) {
        // WM_QUIT, or a loop that can no longer wait: either way the loop is over.
        terminated_ = true;
        return;
    }
    plat::Os().user->TranslateMessage(&msg);
    plat::Os().user->DispatchMessage(&msg);
}

void TApplication::Terminate() {
    terminated_ = true;
    plat::Os().user->PostQuitMessage(0);
}

void TApplication::ComponentRemoved(TComponent* AComponent) {
    TComponent::ComponentRemoved(AComponent);
    if (AComponent == mainForm_) mainForm_ = nullptr;
    if (AComponent == creatingMainForm_) creatingMainForm_ = nullptr;
}

int32_t TApplication::HookMainWindow(TWindowHook hook) {
    const int32_t id = nextHook_++;
    hooks_.emplace_back(id, std::move(hook));
    return id;
}

void TApplication::UnhookMainWindow(int32_t id) {
    std::erase_if(hooks_, [id](const auto& h) { return h.first == id; });
}

void TApplication::HandleException(TObject*) {
    std::string text;
    try {
        const auto current = std::current_exception();
        if (!current) return;
        std::rethrow_exception(current);
    } catch (const std::exception& e) {
        text = e.what();
    } catch (...) {
        text = Texts::Say(Texts::TextId::BoxUnknownError);
    }
    MessageBox(text, Texts::Say(Texts::TextId::BoxErrorTitle), plat::MB_OK | plat::MB_ICONERROR);
}

plat::LRESULT TApplication::WndProc(plat::HWND hWnd, plat::UINT Msg, plat::WPARAM wParam,
                                    plat::LPARAM lParam) {
    TMessage message{Msg, wParam, lParam, 0};
    // A hook may remove itself or others while it runs: walk the ids, look each one up.
    std::vector<int32_t> ids;
    for (const auto& h : hooks_)
        ids.push_back(h.first);
    for (int32_t id : ids) {
        auto it = std::find_if(hooks_.begin(), hooks_.end(), [id](const auto& h) { return h.first == id; });
        if (it == hooks_.end()) continue;
        TWindowHook hook = it->second;
        if (hook(message)) return message.Result;
    }
    switch (Msg) {
    case plat::WM_CLOSE:
        if (mainForm_) mainForm_->Close();
        return 0;
    case plat::WM_QUERYENDSESSION:
        return 1;
    default:
        return plat::Os().user->DefWindowProc(hWnd, Msg, wParam, lParam);
    }
}

} // namespace fw
