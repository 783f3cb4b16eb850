#include "ui/win32/MissionSheet.h"

#include <commctrl.h>

#include <string>
#include <string_view>

#include "app/ApplicationProfile.h"
#include "app/Lang.h"
#include "site/Mission.h"
#include "ui/panes/MissionFields.h"
#include "ui/win32/DialogHelp.h"
#include "ui/win32/DialogText.h"
#include "ui/win32/FolderChooser.h"

namespace {

// Page 100.
enum : int {
    kUrls = 101,
    kInclude = 102,
    kExclude = 103,
    kLevelsInternal = 104,
    kLevelsExternal = 105,
    kPath = 106,
    kBrowse = 107,
    kUrlsLabel = 201,
    kIncludeLabel = 205,
    kExcludeLabel = 206,
    kPathLabel = 207,
};
// Page 101.
enum : int {
    kMaxNumFiles = 110,
    kMaxSizeFiles = 111,
    kMaxNumThread = 112,
    kTimeMaxWait = 113,
    kAllowPicture = 114,
    kAllowSound = 115,
    kAllowVideo = 116,
    kAllowDownload = 117,
    kStubs = 125,
    kAllowOutPicture = 126,
    kUser = 127,
    kPassword = 128,
    kSaveCredentials = 129,
    kAlsoDefaults = 132,
    kHtmlFirst = 133,
    kOnlyInDirectory = 134,
    kUserLabel = 301,
    kPasswordLabel = 302,
};

// What the defaults hold none of.
constexpr int kNotForDefaults100[] = {kUrls, kInclude, kExclude, kPath, kBrowse,
                                      kUrlsLabel, kIncludeLabel, kExcludeLabel, kPathLabel};
constexpr int kNotForDefaults101[] = {kUser, kPassword, kSaveCredentials, kAlsoDefaults, kUserLabel, kPasswordLabel};

int gLastPage = 0;

struct Sheet {
    Mission* mission;
    const MissionSheetSetup* setup;
    bool confirmed = false;
    bool storeDefaults = false;
};

struct Page {
    Sheet* sheet;
    int index;
};

// The sheet being opened, for its callback, which gets no data of its own.
Sheet* gOpening = nullptr;

void SetNumber(HWND page, int id, const std::string& text) { SetItemText(page, id, text); }

void DisableAll(HWND page) {
    for (HWND c = GetWindow(page, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) EnableWindow(c, FALSE);
}

void FillAddresses(HWND page, const Mission& m, const MissionSheetSetup& s) {
    // Lists of any length: the edit control's own limit would cut a paste.
    for (int id : {kUrls, kInclude, kExclude}) SendDlgItemMessageW(page, id, EM_SETLIMITTEXT, 0, 0);
    SetNumber(page, kLevelsInternal, std::to_string(m.levelsInternal));
    SetNumber(page, kLevelsExternal, std::to_string(m.levelsExternal));
    // The defaults hold no lists and no folder: their fields stay empty.
    if (s.defaults) return;
    SetItemText(page, kUrls, fields::ListText(m.urls));
    SetItemText(page, kInclude, fields::ListText(m.includeUrls));
    SetItemText(page, kExclude, fields::ListText(m.excludeUrls));
    SetItemText(page, kPath, fields::OutputPathShown(m.outputPath, s.currentFolder).view());
}

void ReadAddresses(HWND page, Mission& m, const MissionSheetSetup& s) {
    m.levelsInternal = fields::ReadLevel(ItemText(page, kLevelsInternal));
    m.levelsExternal = fields::ReadLevel(ItemText(page, kLevelsExternal));
    if (s.defaults) return;
    fields::ReadList(ItemText(page, kUrls), m.urls);
    fields::ReadList(ItemText(page, kInclude), m.includeUrls);
    fields::ReadList(ItemText(page, kExclude), m.excludeUrls);
    m.outputPath = fields::ReadOutputPath(ItemText(page, kPath), m.outputPath, s.currentFolder);
}

void FillFiles(HWND page, const Mission& m, const MissionSheetSetup& s) {
    SetNumber(page, kMaxNumFiles, fields::LimitShown(m.maxNumFiles));
    SetNumber(page, kMaxSizeFiles, fields::LimitShown(m.maxSizeFiles));
    SetNumber(page, kMaxNumThread, fields::ThreadsShown(m.maxNumThread));
    SetNumber(page, kTimeMaxWait, fields::WaitShown(m.timeMaxWait));
    SetChecked(page, kAllowPicture, m.allowPicture);
    SetChecked(page, kAllowSound, m.allowSound);
    SetChecked(page, kAllowVideo, m.allowVideo);
    SetChecked(page, kAllowDownload, m.allowDownload);
    SetChecked(page, kStubs, m.stubs != 0);
    SetChecked(page, kAllowOutPicture, m.allowOutPicture);
    SetChecked(page, kOnlyInDirectory, m.onlyInDirectory);
    CheckRadioButton(page, fields::kFirstCodeButton, fields::kLastCodeButton, fields::CodeButtonFor(m.codePref));
    if (!s.defaults) {
        SetItemText(page, kUser, m.user.view());
        SetItemText(page, kPassword, m.password.view());
        SetChecked(page, kSaveCredentials, m.saveCredentials);
    }
    SetChecked(page, kHtmlFirst, m.htmlFirst != 0);
    SetChecked(page, kAlsoDefaults, false);
}

void ReadFiles(HWND page, Mission& m, const MissionSheetSetup& s) {
    m.maxNumFiles = fields::ReadLimit(ItemText(page, kMaxNumFiles));
    m.maxSizeFiles = fields::ReadLimit(ItemText(page, kMaxSizeFiles));
    m.maxNumThread = fields::ReadThreads(ItemText(page, kMaxNumThread));
    m.timeMaxWait = fields::ReadWait(ItemText(page, kTimeMaxWait));
    m.allowPicture = Checked(page, kAllowPicture);
    m.allowSound = Checked(page, kAllowSound);
    m.allowVideo = Checked(page, kAllowVideo);
    m.allowDownload = Checked(page, kAllowDownload);
    m.stubs = Checked(page, kStubs) ? 1 : 0;
    m.allowOutPicture = Checked(page, kAllowOutPicture);
    m.onlyInDirectory = Checked(page, kOnlyInDirectory);
    int ticked = 0;
    for (int id = fields::kFirstCodeButton; id <= fields::kLastCodeButton; ++id)
        if (Checked(page, id)) ticked = id;
    m.codePref = fields::CodePrefFor(ticked);
    m.htmlFirst = Checked(page, kHtmlFirst) ? 1 : 0;
    if (s.defaults) return;
    m.user = ItemAStr(page, kUser);
    m.password = ItemAStr(page, kPassword);
    m.saveCredentials = Checked(page, kSaveCredentials);
}

void InitPage(HWND page, const Page& p) {
    const Sheet& sh = *p.sheet;
    const MissionSheetSetup& s = *sh.setup;
    if (p.index == 0) {
        FillAddresses(page, *sh.mission, s);
        if (s.defaults)
            for (int id : kNotForDefaults100) EnableItem(page, id, false);
    } else {
        FillFiles(page, *sh.mission, s);
        if (s.defaults)
            for (int id : kNotForDefaults101) EnableItem(page, id, false);
        if (!s.settings) EnableItem(page, kAlsoDefaults, false);
    }
    if (s.jobRunning) {
        DisableAll(page);
        EnableItem(GetParent(page), IDOK, false);
    }
}

void Browse(HWND page, const MissionSheetSetup& s) {
    AStr start = ItemAStr(page, kPath);
    if (start.empty()) start = s.defaultFolder;
    AStr chosen = s.chooseFolder ? s.chooseFolder(GetParent(page), start) : ChooseFolder(GetParent(page), start);
    if (!chosen.empty()) SetItemText(page, kPath, chosen.view());
}

INT_PTR CALLBACK PageProcedure(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* psp = reinterpret_cast<PROPSHEETPAGEW*>(lParam);
        SetWindowLongPtrW(page, DWLP_USER, psp->lParam);
        InitPage(page, *reinterpret_cast<Page*>(psp->lParam));
        return TRUE;
    }
    auto* p = reinterpret_cast<Page*>(GetWindowLongPtrW(page, DWLP_USER));
    if (!p) return FALSE;
    Sheet& sh = *p->sheet;
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == kBrowse && HIWORD(wParam) == BN_CLICKED) {
            Browse(page, *sh.setup);
            return TRUE;
        }
        return FALSE;
    case WM_NOTIFY: {
        const auto* h = reinterpret_cast<const NMHDR*>(lParam);
        switch (h->code) {
        case PSN_SETACTIVE:
            gLastPage = p->index;
            SetWindowLongPtrW(page, DWLP_MSGRESULT, 0);
            return TRUE;
        case PSN_APPLY:
            // Nothing changes while a job runs, whatever reached the sheet.
            if (!sh.setup->jobRunning) {
                if (p->index == 0) {
                    ReadAddresses(page, *sh.mission, *sh.setup);
                } else {
                    ReadFiles(page, *sh.mission, *sh.setup);
                    sh.storeDefaults = !sh.setup->defaults && Checked(page, kAlsoDefaults);
                }
                sh.confirmed = true;
            }
            SetWindowLongPtrW(page, DWLP_MSGRESULT, PSNRET_NOERROR);
            return TRUE;
        case PSN_HELP:
            (void)ShowHelp(GetParent(page), sh.setup->helpContext);
            return TRUE;
        default:
            return FALSE;
        }
    }
    default:
        return FALSE;
    }
}

int CALLBACK SheetCallback(HWND sheet, UINT message, LPARAM) {
    if (message != PSCB_INITIALIZED || !sheet) return 0;
    const LangWithError& lang = ProgramLanguage();
    // The sheet's own buttons speak the language of the pages.
    for (auto [id, text] : {std::pair{IDOK, MissionSheet::kOkText}, std::pair{IDCANCEL, MissionSheet::kCancelText},
                            std::pair{IDHELP, MissionSheet::kHelpText}}) {
        AStr t = lang.text(text);
        if (!t.empty()) SetItemText(sheet, id, t.view());
    }
    if (gOpening && gOpening->setup->jobRunning) EnableItem(sheet, IDOK, false);
    return 0;
}

}  // namespace

int MissionSheet::lastPage() { return gLastPage; }

int MissionSheet::edit(HWND owner, Mission& mission, const MissionSheetSetup& setup) {
    const LangWithError& lang = ProgramLanguage();
    std::string_view templates[2] = {lang.dialog(kPages[0]), lang.dialog(kPages[1])};
    if (templates[0].empty() || templates[1].empty()) return -1;

    Sheet sheet{&mission, &setup};
    Page pages[2] = {{&sheet, 0}, {&sheet, 1}};
    const bool help = HelpInstalled();
    PROPSHEETPAGEW psp[2] = {};
    for (int i = 0; i < 2; ++i) {
        psp[i].dwSize = sizeof psp[i];
        psp[i].dwFlags = PSP_DLGINDIRECT | (help ? PSP_HASHELP : 0);
        psp[i].hInstance = GetModuleHandleW(nullptr);
        psp[i].pResource = reinterpret_cast<LPCDLGTEMPLATEW>(templates[i].data());
        psp[i].pfnDlgProc = PageProcedure;
        psp[i].lParam = reinterpret_cast<LPARAM>(&pages[i]);
    }
    std::wstring caption = platform::WideText(lang.text(setup.defaults ? kDefaultsCaption : kCaption).view());
    int first = setup.firstPage >= 0 && setup.firstPage < 2 ? setup.firstPage : gLastPage;
    PROPSHEETHEADERW h = {};
    h.dwSize = sizeof h;
    // The Help button is always there; a page without help leaves it disabled.
    h.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | PSH_USECALLBACK | PSH_HASHELP;
    h.hwndParent = owner;
    h.hInstance = GetModuleHandleW(nullptr);
    h.pszCaption = caption.c_str();
    h.nPages = 2;
    h.nStartPage = static_cast<UINT>(first);
    h.ppsp = psp;
    h.pfnCallback = SheetCallback;
    Sheet* outer = gOpening;
    gOpening = &sheet;
    INT_PTR r = PropertySheetW(&h);
    gOpening = outer;
    if (r < 0) return -1;
    if (!sheet.confirmed) return 0;
    if ((sheet.storeDefaults || setup.defaults) && setup.settings) {
        // One write of the file: the defaults land whole or not at all.
        setup.settings->beginWrites();
        mission.writeDefaults(*setup.settings);
        (void)setup.settings->endWrites();
    }
    return 1;
}
