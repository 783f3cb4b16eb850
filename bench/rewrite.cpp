// Rewriting stored pages: one 10 MB page with 100,000 links, then 10,000
// small pages, each rewritten and undone. Half of the link targets are
// stored, each in a file of its own, so both relative links and absolute
// URLs are written. Prints CPU seconds and MB/s of page data for each.
//
//   bench_rewrite [folder]   (default: rewrite-bench/ in the build folder)
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/LocalPath.h"
#include "engine/PageRewriter.h"
#include "framework/mwstream.h"
#include "site/ExtractURL.h"
#include "site/FollowPolicy.h"
#include "site/LinkFlags.h"
#include "site/LinkGraph.h"
#include "site/ResolveLinks.h"

namespace fs = std::filesystem;

namespace {

struct Everything : FollowPolicy {
    void clearStarts() override {}
    void addStart(std::string_view) override {}
    bool onStartHost(std::string_view) const override { return true; }
    bool withinLevels(int) const override { return true; }
    bool follow(bool, uint32_t, std::string_view, int) const override { return true; }
};

std::string makePage(size_t links, size_t filler) {
    std::string p = "<html><head><title>bench</title></head><body>\n";
    std::string pad(filler, 'x');
    for (size_t i = 0; i < links; ++i) {
        p += "<p>" + pad + " <a href=\"f" + std::to_string(i % 500) + "/p" + std::to_string(i) + ".htm#s\">link</a>\n";
    }
    return p + "</body></html>\n";
}

// CPU seconds of this process: the machine may be busy with other work.
double cpuNow() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

// Places, extracts and resolves a page; stores every second target.
ToBeOpenTN* prepare(LinkGraph& g, const std::string& url, const std::string& html) {
    ToBeOpenTN* p = g.findOrCreate(url, 0, false);
    saving::PlaceRequest r;
    r.url = url;
    r.outputFolder = g.outputFolder;
    r.mediaType = "text/html";
    AStr path;
    if (!saving::localPath(r, path)) return nullptr;
    std::ofstream(path.c_str(), std::ios::binary) << html;
    p->savedFile = g.relativePath(path);
    AStr base, title;
    ExtractList links;
    ExtractURL x(base, title, links);
    imwstream in(html);
    (void)x.parse(in);
    g.replaceLinks(*p, links);
    std::vector<ResolvedLink> resolved;
    ResolveLinks(p->links, url, base, true, resolved);
    g.processLinks(*p, resolved);
    return p;
}

}  // namespace

int main(int argc, char** argv) {
    fs::path dir = argc > 1 ? fs::path(argv[1]) : fs::path(ZB_BINARY_DIR) / "rewrite-bench";
    std::error_code ec;
    fs::remove_all(dir, ec);
    fs::create_directories(dir);
    Everything policy;

    {
        LinkGraph g(policy);
        g.outputFolder = dir.string().c_str();
        std::string html = makePage(100000, 60);
        ToBeOpenTN* p = prepare(g, "http://bench.example/big/index.htm", html);
        // Every second target stored in a file of its own, as a mirror
        // holds them: the rewrite asks the file system for each.
        size_t i = 0;
        for (ExtractNode* l : each<ExtractNode>(p->links)) {
            if (!l->target || i++ % 2 != 0) continue;
            saving::PlaceRequest r;
            AStr url = g.urlOf(*l->target);
            r.url = url;
            r.outputFolder = g.outputFolder;
            r.mediaType = "text/html";
            AStr path;
            if (saving::localPath(r, path)) l->target->savedFile = g.relativePath(path);
        }
        PageRewriter rw(g);
        double t0 = cpuNow();
        bool ok = rw.rewrite(*p);
        double tw = cpuNow() - t0;
        t0 = cpuNow();
        ok = rw.unrewrite(*p) && ok;
        double tu = cpuNow() - t0;
        double mb = html.size() / 1048576.0;
        std::printf("one page: %.1f MB, %zu links: rewrite %.3f s (%.0f MB/s), undo %.3f s (%.0f MB/s)%s\n", mb,
                    p->links.count(), tw, mb / tw, tu, mb / tu, ok ? "" : "  FAILED");
    }
    if (!std::getenv("ZB_BENCH_ONE_PAGE")) {
        LinkGraph g(policy);
        g.outputFolder = dir.string().c_str();
        std::vector<ToBeOpenTN*> pages;
        size_t bytes = 0;
        for (int n = 0; n < 10000; ++n) {
            std::string html = makePage(10, 40);
            bytes += html.size();
            pages.push_back(prepare(g, "http://small.example/d" + std::to_string(n % 100) + "/p" + std::to_string(n) + ".htm", html));
        }
        PageRewriter rw(g);
        double t0 = cpuNow();
        size_t failed = 0;
        for (ToBeOpenTN* p : pages) failed += !(p && rw.rewrite(*p));
        double tw = cpuNow() - t0;
        double mb = bytes / 1048576.0;
        std::printf("10,000 pages: %.1f MB: rewrite %.3f s (%.0f MB/s, %.0f pages/s), %zu failed\n", mb, tw, mb / tw,
                    10000 / tw, failed);
    }
    fs::remove_all(dir, ec);
    return 0;
}
