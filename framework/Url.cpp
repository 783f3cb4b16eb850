#include "framework/Url.h"

#include <array>
#include <cstring>
#include <string>
#include <vector>

namespace url {
namespace {

struct SchemeInfo {
    std::string_view name;
    int scheme;
    uint32_t service;
    uint16_t defaultPort;
    bool hierarchical;  // has an authority and a path of segments
};

constexpr SchemeInfo kSchemes[] = {
    {"ftp", kSchemeFtp, kServiceFtp, 21, true},
    {"gopher", kSchemeGopher, kServiceGopher, 70, true},
    {"http", kSchemeHttp, kServiceHttp, 80, true},
    {"https", kSchemeHttps, kServiceHttps, 443, true},
    {"file", kSchemeFile, kServiceFile, 0, true},
    {"news", kSchemeNews, kServiceNews, 0, false},
    {"mailto", kSchemeMailto, kServiceMailto, 0, false},
    {"socks", kSchemeSocks, kServiceUnknown, 1080, false},
    {"javascript", kSchemeJavascript, kServiceUnknown, 0, false},
    {"vbscript", kSchemeVbscript, kServiceUnknown, 0, false},
    {"res", kSchemeRes, kServiceUnknown, 0, false},
};

// The first byte at or after from that is one of Cs, or npos. find_first_of
// looks every byte up in its set with a library call; URLs are scanned for
// two to four bytes on every link of a page.
template <char... Cs>
size_t findAny(std::string_view s, size_t from = 0)
{
    for (size_t i = from; i < s.size(); ++i)
        if (((s[i] == Cs) || ...))
            return i;
    return std::string_view::npos;
}

// Whether s holds any of Cs. Without an early exit the compiler scans
// many bytes at a time; the texts are short, so stopping early gains less.
template <char... Cs>
bool hasAny(std::string_view s)
{
    unsigned char found = 0;  // a bool here keeps the compiler from it
    for (char c : s)
        found |= (... | (c == Cs));
    return found != 0;
}

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsAsciiNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    return true;
}

const SchemeInfo* infoOfName(std::string_view name)
{
    for (const SchemeInfo& s : kSchemes)
        if (equalsAsciiNoCase(s.name, name))
            return &s;
    return nullptr;
}

const SchemeInfo* infoOfScheme(int scheme)
{
    for (const SchemeInfo& s : kSchemes)
        if (s.scheme == scheme)
            return &s;
    return nullptr;
}

bool isAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
int hexValue(char c)
{
    if (isDigit(c))
        return c - '0';
    char l = lowerAscii(c);
    return (l >= 'a' && l <= 'f') ? l - 'a' + 10 : -1;
}

// Length of the scheme name before its ':', or 0 when the text has none.
// minLength 2 keeps "C:\dir" a drive path.
size_t schemeLength(std::string_view s, size_t minLength)
{
    if (s.empty() || !isAlpha(s[0]))
        return 0;
    size_t i = 1;
    while (i < s.size() && (isAlpha(s[i]) || isDigit(s[i]) || s[i] == '+' || s[i] == '-' || s[i] == '.'))
        ++i;
    if (i >= s.size() || s[i] != ':' || i < minLength)
        return 0;
    return i;
}

// Whether s holds the pair ab; a scan without an early exit, as hasAny.
bool hasPair(std::string_view s, char a, char b)
{
    unsigned char found = 0;
    for (size_t i = 1; i < s.size(); ++i)
        found |= (s[i] == b) & (s[i - 1] == a);
    return found != 0;
}

bool isDrivePath(std::string_view s)
{
    return s.size() >= 3 && isAlpha(s[0]) && s[1] == ':' && (s[2] == '\\' || s[2] == '/');
}

// Blanks and control bytes around a URL are not part of it, and the tabs
// and line ends that pages put inside long attribute values neither.
AStr cleaned(std::string_view s);

// s without the blanks and control bytes at its ends.
std::string_view trimmedEnds(std::string_view s)
{
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= 0x20)
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= 0x20)
        --e;
    return s.substr(b, e - b);
}

// The cleaned text: a part of s when only the ends go, else built in buf.
std::string_view cleanedView(std::string_view s, AStr& buf)
{
    std::string_view kept = trimmedEnds(s);
    if (!hasAny<'\t', '\r', '\n'>(kept))
        return kept;
    buf = cleaned(kept);
    return buf;
}

AStr cleaned(std::string_view s)
{
    std::string_view kept = trimmedEnds(s);
    if (!hasAny<'\t', '\r', '\n'>(kept))
        return AStr(kept);
    std::string r;
    r.reserve(kept.size());
    for (char c : kept)
        if (c != '\t' && c != '\r' && c != '\n')
            r += c;
    return AStr(r);
}

// Bytes escaped in a path: blanks, controls, bytes above 0x7E and the
// characters that may not stand in a URL. One table look-up per byte.
constexpr auto kUnsafe = [] {
    std::array<bool, 256> t{};
    for (int c = 0; c < 256; ++c)
        t[c] = c <= 0x20 || c >= 0x7F;
    for (char c : std::string_view("\"<>\\^`{|}"))
        t[static_cast<unsigned char>(c)] = true;
    return t;
}();

bool isUnsafe(unsigned char c) { return kUnsafe[c]; }

// Out is an AStr or a std::string: the combiner keeps its buffers in the
// latter, so that they keep their room from one link to the next.
template <class Out>
void escapeInto(std::string_view s, Out& out)
{
    static const char hex[] = "0123456789ABCDEF";
    // Runs of safe bytes go over in one piece: most URLs have nothing to escape.
    size_t run = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        auto c = static_cast<unsigned char>(s[i]);
        if (!isUnsafe(c))
            continue;
        out.append(s.substr(run, i - run));
        const char esc[3] = {'%', hex[c >> 4], hex[c & 15]};
        out.append(esc, 3);
        run = i + 1;
    }
    out.append(s.substr(run));
}

// %XX to bytes; "%00" stays, a zero byte would end the URL for every C caller.
AStr decoded(std::string_view s)
{
    if (s.find('%') == std::string_view::npos)
        return AStr(s);
    std::string r;
    r.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size()) {
            int h = hexValue(s[i + 1]), l = hexValue(s[i + 2]);
            if (h >= 0 && l >= 0 && (h | l) != 0) {
                r += static_cast<char>(h * 16 + l);
                i += 2;
                continue;
            }
        }
        r += s[i];
    }
    return AStr(r);
}

template <class Out>
void appendDecoded(std::string_view s, Out& out)
{
    if (!hasAny<'%'>(s))
        out += s;
    else
        out += decoded(s).view();
}

// Removes "." and "x/.." segments. A ".." that would climb above the root
// (or above a drive, "/C:") is kept, so the caller sees that the page
// pointed outside the site. "." or ".." as the last segment leaves a
// final "/".
AStr removeDots(std::string_view path, bool fileDrive)
{
    // Without a segment that starts with '.' there is nothing to remove.
    if (path.empty() || path[0] != '/' || !hasPair(path, '/', '.'))
        return AStr(path);
    size_t rootLen = 1;
    if (fileDrive && path.size() >= 3 && isAlpha(path[1]) && path[2] == ':' &&
        (path.size() == 3 || path[3] == '/'))
        rootLen = path.size() == 3 ? 3 : 4;
    // Segments after the root, each kept as a view.
    std::string_view rest = path.substr(rootLen);
    std::vector<std::string_view> segs;
    size_t kept = 0;  // leading ".." segments that could not be removed
    size_t pos = 0;
    while (true) {
        size_t slash = rest.find('/', pos);
        std::string_view seg = rest.substr(pos, slash == std::string_view::npos ? std::string_view::npos : slash - pos);
        bool last = slash == std::string_view::npos;
        if (seg == ".") {
            if (last)
                segs.emplace_back();
        } else if (seg == "..") {
            if (segs.size() > kept) {
                segs.pop_back();
            } else {
                segs.push_back(seg);
                ++kept;
            }
            if (last)
                segs.emplace_back();
        } else {
            segs.push_back(seg);
        }
        if (last)
            break;
        pos = slash + 1;
    }
    AStr r(path.substr(0, rootLen));
    for (size_t i = 0; i < segs.size(); ++i) {
        if (i)
            r += '/';
        r += segs[i];
    }
    return r;
}

struct Parts {
    std::string_view scheme;   // without ':'
    bool hasAuthority = false;
    std::string_view authority;
    std::string_view path;
    std::string_view query;     // with '?', or empty
    std::string_view fragment;  // with '#', or empty
};

// Splits "scheme://authority/path?query#fragment". The text must have a
// scheme; opaque URLs put everything after ':' into path.
void parseParts(std::string_view s, size_t schemeLen, bool hierarchical, Parts& p)
{
    p.scheme = s.substr(0, schemeLen);
    std::string_view rest = s.substr(schemeLen + 1);
    if (!hierarchical) {
        p.path = rest;
        return;
    }
    if (rest.substr(0, 2) == "//") {
        p.hasAuthority = true;
        size_t end = findAny<'/', '\\', '?', '#'>(rest, 2);
        p.authority = rest.substr(2, end == std::string_view::npos ? std::string_view::npos : end - 2);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end);
    }
    size_t q = findAny<'?', '#'>(rest);
    p.path = rest.substr(0, q);
    if (q == std::string_view::npos)
        return;
    rest = rest.substr(q);
    if (rest[0] == '?') {
        size_t h = rest.find('#');
        p.query = rest.substr(0, h);
        if (h != std::string_view::npos)
            p.fragment = rest.substr(h);
    } else {
        p.fragment = rest;
    }
}

bool isHierarchical(std::string_view s, size_t schemeLen)
{
    const SchemeInfo* info = infoOfName(s.substr(0, schemeLen));
    if (info)
        return info->hierarchical;
    return s.substr(schemeLen + 1, 2) == "//";
}

bool encodes(uint32_t flags) { return !(flags & kNoEncode) || (flags & kDecode); }

// Canonical path: separators, decoding, dot segments, escaping. Each step
// copies only when it changes something.
template <class Out>
void appendCanonicalPath(std::string_view path, uint32_t flags, bool file, Out& out)
{
    std::string_view v = path;
    AStr slashed, undone, undotted;
    if (hasAny<'\\'>(v)) {
        slashed = AStr(v);
        char* b = slashed.resize(slashed.size());
        for (size_t i = 0; i < slashed.size(); ++i)
            if (b[i] == '\\')
                b[i] = '/';
        v = slashed;
    }
    if ((flags & kDecode) && hasAny<'%'>(v)) {
        undone = decoded(v);
        v = undone;
    }
    if (hasPair(v, '/', '.')) {
        undotted = removeDots(v, file);
        v = undotted;
    }
    if (encodes(flags))
        escapeInto(v, out);
    else
        out += v;
}

AStr canonicalUserInfo(std::string_view s, uint32_t flags)
{
    AStr u = (flags & kDecode) ? decoded(s) : AStr(s);
    if (!encodes(flags))
        return u;
    AStr r;
    escapeInto(u, r);
    return r;
}

// The canonical scheme and authority, appended to out; -1 for an
// unclosed "[" host.
template <class Out>
int assembleStart(const Parts& p, uint32_t flags, Out& r)
{
    r += p.scheme;
    r += ':';
    if (p.hasAuthority) {
        r += "//";
        std::string_view a = p.authority;
        size_t at = a.rfind('@');
        if (at != std::string_view::npos) {
            r += canonicalUserInfo(a.substr(0, at), flags).view();
            r += '@';
            a = a.substr(at + 1);
        }
        if (!a.empty() && a[0] == '[' && a.find(']') == std::string_view::npos)
            return -1;
        r += a;
    }
    return 0;
}

// The canonical path, query and fragment, appended after the start.
template <class Out>
void assembleRest(const Parts& p, uint32_t flags, Out& r)
{
    bool file = equalsAsciiNoCase(p.scheme, "file");
    size_t pathStart = r.size();
    appendCanonicalPath(p.path, flags, file, r);
    if (r.size() == pathStart && p.hasAuthority && !p.authority.empty() && p.query.empty() && p.fragment.empty())
        r += '/';
    // Decoding covers the whole URL; escaping only the path, since bytes
    // in a query are the server's business.
    if (flags & kDecode) {
        appendDecoded(p.query, r);
        appendDecoded(p.fragment, r);
    } else {
        r += p.query;
        r += p.fragment;
    }
}

// Puts the parts back together in canonical form, into an empty out; out
// is empty again on failure.
template <class Out>
int assemble(const Parts& p, uint32_t flags, Out& out)
{
    if (assembleStart(p, flags, out) != 0) {
        out.clear();
        return -1;
    }
    assembleRest(p, flags, out);
    return 0;
}

bool hasZero(std::string_view s) { return hasAny<'\0'>(s); }

}  // namespace

uint32_t serviceOfScheme(int scheme)
{
    const SchemeInfo* info = infoOfScheme(scheme);
    return info ? info->service : kServiceUnknown;
}

int schemeOfService(uint32_t service)
{
    if (service == kServiceUnknown)
        return kSchemeUnknown;
    for (const SchemeInfo& s : kSchemes)
        if (s.service == service)
            return s.scheme;
    return kSchemeUnknown;
}

int schemeOfName(std::string_view name)
{
    const SchemeInfo* info = infoOfName(name);
    return info ? info->scheme : kSchemeUnknown;
}

bool fetchableUrl(std::string_view url)
{
    size_t colon = url.find(':');
    if (colon == std::string_view::npos) return false;
    switch (schemeOfName(url.substr(0, colon))) {
    case kSchemeHttp:
    case kSchemeHttps:
    case kSchemeFtp:
    case kSchemeGopher:
    case kSchemeFile:
        return true;
    default:
        return false;
    }
}

std::string_view nameOfScheme(int scheme)
{
    const SchemeInfo* info = infoOfScheme(scheme);
    return info ? info->name : std::string_view();
}

int canonicalize(std::string_view url, uint32_t flags, AStr& out)
{
    out.clear();
    if (hasZero(url))
        return -1;
    AStr s = cleaned(url);
    if (isDrivePath(s))
        s = "file://" + s;
    size_t sl = schemeLength(s, 2);
    if (sl == 0) {
        // No scheme: nothing to canonicalise against; the caller decides.
        out = std::move(s);
        return 0;
    }
    std::string_view v = s;
    if (equalsAsciiNoCase(v.substr(0, sl), "file")) {
        // Local files: "file://C:/x", "file:///C:/x" and "file:C:\x" name
        // the same file; without encoding the path takes the local form.
        std::string_view rest = v.substr(sl + 1);
        bool slashes = rest.substr(0, 2) == "//";
        if (slashes)
            rest = rest.substr(2);
        if (rest.size() >= 3 && rest[0] == '/' && isDrivePath(rest.substr(1)))
            rest = rest.substr(1);
        // "file://server/share" names a share: the local form is "\\server\share".
        AStr unc;
        if (slashes && !rest.empty() && rest[0] != '/' && rest[0] != '\\' && !isDrivePath(rest) && !encodes(flags)) {
            unc = AStr("//") + rest;
            rest = unc;
        }
        AStr path = encodes(flags) ? AStr() : AStr(rest);
        if (encodes(flags)) {
            AStr p(rest);
            if (flags & kDecode)
                p = decoded(p);
            char* b = p.resize(p.size());
            for (size_t i = 0; i < p.size(); ++i)
                if (b[i] == '\\')
                    b[i] = '/';
            escapeInto(p, path);
        } else {
            char* b = path.resize(path.size());
            for (size_t i = 0; i < path.size(); ++i)
                if (b[i] == '/')
                    b[i] = '\\';
        }
        out = AStr(v.substr(0, sl)) + (slashes ? "://" : ":") + path;
        return 0;
    }
    if (!isHierarchical(v, sl)) {
        out = std::move(s);
        return 0;
    }
    Parts p;
    parseParts(v, sl, true, p);
    return assemble(p, flags, out);
}

int crack(std::string_view url, uint32_t flags, Cracked& out)
{
    out = Cracked();
    if (url.empty() || hasZero(url))
        return -1;
    size_t sl = schemeLength(url, 2);
    if (sl == 0)
        return -1;
    const SchemeInfo* info = infoOfName(url.substr(0, sl));
    Cracked c;
    c.scheme = info ? info->scheme : kSchemeUnknown;
    std::string_view rest = url.substr(sl + 1);
    bool needsHost = info && info->defaultPort != 0 && info->hierarchical;
    if (c.scheme == kSchemeFile) {
        if (rest.substr(0, 2) == "//")
            rest = rest.substr(2);
        if (rest.size() >= 3 && rest[0] == '/' && isDrivePath(rest.substr(1)))
            rest = rest.substr(1);
        c.path = AStr(rest.substr(0, kMaxPath - 1));
        char* b = c.path.resize(c.path.size());
        for (size_t i = 0; i < c.path.size(); ++i)
            if (b[i] == '/')
                b[i] = '\\';
    } else if (rest.substr(0, 2) == "//") {
        size_t end = findAny<'/', '?', '#'>(rest, 2);
        std::string_view a = rest.substr(2, end == std::string_view::npos ? std::string_view::npos : end - 2);
        std::string_view path = end == std::string_view::npos ? std::string_view() : rest.substr(end);
        size_t at = a.rfind('@');
        if (at != std::string_view::npos) {
            std::string_view ui = a.substr(0, at);
            size_t colon = ui.find(':');
            c.user = AStr(ui.substr(0, colon).substr(0, kMaxUser - 1));
            if (colon != std::string_view::npos)
                c.password = AStr(ui.substr(colon + 1).substr(0, kMaxPassword - 1));
            a = a.substr(at + 1);
        }
        std::string_view host = a, port;
        bool hasPort = false;
        if (!a.empty() && a[0] == '[') {
            size_t close = a.find(']');
            if (close == std::string_view::npos)
                return -1;
            host = a.substr(0, close + 1);
            std::string_view after = a.substr(close + 1);
            if (!after.empty()) {
                if (after[0] != ':')
                    return -1;
                hasPort = true;
                port = after.substr(1);
            }
        } else {
            size_t colon = a.find(':');
            if (colon != std::string_view::npos) {
                host = a.substr(0, colon);
                hasPort = true;
                port = a.substr(colon + 1);
            }
        }
        // A host cut to its buffer would be another host: refuse it.
        if (host.size() > kMaxHost - 1)
            return -1;
        if (needsHost && host.empty())
            return -1;
        c.host = AStr(host);
        c.port = info ? info->defaultPort : 0;
        if (hasPort && !port.empty()) {
            if (port.size() > 5)
                return -1;
            unsigned v = 0;
            for (char ch : port) {
                if (!isDigit(ch))
                    return -1;
                v = v * 10 + static_cast<unsigned>(ch - '0');
            }
            if (v > 65535)
                return -1;
            c.port = static_cast<uint16_t>(v);
        }
        c.path = AStr(path.substr(0, kMaxPath - 1));
    } else {
        if (needsHost)
            return -1;
        c.path = AStr(rest.substr(0, kMaxPath - 1));
    }
    if (flags & kEscape) {
        c.path = decoded(c.path);
        c.user = decoded(c.user);
        c.password = decoded(c.password);
    }
    out = std::move(c);
    return 0;
}

namespace {

// Bytes a plain reference is made of: nothing in it is cleaned away,
// decoded, escaped, or read as a scheme, drive, query or fragment.
constexpr auto kPlainRef = [] {
    std::array<bool, 256> t{};
    for (int c = '0'; c <= '9'; ++c)
        t[c] = true;
    for (int c = 'a'; c <= 'z'; ++c)
        t[c] = t[c - 'a' + 'A'] = true;
    for (char c : std::string_view("-._~/!$'()*+,;=@"))
        t[static_cast<unsigned char>(c)] = true;
    return t;
}();

// Of plain bytes, with no dot segment to remove: "/." nowhere and no dot
// first (it would follow the folder's slash).
bool isPlainPath(std::string_view s)
{
    unsigned char bad = 0;
    char prev = '/';
    for (char c : s) {
        bad |= static_cast<unsigned char>(!kPlainRef[static_cast<unsigned char>(c)] | (prev == '/' && c == '.'));
        prev = c;
    }
    return !bad;
}

}  // namespace

UrlCombiner::UrlCombiner(std::string_view base, uint32_t flags) : flags_(flags)
{
    baseZero_ = hasZero(base);
    base_ = cleanedView(base, baseBuf_);
    bsl_ = schemeLength(base_, 2);
    baseHier_ = bsl_ != 0 && isHierarchical(base_, bsl_);
    if (!baseHier_)
        return;
    Parts bp;
    parseParts(base_, bsl_, true, bp);
    scheme_ = bp.scheme;
    hasAuthority_ = bp.hasAuthority;
    authority_ = bp.authority;
    path_ = bp.path;
    query_ = bp.query;
    size_t slash = path_.rfind('/');
    folder_ = slash == std::string_view::npos ? std::string_view("/") : path_.substr(0, slash + 1);
    // A reference that keeps the base's authority starts as the base does.
    startOk_ = assembleStart(bp, flags_, start_) == 0;
    folderPlain_ = startOk_ && !baseZero_ && hasAuthority_ && !authority_.empty() && isPlainPath(folder_);
}

int UrlCombiner::combineRaw(std::string_view relative, AStr& out)
{
    // Most links of a page are plain relative paths: the result is the
    // base's start and folder with the reference as it stands, which is
    // what the whole way below gives for them.
    if (folderPlain_ && !relative.empty() && relative.substr(0, 2) != "//" && isPlainPath(relative)) {
        result_.assign(start_);
        if (relative[0] != '/')
            result_ += folder_;
        result_ += relative;
        if (result_.size() >= kMaxUrl) {
            out.clear();
            return -1;
        }
        out.assign(result_.data(), result_.size());
        return 0;
    }
    if (baseZero_ || hasZero(relative)) {
        out.clear();
        return -1;
    }
    AStr relBuf;
    std::string_view rel = cleanedView(relative, relBuf);
    std::string_view r = rel;
    size_t rsl = isDrivePath(r) ? 0 : schemeLength(r, 1);

    if (rsl != 0) {
        // "http:g" against an http base is the old relative form.
        bool sameScheme = baseHier_ && equalsAsciiNoCase(r.substr(0, rsl), base_.substr(0, bsl_)) &&
                          r.substr(rsl + 1, 2) != "//";
        if (!sameScheme) {
            if (canonicalize(r, flags_, out) != 0)
                return -1;
            char* o = out.resize(out.size());
            for (size_t i = 0; i < rsl && i < out.size(); ++i)
                o[i] = lowerAscii(o[i]);
            return out.size() < kMaxUrl ? 0 : (out.clear(), -1);
        }
        r = r.substr(rsl + 1);
    } else if (isDrivePath(r)) {
        if (canonicalize(r, flags_, out) != 0)
            return -1;
        return out.size() < kMaxUrl ? 0 : (out.clear(), -1);
    }
    if (!baseHier_) {
        out.clear();
        return -1;
    }

    // The reference's path part, with backslashes as separators. Most
    // references have no query: the quick scan tells so first.
    size_t qpos = hasAny<'?', '#'>(r) ? findAny<'?', '#'>(r) : std::string_view::npos;
    std::string_view refTail = qpos == std::string_view::npos ? std::string_view() : r.substr(qpos);
    std::string_view refPath = r.substr(0, qpos);
    if (hasAny<'\\'>(refPath)) {
        refPath_.assign(refPath);
        for (char& c : refPath_)
            if (c == '\\')
                c = '/';
        refPath = refPath_;
    }

    if (refPath.substr(0, 2) == "//") {
        AStr whole = AStr(scheme_) + ":" + refPath + refTail;
        if (canonicalize(whole, flags_, out) != 0)
            return -1;
        return out.size() < kMaxUrl ? 0 : (out.clear(), -1);
    }
    Parts p;
    p.scheme = scheme_;
    p.hasAuthority = hasAuthority_;
    p.authority = authority_;
    std::string_view query, fragment;
    if (!refTail.empty()) {
        size_t h = refTail.find('#');
        if (refTail[0] == '?') {
            query = refTail.substr(0, h);
            if (h != std::string_view::npos)
                fragment = refTail.substr(h);
        } else {
            fragment = refTail;
        }
    }
    if (refPath.empty()) {
        p.path = path_;
        p.query = refTail.empty() || refTail[0] == '#' ? query_ : query;
        p.fragment = refTail.empty() ? std::string_view() : fragment;
    } else {
        if (refPath[0] == '/') {
            p.path = refPath;
        } else {
            pathBuf_.assign(folder_);
            pathBuf_ += refPath;
            p.path = pathBuf_;
        }
        p.query = query;
        p.fragment = fragment;
    }
    if (p.path.empty() && p.hasAuthority && !p.authority.empty())
        p.path = "/";
    if (!startOk_) {
        out.clear();
        return -1;
    }
    result_.assign(start_);
    assembleRest(p, flags_, result_);
    if (result_.size() >= kMaxUrl) {
        out.clear();
        return -1;
    }
    out.assign(result_.data(), result_.size());
    return 0;
}

bool UrlCombiner::combine(std::string_view relative, AStr& out)
{
    if (combineRaw(relative, out) != 0) {
        out.clear();
        return false;
    }
    if (hasPair(out, '.', '.')) {
        // Climbing above the root leaves "../" behind; drop each one.
        AStr cut;
        std::string_view v = out;
        for (size_t i = 0; i < v.size();) {
            if (v.substr(i, 3) == "../") {
                i += 3;
                continue;
            }
            cut += v[i++];
        }
        out = std::move(cut);
    }
    return true;
}

int combineRaw(std::string_view base, std::string_view relative, uint32_t flags, AStr& out)
{
    return UrlCombiner(base, flags).combineRaw(relative, out);
}

int create(int scheme, std::string_view host, uint16_t port, std::string_view user, std::string_view password,
           std::string_view path, AStr& out)
{
    out.clear();
    const SchemeInfo* info = infoOfScheme(scheme);
    if (!info || hasZero(host) || hasZero(user) || hasZero(password) || hasZero(path))
        return -1;
    AStr r(info->name);
    r += ':';
    if (info->hierarchical) {
        r += "//";
        if (!user.empty()) {
            r += user;
            if (!password.empty()) {
                r += ':';
                r += password;
            }
            r += '@';
        }
        r += host;
        if (port != 0 && port != info->defaultPort) {
            r += ':';
            r += AStr::unsignedNumber(port);
        }
        if (path.empty() || path[0] != '/')
            r += '/';
    }
    r += path;
    if (r.size() >= kMaxUrl)
        return -1;
    out = std::move(r);
    return 0;
}

bool splitUrl(std::string_view url, uint32_t flags, SplitUrl& out)
{
    out = SplitUrl();
    AStr canon;
    Cracked c;
    if (canonicalize(url, flags & kCanonMask, canon) != 0 || crack(canon, flags & kCrackMask, c) != 0)
        return false;
    uint32_t service = serviceOfScheme(c.scheme);
    // An unknown scheme is a failed split for the program: nothing can
    // fetch it, so no part of it is handed on.
    if (service == kServiceUnknown)
        return false;
    out.service = service;
    out.host = std::move(c.host);
    out.path = std::move(c.path);
    out.port = c.port;
    out.user = std::move(c.user);
    out.password = std::move(c.password);
    return true;
}

bool splits(std::string_view url)
{
    // An http URL of plain bytes (no blanks or control bytes) whose
    // authority holds no user part and no bracketed host keeps that
    // authority through canonicalisation, and nothing else in it can fail:
    // only the host and port are left to check, as crack() does.
    size_t sl = schemeLength(url, 2);
    bool plain = sl != 0 && schemeOfName(url.substr(0, sl)) == kSchemeHttp && url.substr(sl + 1, 2) == "//";
    unsigned char low = 0;
    for (char c : url)
        low |= static_cast<unsigned char>(c) <= 0x20;
    plain = plain && !low;
    std::string_view authority;
    if (plain) {
        std::string_view rest = url.substr(sl + 3);
        authority = rest.substr(0, findAny<'/', '\\', '?', '#'>(rest));
        plain = !hasAny<'@', '['>(authority);
    }
    if (!plain) {
        SplitUrl parts;
        return splitUrl(url, 0, parts);
    }
    size_t colon = authority.find(':');
    std::string_view host = authority.substr(0, colon);
    if (host.empty() || host.size() > kMaxHost - 1)
        return false;
    if (colon == std::string_view::npos)
        return true;
    std::string_view port = authority.substr(colon + 1);
    if (port.size() > 5)
        return false;
    unsigned v = 0;
    for (char ch : port) {
        if (!isDigit(ch))
            return false;
        v = v * 10 + static_cast<unsigned>(ch - '0');
    }
    return v <= 65535;
}

bool splitUrlShort(std::string_view url, SplitUrl& out)
{
    if (!splitUrl(url, kBrowserMode, out))
        return false;
    out.user.clear();
    out.password.clear();
    return true;
}

AStr hostOfUrl(std::string_view url)
{
    SplitUrl s;
    return splitUrl(url, kNoEncode, s) ? s.host : AStr();
}

AStr pathOfUrl(std::string_view url)
{
    SplitUrl s;
    if (!splitUrl(url, kNoEncode, s))
        return AStr();
    AStr p = s.path;
    char* b = p.resize(p.size());
    for (size_t i = 0; i < p.size(); ++i)
        if (b[i] == '/')
            b[i] = '\\';
    return p;
}

int buildUrl(uint32_t service, std::string_view host, uint16_t port, std::string_view user, std::string_view password,
             std::string_view path, AStr& out)
{
    std::string_view pw = user.empty() ? std::string_view() : password;
    return create(schemeOfService(service), host, port, user, pw, path, out);
}

bool combineUrl(std::string_view base, std::string_view relative, uint32_t flags, AStr& out)
{
    AStr r;
    bool ok = UrlCombiner(base, flags | kBrowserMode).combine(relative, r);
    out = std::move(r);
    return ok;
}

AStr normalizeAddress(std::string_view typed, bool allowFile)
{
    SplitUrl s;
    splitUrl(typed, kNoEncode, s);
    AStr r;
    if (s.service == kServiceUnknown)
        r = AStr("http://") + typed;
    else if (s.service == kServiceFile && allowFile && !AStr(typed.substr(0, 5)).equalsNoCase("file:"))
        r = AStr("file://") + typed;
    else
        r = AStr(typed);
    char* b = r.resize(r.size());
    for (size_t i = 0; i < r.size() && b[i] != '?'; ++i)
        if (b[i] == '\\')
            b[i] = '/';
    return r;
}

std::string_view trimBlanks(std::string_view typed)
{
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!typed.empty() && blank(typed.front()))
        typed.remove_prefix(1);
    while (!typed.empty() && blank(typed.back()))
        typed.remove_suffix(1);
    return typed;
}

AStr escapeBlanks(std::string_view typed)
{
    static const char hex[] = "0123456789ABCDEF";
    AStr r;
    for (char ch : trimBlanks(typed)) {
        auto c = static_cast<unsigned char>(ch);
        if (c > ' ' && c != 0x7F) {
            r += ch;
            continue;
        }
        const char esc[3] = {'%', hex[c >> 4], hex[c & 15]};
        r.append(esc, 3);
    }
    return r;
}

bool sameUrl(std::string_view a, std::string_view b)
{
    if (a == b)
        return true;
    if (a.size() == b.size() + 1)
        return a.back() == '/' && a.substr(0, b.size()) == b;
    if (b.size() == a.size() + 1)
        return b.back() == '/' && b.substr(0, a.size()) == a;
    return false;
}

}  // namespace url
