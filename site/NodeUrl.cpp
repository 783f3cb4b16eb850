#include "site/NodeUrl.h"

#include "site/ToBeOpenTN.h"

namespace {
bool isSeparator(char c) { return c == '/' || c == '\\'; }
}  // namespace

bool cutUrl(std::string_view url, UrlParts& out) {
    out.parts.clear();
    out.folder = false;
    size_t aside = url.find_first_of("?#");
    std::string_view body = url.substr(0, aside);
    std::string_view rest = aside == std::string_view::npos ? std::string_view() : url.substr(aside);

    // The scheme's colon is a colon before any separator; the slashes
    // after it belong to the first part.
    size_t i = 0;
    size_t colon = body.find(':');
    if (colon != std::string_view::npos && body.substr(0, colon).find_first_of("/\\") == std::string_view::npos) {
        i = colon + 1;
        while (i < body.size() && isSeparator(body[i])) ++i;
    }
    while (i < body.size() && !isSeparator(body[i])) ++i;
    if (i == 0) return false;
    out.parts.emplace_back(body.substr(0, i));
    while (i < body.size()) {
        while (i < body.size() && isSeparator(body[i])) ++i;
        size_t start = i;
        while (i < body.size() && !isSeparator(body[i])) ++i;
        if (i > start) out.parts.emplace_back(body.substr(start, i - start));
    }
    out.folder = rest.empty() && out.parts.size() > 0 && !body.empty() && isSeparator(body.back()) &&
                 body.size() > out.parts.front().size();
    out.parts.back() += rest;
    return true;
}

AStr nodeUrl(const ToBeOpenTN* node) {
    std::vector<const ToBeOpenTN*> path;
    for (const ToBeOpenTN* n = node; n && !n->isRoot(); n = n->parentNode()) path.push_back(n);
    AStr u;
    for (size_t k = path.size(); k-- > 0;) {
        const AStr& name = path[k]->name;
        if (k + 1 < path.size()) u += '/';
        u += name;
        if (k + 1 == path.size() && name.back() == ':' && name.find("//") == AStr::npos) u += '/';
    }
    u += node->tail;
    if (node->tail.empty() && !node->empty() && !node->isRoot()) u += '/';
    return u;
}

bool sameLink(std::string_view a, std::string_view b) {
    if (a == b) return true;
    if (a.size() + 1 == b.size() && b.back() == '/' && b.substr(0, a.size()) == a) return true;
    return b.size() + 1 == a.size() && a.back() == '/' && a.substr(0, b.size()) == b;
}

std::string_view nameExtension(std::string_view name) {
    size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) return {};
    size_t sep = name.find_last_of("/\\:");
    if (sep != std::string_view::npos && sep > dot) return {};
    return name.substr(dot);
}
