#include <gtest/gtest.h>

#include <vector>

#include "site/NodeUrl.h"
#include "site/ToBeOpenTN.h"

namespace {
std::vector<std::string> cut(const char* u, bool* folder = nullptr) {
    UrlParts p;
    std::vector<std::string> r;
    if (!cutUrl(u, p)) return r;
    for (const AStr& s : p.parts) r.emplace_back(s.view());
    if (folder) *folder = p.folder;
    return r;
}
using V = std::vector<std::string>;
}  // namespace

TEST(NodeUrl, CutsSchemeAndHostThenEachRunBetweenSeparators) {
    EXPECT_EQ(cut("http://Example.com:8080/a/b.html"), (V{"http://Example.com:8080", "a", "b.html"}));
    EXPECT_EQ(cut("http://h//a\\\\b///c"), (V{"http://h", "a", "b", "c"}));
    EXPECT_EQ(cut("ftp:///h/x"), (V{"ftp:///h", "x"}));
    EXPECT_EQ(cut("http://h"), (V{"http://h"}));
    EXPECT_EQ(cut("mailto:someone@h"), (V{"mailto:someone@h"}));
    EXPECT_TRUE(cut("").empty());
    EXPECT_TRUE(cut("/a/b").empty());
}

TEST(NodeUrl, QueryAndFragmentGoToTheLastPartWithTheirSlashes) {
    EXPECT_EQ(cut("http://h/cgi/run.pl?dir=/a/b&x=1"), (V{"http://h", "cgi", "run.pl?dir=/a/b&x=1"}));
    EXPECT_EQ(cut("http://h/a/#top/x"), (V{"http://h", "a#top/x"}));
    EXPECT_EQ(cut("http://h?q=/"), (V{"http://h?q=/"}));
    // A colon behind a separator is no scheme.
    EXPECT_EQ(cut("h/a:b/c"), (V{"h", "a:b", "c"}));
}

TEST(NodeUrl, FolderOnlyWhenTheUrlEndsInASeparatorWithoutQuery) {
    bool folder = false;
    cut("http://h/a/", &folder);
    EXPECT_TRUE(folder);
    cut("http://h/", &folder);
    EXPECT_TRUE(folder);
    cut("http://h/a", &folder);
    EXPECT_FALSE(folder);
    cut("http://h/a/?x", &folder);
    EXPECT_FALSE(folder);
    cut("http://h", &folder);
    EXPECT_FALSE(folder);
}

TEST(NodeUrl, UrlOfANodeJoinsNamesAndAddsTailOrFolderSlash) {
    ToBeOpenTN root;
    auto* host = new ToBeOpenTN("http://h");
    root.insertChild(host);
    auto* dir = new ToBeOpenTN("dir");
    host->insertChild(dir);
    auto* file = new ToBeOpenTN("f.html?a=/b");
    dir->insertChild(file);
    EXPECT_EQ(nodeUrl(file), "http://h/dir/f.html?a=/b");
    EXPECT_EQ(nodeUrl(dir), "http://h/dir/");  // children, no tail
    EXPECT_EQ(nodeUrl(host), "http://h/");
    file->tail = "/";
    EXPECT_EQ(nodeUrl(file), "http://h/dir/f.html?a=/b/");

    auto* local = new ToBeOpenTN("file:");
    root.insertChild(local);
    auto* c = new ToBeOpenTN("c");
    local->insertChild(c);
    EXPECT_EQ(nodeUrl(c), "file://c");  // first part ends in ':' without "//"
    auto* slashed = new ToBeOpenTN("file:///C:");
    root.insertChild(slashed);
    auto* d = new ToBeOpenTN("d");
    slashed->insertChild(d);
    EXPECT_EQ(nodeUrl(d), "file:///C:/d");
}

TEST(NodeUrl, SameLinkAllowsOneTrailingSlash) {
    EXPECT_TRUE(sameLink("http://h/a", "http://h/a"));
    EXPECT_TRUE(sameLink("http://h/a", "http://h/a/"));
    EXPECT_TRUE(sameLink("http://h/a/", "http://h/a"));
    EXPECT_FALSE(sameLink("http://h/a", "http://h/a//"));
    EXPECT_FALSE(sameLink("http://h/a", "http://h/A"));
    EXPECT_FALSE(sameLink("http://h/a", "http://h/ab"));
}

