// Link extraction speed: writes a 20 MB set of pages to disk (the shapes of
// the test corpus, repeated with varied text and links), then reads each
// page through the file stream and extracts its links, as the download
// worker does, on one thread. Prints MB/s over the best of three passes.
//
//   bench_extract [folder]   (default: extract-pages/ in the build folder)
#include <chrono>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "framework/fwstream.h"
#include "site/ExtractURL.h"

#if !defined(_WIN32)
#include <sys/resource.h>
#endif

namespace fs = std::filesystem;

namespace {

constexpr size_t kTotal = 20u << 20;
constexpr size_t kPage = 64u << 10;

std::string MakePage(unsigned n) {
    std::string p = "<html><head><title>Page " + std::to_string(n) + " of the bench set</title>\n"
                    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\">\n"
                    "<link rel=stylesheet href=\"/css/site.css\">\n<script src=\"/js/menu.js\"></script>\n"
                    "<style>body { background: url(bg.gif) }</style></head>\n<body background=\"img/tile.gif\">\n";
    unsigned i = 0;
    while (p.size() < kPage) {
        ++i;
        p += "<table width=\"100%\" cellpadding=2><tr><td valign=top class=\"nav\">\n";
        p += "<a href=\"section" + std::to_string(i % 17) + "/page" + std::to_string(n * 31 + i) +
             ".htm?x=1&amp;y=" + std::to_string(i) + "\">Section " + std::to_string(i) + "</a> |\n";
        p += "<A HREF=/news/" + std::to_string(i) + ".html>News&nbsp;item</A>\n";
        p += "<img src=\"pics/p" + std::to_string(i) + ".gif\" width=88 height=31 border=0 alt=\"Picture " +
             std::to_string(i) + "\"></td>\n<td>";
        p += "<p>Lorem ipsum dolor sit amet, consectetur adipiscing elit, sed do eiusmod tempor incididunt ut "
             "labore et dolore magna aliqua. \xc4\xee\xe1\xf0\xee \xef\xee\xe6\xe0\xeb\xee\xe2\xe0\xf2\xfc "
             "\xed\xe0 \xed\xe0\xf8 \xf1\xe5\xf0\xe2\xe5\xf0. Ut enim ad minim veniam, quis nostrud "
             "exercitation ullamco laboris nisi ut aliquip ex ea commodo consequat.</p>\n";
        p += "<!-- counter and banner code -->\n<script>document.write('<img src=\"c.gif?' + Math.random() "
             "+ '\">');</script>\n</td></tr></table>\n";
    }
    p += "</body></html>\n";
    return p;
}

}  // namespace

int main(int argc, char** argv) {
    fs::path dir = argc > 1 ? fs::path(argv[1]) : fs::path(ZB_BINARY_DIR) / "extract-pages";
    fs::create_directories(dir);
    std::vector<fs::path> files;
    size_t total = 0;
    for (unsigned n = 0; total < kTotal; ++n) {
        fs::path f = dir / ("page" + std::to_string(n) + ".htm");
        std::string page = MakePage(n);
        if (!fs::exists(f) || fs::file_size(f) != page.size()) std::ofstream(f, std::ios::binary) << page;
        total += page.size();
        files.push_back(f);
    }

    double best = 0, bestCpu = 0;
    size_t records = 0;
    for (int pass = 0; pass < 3; ++pass) {
        records = 0;
        auto t0 = std::chrono::steady_clock::now();
        std::clock_t c0 = std::clock();
        for (const fs::path& f : files) {
            AStr base, title;
            ExtractList links;
            ExtractURL x(base, title, links);
            if (x.run(f.string().c_str()) != 0) {
                std::fprintf(stderr, "extraction failed on %s\n", f.string().c_str());
                return 1;
            }
            records += links.count();
        }
        double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        double cpu = static_cast<double>(std::clock() - c0) / CLOCKS_PER_SEC;
        double mb = static_cast<double>(total) / (1 << 20);
        if (mb / s > best) best = mb / s;
        if (cpu > 0 && mb / cpu > bestCpu) bestCpu = mb / cpu;
    }
    std::printf("pages %zu, bytes %zu, records per pass %zu\n", files.size(), total, records);
    // On a shared machine the wall-clock figure includes time the thread
    // waited for a core; the CPU-time figure is the rate on one core.
    std::printf("link extraction: %.1f MB/s wall clock, %.1f MB/s of CPU time (best of 3, one thread)\n", best,
                bestCpu);
#if !defined(_WIN32)
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    std::printf("peak resident set: %ld KB\n", u.ru_maxrss);
#endif
    return 0;
}
