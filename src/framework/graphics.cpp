#include "framework/graphics.h"

#include <utility>

#include "framework/exception.h"
#include "platform/platform.h"

namespace fw {

TIcon::~TIcon() {
    FreeHandle();
}

void TIcon::FreeHandle() {
    const plat::HICON h = std::exchange(handle_, 0);
    if (h != 0 && plat::Installed() && plat::Os().user) plat::Os().user->DestroyIcon(h);
}

void TIcon::Changed() {
    if (OnChange) OnChange(this);
}

plat::HICON TIcon::Handle() {
    if (handle_ == 0 && !image_.Empty()) {
        handle_ = plat::Os().user->CreateIconFromImage(image_, name_.c_str());
        if (handle_ == 0) {
            const std::string what = "Invalid icon image"; // english: a fault of the build
            throw EReadError(what + (name_.empty() ? "" : " " + name_));
        }
    }
    return handle_;
}

void TIcon::SetHandle(plat::HICON h) {
    if (h != handle_) FreeHandle();
    handle_ = h;
    image_ = {};
    name_.clear();
    Changed();
}

plat::HICON TIcon::ReleaseHandle() {
    return std::exchange(handle_, 0);
}

void TIcon::SetImage(plat::IconImage image, std::string name) {
    FreeHandle();
    image_ = std::move(image);
    name_ = image_.Empty() ? std::string() : std::move(name);
    Changed();
}

void TIcon::Assign(TIcon* source) {
    if (source == this) return;
    FreeHandle();
    image_ = {};
    name_.clear();
    if (source && !source->image_.Empty()) {
        image_ = source->image_;
        name_ = source->name_;
    } else if (source && source->handle_ != 0) {
        handle_ = plat::Os().user->CopyIcon(source->handle_);
    }
    Changed();
}

} // namespace fw
