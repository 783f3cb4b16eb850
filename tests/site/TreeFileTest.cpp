#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "framework/mwstream.h"
#include "site/GraphSupport.h"
#include "site/LocalPaths.h"
#include "site/LinkGraph.h"
#include "site/NodeUrl.h"
#include "site/PersistContext.h"
#include "site/TreeFile.h"
#include "site/TreeFileWriter.h"

namespace fs = std::filesystem;

namespace {

std::string save(LinkGraph& g) {
    omwstream out;
    EXPECT_EQ(writeTree(g, out), 0);
    return std::string(out.data());
}

int load(LinkGraph& g, const std::string& bytes) {
    imwstream in(bytes);
    return readTree(g, in);
}

size_t nodeCount(const ToBeOpenTN& n) {
    size_t c = 1;
    for (const ToBeOpenTN* k = n.firstChild(); k; k = k->nextSibling()) c += nodeCount(*k);
    return c;
}

// Everything the file holds, one line per node, with link targets as URLs.
void describe(const ToBeOpenTN& n, std::string& out) {
    out += std::string(nodeUrl(&n).view()) + " s" + std::to_string(n.state) + " f" + std::to_string(n.flags) + " l" +
           std::to_string(n.level) + " o" + std::to_string(n.onStartHost) + " t[" + std::string(n.tail.view()) + "] [" +
           std::string(n.savedFile.view()) + "] [" + std::string(n.rawFile.view()) + "] [" + std::string(n.title.view()) +
           "] cp" + std::to_string(n.codePage) + " [" + std::string(n.baseUrl.view()) + "] r" + std::to_string(n.reserved) +
           " refs" + std::to_string(n.referrers.count()) + "\n";
    for (const ExtractNode* l : each<ExtractNode>(n.links))
        out += "  -> [" + std::string(l->linkText.view()) + "] " + std::to_string(l->valueEnd) + " " +
               std::to_string(l->savedPos) + " " + std::to_string(l->savedLen) + " " + std::to_string(l->tag) + " " +
               std::to_string(l->attribute) + " f" + std::to_string(l->flags) + " [" + std::string(l->refText.view()) +
               "] " + (l->target ? std::string(nodeUrl(l->target).view()) : "none") + " " + std::to_string(l->attrStart) +
               " [" + std::string(l->codebase.view()) + "]\n";
    for (const ToBeOpenTN* k = n.firstChild(); k; k = k->nextSibling()) describe(*k, out);
}
std::string describe(const LinkGraph& g) {
    std::string s;
    describe(g.root(), s);
    return s;
}

// The first line where two descriptions differ, "" when they agree.
std::string firstDifference(const std::string& a, const std::string& b) {
    size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
    if (i == a.size() && i == b.size()) return "";
    size_t from = a.rfind('\n', i);
    from = from == std::string::npos ? 0 : from + 1;
    return "[" + a.substr(from, a.find('\n', i) - from) + "] vs [" + b.substr(from, b.find('\n', i) - from) + "]";
}

std::vector<const ToBeOpenTN*> allNodes(const ToBeOpenTN& root) {
    std::vector<const ToBeOpenTN*> all, stack{&root};
    while (!stack.empty()) {
        const ToBeOpenTN* n = stack.back();
        stack.pop_back();
        all.push_back(n);
        for (const ToBeOpenTN* c = n->firstChild(); c; c = c->nextSibling()) stack.push_back(c);
    }
    return all;
}

// What a loaded graph must be, however damaged its file: every link leads
// to a node of the graph that names the page among its referrers, every
// referrer holds a link to its node, and (when counted after damage) the
// queue counters count no more than is queued. "" or the first fault.
std::string consistency(const LinkGraph& g, bool counted = true) {
    std::vector<const ToBeOpenTN*> all = allNodes(g.root());
    std::set<const ToBeOpenTN*> known(all.begin(), all.end());
    size_t queued = 0;
    for (const ToBeOpenTN* n : all) {
        queued += n->state == StateQueued;
        for (const ExtractNode* l : each<ExtractNode>(n->links)) {
            if (!l->target) continue;
            if (!known.count(l->target)) return "a link of " + std::string(nodeUrl(n).view()) + " leads outside";
            if (!l->target->referrers.contains(n))
                return std::string(nodeUrl(l->target).view()) + " misses its referrer " + nodeUrl(n).c_str();
        }
        for (const ToBeOpenTN* from : n->referrers) {
            if (!known.count(from)) return "a referrer of " + std::string(nodeUrl(n).view()) + " is gone";
            bool linked = false;
            for (const ExtractNode* l : each<ExtractNode>(from->links)) linked = linked || l->target == n;
            if (!linked) return std::string(nodeUrl(n).view()) + " has a referrer without a link";
        }
    }
    if (counted && g.counters.queuedFiles + g.counters.queuedPictures > queued) return "the queue counters count too many";
    return "";
}

// The names from the root down to a node.
std::string namePath(const ToBeOpenTN* n) {
    std::string path;
    for (; n && !n->isRoot(); n = n->parentNode()) path = std::string(n->name.view()) + '\n' + path;
    return path;
}

// Every node of back is one of whole's, with the same stored fields.
std::string notFrom(const LinkGraph& back, const LinkGraph& whole) {
    std::map<std::string, const ToBeOpenTN*> byPath;
    for (const ToBeOpenTN* w : allNodes(whole.root())) byPath[namePath(w)] = w;
    for (const ToBeOpenTN* n : allNodes(back.root())) {
        auto it = byPath.find(namePath(n));
        if (it == byPath.end()) return std::string(nodeUrl(n).view()) + " was not in the file";
        const ToBeOpenTN* w = it->second;
        if (n->savedFile != w->savedFile || n->title != w->title || n->flags != w->flags)
            return std::string(nodeUrl(n).view()) + " reads otherwise";
    }
    return "";
}

class TreeFileTest : public ::testing::Test {
protected:
    TestPolicy policy;
    LinkGraph g{policy};

    ExtractNode* addLink(ToBeOpenTN* page, ToBeOpenTN* target, const char* text) {
        auto* l = new ExtractNode;
        l->linkText = text;
        l->target = target;
        page->links.append(l);
        return l;
    }

    // A random graph: nodes under two hosts, links between random nodes
    // with every field set.
    void randomGraph(int nodes, unsigned seed) {
        std::mt19937 rng(seed);
        std::vector<ToBeOpenTN*> all;
        for (int i = 0; i < nodes; ++i) {
            std::string u = (rng() % 2 ? "http://a.example/" : "http://B.example/");
            int depth = static_cast<int>(rng() % 4);
            for (int d = 0; d < depth; ++d) u += "d" + std::to_string(rng() % 5) + "/";
            u += "f" + std::to_string(rng() % 1000) + (rng() % 3 ? ".html" : ".gif?x=/" + std::to_string(rng() % 9));
            ToBeOpenTN* n = g.findOrCreate(u, static_cast<uint8_t>(rng() % 60), false);
            n->state = static_cast<uint16_t>(rng() % 6);
            if (n->state == StateLoading) n->state = StateQueued;  // read back as queued
            n->flags = rng();
            n->onStartHost = rng() % 2;
            n->savedFile = localPathForm("a.example/f" + std::to_string(i) + ".html");
            if (rng() % 2) n->rawFile = localPathForm("raw/f" + std::to_string(i));
            n->title = ("Title " + std::to_string(rng())).c_str();
            n->codePage = static_cast<uint16_t>(rng() % 7);
            if (rng() % 3 == 0) n->baseUrl = "http://a.example/base/";
            n->reserved = static_cast<int32_t>(rng());
            if (rng() % 4 == 0) n->tail = "/";
            all.push_back(n);
        }
        for (int i = 0; i < nodes * 2; ++i) {
            ToBeOpenTN* page = all[rng() % all.size()];
            ExtractNode* l = addLink(page, rng() % 10 ? all[rng() % all.size()] : nullptr, "link.html");
            l->valueEnd = rng();
            l->savedPos = rng();
            l->savedLen = static_cast<uint16_t>(rng());
            l->tag = static_cast<uint16_t>(rng() % 90);
            l->attribute = static_cast<uint16_t>(rng() % 149);
            l->flags = rng();
            if (rng() % 2) l->refText = "text";
            if (rng() % 3 == 0) l->attrStart = static_cast<int32_t>(rng() % 5000);
            if (rng() % 5 == 0) l->codebase = "classes/";
        }
        g.rebuildReferrers();
        g.counters = {1, 2, 3, 4, 5};
    }
};

}  // namespace

TEST_F(TreeFileTest, EmptyGraphIsTheHeaderAndARootWithTwoEmptyLists) {
    g.counters = {7, 0, 2, 1, 3};
    std::string f = save(g);
    OldTreeWriter w(10);
    OldNode root;
    root.id = 1;
    const uint32_t counters[5] = {7, 0, 2, 1, 3};
    EXPECT_EQ(f, w.file(root, counters));
    ASSERT_EQ(f.size(), 54u + 35u);
    EXPECT_EQ(f.substr(0, 28), std::string(" Zelko Brasky Tree File \x1A \0\0", 28));
    EXPECT_EQ(f[28], 10);
    EXPECT_EQ(f[29], 0);
    EXPECT_EQ(f.substr(50, 4), std::string(4, '\0'));
    EXPECT_EQ(f.substr(f.size() - 4), std::string(4, '\0'));  // the two list counts
}

TEST_F(TreeFileTest, ALinkNamesItsTargetFirstAndTheNodeRepeatsTheId) {
    ToBeOpenTN* s = g.addStartUrl("http://h/s.html", false);
    s->flags = 0;
    std::string f = save(g);
    // Root 1; the root's link mentions the start page first: 2; then the
    // host 3 and the page's own record with id 2 again.
    OldNode root;
    root.id = 1;
    OldLink rl;
    rl.text = "http://h/s.html";
    rl.target = 2;
    root.links.push_back(rl);
    OldNode host;
    host.id = 3;
    host.name = "http://h";
    OldNode page;
    page.id = 2;
    page.state = StateQueued;
    page.level = 0;
    page.name = "s.html";
    host.children.push_back(page);
    root.children.push_back(host);
    const uint32_t counters[5] = {0, 0, 1, 0, 0};
    EXPECT_EQ(f, OldTreeWriter(10).file(root, counters));
}

TEST_F(TreeFileTest, ExtraFollowsByteIsZeroForPlainLinksAndCarriesTheFields) {
    ToBeOpenTN* a = g.findOrCreate("http://h/a", 1, false);
    addLink(a, a, "x");
    ExtractNode* applet = addLink(a, nullptr, "Main.class");
    applet->attrStart = 17;
    applet->codebase = "cls/";
    std::string f = save(g);
    // The plain link ends in 0 right after its u16 target; the applet's
    // ends in 1, i32 17 and the codebase.
    // Ids: root 1, host 2, the page 3.
    const char plain[] = "\x03\x00\x00\x0a\x00Main.class";
    const char extra[] = "\x00\x00\x01\x11\x00\x00\x00\x04\x00" "cls/";
    EXPECT_NE(f.find(std::string(plain, sizeof plain - 1)), std::string::npos);
    EXPECT_NE(f.find(std::string(extra, sizeof extra - 1)), std::string::npos);
    LinkGraph back(policy);
    ASSERT_EQ(load(back, f), 0);
    g.rebuildReferrers();
    EXPECT_EQ(firstDifference(describe(back), describe(g)), "");
}

TEST_F(TreeFileTest, Version9FlagsAreSignExtended) {
    OldNode root;
    root.id = 1;
    OldNode host;
    host.id = 2;
    host.name = "http://h";
    host.flags = 0x8000;
    OldLink l;
    l.text = "x";
    l.flags = 0x8040;
    l.target = 2;
    host.links.push_back(l);
    root.children.push_back(host);
    ASSERT_EQ(load(g, OldTreeWriter(9).file(root)), 0);
    ToBeOpenTN* h = g.root().firstChild();
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(h->flags, 0xFFFF8000u);
    EXPECT_EQ(h->links.firstLink()->flags, 0xFFFF8040u);
    EXPECT_EQ(h->links.firstLink()->target, h);
    host.flags = 0x7FFF;
    root.children[0] = host;
    ASSERT_EQ(load(g, OldTreeWriter(9).file(root)), 0);
    EXPECT_EQ(g.root().firstChild()->flags, 0x7FFFu);
}

// One graph written in the layout of every older version: each reads back
// with what that version holds and the defaults for what it lacks.
TEST_F(TreeFileTest, EveryOlderVersionReadsWithItsDifferences) {
    g.outputFolder = "/out/site";
    for (int v = 1; v <= 11; ++v) {
        SCOPED_TRACE("version " + std::to_string(v));
        OldNode root;
        root.id = v < 4 ? 0x01000000 : 1;  // old files carried other u32 values
        OldNode host;
        host.id = v < 4 ? 0x02345678 : 2;
        host.name = "http://h";
        host.tail = "/";
        OldNode page;
        page.id = v < 4 ? 0x7FFFFFF0 : 3;
        page.state = StateDone;
        page.flags = 0x41;
        page.level = 1;
        page.onStartHost = 0;
        page.name = "p.html";
        page.saved = v < 5 ? "/out/site/h/p.html" : "h/p.html";
        page.dropped = "dropped";
        page.raw = "raw/p.html";
        page.title = "Title";
        page.codePage = 1251;
        page.baseUrl = "http://h/base/";
        page.reserved = 12345;
        OldLink l;
        l.text = "p.html";
        l.valueEnd = 100;
        l.savedPos = 90;
        l.savedLen = 6;
        l.tag = 1;
        l.attribute = 61;
        l.flags = 0x80;
        l.refText = "here";
        l.target = page.id;
        l.attrStart = 40;
        l.codebase = "cb/";
        page.links.push_back(l);
        l.target = host.id;
        l.attrStart = -1;
        l.codebase.clear();
        page.links.push_back(l);
        host.children.push_back(page);
        root.children.push_back(host);
        const uint32_t counters[5] = {5, 6, 7, 8, 9};

        ASSERT_EQ(load(g, OldTreeWriter(v).file(root, counters)), 0);
        ToBeOpenTN* h = g.root().firstChild();
        ASSERT_NE(h, nullptr);
        ToBeOpenTN* p = h->firstChild();
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(h->tail, v < 2 ? "" : "/");
        EXPECT_EQ(p->name, "p.html");
        EXPECT_EQ(p->savedFile, localPathForm("h/p.html"));  // made relative before 5
        EXPECT_EQ(p->rawFile, v <= 5 ? AStr() : localPathForm("raw/p.html"));
        EXPECT_EQ(p->onStartHost, v < 9);
        EXPECT_EQ(p->reserved, v <= 6 ? -1 : 12345);
        EXPECT_EQ(p->title, "Title");
        EXPECT_EQ(p->codePage, 1251);
        EXPECT_EQ(p->baseUrl, "http://h/base/");
        EXPECT_EQ(p->flags, 0x41u);
        EXPECT_EQ(g.counters.receivedFiles, v <= 2 ? 0u : 5u);
        EXPECT_EQ(g.counters.queuedPictures, v <= 2 ? 0u : 9u);
        ASSERT_EQ(p->links.count(), 2u);
        ExtractNode* first = p->links.firstLink();
        EXPECT_EQ(first->target, p);
        EXPECT_EQ(static_cast<ExtractNode*>(first->next())->target, h);
        EXPECT_EQ(first->refText, "here");
        EXPECT_EQ(first->attrStart, v <= 6 ? -1 : 40);
        EXPECT_EQ(first->codebase, v <= 7 ? "" : "cb/");
        EXPECT_EQ(p->referrers.count(), 1u);
        EXPECT_TRUE(h->referrers.contains(p));
    }
}

TEST_F(TreeFileTest, LargeRandomGraphRoundTripsToIdenticalBytes) {
    randomGraph(3000, 11);
    std::string first = save(g);
    LinkGraph back(policy);
    ASSERT_EQ(load(back, first), 0);
    EXPECT_EQ(firstDifference(describe(back), describe(g)), "");
    EXPECT_EQ(save(back), first);
    EXPECT_EQ(first[28], 10);
}

TEST_F(TreeFileTest, GraphBeyond65535NodesIsWrittenWideAndReadBackWhole) {
    ToBeOpenTN* dir = g.findOrCreate("http://h/dir/", 1, false);
    for (int i = 0; i < 70000; ++i) g.findOrCreate("http://h/dir/f" + std::to_string(i), 1, false);
    addLink(dir, g.find("http://h/dir/f69999"), "f69999");
    std::string f = save(g);
    EXPECT_EQ(f[28], 11);
    LinkGraph back(policy);
    ASSERT_EQ(load(back, f), 0);
    EXPECT_EQ(nodeCount(back.root()), nodeCount(g.root()));
    ToBeOpenTN* last = back.find("http://h/dir/f69999");
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(back.find("http://h/dir/")->links.firstLink()->target, last);
    EXPECT_EQ(save(back), f);
}

TEST_F(TreeFileTest, TruncationAtEveryOffsetKeepsWhatWasReadWhole) {
    randomGraph(40, 5);
    std::string f = save(g);
    // The header and the root's own fields.
    const size_t rootEnd = 54 + 2 + 2 + 4 + 1 + 1 + 2 * 5 + 2 + 2 + 2 + 4 + 1;
    size_t kept = 0;
    for (size_t n = 0; n < f.size(); ++n) {
        LinkGraph back(policy);
        back.findOrCreate("http://stale/x", 1, false);
        int r = load(back, f.substr(0, n));
        if (n < rootEnd) {
            ASSERT_EQ(r, -1) << "cut at " << n;
            EXPECT_TRUE(back.root().empty());
            EXPECT_TRUE(back.root().links.empty());
            continue;
        }
        ASSERT_EQ(r, kTreeDamaged) << "cut at " << n;
        EXPECT_EQ(consistency(back), "") << "cut at " << n;
        EXPECT_EQ(notFrom(back, g), "") << "cut at " << n;
        // The further the cut, the more is kept.
        size_t now = nodeCount(back.root());
        EXPECT_GE(now, kept) << "cut at " << n;
        kept = now;
    }
    EXPECT_EQ(kept, nodeCount(g.root()));  // cut in the last child count
}

TEST_F(TreeFileTest, RandomBytesNeverCrash) {
    randomGraph(30, 6);
    std::string f = save(g);
    std::mt19937 rng(3);
    int loaded = 0, damaged = 0;
    for (int i = 0; i < 3000; ++i) {
        std::string bad = f;
        // Keep the header most of the time so that the records get read.
        size_t from = i % 4 ? 30 : 0;
        for (int k = 0; k < 1 + i % 8; ++k) bad[from + rng() % (bad.size() - from)] = static_cast<char>(rng());
        LinkGraph back(policy);
        int r = load(back, bad);
        if (r == 0) ++loaded;
        if (r == kTreeDamaged) ++damaged;
        if (r == -1) EXPECT_TRUE(back.root().empty());
        // A whole file's counters are its header's, whatever they say.
        else EXPECT_EQ(consistency(back, r == kTreeDamaged), "") << i;
    }
    std::string noise(4000, '\0');
    for (char& c : noise) c = static_cast<char>(rng());
    EXPECT_EQ(load(g, noise), -1);
    EXPECT_GT(loaded, 0);  // a changed title or flag still loads
    EXPECT_GT(damaged, 0);
}

TEST_F(TreeFileTest, DamageKeepsTheRecordsBeforeItAndSettlesThePagesItTouched) {
    // index links to a, b and c; a links to b and c; aa is queued. In name order
    // the host's children are a, aa, b, c, index: c's record is the last
    // but one.
    ToBeOpenTN* a = g.findOrCreate("http://h.test/a.html", 1, false);
    ToBeOpenTN* b = g.findOrCreate("http://h.test/b.gif", 1, false);
    ToBeOpenTN* c = g.findOrCreate("http://h.test/c.html", 1, false);
    ToBeOpenTN* index = g.findOrCreate("http://h.test/index.html", 0, false);
    addLink(&g.root(), index, "http://h.test/index.html");
    addLink(index, a, "a.html");
    addLink(index, b, "b.gif");
    addLink(index, c, "link-to-c");
    addLink(a, b, "b.gif");
    addLink(a, c, "c.html");
    // Stored pages are new again once rewritten; a picture stays done.
    for (ToBeOpenTN* n : {a, c, index}) n->flags = FlagReceived | FlagRewritten;
    b->state = StateDone;
    b->flags = FlagReceived | FlagPicture;
    for (ToBeOpenTN* n : {a, b, c, index})
        n->savedFile = localPathForm(std::string("h.test/") + std::string(n->name.view()));
    c->title = "TITLE-C";
    ToBeOpenTN* d = g.findOrCreate("http://h.test/aa.html", 1, false);  // queued, not fetched yet
    g.setState(*d, StateQueued);
    g.rebuildReferrers();
    std::string f = save(g);
    auto at = [&](const char* text) {
        size_t p = f.find(text);
        EXPECT_NE(p, std::string::npos) << text;
        return p;
    };
    auto state = [](LinkGraph& back, const char* url) {
        ToBeOpenTN* n = back.find(url);
        return n ? static_cast<int>(n->state) : -1;
    };

    {
        // Cut in c's own fields: c goes, and a, which links to it, is asked
        // again to find it.
        LinkGraph back(policy);
        ASSERT_EQ(load(back, f.substr(0, at("TITLE-C"))), kTreeDamaged);
        EXPECT_EQ(consistency(back), "");
        EXPECT_EQ(state(back, "http://h.test/c.html"), -1);
        EXPECT_EQ(state(back, "http://h.test/a.html"), StateQueued);
        EXPECT_EQ(back.find("http://h.test/a.html")->links.count(), 2u);
        EXPECT_EQ(state(back, "http://h.test/b.gif"), StateDone);
        EXPECT_EQ(state(back, "http://h.test/aa.html"), StateQueued);
        // index comes after c: it went with the damage, and the start URL's
        // record that led to it too.
        EXPECT_EQ(state(back, "http://h.test/index.html"), -1);
        EXPECT_TRUE(back.root().links.empty());
        EXPECT_EQ(back.counters.queuedFiles, 2u);
        EXPECT_EQ(back.counters.queuedPictures, 0u);
        EXPECT_TRUE(back.find("http://h.test/b.gif")->referrers.contains(back.find("http://h.test/a.html")));
    }
    {
        // Cut in index's third link: index is fetched anew, what it linked
        // stays stored.
        LinkGraph back(policy);
        ASSERT_EQ(load(back, f.substr(0, at("link-to-c") + 2)), kTreeDamaged);
        EXPECT_EQ(consistency(back), "");
        ToBeOpenTN* bi = back.find("http://h.test/index.html");
        ASSERT_NE(bi, nullptr);
        EXPECT_EQ(bi->state, StateFailed);
        EXPECT_EQ(bi->savedFile, localPathForm("h.test/index.html"));
        EXPECT_EQ(bi->links.count(), 2u);
        EXPECT_EQ(state(back, "http://h.test/c.html"), StateNew);
        EXPECT_EQ(back.find("http://h.test/c.html")->referrers.count(), 1u);
        EXPECT_EQ(back.find("http://h.test/a.html")->referrers.count(), 1u);
        EXPECT_EQ(back.root().links.count(), 1u);
    }
    {
        // Garbage where index's links are: the same, however it reads.
        std::string bad = f;
        size_t from = f.rfind("a.html");
        for (size_t i = from; i < f.size(); ++i) bad[i] = static_cast<char>(0xFF);
        LinkGraph back(policy);
        ASSERT_EQ(load(back, bad), kTreeDamaged);
        EXPECT_EQ(consistency(back), "");
        EXPECT_EQ(state(back, "http://h.test/index.html"), StateFailed);
        EXPECT_EQ(state(back, "http://h.test/c.html"), StateNew);
    }
}

TEST_F(TreeFileTest, ChildCountsOf65535AtEveryLevelStopAtTheEndOfTheData) {
    // Each level: a count of 65535, then one child whose own child count
    // is again 65535, down to the end of the data.
    std::string f = OldTreeWriter(10).file(OldNode{});
    f.resize(f.size() - 2);  // the root's child count
    OldNode child;
    child.name = "c";
    std::string one = OldTreeWriter(10).file(child).substr(54);
    one.resize(one.size() - 2);
    for (int level = 0; level < 2000; ++level) {
        f += "\xff\xff";
        f += one;
    }
    EXPECT_EQ(load(g, f), kTreeDamaged);
    EXPECT_EQ(consistency(g), "");
}

TEST_F(TreeFileTest, NestingDeeperThanAnyUrlStopsThere) {
    OldNode root;
    OldNode* n = &root;
    for (int i = 0; i < 5000; ++i) {
        n->children.emplace_back();
        n = &n->children.back();
        n->name.assign(1, 'd');
    }
    EXPECT_EQ(load(g, OldTreeWriter(10).file(root)), kTreeDamaged);
    EXPECT_LE(nodeCount(g.root()), static_cast<size_t>(ReadContext::kMaxDepth) + 1);
    OldNode shallow;
    n = &shallow;
    for (int i = 0; i < 1000; ++i) {
        n->children.emplace_back();
        n = &n->children.back();
        n->name.assign(1, 'd');
    }
    EXPECT_EQ(load(g, OldTreeWriter(10).file(shallow)), 0);
}

TEST_F(TreeFileTest, UnknownIdsLeaveNoTargetAndCyclesLoad) {
    OldNode root;
    root.id = 1;
    OldNode a, b;
    a.id = 2;
    a.name = "http://a";
    b.id = 3;
    b.name = "http://b";
    OldLink toB, toA, toNothing, toSelf;
    toB.target = 3;
    toA.target = 2;
    toNothing.target = 999;
    toSelf.target = 2;
    a.links = {toB, toNothing, toSelf};
    b.links = {toA};
    root.children = {a, b};
    ASSERT_EQ(load(g, OldTreeWriter(10).file(root)), 0);
    ToBeOpenTN* na = g.root().firstChild();
    ToBeOpenTN* nb = na->nextSibling();
    ExtractNode* l = na->links.firstLink();
    EXPECT_EQ(l->target, nb);
    EXPECT_EQ(static_cast<ExtractNode*>(l->next())->target, nullptr);
    EXPECT_EQ(static_cast<ExtractNode*>(l->next()->next())->target, na);
    EXPECT_EQ(nb->links.firstLink()->target, na);
    EXPECT_EQ(na->referrers.count(), 2u);  // b and itself
    EXPECT_EQ(nb->referrers.count(), 1u);
}

TEST_F(TreeFileTest, LongestNameRoundTripsAndLongerOnesAreCut) {
    std::string name(65534, 'n');
    ToBeOpenTN* h = g.findOrCreate("http://h/", 1, false);
    h->insertChild(new ToBeOpenTN(name, 1));
    h->insertChild(new ToBeOpenTN(std::string(70000, 'z'), 1));
    LinkGraph back(policy);
    ASSERT_EQ(load(back, save(g)), 0);
    ToBeOpenTN* bh = back.root().firstChild();
    ASSERT_EQ(bh->count(), 2u);
    EXPECT_EQ(bh->firstChild()->name.size(), 65534u);
    EXPECT_EQ(bh->lastChild()->name.size(), 65534u);
}

TEST_F(TreeFileTest, PathsOutsideTheOutputFolderAreDropped) {
    g.outputFolder = "/out/site";
    const char* bad[] = {"../x.html", "/etc/passwd", "C:\\x.html", "a/../../b", "\\\\server\\share\\x", "a\\..\\..\\b", "f:stream"};
    for (int v : {4, 10}) {
        OldNode root;
        for (const char* p : bad) {
            OldNode n;
            n.name = std::string("http://") + std::to_string(root.children.size());
            n.saved = v < 5 ? std::string("/out/site/") + p : p;
            n.raw = p;
            root.children.push_back(n);
        }
        OldNode good;
        good.name = "http://z";
        good.saved = v < 5 ? "/out/site/h/ok.html" : "h/ok.html";
        good.raw = "h/ok.raw";
        root.children.push_back(good);
        OldNode elsewhere;
        elsewhere.name = "http://zz";
        elsewhere.saved = "/other/h/ok.html";
        root.children.push_back(elsewhere);
        ASSERT_EQ(load(g, OldTreeWriter(v).file(root)), 0);
        for (ToBeOpenTN* n = g.root().firstChild(); n; n = n->nextSibling()) {
            if (n->name == "http://z") {
                EXPECT_EQ(n->savedFile, localPathForm("h/ok.html"));
                EXPECT_EQ(n->rawFile, v < 5 ? AStr() : localPathForm("h/ok.raw"));
            } else {
                EXPECT_EQ(n->savedFile, "") << v << " " << n->name.c_str();
                EXPECT_EQ(n->rawFile, "") << v << " " << n->name.c_str();
            }
        }
    }
}

TEST_F(TreeFileTest, SignatureIgnoresCaseButNotOtherTextAndNewerVersionsAreRefused) {
    std::string f = save(g);
    std::string upper = f;
    for (size_t i = 0; i < 26; ++i) upper[i] = static_cast<char>(toupper(static_cast<unsigned char>(upper[i])));
    EXPECT_EQ(load(g, upper), 0);
    std::string other = f;
    other[3] = 'X';
    EXPECT_EQ(load(g, other), -1);
    std::string shortSig = f;
    shortSig[20] = '\0';
    EXPECT_EQ(load(g, shortSig), -1);
    for (uint16_t v : {0, 12, 300}) {
        std::string nv = f;
        nv[28] = static_cast<char>(v & 0xFF);
        nv[29] = static_cast<char>(v >> 8);
        EXPECT_EQ(load(g, nv), -1) << v;
    }
}

TEST_F(TreeFileTest, ChildrenOutOfOrderAreSortedWithTheCaseRuleOfTheirLevel) {
    // Hosts compare without case, names below them with it (lower case
    // first): a file in another order still gives a graph whose lookups work.
    OldNode root;
    OldNode hostB, hostA;
    hostB.name = "http://B.example";
    hostA.name = "http://a.example";
    for (const char* n : {"Z", "A", "a", "b"}) {
        OldNode c;
        c.name = n;
        hostB.children.push_back(c);
    }
    root.children = {hostB, hostA};
    ASSERT_EQ(load(g, OldTreeWriter(10).file(root)), 0);
    EXPECT_EQ(g.root().firstChild()->name, "http://a.example");
    std::string order;
    for (ToBeOpenTN* c = g.find("http://b.EXAMPLE/")->firstChild(); c; c = c->nextSibling()) order += c->name.c_str();
    EXPECT_EQ(order, "aAbZ");
    for (const char* u : {"http://B.example/A", "http://B.example/a", "http://b.example/Z", "http://B.example/b"})
        EXPECT_NE(g.find(u), nullptr) << u;
    EXPECT_EQ(g.find("http://B.example/z"), nullptr);
}

TEST_F(TreeFileTest, TreeFileNameReplacesTheExtension) {
    EXPECT_EQ(treeFileName("C:\\jobs\\site.zbp"), "C:\\jobs\\site.zbt");
    EXPECT_EQ(treeFileName("/jobs/site"), "/jobs/site.zbt");
    EXPECT_EQ(treeFileName("/jobs.d/site"), "/jobs.d/site.zbt");
    EXPECT_EQ(treeFileName("a.b.zbp"), "a.b.zbt");
}

namespace {
struct TempDir {
    fs::path path = fs::temp_directory_path() /
                    ("zb-tree-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    TempDir() {
        fs::remove_all(path);
        fs::create_directories(path / "out" / "h");
    }
    ~TempDir() {
        std::error_code e;
        fs::remove_all(path, e);
    }
};
}  // namespace

// The tree file names stored files with "\\" on both targets, and reads
// either separator, so that a job moves between them.
TEST_F(TreeFileTest, StoredPathsAreWrittenWithBackslashesAndReadWithEither) {
    TempDir dir;
    g.outputFolder = (dir.path / "out").string().c_str();
    ToBeOpenTN* s = g.addStartUrl("http://h/d/s.html", true);
    g.setState(*s, StateDone);
    s->savedFile = localPathForm("h/d/s.html");
    s->rawFile = localPathForm("h/d/s.raw");
    std::string project = (dir.path / "job.zbp").string();
    ASSERT_EQ(saveTree(g, project), 0);
    std::ifstream in(dir.path / "job.zbt", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(bytes.find("h\\d\\s.html"), std::string::npos);
    EXPECT_NE(bytes.find("h\\d\\s.raw"), std::string::npos);
    EXPECT_EQ(bytes.find("h/d/s.raw"), std::string::npos) << bytes;

    OldNode root;
    for (const char* p : {"h/x/a.html", "h\\x\\b.html", "h/x\\c.html"}) {
        OldNode n;
        n.name = std::string("http://") + std::to_string(root.children.size());
        n.saved = p;
        root.children.push_back(n);
    }
    ASSERT_EQ(load(g, OldTreeWriter(10).file(root)), 0);
    std::vector<std::string> read;
    for (ToBeOpenTN* n = g.root().firstChild(); n; n = n->nextSibling()) read.push_back(n->savedFile.c_str());
    std::vector<std::string> expected;
    for (const char* p : {"h/x/a.html", "h/x/b.html", "h/x/c.html"}) expected.push_back(localPathForm(p).c_str());
    EXPECT_EQ(read, expected);
}

TEST_F(TreeFileTest, SaveRequeuesLoadingNodesAndLoadRestoresTheGraph) {
    TempDir dir;
    g.outputFolder = (dir.path / "out").string().c_str();
    ToBeOpenTN* s = g.addStartUrl("http://h/s.html", true);
    g.setState(*s, StateLoading);
    s->flags |= 0x1 | 0x4 | 0x10 | 0x400 | 0x800 | FlagEmbedded;
    s->savedFile = "h/s.html";
    std::ofstream(dir.path / "out" / "h" / "s.html") << "partial";
    std::ofstream(dir.path / "keep.html") << "outside";
    s->rawFile = "../keep.html";  // never deleted: outside the output folder
    std::string project = (dir.path / "job.zbp").string();
    std::vector<int> status;
    g.showStatus = [&](int t) { status.push_back(t); };

    ASSERT_EQ(saveTree(g, project), 0);
    EXPECT_EQ(s->state, StateQueued);
    EXPECT_EQ(s->flags, uint32_t{FlagEmbedded});
    EXPECT_EQ(g.counters.queuedFiles, 1u);
    EXPECT_FALSE(fs::exists(dir.path / "out" / "h" / "s.html"));
    EXPECT_TRUE(fs::exists(dir.path / "keep.html"));
    EXPECT_TRUE(fs::exists(dir.path / "job.zbt"));
    EXPECT_EQ(status.front(), kTextTreeSaving);
    EXPECT_EQ(g.bestQueued(), s);

    LinkGraph back(policy);
    back.outputFolder = g.outputFolder;
    back.showStatus = [&](int t) { status.push_back(t); };
    status.clear();
    ASSERT_EQ(loadTree(back, project), 0);
    EXPECT_EQ(status, (std::vector<int>{kTextTreeLoading, kTextTreeLoaded, kTextTreeShown}));
    ToBeOpenTN* bs = back.find("http://h/s.html");
    ASSERT_NE(bs, nullptr);
    EXPECT_EQ(bs->state, StateQueued);
    EXPECT_EQ(bs->rawFile, "");  // the climbing path was dropped
    EXPECT_EQ(back.bestQueued(), bs);
    EXPECT_EQ(back.counters.queuedFiles, 1u);
    EXPECT_TRUE(bs->referrers.contains(&back.root()));
}

TEST_F(TreeFileTest, LoadFailureReports22036) {
    TempDir dir;
    std::string project = (dir.path / "job.zbp").string();
    g.findOrCreate("http://h/x", 1, false);
    std::vector<std::pair<int, std::string>> errors;
    g.reportError = [&](int t, std::string_view arg) { errors.emplace_back(t, std::string(arg)); };
    EXPECT_EQ(loadTree(g, project), -1);  // no file
    EXPECT_TRUE(g.root().empty());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].first, kTextTreeLoadFailed);
    EXPECT_EQ(errors[0].second, (dir.path / "job.zbt").string());

    g.findOrCreate("http://h/x", 1, false);
    std::string f = save(g);
    std::ofstream(dir.path / "job.zbt", std::ios::binary) << f.substr(0, f.size() - 3);
    // Damaged in its last record: said as well, and what was read stays.
    EXPECT_EQ(loadTree(g, project), kTreeDamaged);
    EXPECT_NE(g.find("http://h/x"), nullptr);
    EXPECT_EQ(errors.size(), 2u);
    EXPECT_EQ(saveTree(g, ""), -1);
}

TEST_F(TreeFileTest, FailedWriteKeepsThePreviousFile) {
    TempDir dir;
    std::string project = (dir.path / "job.zbp").string();
    g.findOrCreate("http://h/x", 1, false);
    ASSERT_EQ(saveTree(g, project), 0);
    uintmax_t before = fs::file_size(dir.path / "job.zbt");
    // A folder in the way of the temporary file: the write cannot start.
    fs::create_directories(dir.path / "job.zbt.new");
    g.findOrCreate("http://h/y", 1, false);
    EXPECT_EQ(saveTree(g, project), -1);
    EXPECT_EQ(fs::file_size(dir.path / "job.zbt"), before);
    // A full medium: the memory stream's limit.
    omwstream small(100);
    EXPECT_EQ(writeTree(g, small), -1);
}

// A save while downloads run: the file reads as a save after requeueing
// would, but the running nodes, their files and the counters stay as
// they are, and the header says how the file was written.
TEST_F(TreeFileTest, SaveWhileLoadingRecordsRunningNodesAsQueuedAndTouchesNothing) {
    TempDir dir;
    g.outputFolder = (dir.path / "out").string().c_str();
    ToBeOpenTN* page = g.addStartUrl("http://h/p.html", true);
    ToBeOpenTN* pic = g.findOrCreate("http://h/i.gif", 1, false);
    ToBeOpenTN* done = g.findOrCreate("http://h/d.html", 1, false);
    pic->flags |= FlagPicture;
    g.setState(*page, StateLoading);
    g.setState(*pic, StateQueued);
    g.setState(*pic, StateLoading);
    g.setState(*done, StateDone);
    // A page fetched again while its rewritten copy is still there.
    page->flags |= FlagReceived | FlagRewritten;
    page->savedFile = "h/p.html";
    ExtractNode* l = addLink(page, done, "d.html");
    l->savedPos = 12;
    l->savedLen = 6;
    done->flags |= FlagReceived | FlagRewritten;
    done->savedFile = "h/d.html";
    ExtractNode* k = addLink(done, page, "p.html");
    k->savedPos = 20;
    k->savedLen = 6;
    std::ofstream(dir.path / "out" / "h" / "p.html") << "rewritten copy";
    const JobCounters before = g.counters;
    std::string project = (dir.path / "job.zbp").string();
    std::vector<int> status;
    g.showStatus = [&](int t) { status.push_back(t); };

    ASSERT_EQ(saveTreeWhileLoading(g, project), 0);
    EXPECT_TRUE(status.empty());
    EXPECT_EQ(page->state, StateLoading);
    EXPECT_EQ(pic->state, StateLoading);
    EXPECT_EQ(page->flags, uint32_t{FlagReceived | FlagRewritten});
    EXPECT_EQ(l->savedPos, 12u);
    EXPECT_EQ(g.counters.queuedFiles, before.queuedFiles);
    EXPECT_EQ(g.counters.queuedPictures, before.queuedPictures);
    EXPECT_TRUE(fs::exists(dir.path / "out" / "h" / "p.html"));
    EXPECT_FALSE(fs::exists(dir.path / "job.zbt.new"));

    LinkGraph back(policy);
    back.outputFolder = g.outputFolder;
    ASSERT_EQ(loadTree(back, project), 0);
    EXPECT_EQ(back.counters.savedWhileRunning, 1u);
    EXPECT_EQ(back.counters.queuedFiles, before.queuedFiles + 1);
    EXPECT_EQ(back.counters.queuedPictures, before.queuedPictures + 1);
    ToBeOpenTN* bp = back.find("http://h/p.html");
    ASSERT_NE(bp, nullptr);
    EXPECT_EQ(bp->state, StateQueued);
    // Its old copy stays for the conditional request; the marks of its
    // rewriting go, since the copy may be a fresh one by now.
    EXPECT_EQ(bp->flags, uint32_t{FlagReceived});
    EXPECT_EQ(bp->savedFile, localPathForm("h/p.html"));
    ASSERT_NE(bp->links.firstLink(), nullptr);
    EXPECT_EQ(bp->links.firstLink()->savedPos, 0u);
    EXPECT_EQ(bp->links.firstLink()->savedLen, 0u);
    EXPECT_EQ(back.find("http://h/i.gif")->state, StateQueued);
    // A node that is not running keeps everything.
    ToBeOpenTN* bd = back.find("http://h/d.html");
    EXPECT_EQ(bd->state, StateDone);
    EXPECT_EQ(bd->flags, uint32_t{FlagReceived | FlagRewritten});
    EXPECT_EQ(bd->links.firstLink()->savedPos, 20u);
    EXPECT_EQ(bd->links.firstLink()->savedLen, 6u);
    EXPECT_NE(back.bestQueued(), nullptr);

    // The save at the job's end says it was not written while running.
    ASSERT_EQ(saveTree(g, project), 0);
    LinkGraph last(policy);
    last.outputFolder = g.outputFolder;
    ASSERT_EQ(loadTree(last, project), 0);
    EXPECT_EQ(last.counters.savedWhileRunning, 0u);
    EXPECT_EQ(saveTreeWhileLoading(g, ""), -1);
}
