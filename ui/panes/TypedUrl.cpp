#include "ui/panes/TypedUrl.h"

#include <cctype>
#include <string_view>

#include "app/DroppedUrl.h"

namespace {
// A scheme: a letter, then letters, digits, "+", "-" or ".", then ":".
// "host:8080/x" is not one: what follows the colon of a scheme is never
// a digit.
bool HasScheme(std::string_view s) {
    size_t colon = s.find(':');
    if (colon == std::string_view::npos || colon == 0) return false;
    if (!std::isalpha(static_cast<unsigned char>(s[0]))) return false;
    for (size_t i = 1; i < colon; ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return false;
    }
    return colon + 1 >= s.size() || !std::isdigit(static_cast<unsigned char>(s[colon + 1]));
}
}  // namespace

AStr TypedUrl(const AStr& typed) {
    AStr url = DroppedUrl(typed.c_str(), typed.size());
    if (url.empty() || HasScheme(url.view())) return url;
    AStr full = AStr("http://") + url;
    return full.size() > kMaxDroppedUrl ? AStr() : full;
}
