#include "platform/platform.h"

#include <stdexcept>

namespace plat {
namespace {
Platform* installed = nullptr;
}

Platform& Os() {
    if (!installed) throw std::logic_error("no platform installed");
    return *installed;
}

void Install(Platform* platform) { installed = platform; }

bool Installed() { return installed != nullptr; }

} // namespace plat
