#include <gtest/gtest.h>

#include "site/OutputFolder.h"

namespace {

FolderContext Windows() { return {"C:\\Program Files\\ZB", "D:\\work", true}; }
FolderContext Posix() { return {"/opt/zb", "/home/u", false}; }

}  // namespace

TEST(OutputFolder, EmptyPathIsTheProjectFileWithZbd) {
    struct Case {
        const char* project;
        const char* windows;
        const char* posix;
    } cases[] = {
        {"E:\\jobs\\site.zbp", "E:\\jobs\\site.zbd", "/opt/zb/E:\\jobs\\site.zbd"},
        {"/srv/jobs/site.zbp", "C:/srv/jobs/site.zbd", "/srv/jobs/site.zbd"},
        {"site.zbp", "C:\\Program Files\\ZB\\site.zbd", "/opt/zb/site.zbd"},  // against the program's folder
        {"jobs\\a.b\\site", "C:\\Program Files\\ZB\\jobs\\a.b\\site.zbd", "/opt/zb/jobs\\a.zbd"},
        {"jobs/v1.2/site", "C:\\Program Files\\ZB\\jobs/v1.2/site.zbd", "/opt/zb/jobs/v1.2/site.zbd"},
        {"\\\\server\\share\\s.zbp", "\\\\server\\share\\s.zbd", "/opt/zb/\\\\server\\share\\s.zbd"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(OutputFolder("", c.project, Windows()), c.windows) << c.project;
        EXPECT_EQ(OutputFolder("", c.project, Posix()), c.posix) << c.project;
    }
}

TEST(OutputFolder, OutputPathIsMadeAbsoluteAgainstTheCurrentFolder) {
    struct Case {
        const char* path;
        const char* windows;
        const char* posix;
    } cases[] = {
        {"out", "D:\\work\\out", "/home/u/out"},
        {"out\\", "D:\\work\\out", "/home/u/out\\"},
        {"out/", "D:\\work\\out", "/home/u/out"},
        {"/abs/out", "D:/abs/out", "/abs/out"},       // the current drive's root
        {"F:\\mirror\\", "F:\\mirror", "/home/u/F:\\mirror\\"},
        {"F:\\", "F:\\", "/home/u/F:\\"},           // a root keeps its separator
        {"/", "D:/", "/"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(OutputFolder(c.path, "E:\\p.zbp", Windows()), c.windows) << c.path;
        EXPECT_EQ(OutputFolder(c.path, "/p.zbp", Posix()), c.posix) << c.path;
    }
}
