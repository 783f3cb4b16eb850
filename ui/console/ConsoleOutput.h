#pragma once
// What the terminal front-end prints: the message pane's lines on stderr,
// converted from the language's code page to UTF-8, and one status line:
// on a terminal a progress bar redrawn in place (files done of those
// known, bytes, rate, time left when the bytes still to come are known),
// otherwise the counts and the rate printed every few seconds.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "app/Lang.h"
#include "app/ZBraskLibrary.h"

struct JobStatus {
    uint32_t received = 0;
    uint32_t queued = 0;
    uint32_t active = 0;
    uint32_t failed = 0;
    double bytesPerSecond = 0;
    uint64_t bytes = 0;        // received in this job
    int64_t bytesLeft = -1;    // still to come when known: nothing queued, every length known
    std::string waitingUntil;  // a batch's start time not reached yet: shown instead of the counts
};

// Texts of the terminal program in the language's catalogue.
enum ConsoleText {
    kTextUsage = 23000,
    kTextUsageOptions = 23048,      // the usage goes on with these two
    kTextUsageMoreOptions = 23049,
    kTextNoProjectFile = 23001,
    kTextStatus = 23002,
    kTextStatusFailed = 23003,
    kTextWaitingForStart = 23004,
    kTextRateBytes = 23005,
    kTextRateKilobytes = 23006,
    kTextRateMegabytes = 23007,
    kTextNotStored = 23010,
    kTextMoreNotStored = 23011,
    kTextRefused = 23012,
    kTextNoBody = 23013,
    kTextUnaskedPart = 23014,
    kTextSizeLimit = 23015,
    kTextCannotWrite = 23016,
    kTextServerAnswered = 23017,
    kTextErrorNumber = 23018,
    kTextStoredCopy = 23020,
    kTextStartPage = 23021,
    kTextProject = 23022,
    kTextContinueWith = 23023,
    kTextRefreshWith = 23024,
    kTextProjectNotSaved = 23025,
    kTextProjectNotSavedNoReason = 23026,
    kTextContinuingJob = 23027,
    kTextMissingBefore = 23028,
    kTextFailedBefore = 23029,
    kTextFolderTaken = 23047,
    kTextProgress = 23051,
    kTextTimeLeft = 23052,
    kTextSizeBytes = 23053,
    kTextSizeKilobytes = 23054,
    kTextSizeMegabytes = 23055,
    kTextSizeGigabytes = 23056,
};

// In the language's code page: "12 received, 30 queued, 3 active, 45.3
// KB/s" (and ", 2 failed"), or "Waiting for the start time 2026-12-08
// 03:00", in the words of lang.
std::string FormatStatus(const JobStatus& s, const Lang& lang);
// A rate in B/s, KB/s or MB/s (1024-based), one decimal past bytes.
std::string FormatRate(double bytesPerSecond, const Lang& lang);
// An amount in B, KB, MB or GB, likewise.
std::string FormatSize(uint64_t bytes, const Lang& lang);
// The progress bar's line, at most width characters of the code page:
// "[=====>       ]  40% 12 of 30 files, 1.2 MB, 45.3 KB/s, 0:12 left".
// A waiting batch shows its start time as FormatStatus does.
std::string FormatProgress(const JobStatus& s, const Lang& lang, size_t width);

// The message pane of the terminal: each new message of the program's
// history a line, a repeat of the last one not again.
class ConsoleOutput final : public MessagePane {
public:
    static constexpr uint32_t kPlainInterval = 5000;  // ms between status lines off a terminal
    static constexpr uint32_t kTerminalInterval = 250;  // ms between notes of a series on a terminal

    // out: where everything goes; terminal: whether it is one; the texts
    // come from lang, in codePage.
    ConsoleOutput(std::FILE* out, bool terminal, int codePage, const Lang& lang = ProgramLanguage())
        : out_(out), terminal_(terminal), codePage_(codePage), lang_(lang) {}

    // Quiet: no status line, no passing notes and no messages of the
    // program's history; lines (what failed) are still printed.
    void setQuiet(bool on) { quiet_ = on; }
    // The terminal's width in columns (0: not known, 80 is taken).
    void setWidth(size_t columns) { width_ = columns; }
    // A message in the language's code page, on a line of its own.
    void message(std::string_view text);
    void setMessages(const AStr& pane, const AStr& newest, bool repeat) override;
    // A text in the language's code page in the terminal's encoding.
    std::string fromCodePage(std::string_view text) const;
    // Catalogue text number in the terminal's encoding, used as a printf
    // format for arguments that are in that encoding already (URLs and
    // paths are not in the language's code page).
    std::string say(int number, ...) const;
    // A line of the program's own, already in the terminal's encoding.
    void line(std::string_view utf8);
    // The status line at tick now: on a terminal always (in place), else
    // at most every kPlainInterval ms, and only when it changed. The last
    // status of a run is printed whenever it changed.
    void status(const JobStatus& s, uint32_t now, bool last = false);
    // A passing text in the language's code page (the tree file read or
    // written, a page's links taken in): on a terminal in place of the
    // status line until the next status, elsewhere on a line of its own.
    // One of a series (progress) is shown at most every kTerminalInterval
    // ms on a terminal and kPlainInterval ms elsewhere. Empty: the passing
    // text is over (a terminal's line is cleared of it).
    void note(std::string_view text, uint32_t now, bool series = false);
    // Ends the status line so that what follows starts on a fresh line,
    // and lines printed after it come without the status line.
    void finish();

private:
    void clearStatus();

    std::FILE* out_;
    bool terminal_;
    size_t width_ = 0;
    int codePage_;
    const Lang& lang_;
    std::string shown_;      // the status text on screen (terminal) or last printed
    bool statusOnScreen_ = false;
    bool printedOnce_ = false;
    bool quiet_ = false;
    uint32_t lastPrinted_ = 0;
    bool seriesShown_ = false;
    bool noteShown_ = false;  // the text on the status line's place is a passing one
    uint32_t lastSeries_ = 0;
};
