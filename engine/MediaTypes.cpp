#include "engine/MediaTypes.h"

#include "platform/MediaDatabase.h"

namespace media {

namespace {

struct Row {
    const char* type;
    const char* ext;
    const char* ext2;
};

constexpr Row kTable[] = {
    {"text/html", "htm", "html"},
    {"text/txt", "txt", nullptr},
    {"image/gif", "gif", nullptr},
    {"image/jpeg", "jpg", "jpeg"},
    {"image/x-png", "png", nullptr},
    {"image/bmp", "bmp", nullptr},
    {"image/x-wmf", "wmf", nullptr},
    {"video/x-msvideo", "avi", nullptr},
    {"video/mpeg", "mpg", "mpeg"},
    {"video/quicktime", "mov", nullptr},
    {"audio/wav", "wav", nullptr},
    {"audio/mid", "mid", nullptr},
    {"audio/x-pn-realaudio", "ra", nullptr},
    {"application/pdf", "pdf", nullptr},
    {"application/zip", "zip", nullptr},
    {"application/x-zip-compressed", "zip", nullptr},
    {"application/x-gzip", "gz", nullptr},
    {"application/x-compress", "z", nullptr},
};

bool same(std::string_view a, std::string_view b) { return AStr(a).equalsNoCase(b); }

// The database's "Content Type" is a list separated by ",".
bool listHolds(std::string_view list, std::string_view type) {
    while (!list.empty()) {
        size_t comma = list.find(',');
        if (same(list.substr(0, comma), type)) return true;
        if (comma == std::string_view::npos) break;
        list.remove_prefix(comma + 1);
    }
    return false;
}

}  // namespace

AStr extensionForType(std::string_view type) {
    for (const Row& r : kTable)
        if (same(r.type, type)) return AStr(".") + r.ext;
    std::string ext = platform::MediaExtensionOfType(type);
    if (!ext.empty()) return AStr(ext);
    for (const std::string& key : platform::MediaExtensions())
        if (extensionMatchesType(key, type)) return AStr(key);
    return {};
}

bool extensionMatchesType(std::string_view extension, std::string_view type, bool* registered) {
    if (registered) *registered = false;
    std::string_view bare = extension;
    if (!bare.empty() && bare[0] == '.') bare.remove_prefix(1);
    bool answer = false;
    for (const Row& r : kTable) {
        if (!same(r.ext, bare) && !(r.ext2 && same(r.ext2, bare))) continue;
        if (registered) *registered = true;
        if (type.empty()) return true;
        if (same(r.type, type)) { answer = true; break; }
    }
    if (answer) return true;
    std::string listed = platform::MediaTypeOfExtension(extension);
    if (!listed.empty()) {
        if (registered) *registered = true;
        if (type.empty() || listHolds(listed, type)) return true;
    }
    return false;
}

}  // namespace media
