#pragma once
// The dial-up dialog (modeless dialog 200): how the program gets its
// connection, the phone-book entry with the platform's new-entry and
// edit-entry dialogs, the time limit, hang-up, user name and password, the
// entry's own list of phone numbers, and the two connection buttons that
// send the main window its dial and hang-up commands. While it is open it
// is the application's modeless dialog, so that its keys work.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "batch/DialUp.h"
#include "ui/win32/ZDialog.h"

class ApplicationProfile;

class DialDialog final : public ZDialog {
public:
    static constexpr int kTemplate = 200, kHelpContext = 200;
    static constexpr int kNoDialUp = 100, kWaitForConnection = 101, kDialEntry = 102;
    static constexpr int kEntryLabel = 110, kEntries = 111, kNewEntry = 112, kEditEntry = 113;
    static constexpr int kTimeLimitLabel = 115, kTimeLimit = 116, kHangUp = 117;
    static constexpr int kUserLabel = 118, kUser = 119, kPasswordLabel = 120, kPassword = 121, kSavePassword = 122;
    static constexpr int kDial = 123, kHangUpNow = 124, kConnectionGroup = 125, kApply = 127, kNoRasReason = 128;
    static constexpr int kUsePhoneList = 140, kPhones = 141, kEditPhone = 142, kAddPhone = 143, kDeletePhone = 144;
    static constexpr int kPhoneUp = 145, kPhoneDown = 146;
    static constexpr UINT kCommandDial = 3310, kCommandHangUp = 3309;
    static constexpr int kTextEmptyNumber = 22151, kTextAddTitle = 22152, kTextEditTitle = 22153;
    static constexpr int kTextNumberPrompt = 22154;
    static constexpr int kTextBadTimeLimit = 22403;
    static constexpr size_t kMostCredentialChars = 256;

    // settings: the file of the entries' sections; commands: the main
    // window, which gets the connection buttons' commands.
    DialDialog(DialUp& dialUp, ApplicationProfile& settings, HWND commands);

    // Opens the dialog over owner, or brings it forward when it is open.
    bool open(HWND owner);
    // Called when the dialog's window opens and when it is gone.
    std::function<void(HWND dialog)> opened, closed;
    // A phone number asked with the title's text: the input dialog 1000.
    std::function<bool(HWND owner, AStr& number, int titleText)> askNumber;
    // A message; a message box by default.
    std::function<void(HWND owner, const AStr& text, const AStr& caption)> tell;

    // The entries as listed, the one selected ("" when none).
    AStr selectedEntry() const;
    const StrList& phoneList() const { return phones_; }

private:
    bool onInit() override;
    bool onCommand(UINT id, UINT code) override;
    void onDestroyed() override;

    int usage() const;
    void enableControls();
    void fillEntries(const AStr& select);
    std::vector<std::string> listEntries();
    void entryChosen();
    void showPhones(int select);
    int selectedPhone() const;
    void phonesChanged(int select);
    void editPhone();
    void addPhone();
    void newEntry();
    void editEntry();
    // The dialog's values into the dial-up object and the entry's section;
    // false (the dialog stays) when the time limit is not a number of minutes.
    bool apply();

    DialUp& dialUp_;
    ApplicationProfile& settings_;
    HWND commands_;
    AStr entry_;  // the entry whose phone list is shown
    StrList phones_;
};
