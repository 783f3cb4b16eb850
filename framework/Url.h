#pragma once
// URL helpers of our own: service codes, split, canonicalise, combine,
// build, normalise and compare. Pure byte-string code, the same on every
// target, so that graph nodes and local names never depend on the
// platform's internet library. The results follow what that library gives
// for the flags the program passes; where it is plainly wrong (ports that
// wrap, "." segments in queries, hosts cut in half) these give the sound
// answer instead.

#include "framework/AStr.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace url {

// Service codes by which the program classes every URL.
enum : uint32_t {
    kServiceFtp = 1,
    kServiceGopher = 2,
    kServiceHttp = 3,
    kServiceUnknown = 0x1000,  // also the result of every failed split
    kServiceFile = 0x1001,
    kServiceMailto = 0x1002,
    kServiceNews = 0x1006,
    kServiceHttps = 0x100B,
};

// The internet library's scheme numbers.
enum Scheme : int {
    kSchemeUnknown = -1,
    kSchemeDefault = 0,
    kSchemeFtp = 1,
    kSchemeGopher = 2,
    kSchemeHttp = 3,
    kSchemeHttps = 4,
    kSchemeFile = 5,
    kSchemeNews = 6,
    kSchemeMailto = 7,
    kSchemeSocks = 8,
    kSchemeJavascript = 9,
    kSchemeVbscript = 10,
    kSchemeRes = 11,
};

// Canonicalisation and cracking flags, with the library's values.
enum : uint32_t {
    kEscape = 0x80000000,         // crack: decode escapes in the components
    kUserName = 0x40000000,
    kNoEncode = 0x20000000,       // do not escape unsafe bytes
    kDecode = 0x10000000,         // decode %XX before the URL is parsed
    kNoMeta = 0x08000000,
    kEncodeSpacesOnly = 0x04000000,
    kBrowserMode = 0x02000000,
    kEncodePercent = 0x00001000,
    kCanonMask = 0x3E000000,
    kCrackMask = 0xC0000000,
};

// Buffer sizes of the program, terminator included: a text holds one
// byte less.
constexpr size_t kMaxUrl = 2084;
constexpr size_t kMaxHost = 256;
constexpr size_t kMaxPath = 2048;
constexpr size_t kMaxUser = 128;
constexpr size_t kMaxPassword = 128;

uint32_t serviceOfScheme(int scheme);
int schemeOfService(uint32_t service);
// Scheme number of a scheme name ("http", case-insensitive); unknown -1.
int schemeOfName(std::string_view name);
// Scheme name for building ("http"); empty for an unknown scheme.
std::string_view nameOfScheme(int scheme);
// Whether the URL layer can fetch url at all: its scheme is http, https,
// ftp, gopher or file. Links of other schemes (mailto:, javascript:, news:)
// stay in their pages as they are.
bool fetchableUrl(std::string_view url);

struct Cracked {
    int scheme = kSchemeUnknown;
    AStr host;
    uint16_t port = 0;
    AStr user;
    AStr password;
    AStr path;  // with query and fragment
};

// The canonical form of a URL for the canonicalisation flags. Fails (-1)
// on an empty text, a zero byte inside it, or an unclosed "[" host.
[[nodiscard]] int canonicalize(std::string_view url, uint32_t flags, AStr& out);
// Cracks an already canonical URL. Fails on a missing scheme, a port that
// is not a number up to 65535, a bad bracketed host, a host longer than
// its buffer or an empty host where the service needs one. Texts other
// than the host are cut to their buffers.
[[nodiscard]] int crack(std::string_view url, uint32_t flags, Cracked& out);
// Resolves a relative reference against a base and canonicalises the
// result; fails when the result does not fit in kMaxUrl.
[[nodiscard]] int combineRaw(std::string_view base, std::string_view relative, uint32_t flags, AStr& out);
// Builds a URL from its parts; fails on an unknown scheme or when the
// result does not fit in kMaxUrl.
[[nodiscard]] int create(int scheme, std::string_view host, uint16_t port, std::string_view user,
                         std::string_view password, std::string_view path, AStr& out);

// The program's operations.
struct SplitUrl {
    uint32_t service = kServiceUnknown;
    AStr host;
    AStr path;
    uint16_t port = 0;
    AStr user;
    AStr password;
};

// Full split: canonicalise with flags & kCanonMask, crack with
// flags & kCrackMask. On failure the service is unknown and every text empty.
bool splitUrl(std::string_view url, uint32_t flags, SplitUrl& out);
// Whether splitUrl(url, 0, ...) succeeds, without building the parts: the
// rewriting of a page asks this for every link.
bool splits(std::string_view url);
// Short form: browser mode, no user and password.
bool splitUrlShort(std::string_view url, SplitUrl& out);
AStr hostOfUrl(std::string_view url);
// The path with every "/" turned into "\\".
AStr pathOfUrl(std::string_view url);
[[nodiscard]] int buildUrl(uint32_t service, std::string_view host, uint16_t port, std::string_view user,
                           std::string_view password, std::string_view path, AStr& out);
// Combines in browser mode plus the caller's flags, then drops every
// "../" left over from climbing above the root.
bool combineUrl(std::string_view base, std::string_view relative, uint32_t flags, AStr& out);

// A base URL read once for combining many references with it, as the
// links of one page are: the results of combineRaw and combineUrl, with
// the base cleaned and split only once and the work buffers kept from one
// reference to the next. The base's text must outlive the combiner, and
// out must not hold the reference.
class UrlCombiner {
public:
    UrlCombiner(std::string_view base, uint32_t flags);
    UrlCombiner(const UrlCombiner&) = delete;
    UrlCombiner& operator=(const UrlCombiner&) = delete;

    // combineRaw(base, relative, flags, out)
    [[nodiscard]] int combineRaw(std::string_view relative, AStr& out);
    // combineUrl(base, relative, flags, out): browser mode changes nothing
    // in the result, so the flags are taken as they are.
    bool combine(std::string_view relative, AStr& out);

private:
    uint32_t flags_;
    AStr baseBuf_;
    std::string_view base_;  // cleaned
    bool baseZero_ = false, baseHier_ = false, hasAuthority_ = false;
    size_t bsl_ = 0;
    std::string_view scheme_, authority_, path_, query_;
    std::string_view folder_;  // the path up to its last '/', or "/"
    std::string start_;        // the canonical scheme and authority
    bool startOk_ = false;     // false for an unclosed "[" host
    bool folderPlain_ = false; // the folder takes plain references as they stand
    std::string refPath_, pathBuf_, result_;
};

AStr normalizeAddress(std::string_view typed, bool allowFile);
// A typed address without blanks around it, and with those inside it and
// control bytes escaped (%20), in the
// path and the query alike: no request line can carry them, and a user who
// pastes "a b.html" means the file with the space.
AStr escapeBlanks(std::string_view typed);
// The address without blanks and line ends around it.
std::string_view trimBlanks(std::string_view typed);
bool sameUrl(std::string_view a, std::string_view b);

}  // namespace url
