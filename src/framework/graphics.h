#pragma once
// An icon that owns its system handle: every handle it replaces or drops is destroyed.
#include <string>

#include "framework/classes.h"
#include "platform/image.h"
#include "platform/types.h"

namespace fw {

class TIcon : public TObject {
  public:
    TIcon() = default;
    ~TIcon() override;

    // No picture and no handle.
    bool Empty() const { return handle_ == 0 && image_.Empty(); }
    // The system icon, made from the picture when first asked for. Raises EReadError when
    // the picture cannot be made into an icon.
    plat::HICON Handle();
    bool HandleAllocated() const { return handle_ != 0; }
    // Takes ownership of h (0 empties the icon); the previous handle is destroyed.
    void SetHandle(plat::HICON h);
    // Gives up the handle without destroying it.
    plat::HICON ReleaseHandle();
    // Replaces the picture; the previous handle is destroyed. An empty picture empties the icon.
    void SetImage(plat::IconImage image, std::string name = {});
    const plat::IconImage& Image() const { return image_; }
    const std::string& ImageName() const { return name_; }
    // Copies source's picture (or a copy of its handle); null empties the icon.
    void Assign(TIcon* source);

    // Raised once by every change of the picture or handle.
    TNotifyEvent OnChange;

  private:
    void FreeHandle();
    void Changed();

    plat::HICON handle_ = 0;
    plat::IconImage image_;
    std::string name_;
};

} // namespace fw
