#pragma once
// A simulated machine with the tray application on it: Server service, program folder with
// a blank in it, a current directory elsewhere, and every icon the shell is sent recorded
// as "List[index]".
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "framework/forms.h"
#include "platform/sim/sim_platform.h"
#include "timer/simple_timer.h"
#include "trayicon/tray_icon.h"

inline const char* const EnabledTip = "Tarnwick v1.10\r\nSharing is enabled\r\nDouble click to disable";
inline const char* const DisabledTip = "Tarnwick v1.10\r\nSharing is disabled\r\nDouble click to enable";
inline const char* const UnableToStop =
    "Tarnwick was unable to stop sharing, if the problem persists you may have to reboot.";

class TarnwickTest : public ::testing::Test {
  protected:
    // A copy of Ann's own, with a blank in its path: its files stay beside it.
    static constexpr const char* Folder = "C:\\Users\\Ann\\My Tools\\Tarnwick";

    // The machine most users have by default; the groups that switch in the tray's own process
    // say Machine::Elevated() (a tray started with "Run as administrator" or by the elevated
    // logon task).
    explicit TarnwickTest(const sim::Machine& machine = sim::Machine::StandardUser()) : os(machine) {
        Main::ResetUnitState();
        Texts::SetLanguage(Texts::EnglishTag);
        os.kernel.SetModuleFileName(std::string(Folder) + "\\Tarnwick.exe");
        os.kernel.SetCurrentDirectory("C:\\Windows\\System32");
        os.shell.OnNotifyIcon = [this](const sim::SimNotifyCall& call) {
            if (call.Operation == 2) return;
            const std::string name = os.user.IconName(CurrentIcon(call));
            if (frames.empty() || frames.back() != name) frames.push_back(name);
        };
    }
    ~TarnwickTest() override {
        app.reset();
        // A worker still queued ends now, as it would in a process that goes on: it finds no
        // form and frees itself.
        os.threads.Hold(false);
        os.threads.RunPending();
        TrayIcon::UnitFinalization();
        SimpleTimer::UnitFinalization();
    }

    static plat::HICON CurrentIcon(const sim::SimNotifyCall& call) {
        uint32_t h;
        std::memcpy(&h, call.Bytes.data() + 20, 4);
        return h;
    }

    void Start() {
        TrayIcon::UnitInitialization();
        app = std::make_unique<fw::TApplication>();
        app->CreateForm(Main::Form1);
        form = Main::Form1;
    }
    // Start-up through the first result, with the resting lamp on.
    void StartAndSettle() {
        Start();
        os.user.RunFor(3000);
    }
    void Click(plat::LPARAM event) {
        os.shell.PostCallback(form->TrayIcon1->TrayIconId(), event);
        os.user.RunUntilIdle();
    }
    // The shell's callbacks of a double click arrive together, ahead of any timer expiry.
    void DoubleClick() {
        for (plat::LPARAM event : {0x201, 0x202, 0x203, 0x202})
            os.shell.PostCallback(form->TrayIcon1->TrayIconId(), event);
        os.user.RunUntilIdle();
    }
    void ChooseFromMenu(const std::string& caption) {
        os.user.ChooseNextPopupItem(caption);
        Click(0x204);
        Click(0x205);
    }
    std::string Shown() const {
        const auto* icon = os.shell.FindIcon(form->TrayIcon1->TrayIconId());
        return icon ? icon->IconName : "<absent>";
    }
    std::string Tip() const {
        const auto* icon = os.shell.FindIcon(form->TrayIcon1->TrayIconId());
        return icon ? icon->Tip : "<absent>";
    }
    std::string File(const std::string& name) const {
        auto contents = os.files.Get(programFolder + "\\" + name);
        return contents ? *contents : "<missing>";
    }
    std::string RegistryValue(const char* key, const char* name) const {
        const auto* v = os.registry.FindValue(plat::HKEY_CURRENT_USER, key, name);
        if (!v) return "<missing>";
        std::string text(v->data.begin(), v->data.end());
        return text.substr(0, text.find('\0'));
    }
    std::string RunValue() const { return RegistryValue(Main::RunKey, "Tarnwick"); }
    std::vector<std::string> Boxes() const {
        std::vector<std::string> texts;
        for (const auto& box : os.user.MessageBoxes())
            texts.push_back(box.Text);
        return texts;
    }
    // The first line of each box: the failure box is known by it, the reason follows.
    std::vector<std::string> FirstLines() const {
        std::vector<std::string> lines;
        for (const auto& text : Boxes())
            lines.push_back(text.substr(0, text.find("\r\n")));
        return lines;
    }
    std::string Log() const {
        auto contents = os.files.Get(programFolder + "\\tarnwick.log");
        return contents ? *contents : "<missing>";
    }
    // The frames recorded from index `from` on.
    std::vector<std::string> FramesSince(size_t from) const {
        return {frames.begin() + static_cast<std::ptrdiff_t>(std::min(from, frames.size())), frames.end()};
    }

    sim::SimPlatform os;
    std::string programFolder = Folder; // where File() and Log() look
    std::unique_ptr<fw::TApplication> app;
    Main::TForm1* form = nullptr;
    std::vector<std::string> frames;
};

// "List[a]" .. "List[b]" in order, either direction.
inline std::vector<std::string> Frames(const std::string& list, int a, int b) {
    std::vector<std::string> out;
    for (int i = a;; i += (b >= a ? 1 : -1)) {
        out.push_back(list + "[" + std::to_string(i) + "]");
        if (i == b) break;
    }
    return out;
}

inline std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
