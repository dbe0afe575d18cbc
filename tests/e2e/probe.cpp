// Reads what the Wine desktop shows, for the end-to-end scripts: texts that a screenshot
// cannot give reliably, and a reference popup menu drawn by the same menu code as the
// program's, so the two can be compared pixel for pixel.
//   probe tip                       texts of the visible tool tips, one a line
//   probe box TITLE                 texts of the visible dialog box titled TITLE, and where
//                                   its OK button is: "text ...", "ok X Y"
//   probe menurect                  "X Y W H" of the visible popup menu
//   probe menu DONE X Y ITEM...     shows a popup menu at X Y until the file DONE exists (at
//                                   most 20 s, so a script that dies leaves no menu); an ITEM is
//                                   a caption, prefixed "c:" when checked, "g:" when grayed,
//                                   "d:" when it is the default item (bold);
//                                   once it is up prints "menu X Y W H", "item I X Y W H"
//                                   for each item (screen coordinates) and "shown"
//   probe windows                   "CLASS|TITLE" of each visible top-level window
//   probe languages                 "ui TAG" (GetUserDefaultUILanguage) and "preferred TAG..."
//                                   (GetUserPreferredUILanguages), to tell a Wine that did not
//                                   take the locale from a program that ignored it
//   probe hold DONE                 keeps a hidden window on the desktop until the file DONE
//                                   exists (at most 15 min), so the Wine desktop stays open
//                                   after the program under test has ended
// A leading "--desktop NAME" works on the Wine desktop NAME (the one that explorer
// /desktop=NAME made) instead of the default one. Texts are printed with CR and LF spelled
// as \r and \n. Exit status 1: nothing found.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

std::string ClassOf(HWND window) {
    char name[256] = {};
    ::GetClassNameA(window, name, sizeof name);
    return name;
}

// WM_GETTEXT is marshalled across processes; GetWindowText of a foreign window is not
// always the same thing (a tool tip keeps its text outside the window caption).
std::string TextOf(HWND window) {
    std::vector<char> buffer(4096, 0);
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutA(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                               SMTO_ABORTIFHUNG, 2000, &copied))
        return {};
    return std::string(buffer.data(), std::min<size_t>(copied, buffer.size() - 1));
}

std::vector<HWND> VisibleTopLevel() {
    std::vector<HWND> found;
    ::EnumWindows(
        [](HWND window, LPARAM list) -> BOOL {
            if (::IsWindowVisible(window)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

int Tips() {
    int shown = 0;
    for (HWND window : VisibleTopLevel()) {
        if (ClassOf(window) != "tooltips_class32") continue;
        std::printf("%s\n", Escaped(TextOf(window)).c_str());
        ++shown;
    }
    return shown ? 0 : 1;
}

int Box(const std::string& title) {
    for (HWND window : VisibleTopLevel()) {
        if (ClassOf(window) != "#32770" || TextOf(window) != title) continue;
        std::vector<HWND> children;
        ::EnumChildWindows(
            window,
            [](HWND child, LPARAM list) -> BOOL {
                reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&children));
        for (HWND child : children) {
            const std::string text = TextOf(child);
            if (ClassOf(child) == "Static" && !text.empty()) std::printf("text %s\n", Escaped(text).c_str());
            if (ClassOf(child) == "Button") {
                RECT r{};
                ::GetWindowRect(child, &r);
                std::printf("button %s %ld %ld\n", Escaped(text).c_str(), (r.left + r.right) / 2,
                            (r.top + r.bottom) / 2);
            }
        }
        return 0;
    }
    return 1;
}

int MenuRect() {
    for (HWND window : VisibleTopLevel()) {
        if (ClassOf(window) != "#32768") continue;
        RECT r{};
        ::GetWindowRect(window, &r);
        std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
        return 0;
    }
    return 1;
}

int Windows() {
    for (HWND window : VisibleTopLevel())
        std::printf("%s|%s\n", ClassOf(window).c_str(), Escaped(TextOf(window)).c_str());
    return 0;
}

std::string Narrow(const wchar_t* text) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size - 1 : 0, '\0');
    if (size > 1) ::WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    return out;
}

int Languages() {
    wchar_t tag[LOCALE_NAME_MAX_LENGTH] = {};
    ::LCIDToLocaleName(MAKELCID(::GetUserDefaultUILanguage(), SORT_DEFAULT), tag, LOCALE_NAME_MAX_LENGTH, 0);
    std::printf("ui %s\n", Narrow(tag).c_str());
    ULONG count = 0, size = 0;
    std::wstring names;
    if (::GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, nullptr, &size) && size > 0) {
        names.resize(size);
        if (!::GetUserPreferredUILanguages(MUI_LANGUAGE_NAME, &count, names.data(), &size)) names.clear();
    }
    std::printf("preferred");
    for (const wchar_t* name = names.c_str(); *name; name += std::wcslen(name) + 1)
        std::printf(" %s", Narrow(name).c_str());
    std::printf("\n");
    return names.empty() ? 1 : 0;
}

// The reference menu: built and tracked the way the program's popup menu is.
HMENU referenceMenu = nullptr;
int referenceItems = 0;
std::string doneFile;
DWORD shownAt = 0;
constexpr DWORD kLongestShow = 20000;

LRESULT CALLBACK MenuOwner(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ENTERIDLE && referenceMenu) {
        // The menu is up: say where it and its items are, once, then let it stay a while.
        RECT frame{};
        if (HWND popup = ::FindWindowA("#32768", nullptr)) ::GetWindowRect(popup, &frame);
        std::printf("menu %ld %ld %ld %ld\n", frame.left, frame.top, frame.right - frame.left,
                    frame.bottom - frame.top);
        for (int i = 0; i < referenceItems; ++i) {
            RECT r{};
            if (!::GetMenuItemRect(window, referenceMenu, static_cast<UINT>(i), &r)) continue;
            // Wine answers relative to the menu window, Windows in screen coordinates.
            if (r.left < frame.left || r.top < frame.top) ::OffsetRect(&r, frame.left, frame.top);
            std::printf("item %d %ld %ld %ld %ld\n", i, r.left, r.top, r.right - r.left, r.bottom - r.top);
        }
        std::printf("shown\n");
        std::fflush(stdout);
        referenceMenu = nullptr;
        shownAt = ::GetTickCount();
        ::SetTimer(window, 1, 50, nullptr);
        return 0;
    }
    if (message == WM_TIMER) {
        if (::GetFileAttributesA(doneFile.c_str()) != INVALID_FILE_ATTRIBUTES ||
            ::GetTickCount() - shownAt > kLongestShow) {
            ::KillTimer(window, 1);
            ::EndMenu();
        }
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

int Menu(int argc, char** argv) {
    doneFile = argv[2];
    const int x = std::atoi(argv[3]);
    const int y = std::atoi(argv[4]);
    WNDCLASSA wc{};
    wc.lpfnWndProc = MenuOwner;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "TarnwickProbeMenuOwner";
    ::RegisterClassA(&wc);
    HWND owner = ::CreateWindowExA(WS_EX_TOOLWINDOW, wc.lpszClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                                   nullptr, wc.hInstance, nullptr);
    if (!owner) return 1;
    // The captions as Wine handed them over, in UTF-16: through the code page a letter it
    // cannot spell would become '?' in the reference and stay a letter in the program's menu.
    int wideCount = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &wideCount);
    if (!wide || wideCount < argc - 5) return 1;
    HMENU menu = ::CreatePopupMenu();
    for (int i = 5; i < argc; ++i) {
        std::wstring caption = wide[wideCount - (argc - i)];
        UINT flags = MF_STRING;
        bool isDefault = false;
        for (bool more = true; more;) {
            more = caption.size() > 2 && caption[1] == L':';
            if (more && caption[0] == L'c')
                flags |= MF_CHECKED;
            else if (more && caption[0] == L'g')
                flags |= MF_GRAYED;
            else if (more && caption[0] == L'd')
                isDefault = true;
            else
                more = false;
            if (more) caption.erase(0, 2);
        }
        ::AppendMenuW(menu, flags, static_cast<UINT_PTR>(i), caption.c_str());
        if (isDefault) ::SetMenuDefaultItem(menu, static_cast<UINT>(i), FALSE);
    }
    referenceMenu = menu;
    referenceItems = argc - 5;
    ::SetForegroundWindow(owner);
    ::TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, x, y, 0, owner, nullptr);
    ::DestroyMenu(menu);
    ::DestroyWindow(owner);
    ::LocalFree(wide);
    return 0;
}

int Hold(const std::string& done) {
    constexpr DWORD kLongestHold = 15 * 60 * 1000;
    HWND keeper = ::CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                    ::GetModuleHandleA(nullptr), nullptr);
    if (!keeper) return 1;
    const DWORD start = ::GetTickCount();
    while (::GetFileAttributesA(done.c_str()) == INVALID_FILE_ATTRIBUTES &&
           ::GetTickCount() - start < kLongestHold) {
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            ::DispatchMessageA(&message);
        ::Sleep(100);
    }
    ::DestroyWindow(keeper);
    return 0;
}

int Usage() {
    std::fprintf(stderr, "usage: probe [--desktop NAME] tip | box TITLE | menurect | windows | languages | hold DONE | "
                         "menu DONE X Y ITEM...\n");
    return 2;
}

} // namespace

// Windows of another desktop are invisible to this process until its thread joins it.
bool JoinDesktop(const char* name) {
    HDESK desktop = ::OpenDesktopA(name, 0, FALSE, GENERIC_ALL);
    if (!desktop || !::SetThreadDesktop(desktop)) {
        std::fprintf(stderr, "cannot join desktop %s: error %lu\n", name, ::GetLastError());
        return false;
    }
    return true;
}

int main(int argc, char** argv) {
    if (argc >= 3 && std::string(argv[1]) == "--desktop") {
        if (!JoinDesktop(argv[2])) return 2;
        argv[2] = argv[0];
        argv += 2;
        argc -= 2;
    }
    if (argc < 2) return Usage();
    const std::string command = argv[1];
    if (command == "tip") return Tips();
    if (command == "box" && argc == 3) return Box(argv[2]);
    if (command == "menurect") return MenuRect();
    if (command == "windows") return Windows();
    if (command == "languages") return Languages();
    if (command == "hold" && argc == 3) return Hold(argv[2]);
    if (command == "menu" && argc >= 6) return Menu(argc, argv);
    return Usage();
}
