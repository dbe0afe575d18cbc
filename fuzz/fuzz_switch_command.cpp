// The elevated copy's command line: it runs with administrator rights, so any bytes must
// give a clean refusal, and only the verb, optionally --asked, optionally --language and a
// shipped language's tag, between blanks, is a request.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sharing/switch_command.h"
#include "texts/texts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const auto request = KillServ::ParseSwitchCommandLine(bytes);
    if (!request) return 0;
    if (!KillServ::IsSwitchCommandLine(bytes)) std::abort();
    // The words between the blanks: the verb, then --asked exactly when the request says so,
    // then --language and a shipped tag exactly when the request has one.
    std::string words[4];
    size_t count = 0;
    for (size_t i = 0; i < bytes.size();) {
        while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\t'))
            ++i;
        if (i == bytes.size()) break;
        if (count == 4) std::abort();
        while (i < bytes.size() && bytes[i] != ' ' && bytes[i] != '\t')
            words[count] += bytes[i++];
        ++count;
    }
    if (count == 0 || words[0] != KillServ::SwitchCommandVerb) std::abort();
    const size_t expected = 1 + (request->asked ? 1 : 0) + (request->language.empty() ? 0 : 2);
    if (count != expected) std::abort();
    if (request->asked && words[1] != KillServ::SwitchAskedWord) std::abort();
    if (!request->language.empty()) {
        if (words[count - 2] != KillServ::SwitchLanguageWord || words[count - 1] != request->language)
            std::abort();
        if (Texts::ShippedTag(request->language) != request->language) std::abort();
    }
    return 0;
}
