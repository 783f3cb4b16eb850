#include "site/FollowPolicy.h"

#include "site/LinkFlags.h"

bool FollowPolicy::nodeDecision(uint32_t nodeFlags, std::string_view nodeUrl, int level) const {
    if (nodeFlags & (FlagExcluded | FlagSkipped))
        return false;
    return follow(onStartHost(nodeUrl), nodeFlags, nodeUrl, level);
}
