// A batch as it runs: when its start time is reached, which entries are
// opened and started, what happens at its end; and its storage.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "app/ApplicationProfile.h"
#include "batch/Batch.h"
#include "batch/DialUp.h"
#include "platform/File.h"

namespace {

// The main window as the batch sees it: projects that exist can be opened.
struct FakeHost : BatchHost {
    std::set<std::string> existing;
    std::vector<std::string> log;
    bool isIdle = true;
    std::string current;

    bool idle() const override { return isIdle; }
    bool hasNamedProject() const override { return !current.empty(); }
    void saveAndCloseProject() override { log.push_back("close " + current); current.clear(); }
    bool openProject(const AStr& path) override {
        std::string p(path.view());
        if (!existing.count(p)) return false;
        current = p;
        log.push_back("open " + p);
        return true;
    }
    void resetStatistics() override { log.push_back("reset"); }
    void startDialUpDeadline() override { log.push_back("deadline"); }
    void command(int id) override { log.push_back("command " + std::to_string(id)); }
    void postCommand(int id) override { log.push_back("post " + std::to_string(id)); }
    void requestExit() override { log.push_back("exit requested"); }
    bool startTimer(int id, uint32_t period) override {
        log.push_back("timer " + std::to_string(id) + " " + std::to_string(period));
        return true;
    }
    void stopTimer(int id) override { log.push_back("stop timer " + std::to_string(id)); }
    void restoreMenu() override { log.push_back("menu"); }
};

std::string full(const char* name) { return platform::FullPath(name, 259); }

StartTime at(int y, int mo, int d, int h, int mi, int s) {
    StartTime t;
    t.year = uint16_t(y), t.month = uint16_t(mo), t.day = uint16_t(d);
    t.hour = uint16_t(h), t.minute = uint16_t(mi), t.second = uint16_t(s);
    return t;
}

}  // namespace

TEST(BatchRun, StartTimeIsCheckedByTheMinuteTimerOnly) {
    Batch batch;
    batch.add("a.zbp");
    batch.useStartTime = true;
    batch.startTime = at(2020, 1, 1, 0, 0, 0);  // long past
    FakeHost host;
    host.existing.insert(full("a.zbp"));
    BatchRunner run(batch);
    run.setHost(&host);
    run.start();
    EXPECT_EQ("timer 11 60000", host.log.at(0));
    run.step();
    EXPECT_EQ(1u, host.log.size());  // not at once: the first tick decides

    // Equal to the second is not earlier; one second later is.
    batch.startTime = at(2026, 12, 7, 12, 30, 15);
    run.timerTick(at(2026, 12, 7, 12, 30, 15));
    EXPECT_FALSE(run.startReached());
    run.timerTick(at(2026, 12, 7, 12, 30, 16));
    EXPECT_TRUE(run.startReached());
    run.step();
    EXPECT_EQ("open " + full("a.zbp"), host.log.at(1));

    // Each field counts in order: a later day wins over an earlier hour.
    EXPECT_TRUE(earlier(at(2026, 12, 6, 23, 59, 59), at(2026, 12, 7, 0, 0, 0)));
    EXPECT_FALSE(earlier(at(2027, 1, 1, 0, 0, 0), at(2026, 12, 31, 23, 59, 59)));
}

TEST(BatchRun, SkipsEntriesThatDoNotOpenAndEndsAsSet) {
    Batch batch;
    batch.add("missing.zbp");
    batch.add("second");  // run with ".zbp" appended, in the current folder
    batch.exitOnEndBatch = true;
    FakeHost host;
    host.existing.insert(full("second.zbp"));
    platform::RasFunctions none;
    DialUp dial(none);
    dial.hangUpWhenDone = true;
    BatchRunner run(batch, &dial);
    run.setHost(&host);
    run.start();

    host.isIdle = false;
    run.step();
    EXPECT_TRUE(host.log.empty());  // a job is running: wait
    host.isIdle = true;
    run.step();
    EXPECT_EQ((std::vector<std::string>{"open " + full("second.zbp"), "reset", "deadline", "command 125"}), host.log);
    host.log.clear();
    run.step();  // the job ended: nothing left; the last project stays open
    EXPECT_EQ((std::vector<std::string>{"exit requested", "post 199", "menu"}), host.log);
    EXPECT_FALSE(run.running());
    host.log.clear();
    run.step();
    EXPECT_TRUE(host.log.empty());
}

TEST(BatchRun, EveryEntryFailingEndsAtOnceAndStaysOpenWithoutExit) {
    Batch batch;
    batch.add("nope1.zbp");
    batch.add("nope2.zbp");
    FakeHost host;
    BatchRunner run(batch);
    run.setHost(&host);
    run.start();
    run.step();
    EXPECT_EQ((std::vector<std::string>{"menu"}), host.log);  // no exit: the program stays
    EXPECT_FALSE(run.running());
    EXPECT_EQ(2u, batch.count());  // the list itself never changes
}

TEST(BatchEntries, NormalisedToFullPathsWithTheProjectExtension) {
    EXPECT_EQ(full("x.zbp"), std::string(Batch::normalizeEntry("x").view()));
    EXPECT_EQ(full("x.old"), std::string(Batch::normalizeEntry("x.old").view()));
    EXPECT_EQ(full("dir.v2/x.zbp"), std::string(Batch::normalizeEntry("dir.v2/x").view()));
    EXPECT_EQ("", std::string(Batch::normalizeEntry(std::string(300, 'p')).view()));
}

TEST(BatchSettings, WrittenAndReadBack) {
    std::filesystem::path file =
        std::filesystem::path(ZB_BINARY_DIR) / "testtmp" / ("batch-" + std::to_string(std::random_device{}()) + ".ini");
    std::filesystem::create_directories(file.parent_path());
    ApplicationProfile s(file.string().c_str());
    s.writeString("MissionList", "7", "stale");
    Batch b;
    b.add("one.zbp");
    b.add("\"two.zbp\"");
    b.exitOnEndBatch = true;
    b.useStartTime = true;
    b.startTime = at(2027, 3, 4, 5, 6, 7);
    b.write(s);
    EXPECT_EQ("", s.readString("MissionList", "7", ""));  // the section was cleared first

    Batch r;
    r.read(s);
    EXPECT_EQ(2u, r.count());
    EXPECT_EQ("one.zbp", r[0]);
    EXPECT_TRUE(r.exitOnEndBatch);
    EXPECT_TRUE(r.useStartTime);
    EXPECT_FALSE(earlier(r.startTime, b.startTime) || earlier(b.startTime, r.startTime));
    Batch copy(r);
    EXPECT_EQ(2u, copy.count());
    EXPECT_EQ(7, copy.startTime.second);
    std::filesystem::remove(file);
}
