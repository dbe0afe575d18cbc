// The window, timer, icon and shell calls of the Win32 backend, and the framework and tray
// component on top of them, against the real system (Wine inside a virtual desktop, so that
// the shell's notification area exists).
//   tarnwick-win32-tray-tests.exe LOGFILE     (prints "ok"/"FAIL" lines and "N passed, M failed")
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "framework/forms.h"
#include "native_ui.h"
#include "platform/win32/win32_platform.h"
#include "timer/simple_timer.h"
#include "trayicon/tray_icon.h"

namespace {

FILE* out = stdout;
int passed = 0;
int failed = 0;
// What the shell answered to NIM_SETVERSION with version 4 for a bare record.
bool shellTakesVersion4 = false;

void Check(const std::string& name, bool ok) {
    (ok ? passed : failed)++;
    std::fprintf(out, "%s %s\n", ok ? "ok  " : "FAIL", name.c_str());
    std::fflush(out);
}

plat::IUser& User() {
    return *plat::Os().user;
}

// Pumps messages until done() or about two seconds have passed.
bool PumpUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 200 && !done(); ++i) {
        fw::Application->ProcessMessages();
        plat::Os().kernel->Sleep(10);
    }
    return done();
}

plat::IconImage Square(uint32_t colour, int32_t size) {
    plat::IconImage image;
    image.Width = image.Height = size;
    image.Pixels.assign(static_cast<size_t>(size * size), colour);
    image.Mask.assign(static_cast<size_t>(size * size), 0);
    image.Mask[0] = 1;
    return image;
}

void WindowsAndSubclassing() {
    int seen = 0;
    const plat::HWND h = User().CreateWindowEx(
        0, "probe", plat::WS_POPUP, 0, [&](plat::HWND w, plat::UINT m, plat::WPARAM wp, plat::LPARAM lp) {
            if (m == plat::WM_USER + 7) return static_cast<plat::LRESULT>(++seen + 100);
            return User().DefWindowProc(w, m, wp, lp);
        });
    Check("window of our class is created and top-level", h != 0 && native::IsTopLevel(h));
    Check("sent message reaches its procedure", User().SendMessage(h, plat::WM_USER + 7, 0, 0) == 101);
    const plat::WNDPROC saved = User().GetWindowLong(h, plat::GWL_WNDPROC);
    int hooked = 0;
    User().SetWindowLong(h, plat::GWL_WNDPROC,
                         [&, saved](plat::HWND w, plat::UINT m, plat::WPARAM wp, plat::LPARAM lp) {
                             if (m == plat::WM_USER + 7) ++hooked;
                             return User().CallWindowProc(saved, w, m, wp, lp);
                         });
    const plat::LRESULT chained = User().SendMessage(h, plat::WM_USER + 7, 0, 0);
    User().SetWindowLong(h, plat::GWL_WNDPROC, saved);
    User().SendMessage(h, plat::WM_USER + 7, 0, 0);
    Check("subclass sees the message first and passes it on", chained == 102 && hooked == 1 && seen == 3);
    Check("window is destroyed", User().DestroyWindow(h) && !User().IsWindow(h));
}

void ApplicationWindowAndTimers() {
    Check("application window is top-level, not message-only", native::IsTopLevel(fw::Application->Handle()));
    bool posted = false;
    const int32_t hook = fw::Application->HookMainWindow([&](fw::TMessage& m) {
        if (m.Msg == plat::WM_USER + 9) posted = true;
        return false;
    });
    User().PostMessage(fw::Application->Handle(), plat::WM_USER + 9, 0, 0);
    Check("posted message reaches the application's hook through the loop",
          PumpUntil([&] { return posted; }));
    fw::Application->UnhookMainWindow(hook);

    int ticks = 0;
    {
        SimpleTimer::TSimpleTimer timer(50, [&](fw::TObject*) { ++ticks; });
        timer.SetActive(true);
        Check("lightweight timer fires on the shared window", PumpUntil([&] { return ticks >= 3; }));
        timer.SetActive(false);
        const int after = ticks;
        PumpUntil([] { return false; });
        Check("stopped timer stays quiet", ticks == after);
    }
    Check("shared timer window goes with the last timer", SimpleTimer::SharedTimerHandler == nullptr);
}

void Icons() {
    const plat::HICON icon = User().CreateIconFromImage(Square(0xFFFF00FFu, 16), "probe");
    int32_t w = 0, h = 0;
    Check("icon made from a 16x16 picture is 16x16",
          icon != 0 && native::IconSize(icon, w, h) && w == 16 && h == 16);
    const plat::HICON copy = User().CopyIcon(icon);
    Check("icon copy is a separate handle", copy != 0 && copy != icon);
    Check("icons are destroyed once", User().DestroyIcon(copy) && User().DestroyIcon(icon));
    plat::IconImage broken = Square(0xFF000000u, 16);
    broken.Pixels.resize(5);
    Check("inconsistent picture is refused", User().CreateIconFromImage(broken, "broken") == 0);
    Check("stock icon loads", User().LoadIcon(0, plat::IDI_WINLOGO) != 0);
}

void Shell(bool restricted) {
    Check("DLL search limited to the system folder", restricted);
    const uint32_t version = TrayIcon::CommonControlsVersion();
    Check("comctl32 version read through version.dll (" + std::to_string(version >> 16) + "." +
              std::to_string(version & 0xFFFF) + ")",
          version > 0x40046);
    Check("TaskbarCreated registered", TrayIcon::TaskbarCreatedMessage >= 0xC000);

    const plat::HWND h = fw::AllocateHWnd([](plat::HWND w, plat::UINT m, plat::WPARAM wp, plat::LPARAM lp) {
        return User().DefWindowProc(w, m, wp, lp);
    });
    const plat::HICON icon = User().CreateIconFromImage(Square(0xFF00FFFFu, 16), "probe");
    plat::NOTIFYICONDATA d;
    std::memset(&d, 0, sizeof d);
    d.cbSize = plat::NOTIFYICONDATA_SIZE;
    d.hWnd = static_cast<uint32_t>(h);
    d.uID = 77;
    d.uFlags = plat::NIF_MESSAGE | plat::NIF_ICON | plat::NIF_TIP;
    d.uCallbackMessage = 0x800;
    d.hIcon = static_cast<uint32_t>(icon);
    std::strcpy(d.szTip, "probe");
    auto& shell = *plat::Os().shell;
    Check("shell accepts the 488-byte record for add", shell.Shell_NotifyIcon(plat::NIM_ADD, &d) != 0);
    std::strcpy(d.szTip, "changed");
    Check("shell accepts modify", shell.Shell_NotifyIcon(plat::NIM_MODIFY, &d) != 0);
    d.uVersion = plat::NOTIFYICON_VERSION_4;
    shellTakesVersion4 = shell.Shell_NotifyIcon(plat::NIM_SETVERSION, &d) != 0;
    std::fprintf(out, "note shell %s NIM_SETVERSION 4\n", shellTakesVersion4 ? "takes" : "refuses");
    d.uVersion = 0;
    d.uFlags |= shellTakesVersion4 ? plat::NIF_SHOWTIP : 0;
    Check("shell accepts modify with the flags of the version it took",
          shell.Shell_NotifyIcon(plat::NIM_MODIFY, &d) != 0);
    Check("shell accepts delete", shell.Shell_NotifyIcon(plat::NIM_DELETE, &d) != 0);
    Check("modify after delete is refused", shell.Shell_NotifyIcon(plat::NIM_MODIFY, &d) == 0);
    d.cbSize = 100;
    Check("record of another size is refused", shell.Shell_NotifyIcon(plat::NIM_ADD, &d) == 0);
    User().DestroyIcon(icon);
    fw::DeallocateHWnd(h);
}

void Display() {
    const plat::UINT dpi = User().GetDpiForWindow(fw::Application->Handle());
    const int32_t small = User().GetSystemMetricsForDpi(plat::SM_CXSMICON, dpi);
    Check("monitor's scale (" + std::to_string(dpi) + " dpi) and its small-icon size (" +
              std::to_string(small) + " px) agree with the logon's",
          dpi >= 96 && small == User().GetSystemMetrics(plat::SM_CXSMICON));
    plat::HIGHCONTRAST hc;
    const bool asked = User().SystemParametersInfo(plat::SPI_GETHIGHCONTRAST, sizeof hc, &hc, 0) != 0;
    Check(std::string("high contrast is told (") + ((hc.dwFlags & plat::HCF_HIGHCONTRASTON) ? "on" : "off") +
              ")",
          asked);
    Check("another display setting is refused",
          User().SystemParametersInfo(plat::SPI_SETHIGHCONTRAST, 0, &hc, 0) == 0);
}

void TrayComponent() {
    auto* form = new fw::TForm(fw::Application);
    auto* tray = new TrayIcon::TTrayIcon(form);
    form->AfterConstruction();
    const plat::HWND shared = TrayIcon::SharedTrayIconHandler->Window();
    Check("tray icon's shared window is top-level", native::IsTopLevel(shared));
    tray->SetHint("Tarnwick tray test");
    fw::TIcon icon;
    icon.SetImage(Square(0xFFFFFF00u, 16), "yellow");
    tray->SetIcon(&icon);
    tray->SetIconVisible(true);
    // Without the icon in the area a modify is refused; with it, accepted.
    Check("component's icon is in the notification area", tray->UpdateIcon());
    Check("component runs at the version the shell took (" + std::to_string(tray->NotifyVersion()) + ")",
          tray->NotifyVersion() == (shellTakesVersion4 ? plat::NOTIFYICON_VERSION_4 : 0u));
    int clicks = 0;
    tray->OnClick = [&](fw::TObject*) { ++clicks; };
    User().PostMessage(shared, 0x800, tray->TrayIconId(), plat::WM_LBUTTONDOWN);
    User().PostMessage(shared, 0x800, tray->TrayIconId(), plat::WM_LBUTTONUP);
    Check("callback posted to the shared window becomes OnClick", PumpUntil([&] { return clicks == 1; }));
    delete form;
    Check("shared tray window goes with the last component",
          TrayIcon::SharedTrayIconHandler == nullptr && !User().IsWindow(shared));
}

} // namespace

int main(int argc, char** argv) {
    const bool restricted = win32::RestrictDllSearchToSystem32();
    if (argc > 1) {
        if (FILE* f = std::fopen(argv[1], "w")) out = f;
    }
    {
        win32::Win32Platform os;
        TrayIcon::UnitInitialization();
        {
            fw::TApplication app;
            WindowsAndSubclassing();
            ApplicationWindowAndTimers();
            Icons();
            Shell(restricted);
            Display();
            TrayComponent();
        }
        TrayIcon::UnitFinalization();
        SimpleTimer::UnitFinalization();
    }
    std::fprintf(out, "%d passed, %d failed\n", passed, failed);
    if (out != stdout) std::fclose(out);
    return failed == 0 ? 0 : 1;
}
