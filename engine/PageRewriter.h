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

#include "framework/AStr.h"

class CopyExistence;
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

private:
    // The page's base URL (its own when it declared none).
    AStr baseOf(const ToBeOpenTN& page) const;
    // What a link is replaced with on the page: a relative link to a
    // stored target with its fragment, "empty.gif", the absolute URL, or
    // for a URL that cannot be used the link text itself. pageFile is the
    // page's stored file below the output folder.
    void appendReplacement(url::UrlCombiner& pageBase, CopyExistence& copies, std::string_view pageFile,
                           const class ExtractNode& link, std::string& out);
    // The node the link's absolute URL names: mostly the link's own target.
    ToBeOpenTN* nodeOf(const ExtractNode& link, std::string_view url) const;
    bool replaceCopy(const AStr& stored, const std::string& content);
    // The target's stored file below the output folder, or null when it
    // has no copy there.
    static const AStr* storedCopy(const ToBeOpenTN& target, CopyExistence& copies);
    uint32_t now() const;

    LinkGraph& graph_;
    AStr absolute_;  // each link's absolute URL, its room kept
};
