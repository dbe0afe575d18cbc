// The elevated copy's command line: it runs with administrator rights, so any bytes must
// give a clean refusal, and only the verb alone, or the verb and --asked, between blanks, is
// a request.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sharing/switch_command.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const auto request = KillServ::ParseSwitchCommandLine(bytes);
    if (!request) return 0;
    if (!KillServ::IsSwitchCommandLine(bytes)) std::abort();
    // The words between the blanks: the verb, then --asked exactly when the request says so.
    std::string words[3];
    size_t count = 0;
    for (size_t i = 0; i < bytes.size();) {
        while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\t'))
            ++i;
        if (i == bytes.size()) break;
        if (count == 3) std::abort();
        while (i < bytes.size() && bytes[i] != ' ' && bytes[i] != '\t')
            words[count] += bytes[i++];
        ++count;
    }
    if (count == 0 || words[0] != KillServ::SwitchCommandVerb) std::abort();
    if (request->asked != (count == 2) || count > 2) std::abort();
    if (request->asked && words[1] != KillServ::SwitchAskedWord) std::abort();
    return 0;
}
