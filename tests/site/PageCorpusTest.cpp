// Every page of tests/data/pages/ against the expected results written
// beside it (NAME.expect, tab-separated; its "url", "known" and "display"
// lines are the inputs: the page's URL, the code page the server named, and
// the code page its texts are shown in): base URL, title, META character set, the code
// page detector's verdict and the page's code page, the converted title,
// and each record with its text, end offset, tag, attribute, flags,
// resolved URL and reference text. The page is read from disk through the
// file stream, as the download worker reads it.
//
// ZB_PRINT_PAGES=1 prints what the extractor gives instead of comparing,
// to draft the expected file of a new page; every value in it must then be
// checked against the extraction rules by hand before it is kept.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "ExtractSupport.h"
#include "framework/fwstream.h"
#include "platform/CodePages.h"
#include "site/PageCodePage.h"
#include "site/ResolveLinks.h"

namespace fs = std::filesystem;

namespace {

// Titles and reference texts are shown as UTF-8, read in the Windows code
// page the file names (1251 unless it says "display 1252"); control bytes
// as \xNN.
std::string Readable(const AStr& s, int displayCodePage) {
    std::string out(3 * s.size(), '\0');
    out.resize(codepage::ToUtf8(displayCodePage, s.c_str(), s.size(), out.data()));
    std::string r;
    for (unsigned char c : out) {
        if (c < 0x20 || c == 0x7F) {
            char b[8];
            std::snprintf(b, sizeof b, "\\x%02x", c);
            r += b;
        } else {
            r += static_cast<char>(c);
        }
    }
    return r;
}

std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> f;
    std::stringstream ss(line);
    std::string x;
    while (std::getline(ss, x, '\t')) f.push_back(x);
    if (!line.empty() && line.back() == '\t') f.push_back("");
    return f;
}

struct Expected {
    std::string url;
    int known = 0;
    int display = 1251;
    std::vector<std::string> lines;  // everything else, in order
};

Expected ReadExpected(const fs::path& p) {
    Expected e;
    std::ifstream in(p);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> f = Split(line);
        if (f[0] == "url" && f.size() > 1) {
            e.url = f[1];
        } else if (f[0] == "known" && f.size() > 1) {
            e.known = std::atoi(f[1].c_str());
        } else if (f[0] == "display" && f.size() > 1) {
            e.display = std::atoi(f[1].c_str());
        } else {
            e.lines.push_back(line);
        }
    }
    return e;
}

std::vector<std::string> Actual(const fs::path& page, const Expected& e) {
    AStr base, title;
    ExtractList links;
    ExtractURL x(base, title, links, e.known);
    ifwstream in;
    if (in.open(page.string().c_str()) != 0) return {"cannot open " + page.string()};
    int result = x.run(in);

    std::vector<ExtractNode*> records;
    for (Node* n = links.first(); n != nullptr; n = n->next()) records.push_back(static_cast<ExtractNode*>(n));
    std::vector<std::string> described;
    for (ExtractNode* r : records) {
        std::string flags = sitetest::FlagLetters(r->flags);
        described.push_back(sitetest::Show(r->linkText) + "\t" + std::to_string(r->valueEnd) + "\t" +
                            sitetest::TagName(r->tag) + "\t" + sitetest::AttributeName(r->attribute) + "\t" +
                            (flags.empty() ? "-" : flags));
    }

    int codePage = PageCodePage(e.known, x.metaCharset(), true, x.detector());
    ConvertPageTexts(codePage, title, links);
    std::vector<std::string> refs;
    for (ExtractNode* r : records) refs.push_back(Readable(r->refText, e.display));

    std::vector<ResolvedLink> resolved;
    ResolveLinks(links, e.url, base, true, resolved);
    std::set<ExtractNode*> kept;
    for (Node* n = links.first(); n != nullptr; n = n->next()) kept.insert(static_cast<ExtractNode*>(n));

    std::vector<std::string> out = {
        "result\t" + std::to_string(result),
        "base\t" + sitetest::Show(base),
        "title\t" + Readable(title, e.display),
        "meta\t" + std::to_string(x.metaCharset()),
        "verdict\t" + std::to_string(x.detector().verdict()),
        "codepage\t" + std::to_string(codePage),
    };
    for (size_t i = 0; i < records.size(); ++i) {
        std::string url = "-";
        if (kept.count(records[i]) == 0) {
            url = "dropped";
        } else {
            for (const ResolvedLink& l : resolved)
                if (l.record == records[i]) url = sitetest::Show(l.url);
        }
        out.push_back("record\t" + described[i] + "\t" + url + "\t" + refs[i]);
    }
    return out;
}

}  // namespace

TEST(PageCorpus, EveryPageGivesItsExpectedRecords) {
    fs::path dir = fs::path(ZB_SOURCE_DIR) / "tests" / "data" / "pages";
    std::vector<fs::path> pages;
    for (auto& f : fs::directory_iterator(dir))
        if (f.path().extension() == ".htm") pages.push_back(f.path());
    std::sort(pages.begin(), pages.end());
    ASSERT_GE(pages.size(), 10u);
    bool print = std::getenv("ZB_PRINT_PAGES") != nullptr;

    for (const fs::path& page : pages) {
        fs::path expectPath = page;
        expectPath.replace_extension(".expect");
        Expected e = ReadExpected(expectPath);
        std::vector<std::string> got = Actual(page, e);
        std::string name = page.filename().string();
        if (print) {
            std::printf("== %s\n", name.c_str());
            for (const std::string& l : got) std::printf("%s\n", l.c_str());
            continue;
        }
        ASSERT_FALSE(e.url.empty()) << name << ": no url line in " << expectPath.filename().string();
        for (size_t i = 0; i < std::max(got.size(), e.lines.size()); ++i) {
            std::string want = i < e.lines.size() ? e.lines[i] : "(nothing)";
            std::string have = i < got.size() ? got[i] : "(nothing)";
            EXPECT_EQ(have, want) << name << ", line " << i + 1 << " of the results";
        }
    }
}
