#pragma once
// Popup menus built from items at the moment they pop up.
#include <cstdint>
#include <string>
#include <vector>

#include "framework/classes.h"

namespace fw {

class TMenuItem : public TComponent {
  public:
    explicit TMenuItem(TComponent* AOwner);
    // Leaves its parent and frees its own items.
    ~TMenuItem() override;

    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption) { caption_ = std::move(caption); }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled) { enabled_ = enabled; }
    bool Checked() const { return checked_; }
    void SetChecked(bool checked) { checked_ = checked; }
    bool Visible() const { return visible_; }
    void SetVisible(bool visible) { visible_ = visible; }
    bool Default() const { return default_; }
    void SetDefault(bool isDefault) { default_ = isDefault; }

    // Child items (a submenu when there are any). Add takes the item from any other parent.
    void Add(TMenuItem* item);
    void Remove(TMenuItem* item);
    int32_t Count() const { return static_cast<int32_t>(items_.size()); }
    TMenuItem* Items(int32_t index) const;
    TMenuItem* Parent() const { return parent_; }
    // Whether item is this item or one of its descendants.
    bool Contains(const TMenuItem* item) const;

    // What choosing the item does: OnClick, only while the item is enabled.
    virtual void Click();

    TNotifyEvent OnClick;

  private:
    std::string caption_;
    bool enabled_ = true;
    bool checked_ = false;
    bool visible_ = true;
    bool default_ = false;
    TMenuItem* parent_ = nullptr;
    std::vector<TMenuItem*> items_;
};

class TPopupMenu : public TComponent {
  public:
    explicit TPopupMenu(TComponent* AOwner);
    ~TPopupMenu() override;

    // The top-level items.
    TMenuItem* Items() const { return items_; }
    bool AutoPopup() const { return autoPopup_; }
    void SetAutoPopup(bool autoPopup) { autoPopup_ = autoPopup; }
    TComponent* PopupComponent() const { return popupComponent_; }
    void SetPopupComponent(TComponent* component) { popupComponent_ = component; }

    // Shows the menu at a screen point and returns when it has closed; the chosen item's
    // Click has run by then. Hidden items are left out; a caption "-" is a separator.
    virtual void Popup(int32_t X, int32_t Y);

    TNotifyEvent OnPopup;

  protected:
    void ComponentRemoved(TComponent* AComponent) override;

  private:
    TMenuItem* items_;
    bool autoPopup_ = true;
    TComponent* popupComponent_ = nullptr;
};

} // namespace fw
