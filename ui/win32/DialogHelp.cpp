#include "ui/win32/DialogHelp.h"

#include "app/LanguageFile.h"
#include "platform/File.h"
#include "platform/Text.h"

namespace {
HelpOpener& Opener() {
    static HelpOpener opener;
    return opener;
}
}  // namespace

bool HelpInstalled() {
    const AStr& path = ProgramHelpPath();
    return !path.empty() && platform::FileExists(path.c_str());
}

bool ShowHelp(HWND owner, int context) {
    if (!HelpInstalled()) return false;
    if (Opener()) {
        Opener()(owner, ProgramHelpPath(), context);
        return true;
    }
    WinHelpW(owner, platform::WideText(ProgramHelpPath().view()).c_str(), HELP_CONTEXT, static_cast<ULONG_PTR>(context));
    return true;
}

void SetHelpOpener(HelpOpener opener) { Opener() = std::move(opener); }
