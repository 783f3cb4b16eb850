// The terminal front-end's output: messages converted to UTF-8, the status
// line in place on a terminal and rationed elsewhere.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "app/ZBraskLibrary.h"
#include "platform/File.h"
#include "ui/console/ConsoleOutput.h"

namespace {

// The catalogue the build makes from lang/<code>.txt.
const LangWithError& Catalogue(const char* code) {
    static LangWithError enu, rus;
    LangWithError& lang = std::string(code) == "rus" ? rus : enu;
    if (!lang.loaded()) {
        std::string path = std::string(ZB_BINARY_DIR) + "/bin/zb" + code + platform::kLibraryExtension;
        lang.setModule(platform::Library::Load(path.c_str()));
    }
    return lang;
}
const LangWithError& English() { return Catalogue("enu"); }
const LangWithError& Russian() { return Catalogue("rus"); }

#define NEEDS_CATALOGUES() \
    ASSERT_TRUE(English().loaded() && Russian().loaded()) << "the build makes the catalogues in " ZB_BINARY_DIR "/bin"

JobStatus S(uint32_t received, uint32_t queued, uint32_t active, uint32_t failed, double bytesPerSecond) {
    JobStatus s;
    s.received = received;
    s.queued = queued;
    s.active = active;
    s.failed = failed;
    s.bytesPerSecond = bytesPerSecond;
    return s;
}

// Everything written to a temporary file, read back.
struct Captured {
    std::FILE* f = std::tmpfile();
    ~Captured() { std::fclose(f); }
    std::string text() {
        std::fflush(f);
        std::rewind(f);
        std::string s;
        for (int c; (c = std::fgetc(f)) != EOF;) s += static_cast<char>(c);
        return s;
    }
};

}  // namespace

TEST(ConsoleOutput, StatusTextAndRates) {
    NEEDS_CATALOGUES();
    const Lang& en = English();
    EXPECT_EQ("512 B/s", FormatRate(512, en));
    EXPECT_EQ("1.5 KB/s", FormatRate(1536, en));
    EXPECT_EQ("2.0 MB/s", FormatRate(2 * 1048576.0, en));
    EXPECT_EQ("12 received, 30 queued, 3 active, 1.0 KB/s", FormatStatus(S(12, 30, 3, 0, 1024), en));
    EXPECT_EQ("1 received, 0 queued, 0 active, 0 B/s, 2 failed", FormatStatus(S(1, 0, 0, 2, 0), en));
    JobStatus waiting = S(1, 0, 0, 2, 0);
    waiting.waitingUntil = "2026-12-08 03:00";
    EXPECT_EQ("Waiting for the start time 2026-12-08 03:00", FormatStatus(waiting, en));
}

TEST(ConsoleOutput, ProgressBarOnATerminal) {
    NEEDS_CATALOGUES();
    const Lang& en = English();
    EXPECT_EQ("0 B", FormatSize(0, en));
    EXPECT_EQ("1.5 KB", FormatSize(1536, en));
    EXPECT_EQ("3.0 MB", FormatSize(3 * 1048576ull, en));
    EXPECT_EQ("5.0 GB", FormatSize(5 * 1073741824ull, en));  // beyond 32 bits
    // Nothing known yet: an empty bar, not a division by nothing.
    EXPECT_EQ("[                    ]   0% 0 of 0 files, 0 B, 0 B/s", FormatProgress(S(0, 0, 0, 0, 0), en, 200));
    // Failed files are done too, and said.
    JobStatus s = S(9, 19, 1, 1, 2048);
    s.bytes = 1536;
    EXPECT_EQ("[======>             ]  33% 10 of 30 files, 1.5 KB, 2.0 KB/s, 1 failed", FormatProgress(s, en, 200));
    // The time left once the bytes still to come are known.
    s = S(29, 0, 1, 0, 1024);
    s.bytesLeft = 75 * 1024;
    EXPECT_EQ("[===================>]  96% 29 of 30 files, 0 B, 1.0 KB/s, 1:15 left", FormatProgress(s, en, 200));
    s.bytesLeft = 3 * 3600 * 1024 + 61 * 1024;
    EXPECT_NE(FormatProgress(s, en, 200).find(", 3:01:01 left"), std::string::npos);
    s.bytesPerSecond = 0;  // stalled: no guess
    EXPECT_EQ(FormatProgress(s, en, 200).find("left"), std::string::npos);
    // Cut to the terminal's width, in characters of the code page, so that a
    // Russian line is not cut inside a letter once converted.
    EXPECT_EQ("[===================>", FormatProgress(s, en, 21));
    Captured c;
    ConsoleOutput out(c.f, true, 1251, Russian());
    out.setWidth(40);
    out.status(S(1, 1, 0, 0, 0), 0);
    const std::string shown = c.text().substr(4);  // after "\r\x1b[K"
    EXPECT_EQ(shown.rfind("[==========>         ]  50% 1 \xD0\xB8\xD0\xB7 2", 0), 0u) << shown;
    size_t columns = 0;
    for (unsigned char ch : shown) columns += (ch & 0xC0) != 0x80;
    EXPECT_EQ(columns, 39u);
    // A waiting batch says so on the bar's line.
    JobStatus waiting;
    waiting.waitingUntil = "2026-12-08 03:00";
    EXPECT_EQ("Waiting for the start time 2026-12-08 03:00", FormatProgress(waiting, en, 200));
}

TEST(ConsoleOutput, RussianStatusLineInUtf8) {
    NEEDS_CATALOGUES();
    Captured c;
    ConsoleOutput out(c.f, false, 1251, Russian());
    out.status(S(3, 2, 1, 1, 1536), 0, true);
    out.finish();
    EXPECT_EQ("\xD0\xBF\xD0\xBE\xD0\xBB\xD1\x83\xD1\x87\xD0\xB5\xD0\xBD\xD0\xBE 3, "  // получено
              "\xD0\xB2 \xD0\xBE\xD1\x87\xD0\xB5\xD1\x80\xD0\xB5\xD0\xB4\xD0\xB8 2, "   // в очереди
              "\xD0\xB7\xD0\xB0\xD0\xB3\xD1\x80\xD1\x83\xD0\xB6\xD0\xB0\xD0\xB5\xD1\x82\xD1\x81\xD1\x8F 1, "  // загружается
              "1.5 \xD0\x9A\xD0\x91/\xD1\x81, "  // КБ/с
              "\xD1\x81 \xD0\xBE\xD1\x88\xD0\xB8\xD0\xB1\xD0\xBA\xD0\xBE\xD0\xB9 1\n",  // с ошибкой
              c.text());
}

TEST(ConsoleOutput, CatalogueTextsWithArgumentsOfTheTerminal) {
    NEEDS_CATALOGUES();
    Captured c;
    ConsoleOutput ru(c.f, false, 1251, Russian());
    // A path in UTF-8 stays as it is; only the catalogue's words are converted.
    EXPECT_EQ("\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB5\xD0\xBA\xD1\x82: /home/\xD1\x8F/a.zbp",  // Проект: /home/я/a.zbp
              ru.say(kTextProject, "/home/\xD1\x8F/a.zbp"));
    ConsoleOutput en(c.f, false, 1252, English());
    EXPECT_EQ("Not stored: http://h/x (the server answered 404 Not Found)",
              en.say(kTextNotStored, "http://h/x", en.say(kTextServerAnswered, "404 Not Found").c_str()));
    EXPECT_EQ(0u, en.say(kTextUsage).rfind("usage: zbrask /url URL", 0));
    EXPECT_EQ(0u, ru.say(kTextUsage).rfind("\xD0\xB7\xD0\xB0\xD0\xBF\xD1\x83\xD1\x81\xD0\xBA: zbrask /url URL", 0));  // запуск:
}

// The terminal as the text source's message pane: a dial-up state or an
// engine message is a line of its own, in UTF-8, and a repeat of the last
// message is not printed again.
TEST(ConsoleOutput, MessagePaneOfTheTextSource) {
    NEEDS_CATALOGUES();
    Captured c;
    ConsoleOutput out(c.f, false, 1251, Russian());
    MessageHistory history;
    ZBraskLibrary_ source(Russian(), history);
    source.setMainWindow(&out);
    source.status(28);  // connected
    source.status(28);
    source.show(Russian().text(22071));  // the download is complete
    source.show(Russian().text(22071));
    source.status(28);
    EXPECT_EQ("\xD0\xA1\xD0\xBE\xD0\xB5\xD0\xB4\xD0\xB8\xD0\xBD\xD0\xB5\xD0\xBD\xD0\xB8\xD0\xB5 "
              "\xD1\x83\xD1\x81\xD1\x82\xD0\xB0\xD0\xBD\xD0\xBE\xD0\xB2\xD0\xBB\xD0\xB5\xD0\xBD\xD0\xBE.\n" +
                  out.fromCodePage(Russian().text(22071).view()) + "\n" +
                  "\xD0\xA1\xD0\xBE\xD0\xB5\xD0\xB4\xD0\xB8\xD0\xBD\xD0\xB5\xD0\xBD\xD0\xB8\xD0\xB5 "
                  "\xD1\x83\xD1\x81\xD1\x82\xD0\xB0\xD0\xBD\xD0\xBE\xD0\xB2\xD0\xBB\xD0\xB5\xD0\xBD\xD0\xBE.\n",
              c.text());
}

TEST(ConsoleOutput, MessagesInUtf8AndStatusInPlace) {
    NEEDS_CATALOGUES();
    Captured c;
    ConsoleOutput out(c.f, true, 1251, English());
    out.status(S(1, 2, 1, 0, 0), 0);
    out.status(S(1, 2, 1, 0, 0), 10);  // unchanged: nothing drawn
    out.message("\xCF\xF0\xE8\xE2\xE5\xF2\r\nline two");  // "Привет" in 1251
    out.status(S(2, 1, 1, 0, 0), 20);
    out.finish();
    EXPECT_EQ("\r\x1b[K[=====>              ]  25% 1 of 4 files, 0 B, 0 B/s"
              "\r\x1b[K\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82\nline two\n"
              "[=====>              ]  25% 1 of 4 files, 0 B, 0 B/s"
              "\r\x1b[K[==========>         ]  50% 2 of 4 files, 0 B, 0 B/s\n",
              c.text());
}

TEST(ConsoleOutput, ControlBytesFromPagesNeverReachTheTerminal) {
    Captured c;
    ConsoleOutput out(c.f, false, 1252, English());
    out.line("Not stored: http://h/\x1b]0;owned\x07x\x1b[2J\x7f.htm\r\n\tnext");
    EXPECT_EQ("Not stored: http://h/?]0;owned?x?[2J?.htm\n\tnext\n", c.text());
}

TEST(ConsoleOutput, OffATerminalStatusIsRationed) {
    NEEDS_CATALOGUES();
    Captured c;
    ConsoleOutput out(c.f, false, 1252, English());
    out.status(S(1, 0, 1, 0, 0), 1000);
    out.status(S(2, 0, 1, 0, 0), 2000);   // too soon
    out.status(S(3, 0, 1, 0, 0), 6000);   // five seconds on
    out.status(S(3, 0, 1, 0, 0), 12000);  // unchanged
    out.message("caf\xE9");
    out.status(S(4, 0, 0, 0, 0), 12001, true);  // the end of the run: not held back
    out.finish();
    EXPECT_EQ("1 received, 0 queued, 1 active, 0 B/s\n3 received, 0 queued, 1 active, 0 B/s\ncaf\xC3\xA9\n"
              "4 received, 0 queued, 0 active, 0 B/s\n",
              c.text());
}

TEST(ConsoleOutput, PassingTextsAndRationedProgress) {
    NEEDS_CATALOGUES();
    {
        // Off a terminal: lines; a series at most every five seconds.
        Captured c;
        ConsoleOutput out(c.f, false, 1252, English());
        out.note("Reading the site tree...", 1000);
        out.note("", 1001);  // the end of a passing text: nothing to print
        out.note("Processing links: 10 of 90", 1002, true);
        out.note("Processing links: 20 of 90", 2000, true);
        out.note("The site tree has been read.", 2001);
        out.note("Processing links: 80 of 90", 6002, true);
        EXPECT_EQ("Reading the site tree...\nProcessing links: 10 of 90\nThe site tree has been read.\n"
                  "Processing links: 80 of 90\n",
                  c.text());
    }
    // On a terminal: in place of the status line, which the next status
    // draws over; a series at most every 250 ms.
    Captured c;
    ConsoleOutput out(c.f, true, 1252, English());
    out.status(S(1, 0, 0, 0, 0), 0);
    out.note("Processing links: 10 of 90", 10, true);
    out.note("Processing links: 20 of 90", 100, true);
    out.note("Processing links: 30 of 90", 260, true);
    out.note("Saving\n\x1b[2J", 270);  // stays on the status line's own line
    out.status(S(1, 0, 0, 0, 0), 300);
    out.finish();
    const std::string bar = "[====================] 100% 1 of 1 files, 0 B, 0 B/s";
    EXPECT_EQ("\r\x1b[K" + bar +
              "\r\x1b[KProcessing links: 10 of 90"
              "\r\x1b[KProcessing links: 30 of 90"
              "\r\x1b[KSaving??[2J"
              "\r\x1b[K" + bar + "\n",
              c.text());
    // A passing text that is over does not come back below later lines.
    Captured after;
    ConsoleOutput end(after.f, true, 1252, English());
    end.finish();
    end.note("Saving the site tree...", 400);
    end.note("", 500);
    end.line("Stored copy: /tmp/copy");
    end.line("Project: /tmp/copy/a.zbp");
    EXPECT_EQ("\r\x1b[KSaving the site tree...\r\x1b[KStored copy: /tmp/copy\nProject: /tmp/copy/a.zbp\n", after.text());
}
