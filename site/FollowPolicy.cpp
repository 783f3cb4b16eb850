#include "site/FollowPolicy.h"

#include "site/LinkFlags.h"

bool FollowPolicy::nodeDecision(uint32_t nodeFlags, std::string_view nodeUrl, int level) const {
    if (nodeFlags & (FlagExcluded | FlagSkipped))
        return false;
    // The user asked for it: the filters and the levels do not apply.
    if (nodeFlags & FlagForced) return true;
    return follow(onStartHost(nodeUrl), nodeFlags, nodeUrl, level);
}
