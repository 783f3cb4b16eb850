// The application's settings written at the end of a run: sections and
// keys in their fixed order, credentials only when they are to be saved,
// and everything read back.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "app/ApplicationProfile.h"
#include "app/shell/ApplicationSettings.h"
#include "batch/Batch.h"
#include "batch/DialUp.h"

TEST(ApplicationSettings, WrittenInOrderAndReadBack) {
    std::filesystem::path file =
        std::filesystem::path(ZB_BINARY_DIR) / "testtmp" / ("app-" + std::to_string(std::random_device{}()) + ".ini");
    std::filesystem::create_directories(file.parent_path());
    platform::RasFunctions none;
    DialUp dial(none);
    dial.dialParams.entryName = "ISP";
    dial.phoneList.add("111");
    dial.password = "pw";
    Batch batch;
    batch.add("a.zbp");
    batch.startTime = StartTime{2027, 1, 0, 2, 3, 4, 5, 0};
    ApplicationSettings app(dial, batch);
    app.exitOnEnd = true;
    app.proxy = {true, "proxy:8080", "puser", "abc", false};
    {
        ApplicationProfile s(file.string().c_str());
        app.write(s);
    }
    std::stringstream text;
    {
        std::ifstream in(file, std::ios::binary);  // closed again: Windows cannot replace an open file
        text << in.rdbuf();
    }
    EXPECT_EQ("[Dial Up]\r\nEntry=ISP\r\nSave Password=0\r\nUserName=\r\nPassword=\r\nUsage=0\r\nHangUp=0\r\n"
              "Time Limit=3600000\r\n"
              "[Dial Up.ISP]\r\ncount=1\r\n0=111\r\nPhoneList=0\r\nUserName=\r\nPassword=\r\n"
              "[DLoad]\r\nExitOnEnd=1\r\nExitOnEndBatch=0\r\n"
              "[Proxy]\r\nUse=1\r\nAddress=proxy:8080\r\nSave Password=0\r\nUser=\r\nPassword=\r\n"
              "[MissionList]\r\ncount=1\r\n0=a.zbp\r\n"
              "[Batch]\r\nUseStartTime=0\r\ntm_sec=5\r\ntm_min=4\r\ntm_hour=3\r\ntm_mday=2\r\ntm_mon=1\r\ntm_year=2027\r\n",
              text.str());

    app.proxy.savePassword = true;
    {
        ApplicationProfile s(file.string().c_str());
        app.write(s);
        s.writeString("Proxy", "Address", ":3128");  // a port without a host
    }
    platform::RasFunctions none2;
    DialUp dial2(none2);
    Batch batch2;
    ApplicationSettings back(dial2, batch2);
    ApplicationProfile s(file.string().c_str());
    back.read(s);
    EXPECT_TRUE(back.exitOnEnd);
    EXPECT_TRUE(back.proxy.use);
    EXPECT_EQ("", back.proxy.address);
    EXPECT_EQ("puser", back.proxy.user);
    EXPECT_EQ("abc", back.proxy.password);
    EXPECT_EQ("ISP", dial2.dialParams.entryName);
    EXPECT_EQ(1u, batch2.count());
    EXPECT_EQ(2027, batch2.startTime.year);
    std::filesystem::remove(file);
}
