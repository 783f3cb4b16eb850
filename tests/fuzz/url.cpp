// The URL helpers over arbitrary bytes: the input is split at its first
// zero byte into a base and a relative reference, then every operation a
// page's links go through runs on them. Any overrun or crash is a fault.
#include "framework/Url.h"

#include <cstdint>
#include <cstring>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view all(reinterpret_cast<const char*>(data), size);
    size_t cut = all.find('\0');
    std::string_view base = all.substr(0, cut);
    std::string_view rel = cut == std::string_view::npos ? std::string_view() : all.substr(cut + 1);

    url::SplitUrl s;
    url::splitUrl(base, url::kDecode | url::kBrowserMode | url::kEscape, s);
    url::splitUrlShort(rel, s);
    AStr out;
    if (url::combineUrl(base, rel, url::kNoEncode, out)) {
        url::SplitUrl again;
        if (url::splitUrl(out, 0, again)) {
            AStr built;
            (void)url::buildUrl(again.service, again.host, again.port, again.user,
                                again.password, again.path, built);
        }
    }
    url::hostOfUrl(base);
    url::pathOfUrl(rel);
    url::normalizeAddress(base, true);
    url::sameUrl(base, rel);
    return 0;
}
