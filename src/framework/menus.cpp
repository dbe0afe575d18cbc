#include "framework/menus.h"

#include <algorithm>
#include <utility>

#include "framework/forms.h"
#include "platform/platform.h"

namespace fw {

// ---- TMenuItem ----

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {}

TMenuItem::~TMenuItem() {
    if (parent_) parent_->Remove(this);
    while (!items_.empty())
        delete items_.back(); // each one leaves items_ itself
}

void TMenuItem::Add(TMenuItem* item) {
    if (!item || item == this || item->Contains(this)) return;
    if (item->parent_) item->parent_->Remove(item);
    item->parent_ = this;
    items_.push_back(item);
}

void TMenuItem::Remove(TMenuItem* item) {
    auto it = std::find(items_.begin(), items_.end(), item);
    if (it == items_.end()) return;
    items_.erase(it);
    item->parent_ = nullptr;
}

TMenuItem* TMenuItem::Items(int32_t index) const {
    if (index < 0 || index >= Count()) return nullptr;
    return items_[static_cast<size_t>(index)];
}

bool TMenuItem::Contains(const TMenuItem* item) const {
    if (item == this) return true;
    return std::any_of(items_.begin(), items_.end(),
                       [item](const TMenuItem* c) { return c->Contains(item); });
}

void TMenuItem::Click() {
    if (enabled_ && OnClick) OnClick(this);
}

// ---- TPopupMenu ----

namespace {

// The menu handle exists only while the menu is up.
class MenuHandle {
  public:
    MenuHandle() : h_(plat::Os().user->CreatePopupMenu()) {}
    explicit MenuHandle(plat::HMENU h) : h_(h) {}
    MenuHandle(const MenuHandle&) = delete;
    MenuHandle& operator=(const MenuHandle&) = delete;
    ~MenuHandle() {
        if (h_) plat::Os().user->DestroyMenu(h_);
    }
    plat::HMENU get() const { return h_; }
    plat::HMENU release() { return std::exchange(h_, 0); }

  private:
    plat::HMENU h_;
};

void Build(plat::HMENU menu, const TMenuItem& parent, std::vector<TMenuItem*>& byId) {
    auto& user = *plat::Os().user;
    for (int32_t i = 0; i < parent.Count(); ++i) {
        TMenuItem* item = parent.Items(i);
        if (!item->Visible()) continue;
        if (item->Caption() == "-") {
            user.AppendMenu(menu, plat::MF_SEPARATOR, 0, nullptr);
            continue;
        }
        const plat::UINT state =
            (item->Enabled() ? 0 : plat::MF_GRAYED) | (item->Checked() ? plat::MF_CHECKED : 0);
        if (item->Count() > 0) {
            MenuHandle sub;
            Build(sub.get(), *item, byId);
            // The parent menu owns the submenu once appended.
            if (user.AppendMenu(menu, plat::MF_POPUP | state, sub.get(), item->Caption().c_str()))
                sub.release();
            continue;
        }
        byId.push_back(item);
        const auto id = static_cast<plat::UINT_PTR>(byId.size());
        user.AppendMenu(menu, plat::MF_STRING | state, id, item->Caption().c_str());
        if (item->Default()) user.SetMenuDefaultItem(menu, static_cast<plat::UINT>(id), 0);
    }
}

} // namespace

TPopupMenu::TPopupMenu(TComponent* AOwner) : TComponent(AOwner), items_(new TMenuItem(nullptr)) {}

TPopupMenu::~TPopupMenu() {
    delete items_;
}

void TPopupMenu::ComponentRemoved(TComponent* AComponent) {
    TComponent::ComponentRemoved(AComponent);
    if (AComponent == popupComponent_) popupComponent_ = nullptr;
}

void TPopupMenu::Popup(int32_t X, int32_t Y) {
    if (OnPopup) OnPopup(this);
    std::vector<TMenuItem*> byId;
    plat::UINT_PTR chosen = 0;
    {
        MenuHandle menu;
        if (!menu.get()) return;
        Build(menu.get(), *items_, byId);
        const plat::HWND owner = Application ? Application->Handle() : 0;
        chosen = static_cast<plat::UINT_PTR>(plat::Os().user->TrackPopupMenu(
            menu.get(), plat::TPM_LEFTALIGN | plat::TPM_RIGHTBUTTON | plat::TPM_RETURNCMD, X, Y, 0, owner));
    }
    if (chosen == 0 || chosen > byId.size()) return;
    // Messages handled while the menu was up may have freed the item: click it only if it
    // is still one of ours.
    TMenuItem* item = byId[chosen - 1];
    if (items_->Contains(item)) item->Click();
}

} // namespace fw
