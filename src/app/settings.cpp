// code.ini, the autostart entry, the first-start set-up and the help page.
#include <cstring>
#include <vector>

#include "app/main_form.h"
#include "framework/dialogs.h"
#include "framework/exception.h"
#include "platform/handles.h"
#include "platform/platform.h"
#include "sharing/killserv.h"
#include "sharing/policy.h"

namespace Main {

namespace {

using plat::unique_hkey;

// Reads a string value; false when the value is missing or cannot be read. A value of any
// other type raises, as an autostart entry that is not a string cannot be judged.
bool ReadStringValue(plat::HKEY key, const char* name, std::string& out) {
    auto& reg = *plat::Os().registry;
    // The value may grow between the size query and the read; ask again a few times.
    for (int attempt = 0; attempt < 4; ++attempt) {
        plat::DWORD type = 0;
        plat::DWORD size = 0;
        if (reg.RegQueryValueEx(key, name, &type, nullptr, &size) != plat::ERROR_SUCCESS) return false;
        if (type != plat::REG_SZ && type != plat::REG_EXPAND_SZ)
            throw fw::Exception(Texts::Say(Texts::TextId::ErrorInvalidDataType, {name}));
        std::vector<uint8_t> data(size + 1, 0);
        plat::DWORD got = size;
        const plat::LONG r = reg.RegQueryValueEx(key, name, &type, data.data(), &got);
        if (r == plat::ERROR_MORE_DATA) continue;
        if (r != plat::ERROR_SUCCESS) return false;
        data.resize(std::min<size_t>(got, size) + 1, 0);
        out.assign(reinterpret_cast<const char*>(data.data()),
                   strnlen(reinterpret_cast<const char*>(data.data()), data.size()));
        return true;
    }
    return false;
}

// Where the installer records its AUTOSTART choice for every user of the machine.
constexpr const char* kInstalledKey = "Software\\Tarnwick";

// Whether the user decides when Tarnwick starts at logon. An administrator does instead by
// policy, or by installing it per machine with the installer's AUTOSTART choice.
bool UserDecidesAutoStart() {
    if (KillServ::ReadPolicy().DisableAutoStart) return false;
    auto& reg = *plat::Os().registry;
    unique_hkey key;
    if (reg.RegOpenKeyEx(plat::HKEY_LOCAL_MACHINE, kInstalledKey, 0, plat::KEY_READ, key.put()) !=
        plat::ERROR_SUCCESS)
        return true;
    plat::DWORD type = 0;
    plat::DWORD size = 0;
    return reg.RegQueryValueEx(key.get(), "AutoStart", &type, nullptr, &size) != plat::ERROR_SUCCESS;
}

// The per-machine Run value the installer writes with AUTOSTART=1.
bool MachineStartsIt(const std::string& Name) {
    unique_hkey key;
    if (plat::Os().registry->RegOpenKeyEx(plat::HKEY_LOCAL_MACHINE, RunKey, 0, plat::KEY_READ, key.put()) !=
        plat::ERROR_SUCCESS)
        return false;
    std::string value;
    try {
        return ReadStringValue(key.get(), Name.c_str(), value) && !value.empty();
    } catch (const fw::Exception&) {
        return false; // not a value the installer wrote
    }
}

} // namespace

std::string TForm1::IniFile() const {
    return Homes.UserFile("code.ini");
}

std::string TForm1::ReadIni(const char* Section, const char* Key, const char* Default) {
    std::vector<char> buffer(2048, 0);
    const plat::DWORD n = plat::Os().files->GetPrivateProfileString(
        Section, Key, Default, buffer.data(), static_cast<plat::DWORD>(buffer.size()), IniFile().c_str());
    return std::string(buffer.data(), std::min<size_t>(n, buffer.size() - 1));
}

void TForm1::WriteIni(const char* Section, const char* Key, const std::string& Value) {
    const std::string file = IniFile();
    // A switch's worker may be reading the file, unshared, at this moment: a refused write is
    // tried again for up to half a second before it counts as failed.
    for (int tries = 1;
         !plat::Os().files->WritePrivateProfileString(Section, Key, Value.c_str(), file.c_str()); ++tries) {
        if (tries == 25) throw fw::Exception(Texts::Say(Texts::TextId::ErrorUnableToWrite, {file}));
        plat::Os().kernel->Sleep(20);
    }
}

int32_t TForm1::GetAutoRun(const std::string& Name) {
    if (MachineStartsIt(Name)) return 1;
    unique_hkey key;
    if (plat::Os().registry->RegOpenKeyEx(plat::HKEY_CURRENT_USER, RunKey, 0, plat::KEY_ALL_ACCESS,
                                          key.put()) != plat::ERROR_SUCCESS)
        return 2;
    std::string value;
    return ReadStringValue(key.get(), Name.c_str(), value) && !value.empty() ? 1 : 2;
}

void TForm1::SetAutoRun(const std::string& Name, const std::string& Path, int32_t Mode) {
    auto& reg = *plat::Os().registry;
    unique_hkey key;
    if (Mode == 1) {
        const std::string failed = Texts::Say(Texts::TextId::ErrorFailedToSetData, {Name});
        plat::DWORD disposition = 0;
        if (reg.RegCreateKeyEx(plat::HKEY_CURRENT_USER, RunKey, 0, plat::KEY_ALL_ACCESS, key.put(),
                               &disposition) != plat::ERROR_SUCCESS)
            throw fw::Exception(failed);
        if (reg.RegSetValueEx(key.get(), Name.c_str(), plat::REG_SZ,
                              reinterpret_cast<const uint8_t*>(Path.c_str()),
                              static_cast<plat::DWORD>(Path.size() + 1)) != plat::ERROR_SUCCESS)
            throw fw::Exception(failed);
        return;
    }
    // Nothing to delete when the key itself is missing.
    if (reg.RegOpenKeyEx(plat::HKEY_CURRENT_USER, RunKey, 0, plat::KEY_ALL_ACCESS, key.put()) !=
        plat::ERROR_SUCCESS)
        return;
    reg.RegDeleteValue(key.get(), Name.c_str());
}

// The program's own folder, not the current directory: when that could not be made the
// program folder, it is wherever Tarnwick was started from, a folder others may write to.
std::string TForm1::AutoRunPath() {
    const std::string folder = KillServ::ProgramFolder();
    if (folder.empty()) throw fw::Exception(Texts::Say(Texts::TextId::ErrorFailedToSetData, {AutoRunName}));
    std::string path = folder + "\\Tarnwick.exe";
    // Unquoted, a folder with blanks lets a planted C:\Program.exe run at every logon.
    if (path.find(' ') != std::string::npos) path = "\"" + path + "\"";
    return path;
}

void TForm1::FirstStartAutoRun() {
    // Best effort: a registry that refuses us must not keep the icon from coming up.
    try {
        // Decided by an administrator: the item is greyed and no per-user value is written. One
        // left from before goes, so that a policy is not undone by it and the user's hive holds
        // nothing that an uninstall run as SYSTEM would leave pointing at a missing file.
        const bool userDecides = UserDecidesAutoStart();
        RunAtStartup->SetEnabled(userDecides);
        if (!userDecides) {
            SetAutoRun(AutoRunName, {}, 2);
            RunAtStartup->SetChecked(GetAutoRun(AutoRunName) == 1);
            return;
        }
        auto& reg = *plat::Os().registry;
        unique_hkey key;
        plat::DWORD disposition = 0;
        if (reg.RegCreateKeyEx(plat::HKEY_CURRENT_USER, MarkerKey, 0, plat::KEY_ALL_ACCESS, key.put(),
                               &disposition) != plat::ERROR_SUCCESS)
            return;
        std::string marker;
        try {
            ReadStringValue(key.get(), "Run", marker);
        } catch (const fw::Exception&) {
            return; // a marker of another type is still a marker
        }
        if (!marker.empty()) return;
        static const char yes[] = "Yes";
        if (reg.RegSetValueEx(key.get(), "Run", plat::REG_SZ, reinterpret_cast<const uint8_t*>(yes),
                              sizeof yes) != plat::ERROR_SUCCESS)
            return;
        SetAutoRun(AutoRunName, AutoRunPath(), 1);
        if (GetAutoRun(AutoRunName) == 1) RunAtStartup->SetChecked(true);
    } catch (const fw::Exception&) {
    }
}

void TForm1::RunAtStartupClick(TObject*) {
    // A policy or an installer choice that came while the item was still enabled.
    if (!UserDecidesAutoStart()) {
        RunAtStartup->SetEnabled(false);
        return;
    }
    if (RunAtStartup->Checked()) {
        if (GetAutoRun(AutoRunName) == 1) {
            SetAutoRun(AutoRunName, {}, 2);
            if (GetAutoRun(AutoRunName) == 2)
                RunAtStartup->SetChecked(false);
            else
                fw::ShowError(Texts::Say(Texts::TextId::ErrorAutorunOff));
        } else {
            RunAtStartup->SetChecked(false);
        }
    } else {
        if (GetAutoRun(AutoRunName) == 1) {
            RunAtStartup->SetChecked(true);
        } else {
            SetAutoRun(AutoRunName, AutoRunPath(), 1);
            if (GetAutoRun(AutoRunName) == 1)
                RunAtStartup->SetChecked(true);
            else
                fw::ShowError(Texts::Say(Texts::TextId::ErrorAutorunOn));
        }
    }
}

void TForm1::SavestateClick(TObject*) {
    if (Savestate->Checked()) {
        Savestate->SetChecked(false);
        WriteIni("Info", "SaveState", "no");
    } else {
        Savestate->SetChecked(true);
        WriteIni("Info", "SaveState", "yes");
    }
}

void TForm1::HelpClick(TObject*) {
    std::string path = plat::Os().kernel->GetModuleFileName();
    const auto cut = path.find_last_of("\\:");
    path.erase(cut == std::string::npos ? 0 : cut + 1);
    // The page in the menu's language where there is one (main.de.html), else the English one.
    const std::string translated = path + "main." + Texts::CurrentLanguage() + ".html";
    path += Texts::CurrentLanguage() != Texts::EnglishTag && plat::Os().files->FileExists(translated)
                ? "main." + Texts::CurrentLanguage() + ".html"
                : std::string("main.html");
    // A missing page is left alone, so the shell shows no box of its own either.
    if (!plat::Os().files->FileExists(path)) return;
    // A browser started from here would run as administrator, and its file dialogs would
    // start programs as administrator for whoever sits at the desk.
    if (plat::Os().kernel->IsProcessElevated()) {
        const std::string text = Texts::Say(Texts::TextId::HelpElevated, {path});
        plat::Os().user->MessageBox(0, text.c_str(), Texts::ProductName,
                                    plat::MB_OK | plat::MB_ICONINFORMATION);
        return;
    }
    plat::Os().shell->ShellExecute(0, "open", path.c_str(), nullptr, nullptr, plat::SW_SHOWNORMAL);
}

} // namespace Main
