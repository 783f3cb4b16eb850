// The updater is started with the family name as its one argument.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "app/TestSupport.h"
#include "app/shell/UpdaterStart.h"
#include "platform/Clock.h"
#include "platform/File.h"

TEST(UpdaterStart, StartsTheRegisteredProgramWithTheFamilyName) {
    ScratchFolder folder("updater");
    const std::string out = folder.file("args.txt");
    folder.write("zrenew", "#!/bin/sh\nprintf '%s|' \"$@\" > '" + out + ".part' && mv '" + out + ".part' '" + out + "'\n");
    ASSERT_EQ(0, chmod(folder.file("zrenew").c_str(), 0755));

    EXPECT_GT(StartUpdater(nullptr, AStr(folder.file("zrenew"))), 32);
    for (int i = 0; i < 100 && !platform::FileExists(out.c_str()); ++i) platform::SleepMs(50);
    std::ifstream in(out);
    std::stringstream s;
    s << in.rdbuf();
    EXPECT_EQ("Zelko|", s.str());
}

TEST(UpdaterStart, NothingIsStartedWithoutARegisteredUpdater) {
    EXPECT_EQ(0, StartUpdater(nullptr, AStr()));
    EXPECT_EQ(AStr(), RegisteredUpdater()) << "no registry of the family here";
}
