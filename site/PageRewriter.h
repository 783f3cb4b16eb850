#pragma once
// Rewriting a stored page so that its links lead to the stored copies of
// their targets, and undoing that before the page is rewritten again.
//
// Each link record remembers where its replacement went (saved position
// and length), so undoing restores the page byte for byte. A page is
// replaced only when the new copy was written whole; on any failure the
// old copy stays as it was and keeps its flags.

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>

#include "framework/AStr.h"

class LinkGraph;
class ToBeOpenTN;
namespace url {
class UrlCombiner;
}

class PageRewriter {
public:
    explicit PageRewriter(LinkGraph& graph) : graph_(graph) {}

    // Shown once a rewrite has taken more than a second, every ten
    // records: the record number, the record count and the page's URL.
    std::function<void(size_t record, size_t count, const AStr& url)> progress;
    // The tick count, replaceable in tests.
    std::function<uint32_t()> clock;

    // False when the page was left as it was (no stored copy, a file that
    // could not be read or written, a failed replace).
    bool rewrite(ToBeOpenTN& page);
    bool unrewrite(ToBeOpenTN& page);

    // What a link is replaced with on the page: a relative link to a
    // stored target with its fragment, "empty.gif", the absolute URL, or
    // for a URL that cannot be used the link text itself.
    AStr replacement(const ToBeOpenTN& page, const AStr& pageFile, const class ExtractNode& link) const;

private:
    // The page's base URL (its own when it declared none).
    AStr baseOf(const ToBeOpenTN& page) const;
    void appendReplacement(url::UrlCombiner& pageBase, const AStr& pageFile, const ExtractNode& link,
                           std::string& out) const;
    bool replaceCopy(const AStr& stored, const std::string& content);
    // The full path of the target's stored copy, or null when it has none.
    const AStr* storedCopy(const ToBeOpenTN& target) const;
    uint32_t now() const;

    LinkGraph& graph_;
    // The full path of a target's copy ("" when none), asked once per
    // target and rewrite.
    mutable std::unordered_map<const ToBeOpenTN*, AStr> exists_;
    mutable AStr absolute_;  // each link's absolute URL, its room kept
};
