// Shows one tray icon in four plain colours and writes every event to a log file, so that a
// script driving it with real mouse clicks can tell what arrived:
//   traydemo.exe LOGFILE
// Menu: "&Cycle" starts cycling the colours, "&Quit" ends the program, which then frees the
// tray icon, waits two seconds (for a screenshot without it) and exits.
#include <cstdio>
#include <string>

#include "framework/forms.h"
#include "framework/imglist.h"
#include "framework/menus.h"
#include "platform/win32/win32_platform.h"
#include "trayicon/tray_icon.h"

namespace {

FILE* logFile = nullptr;

void Log(const std::string& line) {
    if (!logFile) return;
    std::fprintf(logFile, "%s\n", line.c_str());
    std::fflush(logFile);
}

// Solid squares in colours that appear nowhere else on the Wine desktop.
constexpr uint32_t kColours[] = {0xFFFF00FFu, 0xFF00FFFFu, 0xFFFFFF00u, 0xFFFF8000u};

plat::IconImage Square(uint32_t colour) {
    plat::IconImage image;
    image.Width = image.Height = 16;
    image.Pixels.assign(256, colour);
    image.Mask.assign(256, 0);
    return image;
}

class DemoForm : public fw::TForm {
  public:
    explicit DemoForm(fw::TComponent* owner) : fw::TForm(owner) {
        SetCaption("traydemo");
        frames = new fw::TImageList(this);
        frames->SetName("Demo");
        for (uint32_t c : kColours)
            frames->Add(Square(c));

        menu = new fw::TPopupMenu(this);
        menu->OnPopup = [](fw::TObject*) { Log("popup"); };
        AddItem("&Cycle", [this] {
            Log("cycling");
            tray->SetCycleInterval(300);
            tray->SetCycleIcons(true);
        });
        AddItem("&Quit", [this] {
            Log("quit");
            Close();
        });

        tray = new TrayIcon::TTrayIcon(this);
        tray->SetHint("Tarnwick tray test");
        tray->SetIconList(frames);
        tray->SetPopupMenu(menu);
        tray->OnStartup = [](fw::TObject*, bool& show) { show = false; };
        tray->OnClick = [](fw::TObject*) { Log("click"); };
        tray->OnDblClick = [](fw::TObject*) { Log("dblclick"); };
        tray->OnMouseDown = [](fw::TObject*, TrayIcon::TMouseButton b, TrayIcon::TShiftState, int32_t x,
                               int32_t y) {
            Log("down " + std::to_string(b) + " at " + std::to_string(x) + "," + std::to_string(y));
        };
        tray->OnCycle = [](fw::TObject*, int32_t next) { Log("cycle next=" + std::to_string(next)); };
        tray->SetIconVisible(true);
    }

    TrayIcon::TTrayIcon* tray = nullptr;
    fw::TImageList* frames = nullptr;
    fw::TPopupMenu* menu = nullptr;

  private:
    void AddItem(const char* caption, std::function<void()> action) {
        auto* item = new fw::TMenuItem(this);
        item->SetCaption(caption);
        item->OnClick = [action = std::move(action)](fw::TObject*) { action(); };
        menu->Items()->Add(item);
    }
};

} // namespace

// Declared here: windows.h would clash with the platform layer's names.
extern "C" int __stdcall WinMain(void*, void*, char* commandLine, int) {
    const bool restricted = win32::RestrictDllSearchToSystem32();
    std::string logPath = commandLine && *commandLine ? commandLine : "traydemo.log";
    if (logPath.size() >= 2 && logPath.front() == '"' && logPath.back() == '"')
        logPath = logPath.substr(1, logPath.size() - 2);
    logFile = std::fopen(logPath.c_str(), "w");
    {
        win32::Win32Platform os;
        TrayIcon::UnitInitialization();
        Log(std::string("start dllsearch=") + (restricted ? "system32" : "default") +
            " comctl32=" + std::to_string(TrayIcon::CommonControlsVersion() >> 16) + "." +
            std::to_string(TrayIcon::CommonControlsVersion() & 0xFFFF) +
            " taskbarcreated=" + std::to_string(TrayIcon::TaskbarCreatedMessage));
        {
            fw::TApplication app;
            DemoForm* form = nullptr;
            app.CreateForm(form);
            Log(std::string("ready showmainform=") + (app.ShowMainForm() ? "1" : "0"));
            app.Run();
            delete form->tray; // removes the icon now, while the program still runs
            Log("destroyed");
            plat::Os().kernel->Sleep(2000);
        }
        TrayIcon::UnitFinalization();
        SimpleTimer::UnitFinalization();
    }
    Log("exit");
    if (logFile) std::fclose(logFile);
    return 0;
}
