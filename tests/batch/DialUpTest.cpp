// The dial-up connection against a scripted RAS: which numbers are dialled,
// which connections are adopted, left alone or hung up, and what the user
// is told. The clock is the test's; no real time passes.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "app/ApplicationProfile.h"
#include "app/ZBraskLibrary.h"
#include "batch/DialUp.h"
#include "batch/FakeRas.h"

using platform::RasHandle;

namespace {

// Everything shown, as "error 678 <fallback>", "state 28", "text ...".
struct Texts : ZBraskLibrary {
    std::vector<std::string> log;
    AStr text(int number) override { return AStr::format("<%d>", 24000 + number); }
    void error(int code, const char* fallback) override { log.push_back("error " + std::to_string(code) + " " + fallback); }
    void status(int number) override { log.push_back("state " + std::to_string(number)); }
    void show(const AStr& t) override { log.push_back("show " + std::string(t.view())); }
};

struct DialFixture : ::testing::Test {
    FakeRas ras;
    FakeDialClock clock;
    Texts texts;
    std::unique_ptr<DialUp> dial;

    void make(uint16_t usage) {
        dial = std::make_unique<DialUp>(ras.table(), &clock);
        dial->setTextSource(&texts);
        dial->usage = usage;
        dial->dialParams.entryName = "ISP";
    }
    // Waits out the retry delay and polls until the next dial or answer.
    void retry() {
        clock.t += DialUp::kRetryDelay + 1;
        dial->poll();
    }
};

}  // namespace

TEST_F(DialFixture, PhoneListRotatesOverFailures) {
    make(DialUp::kDialEntry);
    for (const char* n : {"111", "222", "333"}) dial->phoneList.add(n);
    dial->usePhoneList = true;
    dial->outsideLinePrefix = "9";
    EXPECT_FALSE(dial->connect());
    for (int i = 0; i < 4; ++i) {
        ras.failLast();
        EXPECT_TRUE(dial->poll());  // the failure: hung up, retry due
        EXPECT_EQ(0u, dial->connection);
        retry();                    // the next number
    }
    EXPECT_EQ((std::vector<std::string>{"p 9w111", "p 9w222", "p 9w333", "p 9w111", "p 9w222"}), ras.dialled);
    EXPECT_EQ(4u, ras.hungUp.size());
    EXPECT_NE(std::find(texts.log.begin(), texts.log.end(), "error 678 ras says 678"), texts.log.end());
    EXPECT_EQ("show ISP   #p 9w111", texts.log[0]);

    // Tone dialling, no prefix; then a connection that comes up.
    dial->dialMode = 0;
    dial->outsideLinePrefix.clear();
    ras.failLast();
    dial->poll();
    retry();
    EXPECT_EQ("T 333", ras.dialled.back());
    ras.conns[dial->connection].state = platform::kRasConnected;
    EXPECT_FALSE(dial->poll());
    EXPECT_EQ("state 28", texts.log.back());
}

TEST_F(DialFixture, EmptyListDialsTheEntrysOwnNumber) {
    make(DialUp::kDialEntry);
    dial->usePhoneList = true;
    dial->password = "secret";
    EXPECT_FALSE(dial->connect());
    ASSERT_EQ(1u, ras.dialled.size());
    EXPECT_EQ("", ras.dialled[0]);
    EXPECT_EQ("show ISP   #5550100", texts.log[0]);
    // The phone book holds no password: the user's is used.
    EXPECT_EQ("secret", ras.passwords[0]);
    ras.phonebookHasPassword = true;
    ras.failLast();
    dial->poll();
    retry();
    EXPECT_EQ("bookpass", ras.passwords.back());
}

TEST_F(DialFixture, AdoptsTheChosenEntryAndSparesForeignConnections) {
    ras.conns[7] = {"ISP", platform::kRasConnected, 0};
    ras.conns[8] = {"Office", platform::kRasConnected, 0};
    make(DialUp::kDialEntry);
    EXPECT_TRUE(dial->connect());
    EXPECT_EQ(7u, dial->connection);
    EXPECT_TRUE(ras.dialled.empty());
    EXPECT_TRUE(ras.hungUp.empty());
    // RAS was asked for more room once.
    EXPECT_EQ((std::vector<size_t>{1, 2}), ras.enumRooms);

    // A half-made foreign connection is hung up before dialling; the
    // connected one stays.
    ras.conns.erase(7);
    ras.conns[9] = {"Other", 3, 0};
    EXPECT_FALSE(dial->connect());
    EXPECT_EQ((std::vector<RasHandle>{9}), ras.hungUp);
    EXPECT_EQ(1u, ras.dialled.size());
    EXPECT_TRUE(ras.conns.count(8));
}

TEST_F(DialFixture, ChosenEntryInErrorIsReportedAndRedialled) {
    ras.conns[7] = {"ISP", 5, 691};
    make(DialUp::kDialEntry);
    EXPECT_FALSE(dial->connect());
    EXPECT_EQ("error 691 ras says 691", texts.log[0]);
    EXPECT_EQ((std::vector<RasHandle>{7}), ras.hungUp);
    EXPECT_EQ(1u, ras.dialled.size());
    EXPECT_EQ(uint32_t(platform::kRasDisconnected), dial->lastState);
}

TEST_F(DialFixture, PollUsesTheCallbackWhileTheHandleIsNotValid) {
    ras.handleValidAtOnce = false;
    ras.notifyOnDial = true;
    make(DialUp::kDialEntry);
    EXPECT_FALSE(dial->connect());
    EXPECT_FALSE(dial->poll());  // connected, as the callback said
    EXPECT_EQ("state 28", texts.log.back());

    ras.notifyOnDial = false;
    EXPECT_FALSE(dial->connect());
    EXPECT_TRUE(dial->poll());   // nothing heard yet: keep waiting
}

TEST_F(DialFixture, WaitsForAConnectionSomethingElseMakes) {
    make(DialUp::kWaitForConnection);
    EXPECT_FALSE(dial->connect());
    EXPECT_EQ("show <24102>", texts.log.back());
    EXPECT_TRUE(dial->poll());       // retry not due yet
    ras.conns[5] = {"Other", 3, platform::kRasPending};
    retry();                         // connect again: a pending one is adopted
    EXPECT_EQ(5u, dial->connection);
    ras.conns[5] = {"Other", platform::kRasConnected, 0};
    EXPECT_FALSE(dial->poll());
    EXPECT_TRUE(ras.hungUp.empty());
    EXPECT_TRUE(dial->connect());    // up and not pending: go on at once
    EXPECT_TRUE(ras.dialled.empty());
}

TEST_F(DialFixture, HangUpWaitsBoundedForTheLineToDrop) {
    make(DialUp::kDialEntry);
    dial->connect();
    RasHandle h = dial->connection;
    ras.connectionOutlivesHangUp = true;
    uint32_t start = clock.t;
    dial->hangUpOwnConnection();
    EXPECT_EQ(0u, dial->connection);
    EXPECT_EQ((std::vector<RasHandle>{h}), ras.hungUp);
    EXPECT_EQ(5000u, clock.t - start);
    EXPECT_NE(std::find(texts.log.begin(), texts.log.end(), "show <24101>"), texts.log.end());

    // A connection the program did not make is never hung up by it.
    make(DialUp::kWaitForConnection);
    dial->connection = 42;
    dial->hangUpOwnConnection();
    EXPECT_EQ(1u, ras.hungUp.size());
}

TEST_F(DialFixture, WithoutRasWaitingGoesOnAndDialingWaits) {
    DialUp none{platform::RasFunctions{}, &clock};
    none.usage = DialUp::kWaitForConnection;
    EXPECT_TRUE(none.connect());
    none.usage = DialUp::kDialEntry;
    EXPECT_FALSE(none.connect());
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(none.poll());
        clock.t += DialUp::kRetryDelay + 1;
    }
    none.hangUpOwnConnection();
}

TEST(DialUpTexts, StatesAndErrorsAreNamed) {
    EXPECT_EQ(0, DialUp::stateText(0));
    EXPECT_EQ(23, DialUp::stateText(23));
    EXPECT_EQ(0, DialUp::stateText(24));
    EXPECT_EQ(24, DialUp::stateText(0x1000));
    EXPECT_EQ(27, DialUp::stateText(0x1003));
    EXPECT_EQ(0, DialUp::stateText(0x1004));
    EXPECT_EQ(28, DialUp::stateText(0x2000));
    EXPECT_EQ(29, DialUp::stateText(0x2001));

    platform::RasFunctions f;
    f.hangUp = [](RasHandle) -> uint32_t { return 631; };
    Texts texts;
    DialUp d(f);
    d.setTextSource(&texts);
    d.hangUp(1);
    EXPECT_EQ((std::vector<std::string>{"error 631 RAS error #631"}), texts.log);
    f.hangUp = [](RasHandle) -> uint32_t { return platform::kRasNoConnection; };
    DialUp quiet(f);
    quiet.setTextSource(&texts);
    quiet.hangUp(1);
    EXPECT_EQ(1u, texts.log.size());
}

TEST(DialUpSettings, ReadAndWriteWithThePasswordRule) {
    std::filesystem::path file =
        std::filesystem::path(ZB_BINARY_DIR) / "testtmp" / ("dial-" + std::to_string(std::random_device{}()) + ".ini");
    std::filesystem::create_directories(file.parent_path());
    {
        ApplicationProfile s(file.string().c_str());
        s.writeString("Dial Up", "Usage", "2");
        s.writeString("Dial Up", "Time Limit", "0");
        s.writeString("Dial Up", "Entry", "ISP");
        s.writeString("Dial Up", "Password", "MHMIMJ");
        s.writeString("Dial Up.ISP", "count", "2");
        s.writeString("Dial Up.ISP", "0", "111");
        s.writeString("Dial Up.ISP", "1", "222");
        s.writeString("Dial Up.ISP", "PhoneList", "1");
    }
    ApplicationProfile s(file.string().c_str());
    platform::RasFunctions none;
    DialUp d(none);
    d.read(s);
    EXPECT_EQ(2, d.usage);
    EXPECT_EQ(0u, d.timeLimit);
    EXPECT_EQ(3600000u, d.effectiveTimeLimit());
    EXPECT_EQ("ISP", d.dialParams.entryName);
    EXPECT_EQ("abc", d.password);
    EXPECT_FALSE(d.savePassword);
    EXPECT_EQ(2u, d.phoneList.count());
    EXPECT_TRUE(d.usePhoneList);

    // Not saved: the password stays in memory but is written empty.
    d.userName = "me";
    d.write(s);
    EXPECT_EQ("", s.readString("Dial Up", "Password", "x"));
    EXPECT_EQ("", s.readString("Dial Up.ISP", "Password", "x"));
    EXPECT_EQ("me", s.readString("Dial Up", "UserName", ""));
    EXPECT_EQ("abc", d.password);
    d.savePassword = true;
    d.phoneList.clear();
    d.phoneList.add("333");
    d.write(s);
    EXPECT_EQ("MHMIMJ", s.readString("Dial Up", "Password", ""));
    EXPECT_EQ("1", s.readString("Dial Up.ISP", "count", ""));
    EXPECT_EQ("", s.readString("Dial Up.ISP", "1", ""));

    // A very long entry name is cut to the record's 256 characters.
    s.writeString("Dial Up", "Entry", std::string(300, 'e').c_str());
    d.read(s);
    EXPECT_EQ(256u, d.dialParams.entryName.size());
    std::filesystem::remove(file);
}
