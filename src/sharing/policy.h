#pragma once
// What an administrator decided by Group Policy, under HKLM\Software\Policies\Tarnwick. It
// comes before the program's own settings; the app and the sharing worker both read it.
#include <string>

namespace KillServ {

inline constexpr const char* PolicyKey = "Software\\Policies\\Tarnwick";

struct TPolicy {
    // DisableAutoStart, a REG_DWORD other than 0: Tarnwick writes no Run value.
    bool DisableAutoStart = false;
    // SecondService, a REG_SZ: the second sharing service, whatever the settings name.
    // Empty when the policy does not set one.
    std::string SecondService;
    // DisablePublicNetworkRule, a REG_DWORD other than 0: "Off on public networks" is off and
    // greyed, whatever the user's code.ini says.
    bool DisablePublicNetworkRule = false;
    // Language, a REG_SZ: the language of the menu, tool tips, balloons, boxes and help
    // ("de", "pt-BR"), before the user's code.ini and Windows' display language. Empty when
    // the policy does not set one.
    std::string Language;
};

// Read afresh at each call. A missing key or value is a policy that is not set; so is a value
// of another type, or a name no service can have, as neither is what the policy writes.
TPolicy ReadPolicy();

} // namespace KillServ
