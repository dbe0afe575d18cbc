// The simulated shell: the notification area (icons, versions, callbacks, the keyboard), the
// programs it starts and the version resources it reads.
#include <cstring>

#include "platform/sim/sim_ui.h"

namespace sim {
using namespace plat;

namespace {

constexpr uint32_t kVersionMagic = 0x56534D53; // "SMSV"
constexpr DWORD kVersionBlockSize = 8 + sizeof(VS_FIXEDFILEINFO);
constexpr DWORD kNotEnoughMemory = 8;

LPARAM MakeLong(UINT low, UINT high) {
    return static_cast<LPARAM>((low & 0xFFFFu) | ((high & 0xFFFFu) << 16));
}

} // namespace

// ---- Shell ----

NOTIFYICONDATA SimNotifyCall::Data() const {
    NOTIFYICONDATA d;
    std::memcpy(&d, Bytes.data(), sizeof d);
    return d;
}

std::string SimNotifyCall::Tip() const {
    const NOTIFYICONDATA d = Data();
    return BoundedString(d.szTip, sizeof d.szTip);
}

SimShell::SimShell(SimUser& user) : user_(user) {
    SetFileVersion("comctl32.dll", 0x00060000, 0x1DB10000);
}

SimAreaIcon* SimShell::Find(HWND h, UINT id) {
    for (auto& i : area_)
        if (i.Window == h && i.Id == id) return &i;
    return nullptr;
}

const SimAreaIcon* SimShell::FindIcon(UINT uID) const {
    for (const auto& i : area_)
        if (i.Id == uID) return &i;
    return nullptr;
}

void SimShell::Apply(SimAreaIcon& icon, const NOTIFYICONDATA& d) {
    if (d.uFlags & NIF_MESSAGE) icon.CallbackMessage = d.uCallbackMessage;
    if (d.uFlags & NIF_ICON) {
        icon.Icon = d.hIcon;
        icon.IconWasLive = d.hIcon == 0 || user_.IsLiveIcon(d.hIcon) || user_.IsStockIcon(d.hIcon);
        icon.IconName = user_.IconName(d.hIcon);
        const IconImage* pic = user_.IconPicture(d.hIcon);
        icon.Picture = pic ? *pic : IconImage{};
    }
    if (d.uFlags & NIF_TIP) icon.Tip = BoundedString(d.szTip, sizeof d.szTip);
    // An empty text takes a balloon down; any other shows one.
    if (d.uFlags & NIF_INFO) {
        std::string text = BoundedString(d.szInfo, sizeof d.szInfo);
        if (!text.empty()) icon.Balloons.push_back(std::move(text));
    }
}

BOOL SimShell::Shell_NotifyIcon(DWORD dwMessage, const NOTIFYICONDATA* lpData) {
    SimNotifyCall call;
    call.Operation = dwMessage;
    call.Time = user_.Kernel().GetTickCount64();
    if (lpData) std::memcpy(call.Bytes.data(), lpData, sizeof *lpData);
    BOOL result = 0;
    const bool explorerReady = taskbarRunning_ && call.Time >= explorerReadyAt_;
    // rule: notify-refused-without-explorer
    if (lpData && explorerReady && lpData->cbSize == NOTIFYICONDATA_SIZE) {
        const HWND h = lpData->hWnd;
        SimAreaIcon* present = Find(h, lpData->uID);
        switch (dwMessage) {
        case NIM_ADD:
            if (!present) {
                SimAreaIcon icon;
                icon.Window = h;
                icon.Id = lpData->uID;
                Apply(icon, *lpData);
                area_.push_back(std::move(icon));
                result = 1;
                // rule: notify-add-timeout-taken
                if (addsTimingOut_ > 0) {
                    --addsTimingOut_;
                    user_.Kernel().SetLastError(1460); // ERROR_TIMEOUT
                    call.Result = 0;
                    calls_.push_back(call);
                    if (OnNotifyIcon) OnNotifyIcon(call);
                    return 0;
                }
            }
            break;
        case NIM_MODIFY:
            if (present) {
                Apply(*present, *lpData);
                result = 1;
            }
            break;
        case NIM_DELETE:
            if (present) {
                area_.erase(area_.begin() + (present - area_.data()));
                result = 1;
            }
            break;
        case NIM_SETVERSION:
            // rule: notify-set-version
            if (present && lpData->uVersion <= highestVersion_) {
                present->Version = lpData->uVersion;
                result = 1;
            }
            break;
        default:
            break;
        }
    }
    if (!result) user_.Kernel().SetLastError(ERROR_INVALID_PARAMETER);
    call.Result = result;
    calls_.push_back(call);
    if (OnNotifyIcon) OnNotifyIcon(call);
    return result;
}

void SimShell::RecreateTaskbar() {
    // rule: taskbar-created
    area_.clear();
    taskbarRunning_ = true;
    user_.BroadcastFromOtherProcess(user_.RegisterWindowMessage("TaskbarCreated"), 0, 0);
}

void SimShell::StartExplorerLate(uint64_t refuseForMs, std::optional<uint64_t> taskbarCreatedAfterMs) {
    const uint64_t now = user_.Kernel().GetTickCount64();
    explorerReadyAt_ = now + refuseForMs;
    if (taskbarCreatedAfterMs)
        user_.At(now + *taskbarCreatedAfterMs, [this] {
            user_.BroadcastFromOtherProcess(user_.RegisterWindowMessage("TaskbarCreated"), 0, 0);
        });
}

void SimShell::InstallProgram(const std::string& path, std::function<DWORD(const std::string&)> entry,
                              uint64_t runsForMs) {
    SimKernel& kernel = user_.Kernel();
    const std::string key = Lower(kernel.WithoutMappedDrive(kernel.FullPath(path)));
    if (entry)
        programs_[key] = {std::move(entry), runsForMs};
    else
        programs_.erase(key);
}

BOOL SimShell::ShellExecuteEx(SHELLEXECUTEINFO* info) {
    SimKernel& kernel = user_.Kernel();
    if (!info || !info->lpFile) {
        kernel.SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto s = [](const char* p) { return p ? std::string(p) : std::string(); };
    const std::string verb = s(info->lpVerb);
    executed_.push_back({info->hwnd, verb, s(info->lpFile), s(info->lpParameters), s(info->lpDirectory),
                         info->nShow, user_.ForegroundWindow()});
    info->hProcess = 0;
    const bool runas = Lower(verb) == "runas";
    // rule: uac-answers
    if (runas && kernel.Uac() == UacAnswer::Decline) {
        kernel.SetLastError(ERROR_CANCELLED);
        return 0;
    }
    if (runas && kernel.Uac() == UacAnswer::DeniedByPolicy && !kernel.IsProcessElevated()) {
        kernel.SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    // The elevated process runs in a logon session of its own, which has none of this
    // session's drive mappings.
    const std::string file = kernel.FullPath(info->lpFile);
    if (runas && kernel.OnMappedDrive(file)) {
        kernel.SetLastError(ERROR_PATH_NOT_FOUND);
        return 0;
    }
    auto program = programs_.find(Lower(kernel.WithoutMappedDrive(file)));
    if (program == programs_.end()) {
        kernel.SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    // The new process runs alongside: its own token and, when elevated, the system folder as
    // its current directory while it runs; this process gets both back when it has ended.
    const bool elevated = runas ? (kernel.Uac() == UacAnswer::Accept || kernel.IsProcessElevated())
                                : kernel.IsProcessElevated();
    const std::string directory = runas ? "C:\\Windows\\System32" : s(info->lpDirectory);
    // A standard account's prompt took an administrator's password: the program runs as them.
    const std::string account = runas && elevated && !kernel.ElevatesAsItself() ? kernel.ElevationAccount()
                                                                                : kernel.Account();
    auto run = [&kernel, entry = program->second.entry, parameters = s(info->lpParameters), elevated,
                directory, account] {
        const bool wasElevated = kernel.IsProcessElevated();
        const std::string wasIn = kernel.GetCurrentDirectory();
        const std::string wasAccount = kernel.Account();
        kernel.SetElevated(elevated);
        kernel.SetAccount(account);
        if (!directory.empty()) kernel.SetCurrentDirectory(directory.c_str());
        const DWORD exitCode = entry(parameters);
        kernel.SetElevated(wasElevated);
        kernel.SetAccount(wasAccount);
        kernel.SetCurrentDirectory(wasIn.c_str());
        return exitCode;
    };
    const HANDLE process = kernel.StartProcess(program->second.runsForMs, std::move(run));
    if (info->fMask & SEE_MASK_NOCLOSEPROCESS)
        info->hProcess = process;
    else
        kernel.CloseHandle(process);
    kernel.SetLastError(ERROR_SUCCESS);
    return 1;
}

bool SimShell::PostCallback(UINT uID, LPARAM event) {
    const SimAreaIcon* icon = FindIcon(uID);
    if (!icon) return false;
    POINT cursor{};
    user_.GetCursorPos(&cursor);
    PostVersioned(*icon, static_cast<UINT>(event), cursor);
    // rule: notify-callback-formats
    if (icon->Version >= NOTIFYICON_VERSION_4 && event == WM_LBUTTONUP)
        PostVersioned(*icon, NIN_SELECT, cursor);
    if (icon->Version >= NOTIFYICON_VERSION_4 && event == WM_RBUTTONUP)
        PostVersioned(*icon, WM_CONTEXTMENU, cursor);
    return true;
}

void SimShell::PostCallbackTo(HWND hWnd, UINT uID, LPARAM event, UINT message) {
    user_.PostMessage(hWnd, message, uID, event);
}

intptr_t SimShell::ShellExecute(HWND hwnd, const char* lpOperation, const char* lpFile,
                                const char* lpParameters, const char* lpDirectory, int32_t nShowCmd) {
    auto s = [](const char* p) { return p ? std::string(p) : std::string(); };
    executed_.push_back({hwnd, s(lpOperation), s(lpFile), s(lpParameters), s(lpDirectory), nShowCmd});
    return executeResult_;
}

void SimShell::SetFileVersion(const std::string& file, DWORD ms, DWORD ls) {
    versions_[Lower(file)] = {ms, ls};
}

void SimShell::RemoveFileVersion(const std::string& file) {
    versions_.erase(Lower(file));
}

DWORD SimShell::GetFileVersionInfoSize(const char* lptstrFilename, DWORD* lpdwHandle) {
    if (lpdwHandle) *lpdwHandle = 0;
    if (!lptstrFilename || versions_.count(Lower(lptstrFilename)) == 0) {
        user_.Kernel().SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    return kVersionBlockSize;
}

BOOL SimShell::GetFileVersionInfo(const char* lptstrFilename, DWORD, DWORD dwLen, void* lpData) {
    if (!lptstrFilename || !lpData) {
        user_.Kernel().SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto it = versions_.find(Lower(lptstrFilename));
    if (it == versions_.end()) {
        user_.Kernel().SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    if (dwLen < kVersionBlockSize) {
        user_.Kernel().SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    VS_FIXEDFILEINFO info{};
    info.dwSignature = 0xFEEF04BD;
    info.dwStrucVersion = 0x00010000;
    info.dwFileVersionMS = it->second.first;
    info.dwFileVersionLS = it->second.second;
    info.dwProductVersionMS = it->second.first;
    info.dwProductVersionLS = it->second.second;
    auto* out = static_cast<uint8_t*>(lpData);
    const uint32_t header[2] = {kVersionMagic, kVersionBlockSize};
    std::memcpy(out, header, sizeof header);
    std::memcpy(out + 8, &info, sizeof info);
    return 1;
}

BOOL SimShell::VerQueryValue(const void* pBlock, const char* lpSubBlock, void** lplpBuffer, UINT* puLen) {
    if (!pBlock || !lpSubBlock || !lplpBuffer || !puLen) return 0;
    uint32_t header[2];
    std::memcpy(header, pBlock, sizeof header);
    if (header[0] != kVersionMagic || std::string(lpSubBlock) != "\\") return 0;
    *lplpBuffer = const_cast<uint8_t*>(static_cast<const uint8_t*>(pBlock) + 8);
    *puLen = sizeof(VS_FIXEDFILEINFO);
    return 1;
}

void SimShell::PostVersioned(const SimAreaIcon& icon, UINT event, POINT at) {
    if (icon.Version >= NOTIFYICON_VERSION_4)
        user_.PostMessage(icon.Window, icon.CallbackMessage,
                          static_cast<WPARAM>(MakeLong(static_cast<UINT>(at.x), static_cast<UINT>(at.y))),
                          MakeLong(event, icon.Id));
    else
        user_.PostMessage(icon.Window, icon.CallbackMessage, icon.Id, event);
}

// A version-4 icon is told the keyboard's own event; an older one a right click.
bool SimShell::KeyboardEvent(UINT uID, UINT version4Event) {
    const SimAreaIcon* icon = FindIcon(uID);
    if (!icon) return false;
    if (icon->Version >= NOTIFYICON_VERSION_4) {
        PostVersioned(*icon, version4Event, anchor_);
    } else {
        PostVersioned(*icon, WM_RBUTTONDOWN, anchor_);
        PostVersioned(*icon, WM_RBUTTONUP, anchor_);
    }
    return true;
}

bool SimShell::KeyboardActivate(UINT uID) {
    return KeyboardEvent(uID, NIN_KEYSELECT);
}

bool SimShell::KeyboardMenu(UINT uID) {
    return KeyboardEvent(uID, WM_CONTEXTMENU);
}

} // namespace sim
