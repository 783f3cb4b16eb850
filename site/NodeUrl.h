#pragma once
// How a URL maps onto the nodes of the link graph, and back.

#include <string_view>
#include <vector>

#include "framework/AStr.h"

class ToBeOpenTN;

// A URL cut into node names: the scheme and host first, then every run
// between separators ('/' or '\\'; a run of them counts as one), the
// query or fragment going to the last part (so it may hold slashes).
struct UrlParts {
    std::vector<AStr> parts;
    bool folder = false;  // the URL ends in a separator and has no query
};

// False for a URL that gives no parts (empty, or a separator first).
bool cutUrl(std::string_view url, UrlParts& out);

// The names from the root joined by "/", an extra "/" after a first part
// that ends in ':' without "//", then the tail; a node with children and
// no tail ends in "/".
AStr nodeUrl(const ToBeOpenTN* node);

// Links of one page are the same when equal, or equal but for one
// trailing "/".
bool sameLink(std::string_view a, std::string_view b);

// The extension of a node's name ("" when none): the text from the last
// '.' that follows every '/', '\\' and ':'.
std::string_view nameExtension(std::string_view name);
