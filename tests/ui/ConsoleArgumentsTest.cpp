// The terminal program's command line: every option of a job parsed,
// applied to a mission and kept in the project file; wrong options and
// values refused with the text that names them.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/ApplicationProfile.h"
#include "app/CommandLine.h"
#include "site/Project.h"
#include "ui/console/ConsoleArguments.h"

namespace fs = std::filesystem;

namespace {

using Words = std::vector<std::string>;

constexpr const char* kUrl = "http://127.0.0.1:8000/";
constexpr const char* kHere = "/home/user/work";

ConsoleArguments Parse(const Words& w) { return ParseConsoleArguments(w, kHere); }

// A mission at the built-in defaults, whatever the program's settings say.
Mission Defaults() { return Mission(ApplicationProfile("")); }

std::string Joined(const StrList& list) {
    std::string s;
    for (StrNode* n = list.first(); n; n = static_cast<StrNode*>(n->next())) s += std::string(n->str.c_str()) + "|";
    return s;
}

// A mission's field by name, as text, so that one table covers them all.
std::string Field(const Mission& m, const std::string& name) {
    if (name == "levelsInternal") return std::to_string(m.levelsInternal);
    if (name == "levelsExternal") return std::to_string(m.levelsExternal);
    if (name == "maxNumThread") return std::to_string(m.maxNumThread);
    if (name == "maxNumFiles") return std::to_string(m.maxNumFiles);
    if (name == "maxSizeFiles") return std::to_string(m.maxSizeFiles);
    if (name == "timeMaxWait") return std::to_string(m.timeMaxWait);
    if (name == "includeUrls") return Joined(m.includeUrls);
    if (name == "excludeUrls") return Joined(m.excludeUrls);
    if (name == "onlyInDirectory") return std::to_string(m.onlyInDirectory);
    if (name == "allowPicture") return std::to_string(m.allowPicture);
    if (name == "allowSound") return std::to_string(m.allowSound);
    if (name == "allowVideo") return std::to_string(m.allowVideo);
    if (name == "allowDownload") return std::to_string(m.allowDownload);
    if (name == "stubs") return std::to_string(m.stubs);
    if (name == "outputPath") return m.outputPath.c_str();
    if (name == "user") return m.user.c_str();
    if (name == "password") return m.password.c_str();
    if (name == "saveCredentials") return std::to_string(m.saveCredentials);
    ADD_FAILURE() << "no field " << name;
    return {};
}

struct Applied {
    Words words;
    const char* field;
    std::string expected;
};

const Applied kApplied[] = {
    // Numbers, with the value apart or after "=".
    {{"--depth", "3", kUrl}, "levelsInternal", "3"},
    {{"--depth=0", kUrl}, "levelsInternal", "0"},
    {{"--depth", "2147483647", kUrl}, "levelsInternal", "2147483647"},
    {{"--external-depth", "2", kUrl}, "levelsExternal", "2"},
    {{"--threads", "1", kUrl}, "maxNumThread", "1"},
    {{"--threads=9", kUrl}, "maxNumThread", "9"},
    {{"--max-files", "0", kUrl}, "maxNumFiles", "0"},
    {{"--max-files", "250", kUrl}, "maxNumFiles", "250"},
    {{"--max-size", "7", kUrl}, "maxSizeFiles", "7"},
    {{"--time-limit", "3", kUrl}, "timeMaxWait", "180000"},
    {{"--time-limit", "0", kUrl}, "timeMaxWait", "0"},
    {{"--time-limit", "35791", kUrl}, "timeMaxWait", "2147460000"},
    // Lists: repeated options make the list, in their order.
    {{"--include", "http://a/x/", kUrl}, "includeUrls", "http://a/x/|"},
    {{"--exclude", "http://a/1", "--exclude=http://a/2", kUrl}, "excludeUrls", "http://a/1|http://a/2|"},
    {{kUrl, "--exclude", "http://a/late"}, "excludeUrls", "http://a/late|"},
    // Switches on and off; the last one given counts.
    {{"--only-in-folder", kUrl}, "onlyInDirectory", "1"},
    {{"--only-in-folder", "--no-only-in-folder", kUrl}, "onlyInDirectory", "0"},
    {{"--no-pictures", kUrl}, "allowPicture", "0"},
    {{"--no-pictures", "--pictures", kUrl}, "allowPicture", "1"},
    {{"--sounds", kUrl}, "allowSound", "1"},
    {{"--videos", kUrl}, "allowVideo", "1"},
    {{"--downloads", kUrl}, "allowDownload", "1"},
    {{"--stubs", kUrl}, "stubs", "1"},
    // The output folder is made absolute against the current folder.
    {{"--output", "copy", kUrl}, "outputPath", "/home/user/work/copy"},
    {{"--output", "../a/b/", kUrl}, "outputPath", "/home/user/work/../a/b"},
    {{"--output=/srv/mirror", kUrl}, "outputPath", "/srv/mirror"},
    // Credentials are kept with the project.
    {{"--user", "ann", kUrl}, "user", "ann"},
    {{"--user", "ann", kUrl}, "saveCredentials", "1"},
    {{"--password", "s3 cret", kUrl}, "password", "s3 cret"},
    {{"--password=", kUrl}, "saveCredentials", "1"},
    // Nothing given changes nothing.
    {{kUrl}, "saveCredentials", "0"},
    {{kUrl}, "levelsInternal", "1"},
};

TEST(ConsoleArguments, EveryOptionIsAppliedToTheMission) {
    for (const Applied& row : kApplied) {
        SCOPED_TRACE(::testing::PrintToString(row.words));
        ConsoleArguments a = Parse(row.words);
        ASSERT_EQ(a.action, ConsoleArguments::kRun) << a.option;
        Mission m = Defaults();
        a.job.applyTo(m);
        EXPECT_EQ(Field(m, row.field), row.expected) << row.field;
    }
}

TEST(ConsoleArguments, TheRunIsWhatItsWordsSay) {
    struct Row {
        Words words;
        RunRequest::Kind kind;
        std::string value;
        bool update;
    } rows[] = {
        {{"/url", kUrl, "--depth", "2"}, RunRequest::Url, kUrl, false},
        {{"--depth", "2", kUrl}, RunRequest::Url, kUrl, false},  // a plain URL
        {{"https://Example.org/a b"}, RunRequest::Url, "https://Example.org/a b", false},
        {{"/f", "job.zbp", "--threads", "3"}, RunRequest::OpenFile, "job.zbp", false},
        {{"--threads", "3", "--update", "job.zbp"}, RunRequest::OpenFile, "job.zbp", true},
        {{"--update=job.zbp"}, RunRequest::OpenFile, "job.zbp", true},
        // "/url" takes the next word, even one that looks like an option.
        {{"/url", "--odd"}, RunRequest::Url, "--odd", false},
        // After "--" nothing is an option.
        {{"--", "--a.zbp"}, RunRequest::Batch, "", false},
        {{"a.zbp", "b.zbp"}, RunRequest::Batch, "", false},
        {{"/auto", "--quiet"}, RunRequest::Auto, "", false},
        {{}, RunRequest::Plain, "", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.words));
        ConsoleArguments a = Parse(row.words);
        ASSERT_EQ(a.action, ConsoleArguments::kRun) << a.option;
        RunRequest r = ParseRunRequest(a.run);
        EXPECT_EQ(r.kind, row.kind);
        EXPECT_EQ(r.value, row.value);
        EXPECT_EQ(a.update, row.update);
    }
    EXPECT_TRUE(Parse({"--quiet", kUrl}).quiet);
    EXPECT_FALSE(Parse({kUrl}).quiet);
    // The password never reaches the words the application is given.
    for (const std::string& w : Parse({"--password", "hush", kUrl}).run) EXPECT_EQ(w.find("hush"), std::string::npos);
}

TEST(ConsoleArguments, HelpAndVersionWinWhereverTheyStand) {
    EXPECT_EQ(Parse({"--help"}).action, ConsoleArguments::kHelp);
    EXPECT_EQ(Parse({"-h"}).action, ConsoleArguments::kHelp);
    EXPECT_EQ(Parse({kUrl, "--depth", "2", "-h"}).action, ConsoleArguments::kHelp);
    EXPECT_EQ(Parse({"--version"}).action, ConsoleArguments::kVersion);
    EXPECT_EQ(Parse({"--help=x"}).action, ConsoleArguments::kWrong);
    // Once past "--" it is a project name like any other.
    EXPECT_EQ(Parse({"--", "--help"}).action, ConsoleArguments::kRun);
}

struct Refused {
    Words words;
    int error;
    const char* option;
    const char* value;
    long long lowest, highest;
};

const Refused kRefused[] = {
    // Numbers out of the range the mission sheet allows, or no number.
    {{"--threads", "0", kUrl}, kTextNumberWanted, "--threads", "0", 1, 9},
    {{"--threads", "1000", kUrl}, kTextNumberWanted, "--threads", "1000", 1, 9},
    {{"--threads", "10", kUrl}, kTextNumberWanted, "--threads", "10", 1, 9},
    {{"--depth", "-1", kUrl}, kTextNumberWanted, "--depth", "-1", 0, INT32_MAX},
    {{"--depth", "2147483648", kUrl}, kTextNumberWanted, "--depth", "2147483648", 0, INT32_MAX},
    {{"--depth", "99999999999999999999", kUrl}, kTextNumberWanted, "--depth", "99999999999999999999", 0, INT32_MAX},
    {{"--external-depth", "two", kUrl}, kTextNumberWanted, "--external-depth", "two", 0, INT32_MAX},
    {{"--max-size", "abc", kUrl}, kTextNumberWanted, "--max-size", "abc", 1, INT32_MAX},
    {{"--max-size", "0", kUrl}, kTextNumberWanted, "--max-size", "0", 1, INT32_MAX},
    {{"--max-size", "5MB", kUrl}, kTextNumberWanted, "--max-size", "5MB", 1, INT32_MAX},
    {{"--max-files", " 5", kUrl}, kTextNumberWanted, "--max-files", " 5", 0, INT32_MAX},
    {{"--max-files=", kUrl}, kTextNumberWanted, "--max-files", "", 0, INT32_MAX},
    {{"--time-limit", "35792", kUrl}, kTextNumberWanted, "--time-limit", "35792", 0, 35791},
    {{"--time-limit", "-", kUrl}, kTextNumberWanted, "--time-limit", "-", 0, 35791},
    // Options the program does not know, and values missing or extra.
    {{"--frobnicate", kUrl}, kTextUnknownOption, "--frobnicate", "", 0, 0},
    {{"--frobnicate=1", kUrl}, kTextUnknownOption, "--frobnicate", "", 0, 0},
    {{"-x", kUrl}, kTextUnknownOption, "-x", "", 0, 0},
    {{"--DEPTH", "2", kUrl}, kTextUnknownOption, "--DEPTH", "", 0, 0},
    {{kUrl, "--depth"}, kTextNeedsValue, "--depth", "", 0, 0},
    {{"--update"}, kTextNeedsValue, "--update", "", 0, 0},
    {{"--stubs=1", kUrl}, kTextTakesNoValue, "--stubs", "", 0, 0},
    {{"--include", "", kUrl}, kTextNeedsValue, "--include", "", 0, 0},
    {{"--exclude=", kUrl}, kTextNeedsValue, "--exclude", "", 0, 0},
    {{"--output", "", kUrl}, kTextNeedsValue, "--output", "", 0, 0},
    // Bytes that would reach a request line or the project file.
    {{"--agent", "a\r\nX-Evil: 1", kUrl}, kTextControlChars, "--agent", "", 0, 0},
    {{"--user", "ann\n", kUrl}, kTextControlChars, "--user", "", 0, 0},
    {{"--password", "se\x01" "cret", kUrl}, kTextControlChars, "--password", "", 0, 0},
    {{"--exclude", "http://a/\t", kUrl}, kTextControlChars, "--exclude", "", 0, 0},
    {{"--proxy", "host", kUrl}, kTextProxyWanted, "--proxy", "host", 0, 0},
    {{"--proxy", ":8080", kUrl}, kTextProxyWanted, "--proxy", ":8080", 0, 0},
    {{"--proxy", "host:0", kUrl}, kTextProxyWanted, "--proxy", "host:0", 0, 0},
    {{"--proxy", "host:65536", kUrl}, kTextProxyWanted, "--proxy", "host:65536", 0, 0},
    {{"--proxy", "host:-1", kUrl}, kTextProxyWanted, "--proxy", "host:-1", 0, 0},
    {{"--proxy", "http://host:8080", kUrl}, kTextProxyWanted, "--proxy", "http://host:8080", 0, 0},
    // A job's options need a job: a batch runs its projects' own.
    {{"--depth", "2"}, kTextOptionsNeedJob, "--depth", "", 0, 0},
    {{"--stubs", "/auto"}, kTextOptionsNeedJob, "--stubs", "", 0, 0},
    {{"a.zbp", "b.zbp", "--threads", "2"}, kTextOptionsNeedJob, "--threads", "", 0, 0},
    {{"--password", "x", "a.zbp"}, kTextOptionsNeedJob, "--password", "", 0, 0},
    // One job at a time, and nothing after it that is no option.
    {{kUrl, "depth", "3"}, kTextStrayWord, "depth", "", 0, 0},
    {{"/url", kUrl, "http://other/"}, kTextStrayWord, "http://other/", "", 0, 0},
    {{"/f", "a.zbp", "b.zbp"}, kTextStrayWord, "b.zbp", "", 0, 0},
    {{"--update", "a.zbp", "/url", kUrl}, kTextStrayWord, "/url", "", 0, 0},
};

TEST(ConsoleArguments, WrongOptionsAndValuesAreNamed) {
    for (const Refused& row : kRefused) {
        SCOPED_TRACE(::testing::PrintToString(row.words));
        ConsoleArguments a = Parse(row.words);
        ASSERT_EQ(a.action, ConsoleArguments::kWrong);
        EXPECT_EQ(a.error, row.error);
        EXPECT_EQ(a.option, row.option);
        EXPECT_EQ(a.value, row.value);
        if (row.error == kTextNumberWanted) {
            EXPECT_EQ(a.lowest, row.lowest);
            EXPECT_EQ(a.highest, row.highest);
        }
    }
}

TEST(ConsoleArguments, APasswordIsNeverNamedInAnError) {
    for (const Words& w : {Words{"--password", "hush\n", kUrl}, Words{"--password=hush\x7f", kUrl},
                           Words{"--pasword=hush", kUrl}, Words{"--password", "hush"}}) {
        ConsoleArguments a = Parse(w);
        ASSERT_EQ(a.action, ConsoleArguments::kWrong);
        EXPECT_EQ(a.option.find("hush"), std::string::npos);
        EXPECT_EQ(a.value.find("hush"), std::string::npos);
    }
}

// A project file of one test, removed at its end.
struct ProjectFile {
    fs::path path = fs::temp_directory_path() /
                    ("zb-args-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".zbp");
    ProjectFile() { fs::remove(path); }
    ~ProjectFile() { fs::remove(path); }
    std::string text() const {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};

TEST(ConsoleArguments, TheOptionsAreKeptInTheProjectAndReadBack) {
    ProjectFile file;
    ConsoleArguments a =
        Parse({"--depth", "4", "--external-depth", "1", "--threads", "2", "--include", "http://a/in/", "--exclude",
               "http://a/out/", "--exclude", "http://a/tmp/", "--only-in-folder", "--no-pictures", "--sounds",
               "--videos", "--downloads", "--stubs", "--max-files", "77", "--max-size", "12", "--time-limit", "4",
               "--output", "here", "--user", "ann", "--password", "hush", "--agent", "Tester/1.0", "--proxy",
               "127.0.0.1:3128", kUrl});
    ASSERT_EQ(a.action, ConsoleArguments::kRun) << a.option;
    Project p{ApplicationProfile("")};
    p.urls.add(kUrl);
    a.job.applyTo(p);
    ASSERT_EQ(p.save(file.path.string().c_str()), 0);
    ASSERT_EQ(a.job.saveConnection(p), 0);

    Project back{ApplicationProfile("")};
    ASSERT_EQ(back.open(file.path.string().c_str()), 0);
    EXPECT_TRUE(back.equals(p));
    EXPECT_EQ(back.levelsInternal, 4);
    EXPECT_EQ(Joined(back.excludeUrls), "http://a/out/|http://a/tmp/|");
    EXPECT_EQ(back.timeMaxWait, 240000);
    EXPECT_EQ(std::string(back.outputPath.c_str()), "/home/user/work/here");
    EXPECT_EQ(std::string(back.password.c_str()), "hush");
    // Stored encoded, never as typed.
    EXPECT_EQ(file.text().find("hush"), std::string::npos);

    // The connection comes back from the project, over the program's own.
    JobConnection program;
    program.agent = "Program/3";
    program.proxy.use = true;
    program.proxy.address = "proxy.lan:8080";
    program.proxy.user = "pu";
    JobConnection c = ConnectionOf(back, program, JobOptions());
    EXPECT_EQ(std::string(c.agent.c_str()), "Tester/1.0");
    EXPECT_TRUE(c.proxy.use);
    EXPECT_EQ(std::string(c.proxy.address.c_str()), "127.0.0.1:3128");
    EXPECT_TRUE(c.proxy.user.empty()) << "the program's proxy login went to another proxy";

    // Options given again replace what the project keeps.
    ConsoleArguments again = Parse({"/f", "job.zbp", "--agent", "Other/2", "--include", "http://b/"});
    c = ConnectionOf(back, program, again.job);
    EXPECT_EQ(std::string(c.agent.c_str()), "Other/2");
    again.job.applyTo(back);
    EXPECT_EQ(Joined(back.includeUrls), "http://b/|");
    EXPECT_EQ(back.levelsInternal, 4);
}

TEST(ConsoleArguments, AProjectWithoutAConnectionOfItsOwnUsesTheProgramsOne) {
    ProjectFile file;
    Project p{ApplicationProfile("")};
    p.urls.add(kUrl);
    ASSERT_EQ(p.save(file.path.string().c_str()), 0);
    ASSERT_EQ(JobOptions().saveConnection(p), 0);
    EXPECT_EQ(file.text().find("InternetAgent"), std::string::npos);
    EXPECT_EQ(file.text().find("[Proxy]"), std::string::npos);

    JobConnection program;
    program.agent = "Program/3";
    program.proxy.use = true;
    program.proxy.address = "proxy.lan:8080";
    JobConnection c = ConnectionOf(p, program, JobOptions());
    EXPECT_EQ(std::string(c.agent.c_str()), "Program/3");
    EXPECT_EQ(std::string(c.proxy.address.c_str()), "proxy.lan:8080");

    // A project that turns the proxy off goes direct.
    std::ofstream(file.path, std::ios::app) << "[Proxy]\r\nUse=0\r\nAddress=\r\n";
    Project off{ApplicationProfile("")};
    ASSERT_EQ(off.open(file.path.string().c_str()), 0);
    EXPECT_FALSE(ConnectionOf(off, program, JobOptions()).proxy.use);
}

}  // namespace
