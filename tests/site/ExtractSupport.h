#pragma once
// Runs the link extractor over a page held in memory and writes its
// records in a short readable form: "x.htm@13 a/href PE", the flags as
// letters (P picture, E embedded, V code-page variant, O other code page,
// N not followed).

#include <string>
#include <string_view>

#include "TraceSupport.h"
#include "framework/mwstream.h"
#include "site/ExtractURL.h"
#include "site/HtmlTables.h"
#include "site/LinkFlags.h"

namespace sitetest {

inline std::string TagName(uint16_t n) { return n ? html::Tags()[n - 1].name : "?"; }
inline std::string AttributeName(uint16_t n) { return n ? html::Attributes()[n - 1].name : "?"; }

inline std::string FlagLetters(uint32_t f) {
    std::string s;
    if (f & FlagPicture) s += 'P';
    if (f & FlagEmbedded) s += 'E';
    if (f & FlagCodePageVariant) s += 'V';
    if (f & FlagOtherCodePage) s += 'O';
    if (f & FlagNotFollowed) s += 'N';
    return s;
}

inline std::string Describe(const ExtractNode& r) {
    std::string s = Show(r.linkText) + "@" + std::to_string(r.valueEnd) + " " + TagName(r.tag) + "/" +
                    AttributeName(r.attribute);
    std::string f = FlagLetters(r.flags);
    if (!f.empty()) s += " " + f;
    return s;
}

struct Extracted {
    AStr base;
    AStr title;
    ExtractList links;
    int result = 0;
    int metaCharset = 0;
    int verdict = 0;

    std::string records() const {
        std::string s;
        for (Node* n = links.first(); n != nullptr; n = n->next()) {
            if (!s.empty()) s += " | ";
            s += Describe(*static_cast<ExtractNode*>(n));
        }
        return s;
    }
    const ExtractNode& at(size_t i) const { return *static_cast<ExtractNode*>(links.at(i)); }
};

inline void Extract(std::string_view page, Extracted& out, int knownCodePage = 0) {
    ExtractURL x(out.base, out.title, out.links, knownCodePage);
    imwstream in(page);
    out.result = x.run(in);
    out.metaCharset = x.metaCharset();
    out.verdict = x.detector().verdict();
}

}  // namespace sitetest
