#include "site/ResolveLinks.h"

#include "framework/Url.h"
#include "site/CharRefs.h"
#include "site/HtmlTables.h"
#include "site/LinkFlags.h"
#include "site/StyleSheet.h"

AStr PrepareLinkValue(std::string_view value, bool decode) {
    AStr decoded = decode ? html::DecodeCharRefs(value) : AStr(value);
    AStr out;
    for (char c : decoded.view()) {
        if (c == '#') break;
        if (c != '\r' && c != '\n') out += c;
    }
    return out;
}

void ResolveLinks(ExtractList& links, std::string_view pageUrl, std::string_view baseUrl, bool check,
                  std::vector<ResolvedLink>& out) {
    std::string_view pageBase = baseUrl.empty() ? pageUrl : baseUrl;
    constexpr uint32_t kFlags = url::kDecode | url::kNoEncode;
    out.reserve(out.size() + links.count());
    Node* next = nullptr;
    for (Node* n = links.first(); n != nullptr; n = next) {
        next = n->next();
        auto* r = static_cast<ExtractNode*>(n);
        if (r->tag == html::TagBase) continue;

        // No copy of the page's base per link: a page may hold a great many.
        std::string_view base = pageBase;
        AStr combined;
        // An applet whose codebase does not combine keeps the page's base.
        if (!r->codebase.empty() && url::combineUrl(pageBase, PrepareLinkValue(r->codebase), kFlags, combined))
            base = combined.view();
        AStr absolute;
        if (!url::combineUrl(base, PrepareLinkValue(r->linkText, !IsSheetText(*r)), kFlags, absolute)) absolute.clear();

        if (check && absolute.startsWith("http://")) {
            url::SplitUrl parts;
            if (!url::splitUrlShort(absolute, parts)) {
                delete r;
                continue;
            }
        }
        if ((r->flags & FlagNotFollowed) != 0 || absolute.empty()) continue;
        // A copy of its exact size: the combined text has room to spare,
        // and a page may hold a great many links.
        out.push_back({r, AStr(absolute.view())});
    }
}
