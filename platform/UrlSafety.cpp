#include "platform/UrlSafety.h"

namespace platform {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

std::string LowerCopy(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = Lower(c);
    return r;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = Lower(c);
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool IsControl(unsigned char b) { return b == '\r' || b == '\n' || b == '\0'; }

bool HasRawControl(std::string_view s) {
    for (char c : s)
        if (IsControl(static_cast<unsigned char>(c))) return true;
    return false;
}

// A CR, LF or NUL once the %XX escapes are decoded (one pass, as the
// libraries decode).
bool HasDecodedControl(std::string_view s) {
    for (size_t i = 0; i < s.size(); ++i) {
        if (IsControl(static_cast<unsigned char>(s[i]))) return true;
        if (s[i] == '%' && i + 2 < s.size()) {
            int hi = HexValue(s[i + 1]), lo = HexValue(s[i + 2]);
            if (hi >= 0 && lo >= 0 && IsControl(static_cast<unsigned char>(hi * 16 + lo))) return true;
        }
    }
    return false;
}

// The scheme's length, or 0 when the text does not begin with
// "scheme:".
size_t SchemeLength(std::string_view url) {
    size_t i = 0;
    for (; i < url.size(); ++i) {
        char c = Lower(url[i]);
        bool alpha = c >= 'a' && c <= 'z';
        bool other = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
        if (!alpha && !(i > 0 && other)) break;
    }
    return i > 0 && i < url.size() && url[i] == ':' ? i : 0;
}

bool IsWebScheme(std::string_view scheme) { return scheme == "http" || scheme == "https"; }

// The authority of "scheme://authority/...", and whether there is one.
bool AuthorityOf(std::string_view url, std::string_view& scheme, std::string_view& authority) {
    size_t n = SchemeLength(url);
    if (n == 0 || url.substr(n + 1, 2) != "//") return false;
    scheme = url.substr(0, n);
    std::string_view rest = url.substr(n + 3);
    authority = rest.substr(0, rest.find_first_of("/?#"));
    return true;
}

}  // namespace

int SchemeDefaultPort(std::string_view scheme) {
    std::string s = LowerCopy(scheme);
    if (s == "http") return 80;
    if (s == "https") return 443;
    if (s == "ftp") return 21;
    if (s == "gopher") return 70;
    return 0;
}

UrlOrigin OriginOfUrl(std::string_view url) {
    UrlOrigin o;
    std::string_view scheme, authority;
    if (!AuthorityOf(url, scheme, authority)) return o;
    o.scheme = LowerCopy(scheme);
    if (authority.find('\\') != std::string_view::npos) return o;
    size_t at = authority.find('@');
    if (at != std::string_view::npos) {
        if (authority.find('@', at + 1) != std::string_view::npos) return o;
        authority.remove_prefix(at + 1);
    }
    std::string_view host, port;
    if (!authority.empty() && authority[0] == '[') {
        size_t close = authority.find(']');
        if (close == std::string_view::npos) return o;
        host = authority.substr(0, close + 1);
        std::string_view after = authority.substr(close + 1);
        if (!after.empty()) {
            if (after[0] != ':') return o;
            port = after.substr(1);
            o.portWritten = true;
        }
    } else {
        size_t colon = authority.find(':');
        if (colon != std::string_view::npos && authority.find(':', colon + 1) != std::string_view::npos) return o;
        host = authority.substr(0, colon);
        if (colon != std::string_view::npos) {
            port = authority.substr(colon + 1);
            o.portWritten = true;
        }
    }
    if (host.empty() || host == "[]") return o;
    o.host = LowerCopy(host);
    if (port.empty()) {
        // "host:" names no port: the scheme's own, as the libraries take it.
        o.portWritten = false;
        o.port = SchemeDefaultPort(o.scheme);
    } else {
        if (port.size() > 5) return o;
        int value = 0;
        for (char c : port) {
            if (c < '0' || c > '9') return o;
            value = value * 10 + (c - '0');
        }
        if (value > 65535) return o;
        o.port = value;
    }
    o.clear = true;
    return o;
}

bool SameOrigin(std::string_view a, std::string_view b) {
    UrlOrigin x = OriginOfUrl(a), y = OriginOfUrl(b);
    return x.clear && y.clear && x.scheme == y.scheme && x.host == y.host && x.port == y.port;
}

bool UrlCarriesControlBytes(std::string_view url) {
    if (HasRawControl(url)) return true;
    size_t n = SchemeLength(url);
    if (n == 0) return HasDecodedControl(url);
    std::string scheme = LowerCopy(url.substr(0, n));
    if (!IsWebScheme(scheme)) return HasDecodedControl(url.substr(n + 1));
    std::string_view s, authority;
    // An http URL without an authority reaches no server; its rest is
    // checked all the same.
    if (!AuthorityOf(url, s, authority)) return HasDecodedControl(url.substr(n + 1));
    return HasDecodedControl(authority);
}

bool UrlNamesOtherServicePort(std::string_view url) {
    std::string_view scheme, authority;
    // No authority, or an empty one ("file:///x"), names no server.
    if (!AuthorityOf(url, scheme, authority) || authority.empty()) return false;
    UrlOrigin o = OriginOfUrl(url);
    if (!o.clear) return true;
    if (!o.portWritten) return false;
    return o.port < 1024 && o.port != SchemeDefaultPort(o.scheme);
}

bool RedirectAllowed(std::string_view from, std::string_view to) {
    size_t n = SchemeLength(from);
    if (n == 0 || !IsWebScheme(LowerCopy(from.substr(0, n)))) return false;
    UrlOrigin target = OriginOfUrl(to);
    if (!target.clear || !IsWebScheme(target.scheme)) return false;
    if (UrlCarriesControlBytes(to)) return false;
    return !UrlNamesOtherServicePort(to) || SameOrigin(from, to);
}

}  // namespace platform
