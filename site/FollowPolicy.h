#pragma once
// What the link graph asks of the job's filters: where the start URLs lie
// and whether a link met on a page, or a queued node, is to be fetched.
// The job's file classes and mission answer it; the graph never reads the
// mission's switches itself.

#include <cstdint>
#include <string_view>

class FollowPolicy {
public:
    virtual ~FollowPolicy() = default;

    // The start-host and start-folder lists are emptied, then rebuilt from
    // the start URLs as the graph enters them, in their order.
    virtual void clearStarts() = 0;
    virtual void addStart(std::string_view url) = 0;

    // The URL's host equals, byte for byte, the host of a start URL.
    virtual bool onStartHost(std::string_view url) const = 0;
    // Levels below 40 are internal, 50 and above external.
    virtual bool withinLevels(int level) const = 0;
    // Whether a link with these flags at this level is followed; same-site
    // is decided by the caller (a start host, or the page's own host).
    virtual bool follow(bool sameSite, uint32_t flags, std::string_view url, int level) const = 0;

    // The same decision for a node: never for an excluded or skipped node,
    // and same-site means on a start host only.
    bool nodeDecision(uint32_t nodeFlags, std::string_view nodeUrl, int level) const;
};
