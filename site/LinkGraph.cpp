#include "site/LinkGraph.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "framework/FileExtension.h"
#include "framework/Url.h"
#include "platform/File.h"
#include "site/FollowPolicy.h"
#include "site/LinkFlags.h"
#include "site/LinkSafety.h"
#include "site/LocalPaths.h"
#include "site/NodeUrl.h"

LinkGraph::LinkGraph(FollowPolicy& policy) : policy_(policy) {}

ToBeOpenTN* LinkGraph::find(std::string_view url) {
    UrlPartWalker walk(url);
    ToBeOpenTN* n = nullptr;
    for (std::string_view part; walk.next(part);) {
        n = (n ? n : &root_)->findChild(part);
        if (!n) return nullptr;
    }
    return n;
}

ToBeOpenTN* LinkGraph::findOrCreate(std::string_view url, uint8_t level, bool show, bool* created) {
    if (created) *created = false;
    UrlParts p;
    if (!cutUrl(url, p)) return nullptr;
    ToBeOpenTN* n = &root_;
    bool made = false;
    for (size_t i = 0; i < p.parts.size(); ++i) {
        ToBeOpenTN* c = n->findChild(p.parts[i]);
        made = !c;
        if (!c) {
            c = new ToBeOpenTN(p.parts[i], ToBeOpenTN::kFolderLevel);
            n->insertChild(c);
            if (show && showNode) showNode(*c);
        }
        n = c;
    }
    if (p.folder) {
        if (made || level < n->level) n->level = level;
        if (n->tail.empty()) n->tail = "/";
    } else if (made || n->level == ToBeOpenTN::kFolderLevel) {
        n->level = level;
    }
    if (created) *created = made;
    return n;
}

AStr LinkGraph::urlOf(const ToBeOpenTN& node) const { return nodeUrl(&node); }

AStr LinkGraph::absolutePath(std::string_view relative) const {
    if (relative.empty()) return AStr();
    // Sized once: asked for every stored target of a page that is rewritten.
    AStr a;
    const size_t folder = outputFolder.size();
    char* p = a.resize(folder + 1 + relative.size());
    std::memcpy(p, outputFolder.c_str(), folder);
    p[folder] = platform::kPathSep;
    std::memcpy(p + folder + 1, relative.data(), relative.size());
    return a;
}

AStr LinkGraph::relativePath(std::string_view absolute) const { return relativeToFolder(outputFolder, absolute); }

LinkGraph::CountAs LinkGraph::countAs(uint32_t flags) {
    if ((flags & FlagEmbedded) && !(flags & FlagPicture)) return CountAs::File;
    if (flags & (FlagSkipped | FlagExcluded)) return CountAs::None;
    return (flags & FlagPicture) ? CountAs::Picture : CountAs::File;
}

void LinkGraph::count(const ToBeOpenTN& node, int delta) {
    uint32_t* c = nullptr;
    switch (countAs(node.flags)) {
    case CountAs::File: c = &counters.queuedFiles; break;
    case CountAs::Picture: c = &counters.queuedPictures; break;
    case CountAs::None: return;
    }
    // Counters loaded from a file may not match the graph: never wrap.
    if (delta > 0) ++*c;
    else if (*c > 0) --*c;
}

bool LinkGraph::isPage(const ToBeOpenTN& node) const {
    std::string_view ext = Extension(node.name);
    if (ext.empty()) return true;
    return AStr(ext).lower().find("htm") != AStr::npos;
}

uint16_t LinkGraph::queuePriority(const ToBeOpenTN& node) const { return priorityOf(node, nodeUrl(&node)); }

uint16_t LinkGraph::priorityOf(const ToBeOpenTN& node, std::string_view u) const {
    if (node.level == ToBeOpenTN::kFolderLevel || node.state == StateMissing || node.state == StateFailed) return 0;
    if (!fileRule_.allowsNode(u) || !policy_.nodeDecision(node.flags, u, node.level)) return 0;
    int d = node.level >= 40 ? node.level - 50 : node.level;
    if (d < 0) d = 0;
    bool embedded = (node.flags & FlagEmbedded) != 0;
    int base = (node.flags & FlagPreferred) ? 200 : 100;
    if (embedded && base == 100) {
        for (ToBeOpenTN* from : node.referrers)
            if (from->flags & FlagPreferred) { base = 200; break; }
    }
    int bonus = node.level < 40 ? 4 : 0;
    int kind = embedded ? 0 : (isPage(node) ? 1 : 2);
    // Deep levels would wrap below 0 and come out on top, or land on 0,
    // which means "not queued": keep the value inside 1..255 instead.
    int p = std::clamp(base + bonus - 4 * d - kind, 1, 255);
    if (htmlFirst && !embedded && kind == 1) p *= 256;
    return static_cast<uint16_t>(p);
}

void LinkGraph::updateUp(ToBeOpenTN* node) {
    for (ToBeOpenTN* n = node; n; n = n->parentNode()) {
        uint16_t v = std::max(n->priority, n->childrenPriority());
        if (v == n->subtreePriority) return;
        uint16_t old = n->subtreePriority;
        n->subtreePriority = v;
        if (ToBeOpenTN* p = n->parentNode()) p->childPriorityChanged(n, old);
    }
}

void LinkGraph::setState(ToBeOpenTN& node, uint16_t state) {
    AStr u;
    if (state == StateQueued && node.state != StateQueued) {
        u = nodeUrl(&node);
        if (!fileRule_.allowsNode(u)) state = StateNew;
    }
    if (node.state != state) {
        if (node.state == StateQueued) {
            count(node, -1);
            node.priority = 0;
            node.state = state;
            updateUp(&node);
        }
        node.state = state;
        if (state == StateQueued) {
            node.priority = priorityOf(node, u);
            count(node, +1);
            updateUp(&node);
        }
    }
    if (nodeChanged) nodeChanged(node);
}

void LinkGraph::setFlags(ToBeOpenTN& node, uint32_t flags) {
    if (node.flags == flags) return;
    const bool queued = node.state == StateQueued;
    if (queued) count(node, -1);
    node.flags = flags;
    if (queued) {
        count(node, +1);
        reprioritise(node);
    }
}

void LinkGraph::reprioritise(ToBeOpenTN& node) {
    if (node.state != StateQueued) return;
    uint16_t p = queuePriority(node);
    if (p == node.priority) return;
    node.priority = p;
    // Lowered as well as raised: the subtree priorities are recomputed
    // upward from the children.
    for (ToBeOpenTN* n = &node; n; n = n->parentNode()) {
        uint16_t v = std::max(n->priority, n->childrenPriority());
        if (v == n->subtreePriority && n != &node) return;
        uint16_t old = n->subtreePriority;
        n->subtreePriority = v;
        if (ToBeOpenTN* up = n->parentNode()) up->childPriorityChanged(n, old);
    }
}

int LinkGraph::levelThrough(const ToBeOpenTN& page, const ToBeOpenTN& target) const {
    if (&page == &root_) return 0;  // a start URL
    int best = kMaxLinkLevel + 1;
    const bool flat = (page.flags & FlagFlatLinks) != 0;
    for (const ExtractNode* l : each<ExtractNode>(page.links))
        if (l->target == &target) best = std::min(best, linkLevel(page.level, target.onStartHost, l->flags, flat));
    return best;
}

void LinkGraph::recomputeLevels(ToBeOpenTN& from) {
    if (from.isRoot()) return;
    constexpr int kNone = kMaxLinkLevel + 1;
    std::unordered_map<ToBeOpenTN*, uint8_t> before;  // the nodes touched, with their old levels
    auto touch = [&before](ToBeOpenTN* n) { before.emplace(n, n->level); };

    // 1. The nodes whose level no referrer outside their own set still
    // gives: from and those reached from it whose chain went through it.
    // A node that joins the set puts its targets up for a second look.
    std::unordered_set<ToBeOpenTN*> suspect;
    std::vector<ToBeOpenTN*> look{&from};
    for (ExtractNode* l : each<ExtractNode>(from.links)) look.push_back(l->target);
    while (!look.empty()) {
        ToBeOpenTN* t = look.back();
        look.pop_back();
        if (!t || t == &root_ || t->level == ToBeOpenTN::kFolderLevel || suspect.count(t)) continue;
        bool given = false;
        for (ToBeOpenTN* r : t->referrers)
            if (!suspect.count(r) && levelThrough(*r, *t) <= t->level) { given = true; break; }
        if (given) continue;
        suspect.insert(t);
        for (ExtractNode* l : each<ExtractNode>(t->links)) look.push_back(l->target);
    }

    // 2. Their levels from the referrers outside the set, then the shortest
    // chains inside it: a level never falls along a chain, so one bucket
    // per level settles each node once. A suspect that no chain reaches
    // keeps what it had.
    std::unordered_map<ToBeOpenTN*, int> level;
    std::vector<std::vector<ToBeOpenTN*>> bucket(kNone);
    auto offer = [&](ToBeOpenTN* t, int lv) {
        if (lv >= kNone) return;
        auto it = level.find(t);
        if (it != level.end() && it->second <= lv) return;
        level[t] = lv;
        bucket[lv].push_back(t);
    };
    for (ToBeOpenTN* t : suspect)
        for (ToBeOpenTN* r : t->referrers)
            if (!suspect.count(r)) offer(t, levelThrough(*r, *t));
    std::vector<ToBeOpenTN*> changed{&from};
    for (int lv = 0; lv < kNone; ++lv) {
        for (size_t i = 0; i < bucket[lv].size(); ++i) {
            ToBeOpenTN* n = bucket[lv][i];
            if (level[n] != lv) continue;  // settled at a smaller level
            if (n->level != lv) {
                touch(n);
                n->level = static_cast<uint8_t>(lv);
            }
            changed.push_back(n);
            const bool flat = (n->flags & FlagFlatLinks) != 0;
            for (ExtractNode* l : each<ExtractNode>(n->links)) {
                ToBeOpenTN* t = l->target;
                if (t && suspect.count(t)) offer(t, linkLevel(lv, t->onStartHost, l->flags, flat));
            }
        }
    }

    // 3. Shorter chains from there on, as when a link finds one (from's own
    // links may give less now).
    while (!changed.empty()) {
        ToBeOpenTN* n = changed.back();
        changed.pop_back();
        const bool flat = (n->flags & FlagFlatLinks) != 0;
        for (ExtractNode* l : each<ExtractNode>(n->links)) {
            ToBeOpenTN* t = l->target;
            if (!t || t == &root_) continue;
            int lv = linkLevel(n->level, t->onStartHost, l->flags, flat);
            if (lv >= t->level) continue;
            touch(t);
            t->level = static_cast<uint8_t>(lv);
            changed.push_back(t);
        }
    }

    for (auto& [n, old] : before) {
        if (n->level == old) continue;
        if (n->state == StateQueued) {
            reprioritise(*n);
        } else if (n->state == StateNew && !(n->flags & FlagReceived) &&
                   policy_.nodeDecision(n->flags, nodeUrl(n), n->level)) {
            setState(*n, StateQueued);
        }
    }
}

ToBeOpenTN* LinkGraph::bestQueued() const {
    const ToBeOpenTN* n = &root_;
    if (n->subtreePriority == 0) return nullptr;
    for (;;) {
        if (n->priority == n->subtreePriority) return const_cast<ToBeOpenTN*>(n);
        const ToBeOpenTN* c = n->firstChildWithPriority(n->subtreePriority);
        if (!c) return nullptr;
        n = c;
    }
}

void LinkGraph::beginStartUrls() {
    policy_.clearStarts();
    fileRule_.clear();
}

AStr LinkGraph::addStartPlace(std::string_view url) {
    // Blanks inside a typed address are escaped as in links; a local path
    // keeps its own.
    AStr u = url::normalizeAddress(url::trimBlanks(url), true);
    if (!AStr(u.view().substr(0, 5)).equalsNoCase("file:")) u = url::escapeBlanks(u);
    policy_.addStart(u);
    fileRule_.addStart(u);
    return u;
}

ToBeOpenTN* LinkGraph::addStartUrl(std::string_view url, bool starting) {
    AStr u = addStartPlace(url);
    bool created = false;
    ToBeOpenTN* node = find(u);
    if (node) {
        node->level = 0;
    } else {
        node = findOrCreate(u, 0, true, &created);
        if (!node) return nullptr;
    }
    bool linked = false;
    for (ExtractNode* l : each<ExtractNode>(root_.links))
        if (l->target == node) { linked = true; break; }
    if (created || !linked) {
        ExtractNode* l = new ExtractNode;
        l->linkText = u;
        l->target = node;
        root_.links.append(l);
        node->referrers.append(&root_);
    }
    node->onStartHost = true;
    if (starting || created) {
        bool barred = (node->flags & (FlagSkipped | FlagExcluded)) && !(node->flags & (FlagPicture | FlagEmbedded));
        if (!barred && node->state != StateLoading) {
            if (node->state == StateQueued) setState(*node, StateNew);  // its level changed: a new priority
            setState(*node, StateQueued);
        }
    }
    return node;
}

void LinkGraph::addOrphan(ToBeOpenTN* node) {
    if (orphanSet_.insert(node).second) orphans_.push_back(node);
}

void LinkGraph::dropOrphanCandidate(const ToBeOpenTN* node) {
    if (orphanSet_.erase(node)) orphans_.erase(std::find(orphans_.begin(), orphans_.end(), node));
}

void LinkGraph::replaceLinks(ToBeOpenTN& page, ExtractList& fresh) {
    for (ExtractNode* l : each<ExtractNode>(page.links)) {
        ToBeOpenTN* t = l->target;
        if (!t || !t->referrers.removeRef(&page)) continue;
        if (t->referrers.empty() && !t->isRoot() && !t->isHostNode()) addOrphan(t);
    }
    page.links.clear();
    page.links.takeAll(fresh);
}

void LinkGraph::forgetReferrers(ToBeOpenTN& page) {
    for (ExtractNode* l : each<ExtractNode>(page.links))
        if (l->target) (void)l->target->referrers.removeRef(&page);
}

int LinkGraph::linkLevel(int pageLevel, bool targetOnStartHost, uint32_t linkFlags, bool flatPage) {
    int level = pageLevel;
    if (!targetOnStartHost && level < 40) level += 50;
    if (!(linkFlags & (FlagEmbedded | FlagCodePageVariant)) && !flatPage) ++level;
    return std::min(level, kMaxLinkLevel);
}

void LinkGraph::inheritBranch(ToBeOpenTN& node) {
    for (ToBeOpenTN* a = node.parentNode(); a && !a->isRoot(); a = a->parentNode()) {
        if (!(a->flags & FlagBranchMark)) continue;
        bool exempt = (node.flags & (FlagPicture | FlagEmbedded | FlagOtherCodePage)) != 0;
        if ((a->flags & FlagSkipped) && !exempt) node.flags |= FlagSkipped;
        else if (a->flags & FlagPreferred) node.flags |= FlagPreferred;
        return;
    }
}

void LinkGraph::lowerLevel(ToBeOpenTN& target, int level, uint32_t linkFlags) {
    // The link found a shorter chain. Pass the new level on through the
    // links of every page it lowers, as long as the chain stays within the
    // limits; each node is lowered only to a strictly smaller level, so
    // cycles of links end.
    target.flags |= linkFlags & FlagEmbedded;
    target.level = static_cast<uint8_t>(level);
    std::vector<ToBeOpenTN*> work{&target};
    while (!work.empty()) {
        ToBeOpenTN* n = work.back();
        work.pop_back();
        if (n == &target) {
            // Queued on its longer chain: the shorter one gives it its place.
            reprioritise(*n);
        } else {
            if (n->state == StateQueued) {
                setState(*n, StateNew);
                setState(*n, StateQueued);
            } else if (n->state == StateNew && !(n->flags & FlagReceived) &&
                       policy_.nodeDecision(n->flags, nodeUrl(n), n->level)) {
                setState(*n, StateQueued);
            }
        }
        if (!policy_.withinLevels(n->level)) continue;
        bool flat = (n->flags & FlagFlatLinks) != 0;
        for (ExtractNode* l : each<ExtractNode>(n->links)) {
            ToBeOpenTN* t = l->target;
            if (!t || t == &root_) continue;
            int lv = linkLevel(n->level, t->onStartHost, l->flags, flat);
            if (lv >= t->level) continue;
            t->level = static_cast<uint8_t>(lv);
            t->flags |= l->flags & FlagEmbedded;
            work.push_back(t);
        }
    }
}

void LinkGraph::processLinks(ToBeOpenTN& page, const std::vector<ResolvedLink>& links) {
    AStr pageUrl = nodeUrl(&page);
    AStr pageHost = url::hostOfUrl(pageUrl);
    bool flat = (page.flags & FlagFlatLinks) != 0;
    bool pagePicture = (page.flags & FlagPicture) != 0;
    std::unordered_map<std::string_view, ExtractNode*> seen;
    seen.reserve(links.size());
    auto earlier = [&seen](std::string_view u) -> ExtractNode* {
        if (auto it = seen.find(u); it != seen.end()) return it->second;
        if (!u.empty() && u.back() == '/')
            if (auto it = seen.find(u.substr(0, u.size() - 1)); it != seen.end()) return it->second;
        std::string withSlash(u);
        withSlash += '/';
        if (auto it = seen.find(withSlash); it != seen.end()) return it->second;
        return nullptr;
    };

    size_t done = 0;
    for (const ResolvedLink& r : links) {
        if (progress && ++done % 10 == 0) progress(done, links.size());
        ExtractNode* link = r.record;
        std::string_view u = r.url;
        if (!link || u.empty()) continue;
        // A scheme that nothing here can fetch would fail, and restart the
        // job, every time: the link stays in the page as it is.
        if (!url::fetchableUrl(u)) continue;
        // 0: a file on this machine that the page has no say about, or a
        // link that would make this program send what the page chose.
        if (!fileRule_.allowsLink(pageUrl, u)) continue;
        if (!LinkSafeToFollow(u, page)) continue;
        // 1-3: where the link leads, its level and whether it is followed.
        bool onStart = policy_.onStartHost(u);
        bool sameSite = onStart || url::hostOfUrl(u).equalsNoCase(pageHost);
        int level = linkLevel(page.level, onStart, link->flags, flat);
        bool follow = policy_.follow(sameSite, link->flags, u, level);

        // 4: a link met before on this page shares its target.
        if (ExtractNode* e = earlier(u)) {
            link->target = e->target;
            if (link->refText.empty()) link->refText = e->refText;
            ToBeOpenTN* t = link->target;
            if (!follow || !t || !((t->flags & FlagOtherCodePage) || isOrphanCandidate(t))) continue;
        } else {
            seen.emplace(u, link);
        }

        // 5-6: the target, found or made.
        bool created = false;
        ToBeOpenTN* t = link->target;
        if (!t || !(t->flags & FlagForced)) {
            bool show = !(link->flags & FlagPicture) && follow;
            t = findOrCreate(u, static_cast<uint8_t>(level), show, &created);
            if (!t) continue;
            link->target = t;
            if (created) {
                t->onStartHost = onStart;
                t->flags |= link->flags & (FlagPicture | FlagEmbedded | FlagCodePageVariant | FlagNotFollowed);
                inheritBranch(*t);
            }
        }
        if (t->flags & FlagForced) follow = true;

        // 7-9: no orphan any more, one more referrer, maybe a shorter chain.
        dropOrphanCandidate(t);
        // The page's old entries went with replaceLinks, so an entry made
        // during this pass is the last one.
        if (!t->referrers.endsWith(&page)) t->referrers.append(&page);
        if (!created && t->level > level) lowerLevel(*t, level, link->flags);

        // 10: queue it, or leave it new (with a stub when so set).
        bool busy = t->state == StateQueued || t->state == StateLoading;
        if (!(t->flags & FlagReceived) && !busy && !pagePicture && follow) setState(*t, StateQueued);
        else if (created && !follow && stubs && !(t->flags & FlagPicture) && makeStub) makeStub(*t);
    }
}

void LinkGraph::clear() {
    root_.clearChildren();
    root_.links.clear();
    root_.referrers.clear();
    root_.priority = 0;
    root_.subtreePriority = 0;
    root_.level = ToBeOpenTN::kFolderLevel;
    counters = JobCounters();
    orphans_.clear();
    orphanSet_.clear();
}

void LinkGraph::rebuildReferrers() {
    ForEachNode(root_, [](ToBeOpenTN& n) {
        for (ExtractNode* l : each<ExtractNode>(n.links))
            if (l->target && !l->target->referrers.endsWith(&n)) l->target->referrers.append(&n);
    });
}

void LinkGraph::restorePriorities() {
    ForEachNode(root_, [this](ToBeOpenTN& n) {
        if (n.state != StateQueued) return;
        n.priority = queuePriority(n);
        updateUp(&n);
    });
}

void LinkGraph::recountQueue() {
    counters.queuedFiles = counters.queuedPictures = 0;
    ForEachNode(root_, [this](const ToBeOpenTN& n) {
        if (n.state == StateQueued) count(n, 1);
    });
}

void LinkGraph::requeueLoading() {
    constexpr uint32_t kDownloadFlags = 0x1 | 0x4 | 0x10 | 0x400 | 0x800;
    ForEachNode(root_, [this](ToBeOpenTN& n) {
        if (n.state != StateLoading) return;
        n.state = StateQueued;
        if (n.flags & FlagPicture) ++counters.queuedPictures;
        else if (!(n.flags & FlagSkipped) || (n.flags & FlagEmbedded)) ++counters.queuedFiles;
        for (AStr* path : {&n.savedFile, &n.rawFile}) {
            if (isSafeRelativePath(*path)) (void)platform::DeleteFile(absolutePath(*path).c_str());
        }
        n.flags &= ~kDownloadFlags;
        n.priority = queuePriority(n);
        updateUp(&n);
    });
}
