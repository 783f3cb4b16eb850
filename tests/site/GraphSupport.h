#pragma once
// A small follow policy for the graph's tests: start hosts, level limits,
// the picture switches and an exclude list, decided as the job's filters
// decide them (file classes left out: every extension is allowed).

#include <string>
#include <vector>

#include "framework/Url.h"
#include "site/FollowPolicy.h"
#include "site/LinkFlags.h"

class TestPolicy : public FollowPolicy {
public:
    int internalLevels = 1;
    int externalLevels = 0;
    bool allowPicture = true;
    bool allowOutPicture = true;
    std::vector<std::string> excluded;  // URL prefixes, compared without case
    std::vector<AStr> startHosts;
    int followCalls = 0;

    void clearStarts() override { startHosts.clear(); }
    void addStart(std::string_view u) override { startHosts.push_back(url::hostOfUrl(u)); }
    bool onStartHost(std::string_view u) const override {
        AStr h = url::hostOfUrl(u);
        for (const AStr& s : startHosts)
            if (s == h) return true;
        return false;
    }
    bool withinLevels(int level) const override {
        return level < 40 ? level <= internalLevels : level - 50 <= externalLevels;
    }
    bool follow(bool sameSite, uint32_t flags, std::string_view u, int level) const override {
        ++const_cast<TestPolicy*>(this)->followCalls;
        if (!(flags & FlagEmbedded)) {
            for (const std::string& e : excluded)
                if (AStr(u.substr(0, e.size())).equalsNoCase(e)) return false;
        }
        if (!allowOutPicture && !sameSite && (flags & FlagPicture)) return false;
        if (!allowPicture && (flags & FlagPicture)) return false;
        return (flags & FlagEmbedded) || withinLevels(level);
    }
};
