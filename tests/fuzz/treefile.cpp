// Tree files from arbitrary bytes: reading must fail cleanly or load a
// graph (whole, or what a damaged file held) that the program can use and
// write; a loaded graph written and read again must give the same bytes
// once more.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "framework/mwstream.h"
#include "platform/Text.h"
#include "site/FollowPolicy.h"
#include "site/LinkGraph.h"
#include "site/TreeFile.h"

namespace {

class AnyPolicy : public FollowPolicy {
public:
    void clearStarts() override {}
    void addStart(std::string_view) override {}
    bool onStartHost(std::string_view) const override { return true; }
    bool withinLevels(int level) const override { return level < 40 ? level <= 3 : level - 50 <= 1; }
    bool follow(bool, uint32_t, std::string_view, int level) const override { return withinLevels(level); }
};

// Lookups rely on every folder's children standing in name order.
void checkOrder(const ToBeOpenTN& n, int depth) {
    if (depth > 2000) abort();
    const ToBeOpenTN* prev = nullptr;
    for (const ToBeOpenTN* c = n.firstChild(); c; prev = c, c = c->nextSibling()) {
        if (c->parentNode() != &n) abort();
        if (prev && platform::CompareAnsi(prev->name, c->name, n.isRoot()) > 0) abort();
        checkOrder(*c, depth + 1);
    }
}

std::string written(LinkGraph& g) {
    omwstream out;
    if (writeTree(g, out) != 0) abort();
    return std::string(out.data());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    AnyPolicy policy;
    LinkGraph g(policy);
    g.outputFolder = "/out";
    imwstream in(data, size);
    // Damaged data keeps what was read whole, which must be as usable.
    if (readTree(g, in) < 0) {
        if (!g.root().empty() || !g.root().links.empty()) abort();
        return 0;
    }
    checkOrder(g.root(), 0);
    // Use what was loaded: drain the queue, look nodes up by their URLs.
    for (int i = 0; i < 64; ++i) {
        ToBeOpenTN* best = g.bestQueued();
        if (!best) break;
        (void)g.find(g.urlOf(*best));
        g.setState(*best, StateDone);
    }
    std::string once = written(g);
    LinkGraph again(policy);
    again.outputFolder = "/out";
    imwstream back(once);
    if (readTree(again, back) != 0) abort();
    if (written(again) != once) abort();
    return 0;
}
