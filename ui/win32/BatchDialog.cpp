#include "ui/win32/BatchDialog.h"

#include <commdlg.h>

#include <string>

#include "app/Lang.h"
#include "batch/BatchListText.h"
#include "platform/Text.h"
#include "ui/win32/DateDialog.h"
#include "ui/win32/MessageBoxes.h"

namespace {
constexpr int kProgramTitle = 22064;

// The filter of text 25001, "|" standing for the zero bytes.
std::wstring Filter() {
    std::string f = ProgramLanguage().text(BatchDialog::kFilterText).c_str();
    if (f.empty()) f = "*.zbp|*.zbp|";
    if (f.back() != '|') f += '|';
    std::wstring w = platform::WideText(f);
    for (wchar_t& c : w)
        if (c == L'|') c = L'\0';
    w += L'\0';
    return w;
}

AStr FolderOf(const AStr& path) {
    size_t cut = path.view().find_last_of("\\/");
    return cut == std::string_view::npos ? AStr() : path.left(cut);
}

std::wstring LocaleText(LCTYPE what, const wchar_t* fallback) {
    wchar_t t[16] = {};
    if (!GetLocaleInfoW(LOCALE_USER_DEFAULT, what, t, 16) || !t[0]) return fallback;
    return t;
}
}  // namespace

std::vector<AStr> ChooseProjectFiles(HWND owner, const AStr& folder) {
    std::wstring filter = Filter();
    std::wstring initial = platform::WideText(folder);
    // Room for many names: the folder, then each name, ended by two zeros.
    std::vector<wchar_t> buffer(65536, L'\0');
    OPENFILENAMEW o = {};
    o.lStructSize = sizeof o;
    o.hwndOwner = owner;
    o.lpstrFilter = filter.c_str();
    o.nFilterIndex = 1;
    o.lpstrFile = buffer.data();
    o.nMaxFile = static_cast<DWORD>(buffer.size());
    o.lpstrInitialDir = initial.empty() ? nullptr : initial.c_str();
    o.lpstrDefExt = L"zbp";
    o.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST |
              OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&o)) {
        DWORD error = CommDlgExtendedError();
        if (error != 0) {
            const LangWithError& lang = ProgramLanguage();
            ShowBox(owner, lang.fileDialogErrorText(static_cast<int>(error)), lang.text(kProgramTitle),
                    MB_OK | MB_ICONERROR);
        }
        return {};
    }
    return ChosenFiles(buffer.data());
}

std::vector<AStr> ChosenFiles(const wchar_t* chosen) {
    // One file: its full path. Several: the folder, then the names.
    std::vector<AStr> files;
    const wchar_t* p = chosen;
    std::wstring first = p;
    if (first.empty()) return files;
    p += first.size() + 1;
    if (!*p) {
        files.push_back(AStr(platform::NarrowText(first)));
        return files;
    }
    if (first.back() != L'\\') first += L'\\';
    while (*p) {
        std::wstring name = p;
        p += name.size() + 1;
        files.push_back(AStr(platform::NarrowText(first + name)));
    }
    return files;
}

BatchDialog::BatchDialog(Batch& batch, const AStr& project)
    : ZDialog(kTemplate, kHelpContext),
      batch_(batch),
      project_(project),
      dateFormat_(localeDateFormat()),
      timeFormat_(localeTimeFormat()) {
    chooseFiles = ChooseProjectFiles;
    pickDate = [](HWND owner, POINT at, platform::LocalDateTime& date) {
        DateDialog d(date, at);
        if (d.runModal(owner) != IDOK) return false;
        date = d.date();
        return true;
    };
    tell = [](HWND owner, const AStr& text) {
        ShowBox(owner, text, ProgramLanguage().text(kProgramTitle), MB_OK | MB_ICONWARNING);
    };
}

DateTextFormat BatchDialog::localeDateFormat() {
    DateTextFormat f;
    std::wstring order = LocaleText(LOCALE_IDATE, L"0");
    f.order = order == L"1" ? DateTextFormat::kDayMonthYear
            : order == L"2" ? DateTextFormat::kYearMonthDay : DateTextFormat::kMonthDayYear;
    f.separator = AStr(platform::NarrowText(LocaleText(LOCALE_SDATE, L"/")));
    return f;
}

TimeTextFormat BatchDialog::localeTimeFormat() {
    TimeTextFormat f;
    f.separator = AStr(platform::NarrowText(LocaleText(LOCALE_STIME, L":")));
    return f;
}

bool BatchDialog::onInit() {
    // However long the list is, it is shown and typed whole.
    SendMessageW(item(kList), EM_LIMITTEXT, 0, 0);
    setItemText(kList, JoinBatchList(batch_));
    setChecked(kExitOnEnd, batch_.exitOnEndBatch);
    setChecked(kUseStartTime, batch_.useStartTime);
    setItemText(kDate, FormatStartDate(batch_.startTime, dateFormat_));
    setItemText(kTime, FormatStartTime(batch_.startTime, timeFormat_));
    enable(kAddProject, !project_.empty());
    enableStartTime();
    return true;
}

void BatchDialog::enableStartTime() {
    const bool on = checked(kUseStartTime);
    for (int id : {kTime, kDate, kPickDate}) enable(id, on);
}

bool BatchDialog::onCommand(UINT id, UINT code) {
    if (code != BN_CLICKED) return false;
    switch (id) {
    case kUseStartTime:
        enableStartTime();
        return true;
    case kAddFiles:
        addFiles();
        return true;
    case kAddProject:
        if (!project_.empty()) appendLines({project_});
        return true;
    case kPickDate:
        pickDateBelowButton();
        return true;
    case IDOK:
    case kStart:
        if (takeValues()) end(static_cast<INT_PTR>(id));
        return true;
    default:
        return false;
    }
}

void BatchDialog::addFiles() {
    std::vector<AStr> files = chooseFiles(hwnd(), FolderOf(project_));
    if (!files.empty()) appendLines(files);
}

void BatchDialog::appendLines(const std::vector<AStr>& lines) {
    AStr text = itemText(kList);
    if (!text.empty() && text.back() != '\n') text += "\r\n";
    for (const AStr& l : lines) {
        text += l;
        text += "\r\n";
    }
    setItemText(kList, text);
}

void BatchDialog::pickDateBelowButton() {
    platform::LocalDateTime date = batch_.startTime;
    // From what is typed when that is a date.
    (void)ParseStartDate(itemText(kDate).view(), dateFormat_, date);
    RECT r;
    GetWindowRect(item(kPickDate), &r);
    if (!pickDate(hwnd(), {r.left, r.bottom}, date)) return;
    setItemText(kDate, FormatStartDate(date, dateFormat_));
}

void BatchDialog::refuse(int field, const AStr& text) {
    tell(hwnd(), text);
    // Both fields are checked even while the start time is not used: one
    // that is wrong (a stored date of the 31st of February) must be open
    // to correction, or only cancel would close the dialog.
    if (field == kDate || field == kTime)
        for (int id : {kTime, kDate, kPickDate}) enable(id, true);
    focus(field);
}

bool BatchDialog::takeValues() {
    const LangWithError& lang = ProgramLanguage();
    platform::LocalDateTime when = batch_.startTime;
    if (!ParseStartDate(itemText(kDate).view(), dateFormat_, when)) {
        refuse(kDate, lang.text(kTextBadDate));
        return false;
    }
    if (!ParseStartTime(itemText(kTime).view(), timeFormat_, when)) {
        refuse(kTime, lang.text(kTextBadTime));
        return false;
    }
    StrList list;
    if (size_t line = SplitBatchList(itemText(kList).view(), list)) {
        refuse(kList, lang.format(kTextLongLine, static_cast<unsigned>(line), static_cast<unsigned>(kMaxBatchLine)));
        return false;
    }
    static_cast<StrList&>(batch_) = list;
    batch_.exitOnEndBatch = checked(kExitOnEnd);
    batch_.useStartTime = checked(kUseStartTime);
    batch_.startTime = when;
    return true;
}
