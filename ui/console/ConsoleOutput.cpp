#include "ui/console/ConsoleOutput.h"

#include <cstdarg>

#include "platform/Clock.h"
#include "platform/CodePages.h"

std::string FormatRate(double bps, const Lang& lang) {
    if (bps < 1024) return lang.format(kTextRateBytes, bps).c_str();
    if (bps < 1024.0 * 1024) return lang.format(kTextRateKilobytes, bps / 1024).c_str();
    return lang.format(kTextRateMegabytes, bps / (1024.0 * 1024)).c_str();
}

std::string FormatSize(uint64_t n, const Lang& lang) {
    const double b = static_cast<double>(n);
    if (n < 1024) return lang.format(kTextSizeBytes, b).c_str();
    if (n < 1024 * 1024) return lang.format(kTextSizeKilobytes, b / 1024).c_str();
    if (n < 1024ull * 1024 * 1024) return lang.format(kTextSizeMegabytes, b / (1024.0 * 1024)).c_str();
    return lang.format(kTextSizeGigabytes, b / (1024.0 * 1024 * 1024)).c_str();
}

namespace {

// "0:07", "12:30", "1:02:03".
std::string FormatDuration(uint64_t seconds) {
    char t[32];
    const uint64_t h = seconds / 3600, m = seconds / 60 % 60, sec = seconds % 60;
    if (h) std::snprintf(t, sizeof t, "%llu:%02llu:%02llu", static_cast<unsigned long long>(h),
                         static_cast<unsigned long long>(m), static_cast<unsigned long long>(sec));
    else std::snprintf(t, sizeof t, "%llu:%02llu", static_cast<unsigned long long>(m),
                       static_cast<unsigned long long>(sec));
    return t;
}

}  // namespace

std::string FormatProgress(const JobStatus& s, const Lang& lang, size_t width) {
    std::string t;
    if (!s.waitingUntil.empty()) {
        t = FormatStatus(s, lang);
    } else {
        constexpr int kCells = 20;
        const uint64_t done = uint64_t{s.received} + s.failed;
        const uint64_t known = done + s.queued + s.active;
        const int percent = known ? static_cast<int>(done * 100 / known) : 0;
        const int full = known ? static_cast<int>(done * kCells / known) : 0;
        t = "[" + std::string(full, '=');
        if (full < kCells) t += (done ? ">" : " ") + std::string(kCells - full - 1, ' ');
        char head[16];
        std::snprintf(head, sizeof head, "] %3d%% ", percent);
        t += head;
        t += lang.format(kTextProgress, static_cast<unsigned>(done), static_cast<unsigned>(known),
                         FormatSize(s.bytes, lang).c_str(), FormatRate(s.bytesPerSecond, lang).c_str())
                 .c_str();
        if (s.bytesLeft > 0 && s.bytesPerSecond >= 1) {
            const auto seconds = static_cast<uint64_t>(static_cast<double>(s.bytesLeft) / s.bytesPerSecond + 0.5);
            t += lang.format(kTextTimeLeft, FormatDuration(seconds).c_str()).c_str();
        }
        if (s.failed) t += lang.format(kTextStatusFailed, s.failed).c_str();
    }
    // One character of the code page is one column: cut before converting.
    if (width && t.size() > width) t.resize(width);
    return t;
}

std::string FormatStatus(const JobStatus& s, const Lang& lang) {
    if (!s.waitingUntil.empty()) return lang.format(kTextWaitingForStart, s.waitingUntil.c_str()).c_str();
    std::string t = lang.format(kTextStatus, s.received, s.queued, s.active, FormatRate(s.bytesPerSecond, lang).c_str()).c_str();
    if (s.failed) t += lang.format(kTextStatusFailed, s.failed).c_str();
    return t;
}

void ConsoleOutput::clearStatus() {
    if (terminal_ && statusOnScreen_) {
        std::fputs("\r\x1b[K", out_);  // back to the line's start, erase it
        statusOnScreen_ = false;
    }
}

std::string ConsoleOutput::fromCodePage(std::string_view text) const {
    std::string utf8(3 * text.size() + 1, '\0');
    utf8.resize(codepage::ToUtf8(codePage_, text.data(), text.size(), utf8.data()));
    return utf8;
}

std::string ConsoleOutput::say(int number, ...) const {
    std::string format = fromCodePage(lang_.text(number).view());
    if (format.empty()) return {};
    va_list ap;
    va_start(ap, number);
    AStr r = AStr::vformat(format.c_str(), ap);
    va_end(ap);
    return r.c_str();
}

void ConsoleOutput::message(std::string_view text) { line(fromCodePage(text)); }

void ConsoleOutput::setMessages(const AStr&, const AStr& newest, bool repeat) {
    if (!repeat && !newest.empty() && !quiet_) message(newest.view());
}

namespace {

// A pane text may hold several lines (CR LF between them). Other control
// bytes, which may come from a page (a URL, a title), never reach the
// terminal: they could move its cursor or change its state.
std::string Printable(std::string_view utf8, bool newlines) {
    std::string out;
    for (char c : utf8) {
        if (c == '\r') continue;
        const auto b = static_cast<unsigned char>(c);
        out += (b < 0x20 && !(newlines && c == '\n') && c != '\t') || b == 0x7F ? '?' : c;
    }
    return out;
}

}  // namespace

void ConsoleOutput::line(std::string_view utf8) {
    clearStatus();
    std::string line = Printable(utf8, true);
    std::fputs(line.c_str(), out_);
    std::fputc('\n', out_);
    if (terminal_ && !shown_.empty()) {
        std::fputs(shown_.c_str(), out_);  // the status line comes back below
        statusOnScreen_ = true;
    }
    std::fflush(out_);
}

void ConsoleOutput::status(const JobStatus& s, uint32_t now, bool last) {
    if (quiet_) return;
    // The last column stays free: a line that fills it wraps on some
    // terminals, and the redraw in place would then leave copies behind.
    std::string text = fromCodePage(terminal_ ? FormatProgress(s, lang_, (width_ ? width_ : 80) - 1)
                                              : FormatStatus(s, lang_));
    if (terminal_) {
        if (text == shown_ && statusOnScreen_) return;
        noteShown_ = false;
        std::fputs("\r\x1b[K", out_);
        std::fputs(text.c_str(), out_);
        statusOnScreen_ = true;
        shown_ = text;
    } else {
        if (text == shown_ || (!last && printedOnce_ && !platform::TickPassed(now, lastPrinted_ + kPlainInterval - 1))) return;
        std::fputs(text.c_str(), out_);
        std::fputc('\n', out_);
        shown_ = text;
        printedOnce_ = true;
        lastPrinted_ = now;
    }
    std::fflush(out_);
}

void ConsoleOutput::note(std::string_view text, uint32_t now, bool series) {
    if (quiet_) return;
    if (text.empty()) {
        // The passing text is over: it no longer comes back below the
        // lines printed after it (the next status draws the bar again).
        if (terminal_ && noteShown_) {
            clearStatus();
            shown_.clear();
            noteShown_ = false;
            std::fflush(out_);
        }
        return;
    }
    if (series) {
        const uint32_t gap = terminal_ ? kTerminalInterval : kPlainInterval;
        if (seriesShown_ && !platform::TickPassed(now, lastSeries_ + gap - 1)) return;
        seriesShown_ = true;
        lastSeries_ = now;
    }
    if (!terminal_) {
        message(text);
        return;
    }
    // On the status line's own line, whatever the text holds.
    std::string utf8 = Printable(fromCodePage(text), false);
    std::fputs("\r\x1b[K", out_);
    std::fputs(utf8.c_str(), out_);
    statusOnScreen_ = true;
    shown_ = utf8;  // the next status draws over it
    noteShown_ = true;
    std::fflush(out_);
}

void ConsoleOutput::finish() {
    if (terminal_ && statusOnScreen_) std::fputc('\n', out_);
    statusOnScreen_ = false;
    shown_.clear();  // lines after the end do not bring the status back
    std::fflush(out_);
}
