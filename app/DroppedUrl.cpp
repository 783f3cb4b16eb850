#include "app/DroppedUrl.h"

#include <string_view>

AStr DroppedUrl(const char* data, size_t size) {
    if (!data) return {};
    std::string_view text(data, size);
    text = text.substr(0, text.find('\0'));
    text = text.substr(0, text.find_first_of("\r\n"));
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
    if (text.size() > kMaxDroppedUrl) return {};
    return AStr(text);
}
