#pragma once
// The job's link graph: one tree of ToBeOpenTN nodes shaped like the URL
// namespace, with each page's link records and each node's referrers laid
// over it, the queue priorities that pick the next download, and the job
// counters that follow nodes into and out of the queue.

#include <cstdint>
#include <functional>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "framework/AStr.h"
#include "site/LocalFileRule.h"
#include "site/ResolveLinks.h"
#include "site/ToBeOpenTN.h"

class FollowPolicy;

// The text the main window shows while a long list of links is processed.
constexpr int kTextLinkProgress = 22166;

// The main window's job counters, stored in the tree file's header.
struct JobCounters {
    uint32_t receivedFiles = 0;
    uint32_t schedulerCounter = 0;  // kept for the scheduler, stored as it is
    uint32_t queuedFiles = 0;
    uint32_t changedFiles = 0;
    uint32_t queuedPictures = 0;
    // The header's last field, read back: 1 when the file was written
    // while downloads ran (files of the downloads that ended after it may
    // be in the copy without a node that knows them). Always written as
    // the save's own kind, never from here.
    uint32_t savedWhileRunning = 0;
};


class LinkGraph {
public:
    // Levels above this never occur: long external chains stop here so that
    // a level never reaches the folder mark or wraps.
    static constexpr int kMaxLinkLevel = 99;

    explicit LinkGraph(FollowPolicy& policy);
    LinkGraph(const LinkGraph&) = delete;
    LinkGraph& operator=(const LinkGraph&) = delete;

    ToBeOpenTN& root() { return root_; }
    const ToBeOpenTN& root() const { return root_; }
    FollowPolicy& policy() const { return policy_; }
    // Which file: URLs may be fetched, from the start URLs the graph was
    // given: a link the rule refuses gets no node, and a node it refuses
    // never enters the queue.
    const LocalFileRule& fileRule() const { return fileRule_; }

    // Settings of the running job (the mission's HtmlFirst and Stubs, its
    // output folder).
    bool htmlFirst = false;
    bool stubs = false;
    AStr outputFolder;
    JobCounters counters;

    // Hooks of the windows and of saving; any may be left empty.
    std::function<void(ToBeOpenTN&)> showNode;     // a created node is to be shown
    std::function<void(ToBeOpenTN&)> nodeChanged;  // state changed: refresh its icon
    std::function<void(ToBeOpenTN&)> makeStub;     // a link that is not fetched
    // Every 10 links; the main window shows kTextLinkProgress once more
    // than 1000 ms have passed.
    std::function<void(size_t done, size_t total)> progress;
    std::function<void(int text)> showStatus;      // a status-line text; 0 refreshes
    std::function<void(int text, std::string_view arg)> reportError;
    std::function<void()> rebuildViews;

    ToBeOpenTN* find(std::string_view url);
    // Creates what is missing on the way (folders at level 100). The leaf
    // takes level when it was created or had level 100; a folder URL gives
    // the folder, which takes a smaller level and the tail "/". Null for a
    // URL without parts.
    ToBeOpenTN* findOrCreate(std::string_view url, uint8_t level, bool show, bool* created = nullptr);

    AStr urlOf(const ToBeOpenTN& node) const;
    // Output folder + separator + relative path, and back; a path outside
    // the output folder gives "".
    AStr absolutePath(std::string_view relative) const;
    AStr relativePath(std::string_view absolute) const;

    // A node that the file rule refuses is left new instead of queued.
    void setState(ToBeOpenTN& node, uint16_t state);
    uint16_t queuePriority(const ToBeOpenTN& node) const;
    // New flags for a node: a queued node leaves the counters and the queue
    // under its old flags and enters them under the new ones, so a skipped
    // node keeps its state with priority 0 and is counted no more (an
    // embedded file that is no picture is always counted).
    void setFlags(ToBeOpenTN& node, uint32_t flags);
    // A queued node's priority computed again; the counters stay.
    void reprioritise(ToBeOpenTN& node);
    // The user changed what a node's links give (forced, flat links): its
    // level and those reached through its links are computed again from
    // the chains of referrers, raised as well as lowered; nodes that come
    // within the limits are queued, queued ones take their new priority.
    void recomputeLevels(ToBeOpenTN& node);
    // The queued node with the highest priority, the first in name order
    // among equals; null when nothing is queued.
    ToBeOpenTN* bestQueued() const;

    // Empties the start-host and start-folder lists before the start URLs
    // are entered again.
    void beginStartUrls();
    // Enters one start URL: level 0, a record in the root's link list, a
    // start host; queued when starting or when the node is new.
    ToBeOpenTN* addStartUrl(std::string_view url, bool starting);
    // Only its host, folder and file rule, no node (before a tree file is
    // read); the URL as the graph names it.
    AStr addStartPlace(std::string_view url);

    // A page fetched again: its old link records go (targets that lose
    // their last referrer become orphan candidates) and fresh takes their
    // place.
    void replaceLinks(ToBeOpenTN& page, ExtractList& fresh);
    // A page whose links are processed again as they are (it answered
    // 304): its entries among its targets' referrers go first, so that
    // processing adds each once and none stays behind.
    void forgetReferrers(ToBeOpenTN& page);
    // Turns the resolved links of a fetched page into nodes, referrers,
    // levels and queue entries. A link that the file rule refuses is left
    // as it is: no node, no referrer, no stub, no failure.
    void processLinks(ToBeOpenTN& page, const std::vector<ResolvedLink>& links);

    // The level a link from a page at pageLevel gives its target.
    static int linkLevel(int pageLevel, bool targetOnStartHost, uint32_t linkFlags, bool flatPage);

    const std::vector<ToBeOpenTN*>& orphanCandidates() const { return orphans_; }
    bool isOrphanCandidate(const ToBeOpenTN* node) const { return orphanSet_.count(node) != 0; }
    void dropOrphanCandidate(const ToBeOpenTN* node);

    // Empties the graph below the root for a fresh start.
    void clear();
    // After loading: referrers from the link records, priorities of the
    // queued nodes.
    void rebuildReferrers();
    void restorePriorities();
    // The queue counters counted from the queued nodes, where the stored
    // ones cannot be trusted.
    void recountQueue();
    // Before saving: nodes being fetched go back to the queue (and raise
    // its counters), lose their local copies and the flags of the download.
    void requeueLoading();

private:
    enum class CountAs { None, File, Picture };
    static CountAs countAs(uint32_t flags);
    void count(const ToBeOpenTN& node, int delta);
    uint16_t priorityOf(const ToBeOpenTN& node, std::string_view url) const;
    // Recomputes subtree priorities from node up to the root.
    void updateUp(ToBeOpenTN* node);
    void lowerLevel(ToBeOpenTN& target, int level, uint32_t linkFlags);
    void addOrphan(ToBeOpenTN* node);
    void inheritBranch(ToBeOpenTN& node);
    bool isPage(const ToBeOpenTN& node) const;
    // The smallest level page's links give target (the root: 0).
    int levelThrough(const ToBeOpenTN& page, const ToBeOpenTN& target) const;

    FollowPolicy& policy_;
    LocalFileRule fileRule_;
    ToBeOpenTN root_;
    std::vector<ToBeOpenTN*> orphans_;
    std::unordered_set<const ToBeOpenTN*> orphanSet_;
};
