#include "framework/classes.h"

#include <algorithm>

namespace fw {

TComponent::TComponent(TComponent* AOwner) {
    if (AOwner) {
        if (AOwner->Loading()) state_ |= csLoading;
        if (AOwner->Designing()) state_ |= csDesigning;
        AOwner->InsertComponent(this);
    }
}

TComponent::~TComponent() {
    state_ |= csDestroying;
    DestroyComponents();
    if (owner_) owner_->RemoveComponent(this);
    // Tell everyone who asked, and forget them, so nobody keeps a pointer to this object.
    const auto watchers = freeNotifies_;
    freeNotifies_.clear();
    for (TComponent* w : watchers) {
        w->freeNotifies_.erase(this);
        w->ComponentRemoved(this);
    }
}

TComponent* TComponent::Components(int32_t index) const {
    if (index < 0 || index >= ComponentCount()) return nullptr;
    return components_[static_cast<size_t>(index)];
}

void TComponent::SetDesigning(bool designing) {
    if (designing)
        state_ |= csDesigning;
    else
        state_ &= ~csDesigning;
    for (TComponent* c : components_)
        c->SetDesigning(designing);
}

void TComponent::FreeNotification(TComponent* AComponent) {
    if (!AComponent || AComponent == this) return;
    freeNotifies_.insert(AComponent);
    AComponent->freeNotifies_.insert(this);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
    if (!AComponent) return;
    freeNotifies_.erase(AComponent);
    AComponent->freeNotifies_.erase(this);
}

void TComponent::FinishLoading() {
    if (!Loading()) return;
    state_ &= ~csLoading;
    for (TComponent* c : components_)
        c->state_ &= ~csLoading;
    AfterLoad();
    // A handler may create or free components; walk a copy and skip those that are gone.
    const auto loaded = components_;
    for (TComponent* c : loaded)
        if (std::find(components_.begin(), components_.end(), c) != components_.end()) c->AfterLoad();
}

void TComponent::ComponentRemoved(TComponent* AComponent) {
    const auto owned = components_;
    for (auto it = owned.rbegin(); it != owned.rend(); ++it)
        if (*it != AComponent && std::find(components_.begin(), components_.end(), *it) != components_.end())
            (*it)->ComponentRemoved(AComponent);
}

void TComponent::DestroyComponents() {
    while (!components_.empty()) {
        TComponent* c = components_.back();
        components_.pop_back();
        c->owner_ = nullptr;
        NotifyRemoval(c);
        delete c;
    }
}

void TComponent::InsertComponent(TComponent* c) {
    c->owner_ = this;
    components_.push_back(c);
}

void TComponent::RemoveComponent(TComponent* c) {
    auto it = std::find(components_.begin(), components_.end(), c);
    if (it == components_.end()) return;
    components_.erase(it);
    c->owner_ = nullptr;
    NotifyRemoval(c);
}

void TComponent::NotifyRemoval(TComponent* removed) {
    ComponentRemoved(removed);
}

} // namespace fw
