// The recent projects of the File menu as the settings file keeps them.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/RecentProjects.h"
#include "tests/app/TestSupport.h"

namespace {
std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}
std::vector<std::string> Names(const RecentProjects& r) {
    std::vector<std::string> out;
    for (const AStr& f : r.files()) out.emplace_back(f.c_str());
    return out;
}
}  // namespace

TEST(RecentProjects, NewestFirstWithoutRepeatsAndAtMostNine) {
    ScratchFolder dir("recent");
    ApplicationProfile s(dir.file("zbrask.INI").c_str());
    RecentProjects r;
    r.use("C:\\sites\\a.zbp");
    r.use("C:\\sites\\b.zbp");
    r.use("c:\\SITES\\A.zbp");  // the same file, named otherwise: moves up, once
    EXPECT_EQ((std::vector<std::string>{"c:\\SITES\\A.zbp", "C:\\sites\\b.zbp"}), Names(r));
    EXPECT_EQ(AStr("c:\\SITES\\"), r.lastFolder());
    for (int i = 0; i < 12; ++i) r.use(AStr("D:\\p") + std::to_string(i).c_str() + ".zbp");
    ASSERT_EQ(9u, r.files().size());
    EXPECT_EQ(AStr("D:\\p11.zbp"), r.files().front());
    EXPECT_EQ(AStr("D:\\p3.zbp"), r.files().back());
    r.remove("d:\\P11.ZBP");
    EXPECT_EQ(AStr("D:\\p10.zbp"), r.files().front());
    r.use("");  // nothing to remember
    EXPECT_EQ(8u, r.files().size());
}

TEST(RecentProjects, KeptInFileHistoryAcrossARestart) {
    ScratchFolder dir("recent");
    std::string ini = dir.file("zbrask.INI");
    {
        ApplicationProfile s(ini.c_str());
        RecentProjects r;
        for (const char* f : {"C:\\x\\1.zbp", "C:\\x\\2.zbp", "C:\\y\\3.zbp"}) r.use(f);
        r.write(s);
        // Shorter the next time: no entry of the longer list is left.
        r.remove("C:\\x\\1.zbp");
        r.write(s);
    }
    EXPECT_EQ("[FileHistory]\r\nsize=2\r\n1=C:\\y\\3.zbp\r\n2=C:\\x\\2.zbp\r\nlastDir=C:\\y\\\r\n", Read(ini));
    ApplicationProfile s(ini.c_str());
    RecentProjects back;
    back.read(s);
    EXPECT_EQ((std::vector<std::string>{"C:\\y\\3.zbp", "C:\\x\\2.zbp"}), Names(back));
    EXPECT_EQ(AStr("C:\\y\\"), back.lastFolder());
}

TEST(RecentProjects, AHandEditedListReadsSanely) {
    ScratchFolder dir("recent");
    std::string ini = dir.file("zbrask.INI");
    struct Row {
        const char* file;
        std::vector<std::string> expected;
    } rows[] = {
        {"[FileHistory]\r\nsize=-3\r\n1=a.zbp\r\n", {}},
        {"[FileHistory]\r\nsize=x\r\n1=a.zbp\r\n", {}},
        {"[FileHistory]\r\nsize=4\r\n1=a.zbp\r\n2=\r\n3=A.ZBP\r\n4=b.zbp\r\n", {"a.zbp", "b.zbp"}},
        {"[FileHistory]\r\nsize=2000000000\r\n1=a.zbp\r\n", {"a.zbp"}},
        {"", {}},
    };
    for (const Row& row : rows) {
        dir.write("zbrask.INI", row.file);
        ApplicationProfile s(ini.c_str());
        RecentProjects r;
        r.read(s);
        EXPECT_EQ(row.expected, Names(r)) << row.file;
    }
    std::string many = "[FileHistory]\r\nsize=20\r\n";
    for (int i = 1; i <= 20; ++i) many += std::to_string(i) + "=f" + std::to_string(i) + ".zbp\r\n";
    dir.write("zbrask.INI", many);
    ApplicationProfile s(ini.c_str());
    RecentProjects r;
    r.read(s);
    EXPECT_EQ(9u, r.files().size());
}
