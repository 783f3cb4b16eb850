#include "site/NodeUrl.h"

#include <algorithm>

#include "site/ToBeOpenTN.h"

namespace {
bool isSeparator(char c) { return c == '/' || c == '\\'; }
}  // namespace

UrlPartWalker::UrlPartWalker(std::string_view url) : url_(url) {
    // Most URLs have neither: a scan without an early exit tells that many
    // bytes at a time, and only a URL with one is searched for its place.
    unsigned char queryOrFragment = 0;
    for (char c : url) queryOrFragment |= (c == '?') | (c == '#');
    size_t aside = std::string_view::npos;
    if (queryOrFragment) {
        aside = 0;
        while (url[aside] != '?' && url[aside] != '#') ++aside;
    }
    body_ = url.substr(0, aside);
    rest_ = aside == std::string_view::npos ? std::string_view() : url.substr(aside);

    // The scheme's colon is a colon before any separator; the slashes
    // after it belong to the first part.
    size_t i = 0;
    size_t colon = body_.find(':');
    if (colon != std::string_view::npos &&
        std::none_of(body_.begin(), body_.begin() + static_cast<std::ptrdiff_t>(colon), isSeparator)) {
        i = colon + 1;
        while (i < body_.size() && isSeparator(body_[i])) ++i;
    }
    while (i < body_.size() && !isSeparator(body_[i])) ++i;
    if (i == 0) return;
    pending_ = true;
    pendingEnd_ = pos_ = i;
    folder_ = rest_.empty() && isSeparator(body_.back()) && body_.size() > i;
}

bool UrlPartWalker::next(std::string_view& part) {
    if (!pending_) return false;
    size_t i = pos_;
    while (i < body_.size() && isSeparator(body_[i])) ++i;
    size_t start = i;
    while (i < body_.size() && !isSeparator(body_[i])) ++i;
    pos_ = i;
    if (i > start) {
        part = body_.substr(pendingStart_, pendingEnd_ - pendingStart_);
        pendingStart_ = start;
        pendingEnd_ = i;
        return true;
    }
    // Nothing follows: the pending part is the last and takes the query.
    pending_ = false;
    if (rest_.empty() || pendingEnd_ == body_.size()) {
        part = url_.substr(pendingStart_, pendingEnd_ - pendingStart_ + rest_.size());
    } else {
        joined_.assign(body_.substr(pendingStart_, pendingEnd_ - pendingStart_));
        joined_ += rest_;
        part = joined_;
    }
    return true;
}

bool cutUrl(std::string_view url, UrlParts& out) {
    out.parts.clear();
    UrlPartWalker walk(url);
    for (std::string_view part; walk.next(part);) out.parts.emplace_back(part);
    out.folder = walk.folder();
    return !out.parts.empty();
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

bool nodeUrlIs(const ToBeOpenTN* node, std::string_view url) {
    if (!node || node->isRoot()) return false;
    // nodeUrl's pieces taken off the end of url, last first.
    auto cut = [&url](std::string_view end) {
        if (url.size() < end.size() || url.substr(url.size() - end.size()) != end) return false;
        url.remove_suffix(end.size());
        return true;
    };
    if (node->tail.empty() && !node->empty() && !cut("/")) return false;
    if (!cut(node->tail.view())) return false;
    for (const ToBeOpenTN* n = node;;) {
        const ToBeOpenTN* up = n->parentNode();
        const bool top = !up || up->isRoot();
        std::string_view name = n->name.view();
        if (top && !name.empty() && name.back() == ':' && name.find("//") == std::string_view::npos && !cut("/"))
            return false;
        if (!cut(name)) return false;
        if (top) return url.empty();
        if (!cut("/")) return false;
        n = up;
    }
}

bool sameLink(std::string_view a, std::string_view b) {
    if (a == b) return true;
    if (a.size() + 1 == b.size() && b.back() == '/' && b.substr(0, a.size()) == a) return true;
    return b.size() + 1 == a.size() && a.back() == '/' && a.substr(0, b.size()) == b;
}

