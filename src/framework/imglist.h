#pragma once
// An ordered list of icon pictures, all of one size.
#include <cstdint>
#include <vector>

#include "framework/classes.h"
#include "framework/graphics.h"
#include "platform/image.h"

namespace fw {

class TCustomImageList : public TComponent {
  public:
    explicit TCustomImageList(TComponent* AOwner) : TComponent(AOwner) {}

    int32_t Count() const { return static_cast<int32_t>(images_.size()); }
    void Add(plat::IconImage image) { images_.push_back(std::move(image)); }
    void SetImages(std::vector<plat::IconImage> images) { images_ = std::move(images); }
    void Clear() { images_.clear(); }
    // Image index, or an empty picture when index is not valid.
    const plat::IconImage& Image(int32_t index) const;
    // Copies image index into icon, replacing its picture (one OnChange); an index that is
    // not valid leaves the icon empty. The picture is labelled "Name[index]".
    void GetIcon(int32_t index, TIcon& icon) const;

  private:
    std::vector<plat::IconImage> images_;
};

class TImageList : public TCustomImageList {
  public:
    using TCustomImageList::TCustomImageList;
};

} // namespace fw
