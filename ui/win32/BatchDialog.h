#pragma once
// The batch dialog (dialog 300): the project files one a line, exit at the
// end of the batch, the start time with its calendar, adding files and the
// current project, and the start button. It edits a copy of the batch;
// the caller puts the copy back when the dialog ends with OK or start.

#include <windows.h>

#include <functional>
#include <vector>

#include "batch/Batch.h"
#include "batch/StartTimeText.h"
#include "ui/win32/ZDialog.h"

class BatchDialog final : public ZDialog {
public:
    static constexpr int kTemplate = 300, kHelpContext = 300;
    static constexpr int kAddFiles = 100, kList = 101, kExitOnEnd = 102, kStart = 103, kUseStartTime = 104;
    static constexpr int kTime = 105, kDate = 106, kAddProject = 107, kPickDate = 108;
    static constexpr int kFilterText = 25001;
    // Messages: the date, the time, a line too long (with its number).
    static constexpr int kTextBadDate = 22400, kTextBadTime = 22401, kTextLongLine = 22402;

    // batch: the copy to edit; project: the main window's current project
    // file ("" when it has none).
    BatchDialog(Batch& batch, const AStr& project);

    // The files chosen to add (several at once), starting in folder; none
    // when canceled. The common file dialog by default.
    std::function<std::vector<AStr>(HWND owner, const AStr& folder)> chooseFiles;
    // The calendar below the date button: true with date set when chosen.
    std::function<bool(HWND owner, POINT at, platform::LocalDateTime& date)> pickDate;
    // A message of the dialog (a field that keeps it open); a message box
    // by default.
    std::function<void(HWND owner, const AStr& text)> tell;

    // The locale's short-date order and separator and its time separator.
    static DateTextFormat localeDateFormat();
    static TimeTextFormat localeTimeFormat();

private:
    bool onInit() override;
    bool onCommand(UINT id, UINT code) override;
    void enableStartTime();
    void addFiles();
    void appendLines(const std::vector<AStr>& lines);
    void pickDateBelowButton();
    // The dialog's values into the batch; false (the dialog stays) when a
    // field is not valid.
    bool takeValues();
    // Tells why the dialog stays open and puts the focus into the field.
    void refuse(int field, const AStr& text);

    Batch& batch_;
    AStr project_;
    DateTextFormat dateFormat_;
    TimeTextFormat timeFormat_;
};

// The multi-select open dialog for project files (filter 25001, ".zbp").
// A dialog that fails says so in a message box with the library's text
// for its error.
std::vector<AStr> ChooseProjectFiles(HWND owner, const AStr& folder);
// The files of the dialog's answer: one full path, or the folder and then
// each name, each ended by a zero, the whole by two.
std::vector<AStr> ChosenFiles(const wchar_t* chosen);
