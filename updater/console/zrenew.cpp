// zrenew GROUP: checks one group of installed products against its
// content description and prints every product with its installed and
// current version and its page. Exit status 0 when all are current, 1
// when a newer version exists, 2 when the check failed.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/Text.h"
#include "updater/Renewer.h"

namespace {

// The described node standing where the installed one stands below its
// group, matched by title without regard to case; null when none.
const ObjNode* described(const ObjNode& installed, const ObjNode& group, const ObjNode* describedGroup) {
    std::vector<const ObjNode*> path;
    for (const ObjNode* n = &installed; n && n != &group; n = n->parent()) path.push_back(n);
    const ObjNode* d = describedGroup;
    for (auto it = path.rbegin(); d && it != path.rend(); ++it) {
        const ObjNode* c = d->firstChild();
        while (c && platform::CompareAnsi(c->prop().title, (*it)->prop().title, true) != 0) c = c->nextSibling();
        d = c;
    }
    return d;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zrenew GROUP\n");
        return 2;
    }
    const std::string name = argv[1];
    Renewer renewer;
    ObjNode* group = renewer.findGroup(name);
    if (!group) {
        std::fprintf(stderr, "zrenew: no product group \"%s\" is installed\n", name.c_str());
        return 2;
    }
    if (group->prop().contentUrl.empty()) {
        std::fprintf(stderr, "zrenew: the group \"%s\" has no content URL\n", name.c_str());
        return 2;
    }
    ObjNode fetched;
    const int code = Fetch(group->prop().contentUrl, fetched);
    Check(*group, fetched, code, false);
    if (group->flags & ObjNode::CheckFailed) {
        if (code) std::fprintf(stderr, "zrenew: cannot read %s (error %d)\n", group->prop().contentUrl.c_str(), code);
        else std::fprintf(stderr, "zrenew: %s describes no product group\n", group->prop().contentUrl.c_str());
        return 2;
    }
    const ObjNode* describedGroup = fetched.firstChild()->firstChild();
    for (const ObjNode* n = group->nextInTree(group); n; n = n->nextInTree(group)) {
        const ObjectProp& p = n->prop();
        if (p.versionNumber == 0) continue;
        const ObjNode* d = described(*n, *group, describedGroup);
        const std::string current = d ? d->prop().version : std::string("unknown");
        std::printf("%s\tinstalled %s\tcurrent %s\t%s%s\n", p.title.c_str(), p.version.c_str(), current.c_str(),
                    p.productUrl.c_str(), (n->flags & ObjNode::UpdateAvailable) ? "\tnewer version available" : "");
    }
    std::fflush(stdout);
    return (group->childFlags & ObjNode::UpdateAvailable) ? 1 : 0;
}
