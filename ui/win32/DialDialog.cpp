#include "ui/win32/DialDialog.h"

#include <algorithm>

#include "app/ApplicationProfile.h"
#include "app/Lang.h"
#include "batch/PhoneList.h"
#include "batch/TimeLimitText.h"
#include "platform/Text.h"
#include "ui/win32/InputDialog.h"
#include "ui/win32/MessageBoxes.h"

namespace {
constexpr int kProgramTitle = 22064;
constexpr int kWindowIcon = 2;
}  // namespace

DialDialog::DialDialog(DialUp& dialUp, ApplicationProfile& settings, HWND commands)
    : ZDialog(kTemplate, kHelpContext), dialUp_(dialUp), settings_(settings), commands_(commands) {
    askNumber = [](HWND owner, AStr& number, int titleText) {
        const LangWithError& lang = ProgramLanguage();
        return InputDialog::ask(owner, number, lang.text(titleText), lang.text(kTextNumberPrompt));
    };
    tell = [](HWND owner, const AStr& text, const AStr& caption) {
        ShowBox(owner, text, caption, MB_OK | MB_ICONWARNING);
    };
}

bool DialDialog::open(HWND owner) {
    if (hwnd()) {
        SetForegroundWindow(hwnd());
        return true;
    }
    if (!createModeless(owner)) return false;
    if (opened) opened(hwnd());
    return true;
}

void DialDialog::onDestroyed() {
    if (closed) closed(nullptr);
}

int DialDialog::usage() const {
    if (checked(kDialEntry)) return DialUp::kDialEntry;
    if (checked(kWaitForConnection)) return DialUp::kWaitForConnection;
    return DialUp::kNoDialUp;
}

bool DialDialog::onInit() {
    if (HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kWindowIcon))) {
        SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }
    const int radio = dialUp_.usage == DialUp::kDialEntry         ? kDialEntry
                    : dialUp_.usage == DialUp::kWaitForConnection ? kWaitForConnection
                                                                  : kNoDialUp;
    CheckRadioButton(hwnd(), kNoDialUp, kDialEntry, radio);
    setItemText(kTimeLimit, TimeLimitMinutes(dialUp_.timeLimit));
    setChecked(kHangUp, dialUp_.hangUpWhenDone);
    SendMessageW(item(kUser), EM_LIMITTEXT, kMostCredentialChars, 0);
    SendMessageW(item(kPassword), EM_LIMITTEXT, kMostCredentialChars, 0);
    SendMessageW(item(kTimeLimit), EM_LIMITTEXT, 10, 0);
    setChecked(kSavePassword, dialUp_.savePassword);
    // Without the platform's service there are no entries to make or edit:
    // the reason stands where the buttons are.
    const platform::RasFunctions& ras = dialUp_.ras();
    ShowWindow(item(kNoRasReason), ras.createPhonebookEntry && ras.editPhonebookEntry ? SW_HIDE : SW_SHOW);
    fillEntries(AStr(dialUp_.dialParams.entryName));
    // The stored entry's list is the one in use.
    if (selectedEntry() == AStr(dialUp_.dialParams.entryName)) {
        phones_ = dialUp_.phoneList;
        setChecked(kUsePhoneList, dialUp_.usePhoneList);
        setItemText(kUser, dialUp_.userName);
        setItemText(kPassword, dialUp_.password);
        showPhones(phones_.empty() ? -1 : 0);
    }
    enableControls();
    return true;
}

std::vector<std::string> DialDialog::listEntries() {
    std::vector<std::string> entries;
    const platform::RasFunctions& ras = dialUp_.ras();
    if (!ras.enumEntries) return entries;
    uint32_t r = ras.enumEntries(entries);
    // A phone book that cannot be opened is an empty one.
    if (r != 0) {
        if (r != platform::kRasCannotOpenPhonebook) tell(hwnd(), ProgramLanguage().errorText(static_cast<int>(r)), "Error");
        entries.clear();
    }
    return entries;
}

void DialDialog::fillEntries(const AStr& select) {
    HWND list = item(kEntries);
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    std::vector<std::string> entries = listEntries();
    for (const std::string& e : entries)
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(platform::WideText(e).c_str()));
    // The list sorts them: the stored entry is looked for, else the first.
    LRESULT chosen = select.empty() ? CB_ERR
                                    : SendMessageW(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                   reinterpret_cast<LPARAM>(platform::WideText(select).c_str()));
    if (chosen == CB_ERR) chosen = entries.empty() ? -1 : 0;
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
    entryChosen();
}

AStr DialDialog::selectedEntry() const {
    HWND list = item(kEntries);
    LRESULT i = SendMessageW(list, CB_GETCURSEL, 0, 0);
    if (i == CB_ERR) return AStr();
    LRESULT n = SendMessageW(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
    if (n <= 0) return AStr();
    std::wstring w(static_cast<size_t>(n) + 1, L'\0');
    n = SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(w.data()));
    w.resize(static_cast<size_t>(n > 0 ? n : 0));
    return AStr(platform::NarrowText(w));
}

void DialDialog::entryChosen() {
    AStr entry = selectedEntry();
    if (entry == entry_ && !entry.empty()) return;
    entry_ = entry;
    if (entry_.empty()) {
        phones_.clear();
        setChecked(kUsePhoneList, false);
    } else {
        DialEntrySettings e = ReadDialEntry(settings_, entry_);
        phones_ = e.phoneList;
        setChecked(kUsePhoneList, e.usePhoneList);
        setItemText(kUser, e.userName);
        setItemText(kPassword, e.password);
    }
    showPhones(phones_.empty() ? -1 : 0);
}

void DialDialog::showPhones(int select) {
    HWND list = item(kPhones);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    const AStr empty = ProgramLanguage().text(kTextEmptyNumber);
    for (StrNode* n = phones_.first(); n; n = static_cast<StrNode*>(n->next())) {
        std::wstring shown = platform::WideText(n->str.empty() ? empty : n->str);
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown.c_str()));
    }
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(select), 0);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

int DialDialog::selectedPhone() const {
    LRESULT i = SendMessageW(item(kPhones), LB_GETCURSEL, 0, 0);
    return i == LB_ERR ? -1 : static_cast<int>(i);
}

void DialDialog::phonesChanged(int select) {
    showPhones(select);
    if (!entry_.empty()) (void)WritePhoneList(settings_, entry_, phones_, checked(kUsePhoneList));
    enableControls();
}

void DialDialog::enableControls() {
    const bool entry = usage() == DialUp::kDialEntry;
    const bool chosen = entry && !selectedEntry().empty();
    const platform::RasFunctions& ras = dialUp_.ras();
    for (int id : {kEntryLabel, kEntries}) enable(id, entry);
    enable(kNewEntry, entry && ras.createPhonebookEntry != nullptr);
    for (int id = kEditEntry; id <= kConnectionGroup; ++id) enable(id, chosen);
    enable(kEditEntry, chosen && ras.editPhonebookEntry != nullptr);
    enable(kUsePhoneList, chosen);
    const bool phones = chosen && checked(kUsePhoneList);
    const int sel = selectedPhone();
    const int count = static_cast<int>(phones_.count());
    enable(kPhones, phones);
    enable(kAddPhone, phones);
    for (int id : {kEditPhone, kDeletePhone}) enable(id, phones && sel >= 0);
    enable(kPhoneUp, phones && sel > 0);
    enable(kPhoneDown, phones && sel >= 0 && sel + 1 < count);
}

void DialDialog::editPhone() {
    int sel = selectedPhone();
    if (sel < 0 || !checked(kUsePhoneList)) return;
    AStr number = phones_[static_cast<size_t>(sel)];
    if (!askNumber(hwnd(), number, kTextEditTitle)) return;
    phonesChanged(phonelist::edit(phones_, sel, number));
}

void DialDialog::addPhone() {
    if (!checked(kUsePhoneList)) return;
    AStr number;
    if (!askNumber(hwnd(), number, kTextAddTitle)) return;
    phonesChanged(phonelist::add(phones_, selectedPhone(), number));
}

void DialDialog::newEntry() {
    const platform::RasFunctions& ras = dialUp_.ras();
    if (!ras.createPhonebookEntry) return;
    std::vector<std::string> before = listEntries();
    (void)ras.createPhonebookEntry(hwnd());
    // The entry just made is the first one not listed before.
    std::vector<std::string> after = listEntries();
    AStr made = selectedEntry();
    for (const std::string& e : after)
        if (std::find(before.begin(), before.end(), e) == before.end()) {
            made = AStr(e);
            break;
        }
    fillEntries(made);
    enableControls();
}

void DialDialog::editEntry() {
    const platform::RasFunctions& ras = dialUp_.ras();
    AStr entry = selectedEntry();
    if (!ras.editPhonebookEntry || entry.empty()) return;
    (void)ras.editPhonebookEntry(hwnd(), std::string(entry.view()));
}

bool DialDialog::apply() {
    uint32_t limit = 0;
    if (!ParseTimeLimitMinutes(itemText(kTimeLimit).view(), limit)) {
        tell(hwnd(), ProgramLanguage().format(kTextBadTimeLimit, static_cast<unsigned>(kMaxTimeLimitMinutes)),
             ProgramLanguage().text(kProgramTitle));
        focus(kTimeLimit);
        return false;
    }
    AStr entry = selectedEntry();
    AStr user = itemText(kUser), password = itemText(kPassword);
    user.truncate(kMostCredentialChars);
    password.truncate(kMostCredentialChars);
    dialUp_.usage = static_cast<uint16_t>(usage());
    dialUp_.hangUpWhenDone = checked(kHangUp);
    dialUp_.timeLimit = limit;
    // Another entry's numbers start from its first.
    if (std::string(entry.view()) != dialUp_.dialParams.entryName) dialUp_.nextPhone = 0;
    dialUp_.dialParams.entryName = std::string(entry.view());
    dialUp_.phoneList = phones_;
    dialUp_.usePhoneList = checked(kUsePhoneList);
    dialUp_.userName = user;
    dialUp_.password = password;
    dialUp_.savePassword = checked(kSavePassword);
    if (!entry.empty()) (void)WriteDialCredentials(settings_, entry, user, password, dialUp_.savePassword);
    return true;
}

bool DialDialog::onCommand(UINT id, UINT code) {
    switch (id) {
    case kNoDialUp:
    case kWaitForConnection:
    case kDialEntry:
    case kUsePhoneList:
        if (code != BN_CLICKED) return true;
        if (id == kUsePhoneList && !entry_.empty())
            (void)WritePhoneList(settings_, entry_, phones_, checked(kUsePhoneList));
        enableControls();
        return true;
    case kEntries:
        if (code == CBN_SELCHANGE) {
            entryChosen();
            enableControls();
        }
        return true;
    case kPhones:
        if (code == LBN_SELCHANGE) enableControls();
        if (code == LBN_DBLCLK) editPhone();
        return true;
    default:
        break;
    }
    if (code != BN_CLICKED) return false;
    switch (id) {
    case kNewEntry:
        newEntry();
        return true;
    case kEditEntry:
        editEntry();
        return true;
    case kEditPhone:
        editPhone();
        return true;
    case kAddPhone:
        addPhone();
        return true;
    case kDeletePhone:
        if (selectedPhone() >= 0) phonesChanged(phonelist::remove(phones_, selectedPhone()));
        return true;
    case kPhoneUp:
    case kPhoneDown:
        if (selectedPhone() >= 0) phonesChanged(phonelist::move(phones_, selectedPhone(), id == kPhoneUp ? -1 : 1));
        return true;
    case kDial:
    case kHangUpNow:
        if (usage() == DialUp::kDialEntry && commands_)
            PostMessageW(commands_, WM_COMMAND, id == kDial ? kCommandDial : kCommandHangUp, 0);
        return true;
    case kApply:
        (void)apply();
        return true;
    case IDOK:
        if (apply()) end(IDOK);
        return true;
    default:
        return false;
    }
}
