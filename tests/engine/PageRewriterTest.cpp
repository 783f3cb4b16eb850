// Rewriting stored pages: what each link becomes, that undoing gives the
// page back byte for byte, and over the whole page corpus that every link
// to a stored target leads to an existing file. Then the stub pages, the
// start page and deleting a project's files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "app/Lang.h"
#include "engine/LocalPath.h"
#include "engine/PageRewriter.h"
#include "engine/StubPages.h"
#include "platform/File.h"
#include "site/ExtractSupport.h"
#include "site/GraphSupport.h"
#include "site/LinkGraph.h"
#include "site/Mission.h"
#include "site/ResolveLinks.h"
#include "site/StyleSheet.h"
#include "framework/mwstream.h"

namespace fs = std::filesystem;

namespace {

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void spit(const fs::path& p, const std::string& s) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << s;
}

class SiteCopy : public ::testing::Test {
protected:
    fs::path out = fs::path(ZB_BINARY_DIR) / "testtmp" / ("rewrite-" + std::to_string(std::random_device{}()));
    TestPolicy policy;
    LinkGraph g{policy};
    PageRewriter rewriter{g};

    SiteCopy() {
        fs::create_directories(out);
        g.outputFolder = out.string().c_str();
        policy.internalLevels = 10;
        policy.externalLevels = 10;
    }
    ~SiteCopy() override {
        std::error_code ec;
        fs::remove_all(out, ec);
    }

    // Stores content as the node of url would be stored; returns its path.
    fs::path store(ToBeOpenTN& node, const std::string& content, const char* type = "text/html") {
        AStr url = g.urlOf(node);
        saving::PlaceRequest r;
        r.url = url;
        r.outputFolder = g.outputFolder;
        r.mediaType = type;
        AStr path;
        EXPECT_TRUE(saving::localPath(r, path)) << url.c_str();
        spit(path.c_str(), content);
        node.savedFile = g.relativePath(path);
        node.state = StateDone;
        node.flags |= FlagReceived;
        return fs::path(path.c_str());
    }

    // The page is fetched: its links extracted, resolved and entered.
    ToBeOpenTN* page(const char* url, const std::string& content, fs::path* file = nullptr) {
        g.beginStartUrls();
        ToBeOpenTN* p = g.addStartUrl(url, true);
        fs::path f = store(*p, content);
        if (file) *file = f;
        sitetest::Extracted x;
        sitetest::Extract(content, x);
        p->baseUrl = x.base;
        g.replaceLinks(*p, x.links);
        std::vector<ResolvedLink> resolved;
        ResolveLinks(p->links, url, p->baseUrl, true, resolved);
        g.processLinks(*p, resolved);
        return p;
    }
};

}  // namespace

TEST_F(SiteCopy, LinksLeadToStoredCopiesAndUndoingRestoresThePage) {
    const std::string html =
        "<html><head><base href=\"http://h/dir/\"><title>t</title></head><body>\n"
        "<a href=\"b.htm#part\">stored</a> <a href='#top'>self</a> <a href=\"index.htm\">me</a>\n"
        "<a href=\"http://other.example/x.htm\">elsewhere</a> <img src=\"pic.gif\">\n"
        "<a href=\"sub\\c.htm?q=a\\b\">backslash</a> <a href=\"http://[bad/\">broken</a>\n"
        "<form action=\"b.htm\"></form></body></html>\n";
    fs::path file;
    ToBeOpenTN* p = page("http://h/dir/index.htm", html, &file);
    ToBeOpenTN* b = g.find("http://h/dir/b.htm");
    ASSERT_TRUE(b);
    store(*b, "B");
    ToBeOpenTN* pic = g.find("http://h/dir/pic.gif");
    ASSERT_TRUE(pic);
    pic->flags |= FlagOtherCodePage;  // a picture of another code page that is not stored
    platform::FileTimes old{1000000000};
    ASSERT_EQ(0, platform::SetFileTimes(file.string().c_str(), old));

    ASSERT_TRUE(rewriter.rewrite(*p));
    EXPECT_TRUE(p->flags & FlagRewritten);
    std::string now = slurp(file);
    EXPECT_NE(now.find("<base DL_rem_href=\"http://h/dir/\">"), std::string::npos) << now;
    EXPECT_NE(now.find("<a href=\"b.htm#part\">stored"), std::string::npos);
    EXPECT_NE(now.find("<a href='#top'>self"), std::string::npos);
    EXPECT_NE(now.find("<a href=\"index.htm\">me"), std::string::npos);
    EXPECT_NE(now.find("<a href=\"http://other.example/x.htm\">"), std::string::npos);
    EXPECT_NE(now.find("<img src=\"empty.gif\">"), std::string::npos);
    EXPECT_NE(now.find("<a href=\"http://h/dir/sub/c.htm?q=a\\b\">"), std::string::npos) << now;
    EXPECT_NE(now.find("<a href=\"http://[bad/\">"), std::string::npos);
    EXPECT_NE(now.find("<form action=\"http://h/dir/b.htm\">"), std::string::npos);  // not followed: the URL
    platform::FileTimes kept;
    ASSERT_EQ(0, platform::GetFileTimes(file.string().c_str(), kept));
    EXPECT_EQ(old.modified, kept.modified);
    EXPECT_FALSE(fs::exists(file.string() + "_"));

    // Rewriting again undoes first: the result is the same.
    ASSERT_TRUE(rewriter.rewrite(*p));
    EXPECT_EQ(now, slurp(file));
    ASSERT_TRUE(rewriter.unrewrite(*p));
    EXPECT_EQ(html, slurp(file));
    EXPECT_FALSE(p->flags & FlagRewritten);
}

// URLs inside sheets, style and srcset lead to the stored copies too, and
// a stored name that would end them there ("a(0).gif" in an unquoted
// url(), a blank in a srcset) is written with escapes that name it.
TEST_F(SiteCopy, StyleAndSrcsetLinksLeadToStoredCopies) {
    const std::string html =
        "<style>@import 'css/s.css'; body{background:url(a.gif)}</style>\n"
        "<p style=\"background:url(&quot;b.gif&quot;)\">x</p>\n"
        "<img src=c.gif srcset=\"c2.gif 2x, http://elsewhere.example/c3.gif 3x\">\n";
    fs::path file;
    ToBeOpenTN* p = page("http://h/index.htm", html, &file);
    struct Stored {
        const char* url;
        const char* as;  // stored name, "" for the name the URL gives
    } stored[] = {{"http://h/css/s.css", ""}, {"http://h/a.gif", "a(0).gif"}, {"http://h/b.gif", ""},
                  {"http://h/c.gif", ""}, {"http://h/c2.gif", "c 2, x.gif"}};
    for (const Stored& st : stored) {
        ToBeOpenTN* n = g.find(st.url);
        ASSERT_TRUE(n) << st.url;
        AStr name = g.urlOf(*n);
        fs::path f = store(*n, "x", name.view().ends_with(".css") ? "text/css" : "image/gif");
        if (*st.as) {
            fs::path renamed = f.parent_path() / st.as;
            fs::rename(f, renamed);
            n->savedFile = g.relativePath(AStr(renamed.string().c_str()));
        }
    }
    ASSERT_TRUE(rewriter.rewrite(*p));
    std::string now = slurp(file);
    EXPECT_NE(now.find("@import 'css/s.css'; body{background:url(a%280%29.gif)}"), std::string::npos) << now;
    EXPECT_NE(now.find("style=\"background:url(&quot;b.gif&quot;)\""), std::string::npos) << now;
    EXPECT_NE(now.find("<img src=c.gif srcset=\"c%202%2C%20x.gif 2x, http://elsewhere.example/c3.gif 3x\">"),
              std::string::npos) << now;
    ASSERT_TRUE(rewriter.unrewrite(*p));
    EXPECT_EQ(html, slurp(file));

    // The sheet's own URLs are read against the sheet and lead from its copy.
    ToBeOpenTN* sheet = g.find("http://h/css/s.css");
    const std::string css =
        "@import url(\"t.css\");\np { background: url(../a.gif) } q{b:url(img/d.gif)} r{s:url(e.php?v&copy=1)}";
    fs::path sheetFile = store(*sheet, css, "text/css");
    // As the scheduler does once it has read the file as a sheet.
    sheet->flags &= ~FlagPicture;
    ExtractList links;
    imwstream in(css);
    ASSERT_EQ(0, ExtractStyleSheet(in, links, ExtractURL::kMaxLinks));
    g.replaceLinks(*sheet, links);
    std::vector<ResolvedLink> resolved;
    ResolveLinks(sheet->links, "http://h/css/s.css", "", true, resolved);
    g.processLinks(*sheet, resolved);
    ToBeOpenTN* t = g.find("http://h/css/t.css");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->state, StateQueued);
    store(*t, "", "text/css");
    ASSERT_TRUE(rewriter.rewrite(*sheet));
    EXPECT_EQ(slurp(sheetFile), "@import url(\"t.css\");\np { background: url(../a%280%29.gif) } "
                                "q{b:url(http://h/css/img/d.gif)} r{s:url(http://h/css/e.php?v&copy=1)}");
    ASSERT_TRUE(rewriter.unrewrite(*sheet));
    EXPECT_EQ(css, slurp(sheetFile));
}

TEST_F(SiteCopy, AFailedRewriteLeavesThePageAndItsFlags) {
    const std::string html = "<a href=\"a.htm\">a</a><a href=\"b.htm\">b</a>";
    fs::path file;
    ToBeOpenTN* p = page("http://h/index.htm", html, &file);
    // The page changed on disk since its links were read: records that no
    // longer stand where they say are left alone.
    spit(file, "<a href=\"q.htm\">a</a><a href=\"b.htm\">b</a>");
    ASSERT_TRUE(rewriter.rewrite(*p));
    EXPECT_EQ("<a href=\"q.htm\">a</a><a href=\"http://h/b.htm\">b</a>", slurp(file));
    ASSERT_TRUE(rewriter.unrewrite(*p));
    EXPECT_EQ("<a href=\"q.htm\">a</a><a href=\"b.htm\">b</a>", slurp(file));

    fs::remove(file);
    EXPECT_FALSE(rewriter.rewrite(*p));
    EXPECT_FALSE(p->flags & FlagRewritten);
}

TEST_F(SiteCopy, EveryCorpusPageRoundTripsAndItsStoredLinksResolve) {
    fs::path corpus = fs::path(ZB_SOURCE_DIR) / "tests" / "data" / "pages";
    int pages = 0, checked = 0;
    for (const auto& e : fs::directory_iterator(corpus)) {
        if (e.path().extension() != ".htm") continue;
        std::string url;
        std::ifstream expect(fs::path(e.path()).replace_extension(".expect"));
        for (std::string line; std::getline(expect, line);)
            if (line.rfind("url\t", 0) == 0) url = line.substr(4);
        ASSERT_FALSE(url.empty()) << e.path();
        const std::string html = slurp(e.path());
        fs::path file;
        ToBeOpenTN* p = page(url.c_str(), html, &file);
        // Every second target is stored.
        int i = 0;
        for (ExtractNode* l : each<ExtractNode>(p->links))
            if (l->target && l->target != p && l->target->savedFile.empty() && i++ % 2 == 0) store(*l->target, "x");
        ASSERT_TRUE(rewriter.rewrite(*p)) << e.path();
        const std::string now = slurp(file);
        for (ExtractNode* l : each<ExtractNode>(p->links)) {
            if (!l->savedLen || !l->target || l->target->savedFile.empty() || (l->flags & FlagNotFollowed)) continue;
            std::string rep = now.substr(l->savedPos - l->savedLen, l->savedLen);
            std::string target = rep.substr(0, rep.find('#'));
            if (target.empty() || target.rfind("http:", 0) == 0) continue;
            EXPECT_TRUE(fs::exists(file.parent_path() / target)) << e.path() << ": " << rep;
            ++checked;
        }
        ASSERT_TRUE(rewriter.unrewrite(*p));
        EXPECT_EQ(html, slurp(file)) << e.path();
        ++pages;
        g.clear();
    }
    EXPECT_GE(pages, 17);
    EXPECT_GE(checked, 20);
}

TEST_F(SiteCopy, LongRewritesTellTheirProgressEveryTenRecords) {
    std::string html;
    for (int i = 0; i < 35; ++i) html += "<a href=\"p" + std::to_string(i) + ".htm\">x</a>";
    ToBeOpenTN* p = page("http://h/index.htm", html);
    uint32_t tick = 5000;
    rewriter.clock = [&] { return tick += 600; };  // looked at every tenth record
    std::vector<size_t> shown;
    rewriter.progress = [&](size_t record, size_t count, const AStr& url) {
        shown.push_back(record);
        EXPECT_EQ(35u, count);
        EXPECT_EQ("http://h/index.htm", url);
    };
    ASSERT_TRUE(rewriter.rewrite(*p));
    // Nothing during the first second, then every tenth record.
    EXPECT_EQ((std::vector<size_t>{10, 20, 30}), shown);
}

TEST_F(SiteCopy, TheGraphMakesStubsForLinksItDoesNotFollow) {
    Lang lang;
    StubPages stubs(g, {lang, "enu"});
    stubs.installInGraph();
    g.stubs = true;
    policy.internalLevels = 0;  // links of the start page lie beyond the levels
    ToBeOpenTN* p = page("http://h/index.htm", "<a href=\"far.htm\">far</a><img src=\"i.gif\">");
    ToBeOpenTN* far = g.find("http://h/far.htm");
    ASSERT_TRUE(far);
    EXPECT_TRUE(far->flags & FlagStub);
    EXPECT_NE(slurp(g.absolutePath(far->savedFile).c_str()).find("charset=windows-1252"), std::string::npos);
    ASSERT_TRUE(rewriter.rewrite(*p));
    EXPECT_NE(slurp(g.absolutePath(p->savedFile).c_str()).find("<a href=\"far.htm\">"), std::string::npos);
}

TEST_F(SiteCopy, StubsAreNamedWithTheJobsOutputFlagsAsItsPagesAre) {
    Lang lang;
    for (uint32_t flags : {uint32_t{Mission::kOutputNames83}, uint32_t{Mission::kOutputNoSubdir},
                           uint32_t{Mission::kOutputNames83 | Mission::kOutputNoSubdir}}) {
        StubPages stubs(g, {lang, "enu"});
        stubs.setOutputFlags(flags);
        ToBeOpenTN* p = page("http://h/index.htm", "<a href=\"deep/folder/a-long-page-name.html\">x</a>");
        ToBeOpenTN* far = g.find("http://h/deep/folder/a-long-page-name.html");
        ASSERT_TRUE(far);
        far->flags |= FlagSkipped;
        far->savedFile.clear();
        stubs.writeStubsForPage(*p);
        ASSERT_FALSE(far->savedFile.empty());
        // Out of the way, so that the page's own naming finds the place free.
        AStr stub = g.absolutePath(far->savedFile);
        ASSERT_TRUE(platform::DeleteFile(stub.c_str()) == 0);
        saving::PlaceRequest r;
        AStr url = g.urlOf(*far);
        r.url = url;
        r.outputFolder = g.outputFolder;
        r.mediaType = "text/html";
        r.outputFlags = flags;
        AStr expected;
        ASSERT_TRUE(saving::localPath(r, expected));
        EXPECT_EQ(stub, expected) << flags;
        (void)platform::DeleteFile(expected.c_str());
    }
}

TEST_F(SiteCopy, APageWithoutLinksIsRewrittenAsItCame) {
    fs::path file;
    ToBeOpenTN* p = page("http://h/plain.htm", "<p>no links here</p>", &file);
    ASSERT_TRUE(rewriter.rewrite(*p));
    EXPECT_TRUE(p->flags & FlagRewritten);
    EXPECT_EQ(slurp(file), "<p>no links here</p>");
    ASSERT_TRUE(rewriter.unrewrite(*p));
    EXPECT_FALSE(p->flags & FlagRewritten);
    EXPECT_EQ(slurp(file), "<p>no links here</p>");
}

TEST_F(SiteCopy, StubsStandInForWhatIsNotFetched) {
    Lang lang;  // no library: the texts are empty, the structure stays
    StubPages stubs(g, {lang, "rus"});
    ToBeOpenTN* p = page("http://h/index.htm",
                         "<a href=\"skipped.htm\">1</a><a href=\"done.htm\">2</a><a href=\"pic.gif\">"
                         "<img src=\"pic.gif\"></a><a href=\"failed.zip\">3</a>");
    ToBeOpenTN* skipped = g.find("http://h/skipped.htm");
    ToBeOpenTN* done = g.find("http://h/done.htm");
    ToBeOpenTN* failed = g.find("http://h/failed.zip");
    ASSERT_TRUE(skipped && done && failed);
    skipped->flags |= FlagSkipped;
    store(*done, "done");
    failed->state = StateFailed;
    g.find("http://h/pic.gif")->flags |= FlagPicture;

    stubs.writeStubsForPage(*p);
    EXPECT_EQ(uint32_t(FlagReceived | FlagStub | FlagOtherCodePage | FlagRewritten),
              skipped->flags & (FlagReceived | FlagStub | FlagOtherCodePage | FlagRewritten));
    std::string stub = slurp(g.absolutePath(skipped->savedFile).c_str());
    EXPECT_NE(stub.find("charset=windows-1251"), std::string::npos) << stub;
    EXPECT_NE(stub.find("<a href=\"http://h/skipped.htm\">http://h/skipped.htm</a>"), std::string::npos) << stub;
    EXPECT_NE(stub.find("<hr>"), std::string::npos);
    EXPECT_EQ("done", slurp(g.absolutePath(done->savedFile).c_str()));  // fetched: no stub
    EXPECT_TRUE(failed->flags & FlagStub);
    EXPECT_TRUE(g.find("http://h/pic.gif")->savedFile.empty());  // pictures never
    EXPECT_EQ(fs::path(g.absolutePath(failed->savedFile).c_str()).filename(), "failed.zip.htm");

    // The rewritten page now leads to the stubs.
    ASSERT_TRUE(rewriter.rewrite(*p));
    EXPECT_NE(slurp(g.absolutePath(p->savedFile).c_str()).find("href=\"skipped.htm\""), std::string::npos);

    // The start page leads to the start URL's copy.
    ASSERT_TRUE(stubs.writeStartPage("My site"));
    std::string start = slurp(out / "start.htm");
    EXPECT_NE(start.find("<h1>My site</h1>"), std::string::npos) << start;
    EXPECT_NE(start.find("<a href=\"h/index.htm\" target=\"_blank\">http://h/index.htm</a>"), std::string::npos) << start;
    EXPECT_NE(start.find("<dd>"), std::string::npos);

    // Deleting everything leaves no file of the project, and files that
    // are not the project's stay.
    spit(out / "mine.txt", "keep");
    stubs.deleteAllFiles();
    EXPECT_FALSE(fs::exists(out / "start.htm"));
    EXPECT_TRUE(p->savedFile.empty());
    EXPECT_TRUE(fs::exists(out / "mine.txt"));
    size_t files = 0;
    for (auto& f : fs::recursive_directory_iterator(out)) files += f.is_regular_file();
    EXPECT_EQ(1u, files);
    fs::remove(out / "mine.txt");
    stubs.deleteAllFiles();
    EXPECT_FALSE(fs::exists(out));
}
