#pragma once
// Objects and components: ownership, loading and removal notifications.
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace fw {

class TObject {
  public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

enum TComponentStateFlag : uint32_t { csLoading = 1, csDesigning = 2, csDestroying = 4 };

// A component is owned by another, which destroys it. Components created while their owner
// is loading are loading too, until the owner's FinishLoading runs every AfterLoad.
class TComponent : public TObject {
  public:
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;

    TComponent* Owner() const { return owner_; }
    const std::string& Name() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }
    int32_t ComponentCount() const { return static_cast<int32_t>(components_.size()); }
    TComponent* Components(int32_t index) const;

    uint32_t ComponentState() const { return state_; }
    bool Loading() const { return (state_ & csLoading) != 0; }
    bool Designing() const { return (state_ & csDesigning) != 0; }
    bool Destroying() const { return (state_ & csDestroying) != 0; }
    // The form designer's state; never set at run time.
    void SetDesigning(bool designing);

    // Asks to be told (ComponentRemoved) when AComponent goes, whoever owns it.
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);

    // End of loading: clears the loading state and runs AfterLoad for this component and
    // then for every component it owns, in creation order.
    void FinishLoading();

  protected:
    // From here until FinishLoading the component and those created with it as owner load.
    void BeginLoading() { state_ |= csLoading; }
    // Runs once after the component's stored properties have been assigned.
    virtual void AfterLoad() {}
    // AComponent is being removed (destroyed). The default passes the news on to every
    // owned component.
    virtual void ComponentRemoved(TComponent* AComponent);
    // Destroys every owned component, the last created first.
    void DestroyComponents();

  private:
    void InsertComponent(TComponent* c);
    void RemoveComponent(TComponent* c);
    void NotifyRemoval(TComponent* removed);

    TComponent* owner_ = nullptr;
    std::string name_;
    std::vector<TComponent*> components_;
    std::set<TComponent*> freeNotifies_;
    uint32_t state_ = 0;
};

} // namespace fw
