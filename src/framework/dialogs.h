#pragma once
#include <cstdint>
#include <string>

#include "platform/ui.h"

// windows.h names its ANSI/wide switch MessageBox; ours is a function of the framework.
#ifdef MessageBox
#undef MessageBox
#endif

namespace fw {

// A modal message box owned by the application window; returns the button that closed it.
int32_t MessageBox(const std::string& text, const std::string& caption, plat::UINT flags);

// The system's error box: title "Error", error icon, one OK button.
void ShowError(const std::string& text);

} // namespace fw
