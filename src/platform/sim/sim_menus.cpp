// The simulated menus (popup menus, their tracking and its rules) and message boxes (their
// modal loop and what it answers).
#include <algorithm>
#include <string>

#include "platform/sim/sim_ui.h"

namespace sim {
using namespace plat;

namespace {
const SimMenuItem* FindItemById(const std::vector<SimMenuItem>& items, UINT_PTR id) {
    for (const auto& i : items) {
        if (!i.Separator && i.SubItems.empty() && i.Id == id) return &i;
        if (const auto* sub = FindItemById(i.SubItems, id)) return sub;
    }
    return nullptr;
}
} // namespace

// ---- Menus ----

HMENU SimUser::CreatePopupMenu() {
    const HMENU h = nextMenu_;
    nextMenu_ += 4;
    menus_.emplace(h, Menu{});
    return h;
}

BOOL SimUser::AppendMenu(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, const char* lpNewItem) {
    auto it = menus_.find(hMenu);
    if (it == menus_.end() || ((uFlags & MF_POPUP) && menus_.count(static_cast<HMENU>(uIDNewItem)) == 0)) {
        kernel_.SetLastError(ERROR_INVALID_MENU_HANDLE);
        return 0;
    }
    it->second.entries.push_back({uFlags, uIDNewItem, lpNewItem ? lpNewItem : ""});
    return 1;
}

BOOL SimUser::SetMenuDefaultItem(HMENU hMenu, UINT uItem, UINT fByPos) {
    auto it = menus_.find(hMenu);
    if (it == menus_.end()) {
        kernel_.SetLastError(ERROR_INVALID_MENU_HANDLE);
        return 0;
    }
    auto& entries = it->second.entries;
    if (fByPos) {
        if (uItem >= entries.size()) return 0;
        it->second.defaultId = static_cast<UINT>(entries[uItem].id);
    } else {
        it->second.defaultId = uItem;
    }
    return 1;
}

std::vector<SimMenuItem> SimUser::BuildItems(HMENU h, int depth) const {
    std::vector<SimMenuItem> items;
    auto it = menus_.find(h);
    if (it == menus_.end() || depth > 16) return items;
    for (const auto& e : it->second.entries) {
        SimMenuItem item;
        item.Caption = e.text;
        item.Enabled = (e.flags & (MF_GRAYED | MF_DISABLED)) == 0;
        item.Checked = (e.flags & MF_CHECKED) != 0;
        item.Separator = (e.flags & MF_SEPARATOR) != 0;
        if (e.flags & MF_POPUP) {
            item.SubItems = BuildItems(static_cast<HMENU>(e.id), depth + 1);
        } else {
            item.Id = e.id;
            item.Default = it->second.defaultId && *it->second.defaultId == e.id;
        }
        items.push_back(std::move(item));
    }
    return items;
}

BOOL SimUser::TrackPopupMenu(HMENU hMenu, UINT uFlags, int32_t x, int32_t y, int32_t, HWND hWnd) {
    if (menus_.count(hMenu) == 0) {
        kernel_.SetLastError(ERROR_INVALID_MENU_HANDLE);
        return 0;
    }
    if (!Find(hWnd)) {
        kernel_.SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    // rule: popup-menu-no-nesting
    if (trackingPopup_) {
        kernel_.SetLastError(ERROR_POPUP_ALREADY_ACTIVE);
        return 0;
    }
    SimPopup popup{x, y, hWnd, uFlags, kernel_.GetTickCount64(), BuildItems(hMenu, 0)};
    // rule: popup-menu-needs-foreground
    popup.ClosesOnClickOutside = foreground_ == hWnd;
    popups_.push_back(popup);
    struct Tracking {
        bool& on;
        ~Tracking() { on = false; }
    } tracking{trackingPopup_ = true};
    // Open until the user chooses: a choice already made closes it at once.
    if (!OnPopup && popupChoices_.empty()) ModalLoop();
    UINT_PTR chosen = 0;
    if (OnPopup) {
        chosen = OnPopup(popup);
    } else if (!popupChoices_.empty()) {
        const std::string caption = popupChoices_.front();
        popupChoices_.pop_front();
        if (const auto* item = popup.Find(caption)) chosen = item->Id;
    }
    // A grey item or an id that is not in the menu cannot be chosen: the menu just closes.
    const auto* item = chosen ? FindItemById(popup.Items, chosen) : nullptr;
    if (!item || !item->Enabled) chosen = 0;
    if (uFlags & TPM_RETURNCMD) return static_cast<BOOL>(chosen);
    if (chosen && !(uFlags & TPM_NONOTIFY)) PostMessage(hWnd, WM_COMMAND, chosen, 0);
    return 1;
}

BOOL SimUser::DestroyMenu(HMENU hMenu) {
    auto it = menus_.find(hMenu);
    if (it == menus_.end()) {
        kernel_.SetLastError(ERROR_INVALID_MENU_HANDLE);
        return 0;
    }
    std::vector<HMENU> subs;
    for (const auto& e : it->second.entries)
        if (e.flags & MF_POPUP) subs.push_back(static_cast<HMENU>(e.id));
    menus_.erase(it);
    for (HMENU s : subs)
        DestroyMenu(s);
    return 1;
}

// ---- Message boxes ----

int32_t SimUser::MessageBox(HWND hWnd, const char* lpText, const char* lpCaption, UINT uType) {
    SimMessageBox box{hWnd, lpText ? lpText : "", lpCaption ? lpCaption : "Error", uType,
                      kernel_.GetTickCount64()};
    boxes_.push_back(box);
    if (OnMessageBox) return OnMessageBox(box);
    // rule: message-box-ended-by-quit
    if (ModalLoop()) return 0;
    return (uType & 0xF) == MB_YESNO ? IDYES : IDOK;
}

int32_t SimUser::MessageBoxTimed(HWND hWnd, const char* lpText, const char* lpCaption, UINT uType,
                                 DWORD timeoutMs, int32_t timeoutAnswer) {
    if (!NobodyAnswers) {
        const int32_t answer = MessageBox(hWnd, lpText, lpCaption, uType);
        boxes_.back().TimeoutMs = timeoutMs;
        return answer;
    }
    boxes_.push_back({hWnd, lpText ? lpText : "", lpCaption ? lpCaption : "Error", uType, kernel_.GetTickCount64(),
                      timeoutMs});
    kernel_.Advance(timeoutMs);
    return timeoutAnswer;
}

} // namespace sim
