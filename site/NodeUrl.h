#pragma once
// How a URL maps onto the nodes of the link graph, and back.

#include <string>
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

// The same cut, one part at a time and without copies: a lookup needs
// nothing else. Only a last part whose query does not follow it directly
// in the URL ("a/?q" gives "a?q") is put together in a buffer.
class UrlPartWalker {
public:
    explicit UrlPartWalker(std::string_view url);
    // The next part; false when there is none (at once for a URL that
    // gives no parts). A part stays valid until the next call.
    bool next(std::string_view& part);
    // The URL ends in a separator and has no query.
    bool folder() const { return folder_; }

private:
    std::string_view url_, body_, rest_;
    size_t pos_ = 0;                      // where the search for the next part goes on
    size_t pendingStart_ = 0, pendingEnd_ = 0;
    bool pending_ = false;                // a part was found and not yet handed out
    bool folder_ = false;
    std::string joined_;
};

// The names from the root joined by "/", an extra "/" after a first part
// that ends in ':' without "//", then the tail; a node with children and
// no tail ends in "/".
AStr nodeUrl(const ToBeOpenTN* node);
// nodeUrl(node) == url, without building it.
bool nodeUrlIs(const ToBeOpenTN* node, std::string_view url);

// Links of one page are the same when equal, or equal but for one
// trailing "/".
bool sameLink(std::string_view a, std::string_view b);

