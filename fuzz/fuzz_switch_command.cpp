// The elevated copy's command line: it runs with administrator rights, so any bytes must
// give a clean refusal or a request for a folder we would have written ourselves.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sharing/switch_command.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const auto request = KillServ::ParseSwitchCommandLine(bytes);
    if (!request) return 0;
    if (!KillServ::IsSwitchCommandLine(bytes)) std::abort();
    const std::string& folder = request->dataFolder;
    if (folder.size() < 3 || folder.size() > 259) std::abort();
    for (char c : folder)
        if (static_cast<unsigned char>(c) < 0x20 || c == '"' || c == '*' || c == '?' || c == '/') std::abort();
    if (folder.find("\\..") != std::string::npos && (folder.find("\\..\\") != std::string::npos ||
                                                     folder.compare(folder.size() - 3, 3, "\\..") == 0))
        std::abort();
    // What we accept, we can write back and read again unchanged.
    const auto again = KillServ::ParseSwitchCommandLine(KillServ::SwitchCommandLine(folder));
    if (!again || again->dataFolder != folder) std::abort();
    return 0;
}
