#include "framework/dialogs.h"
#include "texts/texts.h"

#include "framework/forms.h"
#include "platform/platform.h"

namespace fw {

int32_t MessageBox(const std::string& text, const std::string& caption, plat::UINT flags) {
    const plat::HWND owner = Application ? Application->Handle() : 0;
    return plat::Os().user->MessageBox(owner, text.c_str(), caption.c_str(), flags);
}

void ShowError(const std::string& text) {
    MessageBox(text, Texts::Say(Texts::TextId::BoxErrorTitle), plat::MB_OK | plat::MB_ICONERROR);
}

} // namespace fw
