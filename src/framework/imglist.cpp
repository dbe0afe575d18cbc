#include "framework/imglist.h"

#include <string>

namespace fw {

const plat::IconImage& TCustomImageList::Image(int32_t index) const {
    static const plat::IconImage none;
    if (index < 0 || index >= Count()) return none;
    return images_[static_cast<size_t>(index)];
}

void TCustomImageList::GetIcon(int32_t index, TIcon& icon) const {
    if (index < 0 || index >= Count()) {
        icon.SetImage({});
        return;
    }
    icon.SetImage(images_[static_cast<size_t>(index)], Name() + "[" + std::to_string(index) + "]");
}

} // namespace fw
