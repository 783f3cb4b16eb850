#include "framework/FileExtension.h"

#include <gtest/gtest.h>

// Names, Windows paths and whole URLs, query included: a script whose
// query ends in ".zip" has the extension ".zip".
TEST(FileExtension, FollowsTheLastSeparator) {
    struct Case {
        const char* name;
        const char* extension;
    } cases[] = {
        {"http://h/a/b.GIF", ".GIF"},
        {"http://h/get.cgi?file=pack.zip", ".zip"},
        {"http://h/get.cgi?f=/x/pack.tar", ".tar"},
        {"http://h/a.b/c", ""},
        {"http://h/dir/", ""},
        {"http://h/a\\b.doc", ".doc"},
        {"http://www.h.com", ".com"},
        {"http://h:8080", ""},
        {"page.html#top", ".html#top"},
        {"C:\\jobs.d\\site", ""},
        {"C:site.zbp", ".zbp"},
        {"readme", ""},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(Extension(c.name), c.extension) << c.name;
}

TEST(FileExtension, SeparatorsOfUrlsAndPosixPaths) {
    // On POSIX "\\" and ":" belong to the name.
    EXPECT_EQ(Extension("/home/x/a.b\\c", "/"), ".b\\c");
    EXPECT_EQ(Extension("/home/x/a.b\\c"), "");
    EXPECT_EQ(WithoutExtension("/home/a:b.zbp", "/"), "/home/a:b");
    EXPECT_EQ(WithoutExtension("/home/a.d/job", "/"), "/home/a.d/job");
    EXPECT_EQ(WithoutExtension("C:\\a.d\\job.zbp"), "C:\\a.d\\job");
    EXPECT_EQ(ExtensionStart("x.y/z", "/"), std::string_view::npos);
}
