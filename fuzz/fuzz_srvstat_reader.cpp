// srvStat.txt as read by the start sequence: any bytes give lines free of line ends and NULs,
// which written out and read again give the same lines.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sharing/killserv_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const KillServ::TStringList lines = KillServ::ParseStatusText(text);
    size_t chars = 0;
    for (const auto& line : lines) {
        if (line.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) std::abort();
        chars += line.size();
    }
    if (chars > size || lines.size() > size) std::abort();
    if (KillServ::ParseStatusText(KillServ::FormatStatusText(lines)) != lines) std::abort();
    return 0;
}
