// The link graph at the size of a large job: 1,000,000 URLs on one host in
// folders of 10 to 100,000 entries, met as the links of 100,000 fetched
// pages (ten each), queued and drained with the best queued node; then
// the tree file of that graph written and read back.
//   bench_graph [folder for the tree file]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "framework/fwstream.h"
#include "site/FollowPolicy.h"
#include "site/LinkGraph.h"
#include "site/TreeFile.h"

namespace {

class BenchPolicy : public FollowPolicy {
public:
    void clearStarts() override {}
    void addStart(std::string_view) override {}
    bool onStartHost(std::string_view) const override { return true; }
    bool withinLevels(int level) const override { return level < 40 && level <= 30; }
    bool follow(bool, uint32_t, std::string_view, int level) const override { return withinLevels(level); }
};

// Peak resident memory in bytes, from /proc where there is one (0 elsewhere).
long long peakMemory() {
    std::ifstream f("/proc/self/status");
    std::string line;
    while (std::getline(f, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stoll(line.substr(6)) * 1024;
    return 0;
}

// Processor time of the process: the machine may be shared.
double cpuSeconds(std::clock_t since) { return static_cast<double>(std::clock() - since) / CLOCKS_PER_SEC; }

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

size_t countNodes(const ToBeOpenTN& n, size_t& stringBytes) {
    size_t c = 1;
    stringBytes += n.name.size() + n.tail.size() + n.savedFile.size() + n.rawFile.size() + n.title.size() + n.baseUrl.size();
    for (const ExtractNode* l : each<ExtractNode>(n.links)) stringBytes += l->linkText.size() + l->refText.size();
    for (const ToBeOpenTN* k = n.firstChild(); k; k = k->nextSibling()) c += countNodes(*k, stringBytes);
    return c;
}

}  // namespace

int main(int argc, char** argv) {
    std::string folder = argc > 1 ? argv[1] : ZB_BINARY_DIR;

    // Folder sizes that add up to 1,000,000 files.
    std::vector<std::string> urls;
    const std::pair<int, int> folders[] = {{5, 100000}, {30, 10000}, {150, 1000}, {400, 100}, {1000, 10}};
    int folderNo = 0;
    for (auto [count, size] : folders)
        for (int f = 0; f < count; ++f, ++folderNo)
            for (int i = 0; i < size; ++i)
                urls.push_back("http://bench.example/d" + std::to_string(folderNo) + "/page" + std::to_string(i) + ".html");
    std::mt19937 rng(1);
    std::shuffle(urls.begin(), urls.end(), rng);
    long long baseline = peakMemory();  // with the URLs, which the graph does not own

    BenchPolicy policy;
    LinkGraph g(policy);
    auto t0 = std::chrono::steady_clock::now();
    std::clock_t c0 = std::clock();
    g.addStartUrl("http://bench.example/index.html", true);
    size_t next = 0, pages = 0, drained = 0;
    double processing = 0;
    while (ToBeOpenTN* n = g.bestQueued()) {
        g.setState(*n, StateLoading);
        if (pages < 100000 && next < urls.size()) {
            auto tp = std::chrono::steady_clock::now();
            ExtractList fresh;
            std::vector<ResolvedLink> links;
            for (int k = 0; k < 10 && next < urls.size(); ++k, ++next) {
                auto* l = new ExtractNode;
                l->linkText = urls[next].c_str();
                fresh.append(l);
            }
            g.replaceLinks(*n, fresh);
            for (ExtractNode* l : each<ExtractNode>(n->links)) links.push_back({l, l->linkText});
            g.processLinks(*n, links);
            ++pages;
            processing += seconds(tp);
        }
        g.setState(*n, StateDone);
        ++drained;
    }
    double buildDrain = seconds(t0);
    double buildDrainCpu = cpuSeconds(c0);
    size_t stringBytes = 0;
    size_t nodes = countNodes(g.root(), stringBytes);
    long long peakGraph = peakMemory();
    urls.clear();
    urls.shrink_to_fit();

    std::string path = folder + "/bench_graph.zbt";
    auto t1 = std::chrono::steady_clock::now();
    std::clock_t c1 = std::clock();
    int w;
    {
        ofwstream out;
        w = out.open(path.c_str()) == 0 ? writeTree(g, out) : -1;
        if (out.close() != 0) w = -1;
    }
    double writeSecs = seconds(t1);
    double writeCpu = cpuSeconds(c1);
    g.clear();
    LinkGraph back(policy);
    auto t2 = std::chrono::steady_clock::now();
    std::clock_t c2 = std::clock();
    int r;
    {
        ifwstream in;
        r = in.open(path.c_str()) == 0 ? readTree(back, in) : -1;
    }
    double readSecs = seconds(t2);
    double readCpu = cpuSeconds(c2);
    size_t stringsBack = 0;
    size_t nodesBack = countNodes(back.root(), stringsBack);
    std::ifstream sizeOf(path, std::ios::binary | std::ios::ate);
    long long fileSize = static_cast<long long>(sizeOf.tellg());
    std::remove(path.c_str());

    std::printf("nodes %zu (pages fetched %zu, drained %zu), link records %zu\n", nodes, pages, drained, next);
    std::printf("build and drain: %.2f s wall, %.2f s processor (processing links %.2f s wall)\n", buildDrain,
                buildDrainCpu, processing);
    std::printf("tree file: write %.2f s wall, %.2f s processor (result %d, %lld bytes); read %.2f s wall, %.2f s "
                "processor (result %d, %zu nodes)\n",
                writeSecs, writeCpu, w, fileSize, readSecs, readCpu, r, nodesBack);
    std::printf("sizeof ToBeOpenTN %zu, ExtractNode %zu, AStr %zu\n", sizeof(ToBeOpenTN), sizeof(ExtractNode),
                sizeof(AStr));
    if (peakGraph > 0) {
        double perNode = static_cast<double>(peakGraph - baseline) / static_cast<double>(nodes);
        std::printf("peak memory of the graph: %.1f MB, %.0f bytes per node (incl. its link record and referrer), "
                    "%.0f of them string bytes\n",
                    (peakGraph - baseline) / 1048576.0, perNode, static_cast<double>(stringBytes) / static_cast<double>(nodes));
    }
    return w == 0 && r == 0 ? 0 : 1;
}
