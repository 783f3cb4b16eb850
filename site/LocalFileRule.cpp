#include "site/LocalFileRule.h"

#include "framework/Url.h"
#include "platform/File.h"
#include "platform/Text.h"

namespace {

bool isSeparator(char c) { return c == '/' || c == '\\'; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }


int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// One round of percent-decoding; false when nothing was decoded.
bool decodeOnce(std::string& s) {
    std::string r;
    bool changed = false;
    for (size_t i = 0; i < s.size(); ++i) {
        int h = -1, l = -1;
        if (s[i] == '%' && i + 2 < s.size() && (h = hexValue(s[i + 1])) >= 0 && (l = hexValue(s[i + 2])) >= 0) {
            r += static_cast<char>(h * 16 + l);
            i += 2;
            changed = true;
        } else {
            r += s[i];
        }
    }
    if (changed) s = std::move(r);
    return changed;
}

// The path the internet session opens for a file: URL, with "/" for every
// separator; false for a URL that does not split as a file: URL.
bool openedPath(std::string_view url, std::string& out) {
    url::SplitUrl s;
    if (!url::splitUrlShort(url, s) || s.service != url::kServiceFile) return false;
    out.assign(s.path.view());
    for (char& c : out)
        if (c == '\\') c = '/';
    return true;
}

// A part that may not stand in a path the rule accepts: dots (and the
// blanks Windows drops after them) alone, a zero byte, and with Windows
// paths a colon or a device's name.
bool badPart(std::string_view part, LocalFileRule::Style style) {
    if (part.find('\0') != std::string_view::npos) return true;
    if (part.find_first_not_of(". ") == std::string_view::npos) return true;
    if (style == LocalFileRule::Style::Windows)
        return part.find(':') != std::string_view::npos || platform::IsWindowsDeviceName(part);
    return false;
}

// Cuts an opened path into its root ("" for "/", "C:" for a drive of a
// Windows path) and its parts. False for a path that is not absolute or
// names a share.
bool cutPath(std::string_view p, LocalFileRule::Style style, std::vector<std::string>& out) {
    out.clear();
    size_t pos = 0;
    bool drives = style == LocalFileRule::Style::Windows;
    if (drives && p.size() >= 3 && isLetter(p[0]) && p[1] == ':' && isSeparator(p[2])) {
        out.emplace_back(1, upper(p[0]));
        out.back() += ':';
        pos = 3;
    } else if (!p.empty() && isSeparator(p[0])) {
        out.emplace_back();
        pos = 1;
    } else {
        return false;
    }
    // "\\\\server\\share", "C://server": a second separator after the root.
    if (pos < p.size() && isSeparator(p[pos])) return false;
    while (pos < p.size()) {
        size_t end = pos;
        while (end < p.size() && !isSeparator(p[end])) ++end;
        if (end > pos) out.emplace_back(p.substr(pos, end - pos));
        pos = end + 1;
    }
    return true;
}

// Whether no part of the path is bad, as it stands and after every round
// of percent-decoding that changes it (a part the opener would take as
// "a%2f..%2f.." is refused as well as "..").
bool cleanPath(std::string path, LocalFileRule::Style style) {
    for (int round = 0; round < 8; ++round) {
        size_t pos = 0;
        while (pos <= path.size()) {
            size_t end = pos;
            while (end < path.size() && !isSeparator(path[end])) ++end;
            std::string_view part(path.data() + pos, end - pos);
            // The root's own parts ("C:") are no parts of the path.
            bool drive = pos == 0 && part.size() == 2 && isLetter(part[0]) && part[1] == ':';
            if (end > pos && !drive && badPart(part, style)) return false;
            pos = end + 1;
        }
        if (!decodeOnce(path)) return true;
    }
    return false;  // encoded deeper than anyone writes a name
}

}  // namespace

bool LocalFileRule::isFileUrl(std::string_view u) {
    // As the URL layer reads the scheme: blanks and control bytes at the
    // start go, tabs and line ends inside do not count.
    char head[5];
    size_t n = 0;
    size_t i = 0;
    while (i < u.size() && static_cast<unsigned char>(u[i]) <= 0x20) ++i;
    for (; i < u.size() && n < sizeof head; ++i)
        if (u[i] != '\t' && u[i] != '\r' && u[i] != '\n') head[n++] = u[i];
    std::string_view h(head, n);
    if (h.size() >= 3 && isLetter(h[0]) && h[1] == ':' && isSeparator(h[2])) return true;
    return platform::SameAsciiNoCase(h, "file:");
}

void LocalFileRule::clear() {
    folders_.clear();
    startPaths_.clear();
}

void LocalFileRule::addStart(std::string_view u) {
    std::string path;
    if (!isFileUrl(u) || !openedPath(u, path)) return;
    startPaths_.push_back(path);
    std::vector<std::string> parts;
    if (!cutPath(path, style_, parts)) return;
    // The user's own "." and ".." are resolved; climbing above the root
    // gives no folder.
    std::vector<std::string> folder{parts[0]};
    for (size_t k = 1; k < parts.size(); ++k) {
        if (parts[k] == ".") continue;
        if (parts[k] == "..") {
            if (folder.size() == 1) return;
            folder.pop_back();
            continue;
        }
        if (badPart(parts[k], style_)) return;
        folder.push_back(parts[k]);
    }
    // The last part is the start page, unless the URL names a folder.
    if (!isSeparator(path.back()) && folder.size() > 1 && parts.back() != "." && parts.back() != "..") folder.pop_back();
    folders_.push_back(std::move(folder));
}

bool LocalFileRule::below(std::string_view u) const {
    std::string path;
    if (folders_.empty() || !openedPath(u, path) || !cleanPath(path, style_)) return false;
    std::vector<std::string> parts;
    if (!cutPath(path, style_, parts)) return false;
    for (const std::vector<std::string>& f : folders_) {
        if (parts.size() <= f.size()) continue;
        bool inside = true;
        for (size_t k = 0; k < f.size() && inside; ++k)
            inside = style_ == Style::Windows ? platform::SameAsciiNoCase(parts[k], f[k]) : parts[k] == f[k];
        if (inside) return true;
    }
    return false;
}

bool LocalFileRule::allowsLink(std::string_view pageUrl, std::string_view u) const {
    if (!isFileUrl(u)) return true;
    // A page from the network, or one whose <base> points at the disk,
    // never names a file to read.
    if (!isFileUrl(pageUrl)) return false;
    return below(u);
}

bool LocalFileRule::allowsNode(std::string_view u) const {
    if (!isFileUrl(u)) return true;
    std::string path;
    if (!openedPath(u, path)) return false;
    for (const std::string& s : startPaths_)
        if (s == path) return true;
    return below(u);
}
