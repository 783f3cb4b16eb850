#include "ui/win32/OptionsDialog.h"

#include <string>
#include <vector>

#include "app/Lang.h"
#include "app/LanguageFile.h"
#include "ui/panes/ProxyFields.h"
#include "ui/win32/DialogHelp.h"
#include "ui/win32/DialogText.h"
#include "ui/win32/FolderChooser.h"
#include "ui/win32/MessageBoxes.h"

namespace {

enum : int {
    kLanguage = 101,
    kExitOnEnd = 200,
    kUseProxy = 260,
    kProxyHost = 262,
    kProxyPort = 264,
    kProxyUser = 265,
    kProxyPassword = 267,
    kSavePassword = 269,
    kShowRefName = 401,
    kShowPageTitle = 402,
    kShowRefUrl = 403,
    kBraskDir = 500,
    kBrowse = 501,
    kAgent = 502,
};
constexpr int kProgramTitle = 22064;

struct State {
    ProgramSettings* settings;
    const OptionsSetup* setup;
    std::vector<AStr> codes;  // of the list's entries, in their order
};

std::wstring InCodePage(const AStr& text, int codePage) {
    if (text.empty()) return {};
    int n = MultiByteToWideChar(static_cast<UINT>(codePage), 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
    if (n <= 0) return platform::WideText(text.view());
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(static_cast<UINT>(codePage), 0, text.c_str(), static_cast<int>(text.size()), w.data(), n);
    return w;
}

void FillLanguages(HWND dialog, State& s) {
    HWND list = GetDlgItem(dialog, kLanguage);
    const AStr& current = s.settings->options.language;
    int chosen = -1;
    for (const InstalledLanguage& l : InstalledLanguages(s.setup->languageFolder)) {
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(InCodePage(l.name, l.codePage).c_str()));
        if (l.code.equalsNoCase(current)) chosen = static_cast<int>(s.codes.size());
        s.codes.push_back(l.code);
    }
    // A language whose library is gone is still what the settings say.
    if (chosen < 0 && !current.empty()) {
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(platform::WideText(current.view()).c_str()));
        chosen = static_cast<int>(s.codes.size());
        s.codes.push_back(current);
    }
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
}

// The proxy's fields mean something only while a proxy is used.
void EnableProxyFields(HWND dialog) {
    const bool on = Checked(dialog, kUseProxy);
    for (int id = kUseProxy + 1; id <= kSavePassword; ++id) EnableItem(dialog, id, on);
}

void Fill(HWND dialog, State& s) {
    const ProgramSettings& v = *s.settings;
    FillLanguages(dialog, s);
    SetItemText(dialog, kBraskDir, v.options.braskDir.view());
    SetItemText(dialog, kAgent, v.options.internetAgent.view());
    SetChecked(dialog, kShowRefName, v.options.showRefName);
    SetChecked(dialog, kShowPageTitle, v.options.showPageTitle);
    SetChecked(dialog, kShowRefUrl, v.options.showRefUrl);
    SetChecked(dialog, kUseProxy, v.proxy.use);
    fields::ProxyFields proxy = fields::SplitProxyAddress(v.proxy.address.view());
    SetItemText(dialog, kProxyHost, proxy.host);
    SetItemText(dialog, kProxyPort, proxy.port);
    SetItemText(dialog, kProxyUser, v.proxy.user.view());
    SetItemText(dialog, kProxyPassword, v.proxy.password.view());
    SetChecked(dialog, kSavePassword, v.proxy.savePassword);
    SetChecked(dialog, kExitOnEnd, v.exitOnEnd);
    EnableProxyFields(dialog);
    EnableItem(dialog, IDHELP, HelpInstalled());
}

// False, with the reason said, when a field cannot be taken.
bool Read(HWND dialog, State& s) {
    std::string port = ItemText(dialog, kProxyPort);
    // Its fields are closed while no proxy is used: a stored value is kept as it was.
    if (Checked(dialog, kUseProxy) && !fields::ProxyPortValid(port)) {
        const LangWithError& lang = ProgramLanguage();
        ShowBox(dialog, lang.text(OptionsDialog::kBadPortText), lang.text(kProgramTitle), MB_OK | MB_ICONEXCLAMATION);
        HWND field = GetDlgItem(dialog, kProxyPort);
        SetFocus(field);
        SendMessageW(field, EM_SETSEL, 0, -1);
        return false;
    }
    ProgramSettings& v = *s.settings;
    LRESULT at = SendDlgItemMessageW(dialog, kLanguage, CB_GETCURSEL, 0, 0);
    if (at >= 0 && static_cast<size_t>(at) < s.codes.size()) v.options.language = s.codes[static_cast<size_t>(at)];
    v.options.braskDir = ItemAStr(dialog, kBraskDir);
    v.options.internetAgent = ItemAStr(dialog, kAgent);
    v.options.showRefName = Checked(dialog, kShowRefName);
    v.options.showPageTitle = Checked(dialog, kShowPageTitle);
    v.options.showRefUrl = Checked(dialog, kShowRefUrl);
    v.proxy.use = Checked(dialog, kUseProxy);
    v.proxy.address = fields::JoinProxyAddress(ItemText(dialog, kProxyHost), port);
    v.proxy.user = ItemAStr(dialog, kProxyUser);
    v.proxy.password = ItemAStr(dialog, kProxyPassword);
    v.proxy.savePassword = Checked(dialog, kSavePassword);
    v.exitOnEnd = Checked(dialog, kExitOnEnd);
    return true;
}

void Browse(HWND dialog, const State& s) {
    AStr start = ItemAStr(dialog, kBraskDir);
    AStr chosen = s.setup->chooseFolder ? s.setup->chooseFolder(dialog, start) : ChooseFolder(dialog, start);
    if (!chosen.empty()) SetItemText(dialog, kBraskDir, chosen.view());
}

INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        Fill(dialog, *reinterpret_cast<State*>(lParam));
        return TRUE;
    }
    auto* s = reinterpret_cast<State*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!s) return FALSE;
    if (message == WM_HELP) {  // F1: what the Help button does
        (void)ShowHelp(dialog, s->setup->helpContext);
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    switch (LOWORD(wParam)) {
    case IDOK:
        if (Read(dialog, *s)) EndDialog(dialog, IDOK);
        return TRUE;
    case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    case IDHELP:
        (void)ShowHelp(dialog, s->setup->helpContext);
        return TRUE;
    case kBrowse:
        if (HIWORD(wParam) == BN_CLICKED) Browse(dialog, *s);
        return TRUE;
    case kUseProxy:
        if (HIWORD(wParam) == BN_CLICKED) EnableProxyFields(dialog);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

int OptionsDialog::edit(HWND owner, ProgramSettings& settings, const OptionsSetup& setup) {
    std::string_view bytes = ProgramLanguage().dialog(kTemplate);
    if (bytes.empty()) return -1;
    ProgramSettings edited = settings;
    State s{&edited, &setup, {}};
    INT_PTR r = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()),
                                        owner, Procedure, reinterpret_cast<LPARAM>(&s));
    if (r != IDOK) return r < 0 ? -1 : 0;
    settings = edited;
    return 1;
}
