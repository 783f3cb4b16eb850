#pragma once
// What a URL lets a request send, and where: the checks that keep a page
// (or a server's redirect) from choosing the bytes the program sends to a
// service. Portable byte-string code below the URL layer, used by both
// internet libraries (for every URL opened and every redirect followed)
// and by the link graph's follow rule (site/LinkSafety.h).
//
// The reading of a URL here is strict on purpose: an authority that two
// parsers could read differently (more than one '@', a backslash, a port
// that is no plain number, more than one ':' outside brackets) counts as
// unclear, and an unclear URL is never taken for a harmless one.

#include <string>
#include <string_view>

namespace platform {

// The scheme's own port: 80 http, 443 https, 21 ftp, 70 gopher; 0 for
// every other scheme.
int SchemeDefaultPort(std::string_view scheme);

struct UrlOrigin {
    bool clear = false;  // the URL has a scheme, an authority, and they read one way only
    std::string scheme;  // lower case
    std::string host;    // lower case, as written (brackets kept)
    int port = 0;        // the written port, or the scheme's own when none is written
    bool portWritten = false;
};

// The scheme, host and port of "scheme://[user[:password]@]host[:port]...".
UrlOrigin OriginOfUrl(std::string_view url);
// Both clear, with the same scheme, host and port.
bool SameOrigin(std::string_view a, std::string_view b);

// Whether opening the URL could put a CR, LF or NUL byte into what is sent:
// such a byte written as it is anywhere, or percent-encoded in the user,
// password or host, or - for every scheme but http and https, whose paths
// and queries go out still encoded - anywhere after the scheme (an ftp
// path or a gopher selector is decoded before it is sent).
bool UrlCarriesControlBytes(std::string_view url);

// Whether the URL names a port below 1024 that is not its scheme's own
// (another service's: SMTP on 25, a database on 1000), or is unclear.
bool UrlNamesOtherServicePort(std::string_view url);

// Whether a redirect from `from` to `to` (both absolute) may be followed:
// from http or https to http or https only, no control bytes, and no port
// of another service unless `to` keeps the origin of `from`.
bool RedirectAllowed(std::string_view from, std::string_view to);

}  // namespace platform
