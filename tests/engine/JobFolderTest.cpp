// Where unnamed jobs go: one folder per host, a numbered one beside it for
// every further start URL on that host, and the same URL found again in
// the folder it was given first.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "app/ApplicationProfile.h"
#include "engine/JobFolder.h"
#include "platform/File.h"
#include "site/Project.h"

namespace {

namespace fs = std::filesystem;

constexpr char kSep = platform::kPathSep;

std::string str(const AStr& s) { return s.c_str(); }

struct Base {
    fs::path folder = fs::path(ZB_BINARY_DIR) / "testtmp" / ("jobfolder-" + std::to_string(std::random_device{}()));
    Base() { fs::create_directories(folder); }
    ~Base() {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
    AStr path() const { return AStr(folder.string()); }
    // base + separator + rel, with rel's "/" in the platform's form.
    std::string at(std::string rel) const {
        for (char& c : rel)
            if (c == '/') c = kSep;
        return folder.string() + kSep + rel;
    }
    // The project a job for url leaves when it starts.
    void saveJob(const std::string& url) const {
        UnnamedJob job = UnnamedJobFor(url, path(), kSep);
        fs::create_directories(job.folder.c_str());
        Project p{ApplicationProfile()};
        p.urls.add(AStr(url));
        ASSERT_EQ(p.save(job.project.c_str()), 0) << job.project.c_str();
    }
};

TEST(JobFolder, NamesTheFolderAfterTheHost) {
    EXPECT_EQ(UnnamedJobFolder("http://www.example.com:8080/a/b.html", "/base/", '/'), "/base/www.example.com");
    EXPECT_EQ(UnnamedJobFolder("mailto:", "C:\\out", '\\'), "C:\\out\\download");
    EXPECT_EQ(UnnamedJobProject("/base/h", '/'), "/base/h/h.zbp");
    EXPECT_EQ(NumberedJobFolder("/base/h", 1), "/base/h");
    EXPECT_EQ(NumberedJobFolder("/base/h", 3), "/base/h-3");
}

TEST(JobFolder, SameStartUrlComparesTheEnteredForm) {
    EXPECT_TRUE(SameStartUrl("http://h/a.html", "http://h/a.html"));
    EXPECT_TRUE(SameStartUrl("  http://h/a.html ", "http://h/a.html"));
    EXPECT_TRUE(SameStartUrl("HTTP://H/a.html", "http://h/a.html"));
    EXPECT_FALSE(SameStartUrl("http://h/a.html", "http://h/b.html"));
    EXPECT_FALSE(SameStartUrl("http://h/a.html", "http://h/A.html"));
}

TEST(JobFolder, AFreshHostTakesItsOwnFolder) {
    Base b;
    UnnamedJob job = UnnamedJobFor("http://h.test/a.html", b.path(), kSep);
    EXPECT_EQ(str(job.folder), b.at("h.test"));
    EXPECT_EQ(str(job.project), b.at("h.test/h.test.zbp"));
    EXPECT_FALSE(job.continues);
}

TEST(JobFolder, AFolderWithoutAProjectIsTakenAsBefore) {
    // What stands there (a file in the way, a read-only folder) is the
    // job's to say when it starts.
    Base b;
    fs::create_directories(b.at("h.test/h.test"));
    UnnamedJob job = UnnamedJobFor("http://h.test/a.html", b.path(), kSep);
    EXPECT_EQ(str(job.folder), b.at("h.test"));
    EXPECT_FALSE(job.continues);
}

TEST(JobFolder, TheSameUrlContinuesItsJobAndOthersGetFoldersOfTheirOwn) {
    Base b;
    b.saveJob("http://h.test/a.html");
    UnnamedJob again = UnnamedJobFor("http://h.test/a.html", b.path(), kSep);
    EXPECT_TRUE(again.continues);
    EXPECT_EQ(str(again.project), b.at("h.test/h.test.zbp"));

    UnnamedJob other = UnnamedJobFor("http://h.test/b.html", b.path(), kSep);
    EXPECT_FALSE(other.continues);
    EXPECT_EQ(str(other.project), b.at("h.test-2/h.test-2.zbp"));
    b.saveJob("http://h.test/b.html");
    b.saveJob("http://h.test/c.html");

    UnnamedJob third = UnnamedJobFor("http://h.test/c.html", b.path(), kSep);
    EXPECT_TRUE(third.continues);
    EXPECT_EQ(str(third.project), b.at("h.test-3/h.test-3.zbp"));
    EXPECT_TRUE(UnnamedJobFor("http://h.test/b.html", b.path(), kSep).continues);
    EXPECT_EQ(str(UnnamedJobFor("http://h.test/d.html", b.path(), kSep).project), b.at("h.test-4/h.test-4.zbp"));
}

TEST(JobFolder, AProjectOfSeveralStartUrlsIsAnotherJob) {
    Base b;
    fs::create_directories(b.at("h.test"));
    Project p{ApplicationProfile()};
    p.urls.add("http://h.test/a.html");
    p.urls.add("http://h.test/b.html");
    ASSERT_EQ(p.save(b.at("h.test/h.test.zbp").c_str()), 0);
    UnnamedJob job = UnnamedJobFor("http://h.test/a.html", b.path(), kSep);
    EXPECT_FALSE(job.continues);
    EXPECT_EQ(str(job.folder), b.at("h.test-2"));
}

TEST(JobFolder, AFolderTheUserNamesIsContinuedOrLeftToItsOwnJob) {
    Base b;
    UnnamedJob fresh = JobInFolder("http://h.test/a.html", AStr(b.at("copy")), kSep);
    EXPECT_EQ(str(fresh.folder), b.at("copy"));
    EXPECT_EQ(str(fresh.project), b.at("copy/copy.zbp"));
    EXPECT_FALSE(fresh.continues);
    EXPECT_FALSE(fresh.taken);

    b.saveJob("http://h.test/a.html");
    UnnamedJob same = JobInFolder("http://h.test/a.html", AStr(b.at("h.test")), kSep);
    EXPECT_TRUE(same.continues);
    EXPECT_FALSE(same.taken);
    // Another URL would write over that job's project.
    UnnamedJob other = JobInFolder("http://h.test/b.html", AStr(b.at("h.test")), kSep);
    EXPECT_FALSE(other.continues);
    EXPECT_TRUE(other.taken);
}

}  // namespace
