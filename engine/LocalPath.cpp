#include "engine/LocalPath.h"

#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>

#include "engine/MediaTypes.h"
#include "framework/FileExtension.h"
#include "framework/Url.h"
#include "platform/File.h"
#include "platform/Text.h"
#include "site/Mission.h"

namespace saving {

namespace {

constexpr size_t kPathBudget = 240;
// Numbers beyond the first hundred are tried so that a taken name is never
// emptied; past this many the placement fails.
constexpr int kMaxNumber = 100000;

bool isSep(char c) { return c == '/' || c == '\\'; }

bool hostBad(unsigned char c) {
    return c >= 0x80 || std::strchr("%'*:<=>|", c) != nullptr;
}

bool pathBad(unsigned char c) {
    return c >= 0x80 || (c != 0 && std::strchr("\t%'*:<=>?|", c) != nullptr);
}

bool sameNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    if (a == b) return true;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && platform::LowerAnsiChar(static_cast<unsigned char>(a[i])) !=
                                platform::LowerAnsiChar(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string encodingExtension(std::string_view encoding) {
    if (sameNoCase(encoding, "gzip") || sameNoCase(encoding, "x-gzip"))
        return std::string(media::extensionForType("application/x-gzip").view());
    if (sameNoCase(encoding, "compress") || sameNoCase(encoding, "x-compress"))
        return std::string(media::extensionForType("application/x-compress").view());
    return {};
}

// Steps 2 and 3 of the mapping: the host folder's name.
std::string hostFolder(std::string_view host, uint32_t flags) {
    std::string h(host);
    for (size_t i = 0; i < h.size(); ++i)
        if (hostBad(static_cast<unsigned char>(h[i]))) h[i] = '_';
    if (!(flags & (Mission::kOutputNames83 | Mission::kOutputNoSubdir))) return h;
    std::string_view v = h;
    size_t last = v.rfind('.');
    if (last == std::string_view::npos || last == 0) return h;
    size_t second = v.rfind('.', last - 1);
    if (second == std::string_view::npos) return h;
    std::string_view kept = v.substr(second + 1);
    if (flags & Mission::kOutputNoSubdir) kept = kept.substr(0, kept.find('.'));
    return std::string(kept);
}

// Step 6: with "nosubdir" only the last name of the path is kept.
std::string flattenPath(std::string_view path) {
    size_t last = std::string_view::npos;
    for (size_t i = path.size(); i-- > 0;)
        if (isSep(path[i])) { last = i; break; }
    if (last == std::string_view::npos) return std::string(path);
    std::string_view kept;
    if (last + 1 == path.size()) {
        size_t earlier = std::string_view::npos;
        for (size_t i = last; i-- > 0;)
            if (isSep(path[i])) { earlier = i; break; }
        kept = earlier == std::string_view::npos ? path.substr(last + 1) : path.substr(earlier + 1);
    } else {
        kept = path.substr(last + 1);
    }
    while (kept.size() > 1 && std::strchr("~_;.", kept[0])) kept.remove_prefix(1);
    return std::string(kept);
}

bool isDeviceName(std::string_view base) {
    static const char* const kNames[] = {"con", "prn", "aux", "nul", "conin$", "conout$"};
    for (const char* n : kNames)
        if (sameNoCase(base, n)) return true;
    if (base.size() == 4 && base[3] >= '1' && base[3] <= '9')
        return sameNoCase(base.substr(0, 3), "com") || sameNoCase(base.substr(0, 3), "lpt");
    return false;
}

// Applies safeComponent to every component between "\\".
std::string safePath(std::string_view path) {
    std::string out;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string_view::npos) end = path.size();
        out += safeComponent(path.substr(start, end - start)).view();
        if (end == path.size()) break;
        out += "\\";
        start = end + 1;
    }
    return out;
}

bool makeFolders(const std::string& path) {
    if (path.empty() || platform::FolderExists(path.c_str())) return true;
    size_t sep = path.find_last_of("/\\");
    if (sep != std::string::npos && sep > 0 && !makeFolders(path.substr(0, sep))) return false;
    return platform::MakeFolder(path.c_str()) == 0 || platform::FolderExists(path.c_str());
}

// The number to try first for a name that was taken before: without it a
// thousand URLs cut to one name would try (0), (1), ... again each time,
// at a cost that grows with the square of their count. Shared by the
// download threads; bounded, since it is only a hint.
class NumberHints {
public:
    int get(const std::string& path) {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = next_.find(path);
        return it == next_.end() ? -1 : it->second;
    }
    void set(const std::string& path, int n) {
        std::lock_guard<std::mutex> lock(mutex_);
        if (next_.size() >= kMaxEntries && next_.find(path) == next_.end()) next_.clear();
        next_[path] = n;
    }

private:
    static constexpr size_t kMaxEntries = 4096;
    std::mutex mutex_;
    std::unordered_map<std::string, int> next_;
};

NumberHints& numberHints() {
    static NumberHints hints;
    return hints;
}

std::string numbered(const std::string& stem, int n, const std::string& tail) {
    std::string name = stem;
    name += '(';
    name += std::to_string(n);
    name += ')';
    name += tail;
    return name;
}

// Takes the first free name: the name itself, then "name(n).ext"; the
// file moveFrom is moved in under it, or without one an empty file is
// created to hold it. The search starts behind the number handed out last for
// the name while the name before it still exists, so that the first free
// number is found as before when the folder was not emptied meanwhile.
bool reserve(std::string& path, const char* moveFrom) {
    std::string_view v = path;
    size_t ext = ExtensionStart(v);
    std::string stem(v.substr(0, ext == std::string_view::npos ? v.size() : ext));
    std::string tail(ext == std::string_view::npos ? std::string_view() : v.substr(ext));
    int start = numberHints().get(path);
    if (start > 0 && !platform::PathExists(numbered(stem, start - 1, tail).c_str())) start = -1;
    if (start >= 0 && !platform::PathExists(path.c_str())) start = -1;
    for (int n = start; n < kMaxNumber; ++n) {
        std::string name = n >= 0 ? numbered(stem, n, tail) : path;
        if (platform::PathExists(name.c_str())) continue;
        int taken;
        if (moveFrom) {
            taken = platform::MoveToNewName(moveFrom, name.c_str());
        } else {
            platform::File f;
            taken = f.open(name.c_str(), platform::File::Mode::CreateNew);
        }
        if (taken == 0) {
            if (n >= 0) numberHints().set(path, n + 1);
            path = name;
            return true;
        }
        if (!platform::PathExists(name.c_str())) return false;  // not a clash: the disk refused
    }
    return false;
}

}  // namespace

AStr safeComponent(std::string_view name) {
    std::string c(name);
    for (size_t i = 0; i < c.size(); ++i) {
        unsigned char b = static_cast<unsigned char>(c[i]);
        if (b < 0x20 || b == '"' || b == '/') c[i] = '_';
    }
    if (!c.empty() && c.find_first_not_of('.') == std::string::npos) return AStr(std::string(c.size(), '_'));
    // Windows drops a trailing dot or blank, which would make two names one.
    if (!c.empty() && (c.back() == '.' || c.back() == ' ')) c.back() = '_';
    if (isDeviceName(std::string_view(c).substr(0, c.find('.')))) c.insert(c.begin(), '_');
    return AStr(c);
}

bool relativeLocalPath(const PlaceRequest& req, AStr& out) {
    url::SplitUrl parts;
    if (!url::splitUrl(req.url, url::kNoEncode, parts)) return false;
    const uint32_t flags = req.outputFlags;
    const bool shortened = flags & (Mission::kOutputNames83 | Mission::kOutputNoSubdir);
    const bool noSubdir = flags & Mission::kOutputNoSubdir;

    std::string result(1, '\\');
    result += hostFolder(parts.host, flags);
    if (!shortened && parts.port != 0 &&
        ((parts.service == url::kServiceHttp && parts.port != 80) ||
         (parts.service == url::kServiceFtp && parts.port != 21)))
        {
        result += '.';
        result += std::to_string(parts.port);
    }

    std::string path;
    size_t count = req.outputFolder.size() + result.size();
    std::string_view raw = parts.path;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (++count > kPathBudget) break;
        char c = raw[i];
        if (pathBad(static_cast<unsigned char>(c)) || (isSep(c) && i > 0 && isSep(raw[i - 1]))) c = '_';
        path += c;
    }

    if (noSubdir) {
        if (path.find_first_of("/\\") != std::string::npos) path = flattenPath(path);
        if (!path.empty()) result.assign(1, '\\');
    }
    result += path;
    if (!noSubdir && (path.empty() || isSep(result.back())))
        result += req.mediaType.empty() ? "_index.htm" : "_default";
    for (char& c : result)
        if (c == '/') c = '\\';

    const std::string encExt = encodingExtension(req.contentEncoding);
    if (parts.service == url::kServiceHttp || !req.mediaType.empty()) {
        size_t dot = ExtensionStart(result);
        if (dot != std::string::npos && !encExt.empty()) {
            if (sameNoCase(std::string_view(result).substr(dot), encExt)) {
                result.resize(dot);  // "x.tar.gz": ".tar" becomes the current extension
            } else {
                size_t inner = ExtensionStart(std::string_view(result).substr(0, dot));
                if (inner != std::string::npos && sameNoCase(std::string_view(result).substr(inner, dot - inner), encExt))
                    result.erase(inner, dot - inner);  // "x.gz.htm" becomes "x.htm"
            }
        }
        size_t cur = ExtensionStart(result);
        std::string current = cur == std::string::npos ? std::string() : result.substr(cur);
        bool registered = false;
        bool matches = media::extensionMatchesType(current, req.mediaType, &registered);
        if ((!req.mediaType.empty() || registered) && !matches) {
            AStr typeExt = media::extensionForType(req.mediaType);
            if (!typeExt.empty() && !sameNoCase(typeExt, current)) result += typeExt.view();
        }
    }
    if (!encExt.empty()) {
        size_t cur = ExtensionStart(result);
        if (cur == std::string::npos || !sameNoCase(std::string_view(result).substr(cur), encExt)) result += encExt;
    }
    if (flags & Mission::kOutputNames83) result = std::string(shortName(result).view());
    out = AStr(safePath(result));
    return true;
}

bool localPath(const PlaceRequest& req, AStr& out) {
    AStr rel;
    if (!relativeLocalPath(req, rel)) return false;
    std::string full(req.outputFolder);
    full += rel.view();
    for (size_t i = req.outputFolder.size(); i < full.size(); ++i)
        if (full[i] == '\\') full[i] = platform::kPathSep;
    if (!req.doNotCreate) {
        size_t sep = full.find_last_of(platform::kPathSep);
        if (sep != std::string::npos && !makeFolders(full.substr(0, sep))) return false;
        if (!reserve(full, req.moveFrom)) return false;
    }
    out = AStr(full);
    return true;
}

AStr shortName(std::string_view path) {
    std::string out;
    size_t nameLen = 0, extLen = 0;
    size_t extAt = std::string::npos;  // the current extension's dot in out
    for (char c : path) {
        if (c == ' ') continue;
        if (c == '\\') {
            out += c;
            nameLen = extLen = 0;
            extAt = std::string::npos;
        } else if (c == '.') {
            if (extAt != std::string::npos) out.resize(extAt);
            extAt = std::string::npos;
            extLen = 0;
            if (nameLen > 0) {
                extAt = out.size();
                out += '.';
            }
        } else if (extAt != std::string::npos) {
            if (extLen < 3) { out += c; ++extLen; }
        } else if (nameLen < 8) {
            out += c;
            ++nameLen;
        }
    }
    return AStr(out);
}

void appendRelativeLink(std::string_view pageFile, std::string_view targetFile, std::string_view fragment,
                        std::string& out) {
    // A plain loop: find_last_of asks the library once for every byte.
    size_t split = pageFile.size();
    while (split > 0 && !isSep(pageFile[split - 1])) --split;
    std::string_view pageFolder = pageFile.substr(0, split);
    std::string_view pageName = pageFile.substr(split);

    const size_t start = out.size();
    if (!sameNoCase(targetFile, pageFile)) {
        // The end of the longest common run of whole folders.
        size_t common = 0;
        for (size_t i = 0; i < pageFolder.size() && i < targetFile.size(); ++i) {
            bool sa = isSep(pageFolder[i]), sb = isSep(targetFile[i]);
            if (sa != sb) break;
            if (!sa && pageFolder[i] != targetFile[i] &&
                platform::LowerAnsiChar(static_cast<unsigned char>(pageFolder[i])) !=
                    platform::LowerAnsiChar(static_cast<unsigned char>(targetFile[i])))
                break;
            if (sa) common = i + 1;
        }
        for (size_t i = common; i < pageFolder.size(); ++i)
            if (isSep(pageFolder[i])) out += "..\\";
        out += targetFile.substr(common);
    }
    out += fragment;
    if (out.size() == start) out += pageName.empty() ? std::string_view(".") : pageName;
    for (size_t i = start; i < out.size() && out[i] != '?'; ++i)
        if (out[i] == '\\') out[i] = '/';
}

AStr relativeLink(std::string_view pageFile, std::string_view targetFile, std::string_view fragment) {
    std::string rel;
    appendRelativeLink(pageFile, targetFile, fragment, rel);
    return AStr(rel);
}

}  // namespace saving
