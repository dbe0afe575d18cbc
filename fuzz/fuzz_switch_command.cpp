// The elevated copy's command line: it runs with administrator rights, so any bytes must
// give a clean refusal, and only the verb alone, between blanks, is a request.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sharing/switch_command.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const auto request = KillServ::ParseSwitchCommandLine(bytes);
    if (!request) return 0;
    if (!KillServ::IsSwitchCommandLine(bytes)) std::abort();
    const auto first = bytes.find_first_not_of(" \t");
    const auto last = bytes.find_last_not_of(" \t");
    if (first == std::string::npos || bytes.substr(first, last - first + 1) != KillServ::SwitchCommandVerb)
        std::abort();
    return 0;
}
