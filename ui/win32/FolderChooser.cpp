#include "ui/win32/FolderChooser.h"

#include <shlobj.h>

#include <string>

#include "app/Lang.h"
#include "platform/Text.h"

namespace {
constexpr int kTitle = 22063;

int CALLBACK Opened(HWND chooser, UINT message, LPARAM, LPARAM start) {
    if (message == BFFM_INITIALIZED && start)
        SendMessageW(chooser, BFFM_SETSELECTIONW, TRUE, start);
    return 0;
}
}  // namespace

AStr ChooseFolder(HWND owner, const AStr& start) {
    std::wstring title = platform::WideText(ProgramLanguage().text(kTitle).view());
    std::wstring from = platform::WideText(start.view());
    BROWSEINFOW b = {};
    b.hwndOwner = owner;
    b.lpszTitle = title.c_str();
    b.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    b.lpfn = Opened;
    b.lParam = from.empty() ? 0 : reinterpret_cast<LPARAM>(from.c_str());
    LPITEMIDLIST chosen = SHBrowseForFolderW(&b);
    if (!chosen) return AStr();
    wchar_t path[MAX_PATH] = {};
    BOOL ok = SHGetPathFromIDListW(chosen, path);
    CoTaskMemFree(chosen);
    if (!ok) return AStr();
    std::string narrow = platform::NarrowText(path);
    return AStr(narrow.data(), narrow.size());
}
