// DependOnService values: the comma-text splitter for REG_SZ and the multi-string splitter.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sharing/killserv_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    const KillServ::TStringList items = KillServ::SplitCommaText(bytes);
    if (items.size() > size) std::abort();
    for (const auto& item : items)
        if (item.find('\0') != std::string::npos || item.size() > size) std::abort();

    const KillServ::TStringList parts = KillServ::SplitMultiString(bytes);
    std::string rebuilt;
    for (const auto& part : parts) {
        if (part.empty() || part.find('\0') != std::string::npos) std::abort();
        rebuilt += part + '\0';
    }
    if (rebuilt.size() > size + 1) std::abort();
    if (KillServ::SplitMultiString(rebuilt + '\0') != parts) std::abort();
    return 0;
}
