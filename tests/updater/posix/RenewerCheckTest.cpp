// The whole check against the local HTTP test server: installed products
// in a registry store of a scratch folder, content descriptions served by
// tests/servers/httpserver.py, the start-up check, workers and their stop,
// and the console zrenew's exit statuses.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/Messages.h"
#include "platform/Registry.h"
#include "updater/Renewer.h"

namespace {

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

std::string describe(const std::string& products) {
    return "<TREE TITLE=\"Root\" >\r\n  <TREE TITLE=\"Zelko\" >\r\n" + products + "  </>\r\n</>\r\n";
}

std::string product(const char* title, const char* version, const char* page) {
    return std::string("    <TREE TITLE=\"") + title + "\" VERSION=\"" + version + "\" PRODUCTURL=\"" + page +
           "\" ></>\r\n";
}

// A scratch folder holding the registry store and the served files, and
// the server over them; the server ends when its stdin closes.
class RenewerCheck : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/zrenew-test-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        folder_ = pattern;
        setenv("XDG_CONFIG_HOME", (folder_ + "/config").c_str(), 1);
        ASSERT_EQ(0, system(("mkdir -p " + folder_ + "/config " + folder_ + "/root").c_str()));
        writeFile(folder_ + "/root/newer.xml", describe(product("Brask", "034000", "http://h/brask-new")));
        writeFile(folder_ + "/root/same.xml", describe(product("Brask", "033000", "http://h/brask")));
        writeFile(folder_ + "/root/older.xml", describe(product("Brask", "032000", "http://h/brask-old")));
        writeFile(folder_ + "/script.json",
                  "{\"/missing.xml\": {\"status\": 404, \"body\": \"<html>no such page</html>\"},"
                  " \"/stall.xml\": {\"body\": \"<TREE TITLE=Root><TREE TITLE=Zelko>\", \"stall\": 10}}");
        const std::string command = "exec /usr/bin/python3 " ZB_SOURCE_DIR "/tests/servers/httpserver.py --root " +
                                    folder_ + "/root --script " + folder_ + "/script.json --max-seconds 120 --port-file " +
                                    folder_ + "/port > /dev/null";
        server_ = popen(command.c_str(), "w");
        ASSERT_NE(nullptr, server_);
        for (int i = 0; i < 200 && readAll(folder_ + "/port").empty(); ++i) platform::SleepMs(50);
        port_ = readAll(folder_ + "/port");
        while (!port_.empty() && (port_.back() == '\n' || port_.back() == '\r')) port_.pop_back();
        ASSERT_FALSE(port_.empty()) << "the test server did not start";
    }

    void TearDown() override {
        if (server_) pclose(server_);
        if (!folder_.empty()) (void)system(("rm -rf " + folder_).c_str());
    }

    std::string url(const char* path) const { return "http://127.0.0.1:" + port_ + path; }

    // The group Zelko with one product Brask, installed 033000.
    void install(const char* contentPath, const char* lastSeen = nullptr) {
        const std::string group = std::string(kRenewerKey) + "\\Zelko";
        ASSERT_TRUE(platform::SetCurrentUserString(kRenewerKey, "Location", "/opt/zrenew"));
        ASSERT_TRUE(platform::SetCurrentUserString(group.c_str(), "ContentURL", url(contentPath)));
        ASSERT_TRUE(platform::SetCurrentUserString((group + "\\Brask").c_str(), "Version", "033000"));
        ASSERT_TRUE(platform::SetCurrentUserString((group + "\\Brask").c_str(), "ProductUrl", "http://h/brask"));
        if (lastSeen) {
            ASSERT_TRUE(platform::SetCurrentUserString((group + "\\Brask").c_str(), "LastSeen", lastSeen));
        }
    }

    std::string brask(const char* value) const {
        return platform::CurrentUserString((std::string(kRenewerKey) + "\\Zelko\\Brask").c_str(), value, 100);
    }

    // Runs the console program; its exit status.
    int zrenew(const std::string& args, std::string* out = nullptr) const {
        const std::string command = std::string(ZB_BINARY_DIR "/bin/zrenew ") + args + " > " + folder_ +
                                    "/out.txt 2> " + folder_ + "/err.txt";
        const int status = system(command.c_str());
        if (out) *out = readAll(folder_ + "/out.txt");
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string folder_;
    std::string port_;
    FILE* server_ = nullptr;
};

// Answers every question the same way and notes what it was asked.
class Answers : public RenewerNotices {
public:
    explicit Answers(int answer) : answer_(answer) {}
    int askAboutUpdate(const ObjNode& node) override {
        asked.push_back(node.prop().title + " " + node.prop().newVersion);
        return answer_;
    }
    void openPage(const std::string& url) override { opened.push_back(url); }

    std::vector<std::string> asked;
    std::vector<std::string> opened;

private:
    int answer_;
};

TEST_F(RenewerCheck, ReadsTheInstalledTree) {
    install("/same.xml", "033500");
    ASSERT_TRUE(platform::SetCurrentUserString((std::string(kRenewerKey) + "\\Zelko\\Alpha").c_str(), "Version", "7"));
    ASSERT_TRUE(platform::SetCurrentUserString((std::string(kRenewerKey) + "\\Other").c_str(), "ContentUrl", "x"));
    Renewer r;
    ObjNode* other = r.root().firstChild();
    ASSERT_TRUE(other);
    EXPECT_EQ("Other", other->prop().title) << "keys enumerate in name order without case";
    ObjNode* zelko = other->nextSibling();
    ASSERT_TRUE(zelko);
    EXPECT_EQ(url("/same.xml"), zelko->prop().contentUrl) << "value names match without case";
    ObjNode* alpha = zelko->firstChild();
    ASSERT_TRUE(alpha && alpha->nextSibling());
    EXPECT_EQ("7", alpha->prop().lastSeen) << "no LastSeen: the installed version";
    const ObjectProp& b = alpha->nextSibling()->prop();
    EXPECT_EQ(33000, b.versionNumber);
    EXPECT_EQ("http://h/brask", b.productUrl);
    EXPECT_EQ(33500, b.lastSeenNumber);
    EXPECT_EQ(nullptr, r.findGroup("zelko")) << "the group name matches with case";
}

TEST_F(RenewerCheck, StartUpCheckAgainstTheServersVersions) {
    struct {
        const char* path;
        const char* lastSeen;
        bool newer;
    } cases[] = {
        {"/newer.xml", nullptr, true},
        {"/same.xml", nullptr, false},
        {"/older.xml", nullptr, false},
        {"/newer.xml", "034000", false},  // already seen
        {"/same.xml", "032000", false},   // seen below installed: the installed version counts
    };
    for (const auto& c : cases) {
        install(c.path, c.lastSeen ? c.lastSeen : "033000");
        Renewer r;
        Answers close(kAnswerClose);
        const Renewer::StartResult result = r.checkAtStart("Zelko", false, close);
        EXPECT_EQ(c.newer, result.newerFound) << c.path;
        ObjNode* group = r.findGroup("Zelko");
        ASSERT_TRUE(group);
        EXPECT_EQ(ObjNode::Checked | ObjNode::CheckSucceeded, group->flags) << c.path;
        EXPECT_EQ(c.newer ? 1u : 0u, close.asked.size()) << c.path;
        if (c.newer) {
            EXPECT_EQ("Brask 034000", close.asked[0]);
            EXPECT_EQ(group->firstChild(), result.select);
            EXPECT_EQ("http://h/brask-new", group->firstChild()->prop().productUrl) << "the server's page";
        }
    }
}

TEST_F(RenewerCheck, TheAnswersToTheStartUpQuestion) {
    install("/newer.xml");
    {
        Renewer r;
        Answers page(kAnswerProductPage);
        EXPECT_FALSE(r.checkAtStart("Zelko", false, page).openWindow);
        EXPECT_EQ(std::vector<std::string>{"http://h/brask-new"}, page.opened);
        EXPECT_EQ("", brask("LastSeen")) << "only declining writes LastSeen";
    }
    {
        Renewer r;
        Answers window(kAnswerOpenUpdater);
        EXPECT_TRUE(r.checkAtStart("Zelko", false, window).openWindow);
    }
    {
        Renewer r;
        Answers decline(kAnswerDoNotRemind);
        EXPECT_FALSE(r.checkAtStart("Zelko", false, decline).openWindow);
        EXPECT_EQ("034000", brask("LastSeen"));
    }
    {
        Renewer r;
        Answers again(kAnswerClose);
        EXPECT_FALSE(r.checkAtStart("Zelko", false, again).newerFound) << "the declined version is not asked again";
        EXPECT_TRUE(again.asked.empty());
    }
}

TEST_F(RenewerCheck, FirstRunDeclinesWithoutAsking) {
    install("/newer.xml");
    Renewer r;
    Answers never(kAnswerOpenUpdater);
    const Renewer::StartResult result = r.checkAtStart("Zelko", true, never);
    EXPECT_TRUE(result.newerFound);
    EXPECT_FALSE(result.openWindow);
    EXPECT_TRUE(never.asked.empty());
    EXPECT_EQ("034000", brask("LastSeen"));
}

TEST_F(RenewerCheck, AFailedFetchFindsNothing) {
    install("/missing.xml");
    Renewer r;
    Answers close(kAnswerClose);
    EXPECT_FALSE(r.checkAtStart("Zelko", false, close).newerFound);
    EXPECT_EQ(ObjNode::Checked | ObjNode::CheckFailed, r.findGroup("Zelko")->flags);
    EXPECT_FALSE(r.checkAtStart("NoSuchGroup", false, close).newerFound);
    EXPECT_FALSE(r.checkAtStart("\"Zelko\"", false, close).newerFound);

    ObjNode none;
    EXPECT_NE(0, Fetch("http://127.0.0.1:1/refused.xml", none)) << "a refused connection is an error code";
}

TEST_F(RenewerCheck, ChecksFromTheWindowCompareWithTheInstalledVersion) {
    install("/newer.xml", "034000");
    Renewer r;
    platform::MessageQueue window;
    ObjNode* group = r.findGroup("Zelko");
    // Two checks of one group at once: both merge.
    GetContentThread* first = r.startCheck(*group, window.handle());
    GetContentThread* second = r.startCheck(*group, window.handle());
    ASSERT_TRUE(first && second);
    EXPECT_EQ(2u, r.listed());
    for (int done = 0; done < 2;) {
        platform::Message m;
        ASSERT_TRUE(window.wait(10000, m)) << "a worker did not report";
        ASSERT_EQ(kCheckDoneMessage, m.id);
        EXPECT_TRUE(r.onCheckDone(reinterpret_cast<GetContentThread*>(m.lParam)));
        ++done;
    }
    EXPECT_EQ(0u, r.listed());
    EXPECT_TRUE(group->firstChild()->flags & ObjNode::UpdateAvailable) << "LastSeen does not hide it here";
    EXPECT_EQ("034000", group->firstChild()->prop().newVersion);
    EXPECT_EQ(nullptr, r.startCheck(*group->firstChild(), window.handle())) << "a product has no content URL";

    r.reload();
    group = r.findGroup("Zelko");
    ASSERT_TRUE(group);
    EXPECT_EQ(0, group->flags | group->childFlags) << "a reload drops the results";
}

TEST_F(RenewerCheck, AStalledCheckIsStoppedAndItsResultDropped) {
    install("/stall.xml");
    Renewer r;
    platform::MessageQueue window;
    ObjNode* group = r.findGroup("Zelko");
    ASSERT_TRUE(r.startCheck(*group, window.handle()));
    platform::Message m;
    EXPECT_FALSE(window.wait(500, m)) << "the server stalls";
    EXPECT_TRUE(r.anyActive());
    r.stopAll();
    EXPECT_FALSE(r.anyActive()) << "the program may end now";
    ASSERT_TRUE(window.wait(5000, m)) << "stopping breaks off the fetch";
    EXPECT_TRUE(r.onCheckDone(reinterpret_cast<GetContentThread*>(m.lParam)));
    EXPECT_EQ(0, group->flags) << "a stopped worker's result is dropped";
}

TEST_F(RenewerCheck, ConsoleExitStatuses) {
    std::string out;
    install("/same.xml");
    EXPECT_EQ(0, zrenew("Zelko", &out));
    EXPECT_EQ("Brask\tinstalled 033000\tcurrent 033000\thttp://h/brask\n", out);
    install("/older.xml");
    EXPECT_EQ(0, zrenew("Zelko", &out));
    EXPECT_EQ("Brask\tinstalled 033000\tcurrent 032000\thttp://h/brask\n", out);
    install("/newer.xml");
    EXPECT_EQ(1, zrenew("Zelko", &out));
    EXPECT_EQ("Brask\tinstalled 033000\tcurrent 034000\thttp://h/brask-new\tnewer version available\n", out);
    install("/missing.xml");
    EXPECT_EQ(2, zrenew("Zelko"));
    EXPECT_EQ(2, zrenew("Nothing"));
    EXPECT_EQ(2, zrenew(""));
}

}  // namespace

namespace {

TEST_F(RenewerCheck, MergingADescriptionIntoTheInstalledGroup) {
    const std::string group = std::string(kRenewerKey) + "\\Zelko";
    for (const char* title : {"Beta", "Delta", "Gamma"})
        ASSERT_TRUE(platform::SetCurrentUserString((group + "\\" + title).c_str(), "Version", "2.1"));
    ASSERT_TRUE(platform::SetCurrentUserString((group + "\\Tools\\Pad").c_str(), "Version", "1"));
    Renewer r;
    ObjNode* g = r.findGroup("Zelko");
    ASSERT_TRUE(g);
    ObjNode described;
    ObjNode* outer = described.append(ObjNode::group("Root", ""));
    ObjNode* d = outer->append(ObjNode::group("Zelko", ""));
    d->append(ObjNode::product("alpha", "1", 1, ""));       // before the first installed title
    d->append(ObjNode::product("BETA", "2.5", 2, "b"));      // case differs, same number
    d->append(ObjNode::product("Charlie", "4", 4, "c"));     // between two installed titles
    d->append(ObjNode::product("delta", "3", 3, "http://h/delta"));
    d->append(ObjNode::group("tools", ""))->append(ObjNode::product("pad", "2", 2, "http://h/pad"));
    d->append(ObjNode::product("Zulu", "9", 9, ""));         // after the last installed title
    Check(*g, described, 0, false);

    std::string titles;
    for (ObjNode* n = g->firstChild(); n; n = n->nextSibling()) titles += n->prop().title + ",";
    EXPECT_EQ("alpha,Beta,Charlie,Delta,Gamma,Tools,", titles);
    EXPECT_EQ("1", platform::CurrentUserString((group + "\\alpha").c_str(), "Version", 100));
    EXPECT_EQ("4", platform::CurrentUserString((group + "\\Charlie").c_str(), "Version", 100));
    EXPECT_FALSE(platform::CurrentUserKeyExists((group + "\\Zulu").c_str()));

    ObjNode* beta = g->firstChild()->nextSibling();
    EXPECT_EQ(0, beta->flags) << "2.5 against 2.1: both are 2";
    EXPECT_EQ(0, beta->nextSibling()->flags) << "an added product is not marked";
    ObjNode* delta = beta->nextSibling()->nextSibling();
    EXPECT_EQ(ObjNode::UpdateAvailable, delta->flags);
    EXPECT_EQ("http://h/delta", delta->prop().productUrl);
    ObjNode* pad = g->lastChild()->firstChild();
    ASSERT_TRUE(pad);
    EXPECT_EQ(ObjNode::UpdateAvailable, pad->flags) << "groups merge recursively";
    EXPECT_EQ(ObjNode::UpdateAvailable, g->lastChild()->childFlags);
    EXPECT_EQ(ObjNode::Checked | ObjNode::CheckSucceeded, g->flags);

    ObjNode noGroupLevel;
    noGroupLevel.append(ObjNode::group("Root", ""));
    Check(*g, noGroupLevel, 0, false);
    EXPECT_EQ(ObjNode::Checked | ObjNode::CheckSucceeded | ObjNode::CheckFailed, g->flags)
        << "outcomes add up; a description without the group level fails";
}

TEST_F(RenewerCheck, SettingsAndLanguageFiles) {
    EXPECT_EQ("/opt/z/zrenew.ini", RenewerFiles::settingsPath("/opt/z/zrenew.exe"));
    EXPECT_EQ("/opt/z.d/zrenew.ini", RenewerFiles::settingsPath("/opt/z.d/zrenew"));
    EXPECT_EQ("/opt/z/zrenu.dll", RenewerFiles::languageLibrary("/opt/z/zrenew", 0));
    EXPECT_EQ("/opt/z/zrrus.hlp", RenewerFiles::helpFile("/opt/z/zrenew", 5));
    const std::string ini = folder_ + "/zrenew.ini";
    bool firstRun = false;
    EXPECT_EQ(0, RenewerFiles::readLanguage(ini, firstRun));
    EXPECT_TRUE(firstRun);
    ASSERT_EQ(0, RenewerFiles::writeLanguage(ini, 1));
    EXPECT_EQ(1, RenewerFiles::readLanguage(ini, firstRun));
    EXPECT_FALSE(firstRun);
    EXPECT_NE(std::string::npos, readAll(ini).find("[Options]\r\nLanguage=1\r\n"));
}

TEST_F(RenewerCheck, RegistryStoreKeepsAnyValue) {
    const std::string key = std::string(kRenewerKey) + "\\Odd=Key%";
    const std::string value = "line\r\nbreak = 100% \x01";
    ASSERT_TRUE(platform::SetCurrentUserString(key.c_str(), "Na=me", value));
    EXPECT_EQ(value, platform::CurrentUserString(key.c_str(), "NA=ME", 1024));
    EXPECT_EQ("", platform::CurrentUserString(key.c_str(), "na=me", value.size())) << "too long for the buffer";
    std::string v;
    EXPECT_TRUE(platform::CurrentUserValue(key.c_str(), "na=me", value.size() + 1, v));
    const std::string longName(260, 'k');
    ASSERT_TRUE(platform::SetCurrentUserString((std::string(kRenewerKey) + "\\" + longName).c_str(), "Version", "1"));
    for (const std::string& name : platform::CurrentUserSubkeys(kRenewerKey, 260)) EXPECT_NE(longName, name);
}

}  // namespace

namespace {

TEST_F(RenewerCheck, BadDescriptionsFailTheCheckAndLeaveTheTreeIntact) {
    std::string deep = "<TREE TITLE=Root><TREE TITLE=Zelko>";
    for (int i = 0; i < 100000; ++i) deep += "<TREE TITLE=Brask VERSION=99>";
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary += char(i * 7 % 256);
    const struct {
        const char* name;
        std::string body;
        bool failed;
    } cases[] = {
        {"empty.xml", "", true},
        {"binary.xml", binary, true},
        {"large.xml", std::string(10 << 20, 'x'), true},
        {"unterminated.xml", "<TREE TITLE=Root><TREE TITLE=Zelko><TREE TITLE=\"Brask VERSION=9", false},
        {"comment.xml", "<TREE TITLE=Root><TREE TITLE=Zelko><!-- <TREE TITLE=Brask VERSION=99>", false},
        {"deep.xml", deep, false},
    };
    for (const auto& c : cases) {
        writeFile(folder_ + "/root/" + c.name, c.body);
        install(("/" + std::string(c.name)).c_str());
        Renewer r;
        Answers close(kAnswerClose);
        const uint32_t start = platform::TickCount();
        EXPECT_FALSE(r.checkAtStart("Zelko", false, close).newerFound) << c.name;
        EXPECT_LT(platform::TickCount() - start, 20000u) << c.name;
        ObjNode* g = r.findGroup("Zelko");
        ASSERT_TRUE(g && g->firstChild()) << c.name;
        EXPECT_EQ(c.failed ? ObjNode::Checked | ObjNode::CheckFailed : ObjNode::Checked | ObjNode::CheckSucceeded,
                  g->flags)
            << c.name;
        EXPECT_EQ("Brask", g->firstChild()->prop().title) << c.name;
        EXPECT_EQ(nullptr, g->firstChild()->nextSibling()) << c.name;
    }
}

}  // namespace
