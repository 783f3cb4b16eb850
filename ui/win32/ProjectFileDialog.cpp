#include "ui/win32/ProjectFileDialog.h"

#include <commdlg.h>

#include <string>

#include "app/Lang.h"
#include "ui/win32/MessageBoxes.h"

namespace {
constexpr int kFilterText = 25001;  // "name|pattern|name|pattern|"
constexpr int kProgramTitle = 22064;

// The dialog's filter: pairs ended by zeros, the list by two.
std::string Filter() {
    std::string f = ProgramLanguage().text(kFilterText).c_str();
    if (f.empty()) f = "*.zbp|*.zbp|";
    if (f.back() != '|') f += '|';
    for (char& c : f)
        if (c == '|') c = '\0';
    f += '\0';
    return f;
}
}  // namespace

AStr ChooseProjectFile(HWND owner, bool save, const AStr& name, const AStr& folder) {
    std::string filter = Filter();
    char file[MAX_PATH] = {};
    if (name.size() < sizeof file) memcpy(file, name.c_str(), name.size());
    OPENFILENAMEA o = {};
    o.lStructSize = sizeof o;
    o.hwndOwner = owner;
    o.lpstrFilter = filter.c_str();
    o.nFilterIndex = 1;
    o.lpstrFile = file;
    o.nMaxFile = sizeof file;
    o.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    o.lpstrDefExt = "zbp";
    o.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR |
              (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    BOOL chosen = save ? GetSaveFileNameA(&o) : GetOpenFileNameA(&o);
    if (chosen) return AStr(file);
    DWORD error = CommDlgExtendedError();
    if (error != 0) {
        const LangWithError& lang = ProgramLanguage();
        ShowBox(owner, lang.fileDialogErrorText(static_cast<int>(error)), lang.text(kProgramTitle),
                    MB_OK | MB_ICONERROR);
    }
    return AStr();
}
