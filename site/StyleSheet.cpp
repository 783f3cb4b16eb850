#include "site/StyleSheet.h"

#include "framework/FileExtension.h"
#include "framework/fwstream.h"
#include "site/CssScanner.h"
#include "site/HtmlTables.h"
#include "site/LinkFlags.h"

bool IsStyleSheet(std::string_view mediaType, std::string_view url) {
    AStr type(mediaType);
    if (type.equalsNoCase("text/css")) return true;
    if (!type.empty() && !type.equalsNoCase("text/plain") && !type.equalsNoCase("application/octet-stream"))
        return false;
    std::string_view path = url.substr(0, url.find_first_of("?#"));
    return AStr(Extension(path, "/")).equalsNoCase(".css");
}

bool IsSheetText(const ExtractNode& link) { return link.tag == html::TagStyle && link.attribute == html::AttrUrl; }

bool IsListedLink(const ExtractNode& link) {
    // The HTML extraction makes no record of either attribute.
    return link.attribute == html::AttrUrl || link.attribute == html::AttrStyle;
}

ExtractNode* AppendEmbeddedLink(ExtractList& links, std::string_view text, uint32_t end, uint16_t tag,
                                uint16_t attribute, size_t maxLinks) {
    if (text.empty() || text[0] == '#' || links.count() >= maxLinks) return nullptr;
    auto* n = new ExtractNode;
    n->linkText = AStr(text);
    n->valueEnd = end;
    n->tag = tag;
    n->attribute = attribute;
    n->flags = FlagPicture | FlagEmbedded;
    links.append(n);
    return n;
}

int ExtractStyleSheet(ibwstream& in, ExtractList& links, size_t maxLinks) {
    CssScanner css;
    char block[4096];
    uint32_t offset = 0;
    for (;;) {
        size_t n = in.read(block, sizeof block);
        for (size_t i = 0; i < n; ++i, ++offset)
            if (css.feed(block[i], offset))
                (void)AppendEmbeddedLink(links, css.url(), css.urlEnd(), html::TagStyle, html::AttrUrl, maxLinks);
        if (n < sizeof block) break;
    }
    // A URL still open at the end is left out.
    return in.fail() && !in.eof() ? -1 : 0;
}

int ExtractStyleSheet(const char* path, ExtractList& links, size_t maxLinks) {
    ifwstream in;
    if (in.open(path) != 0) return -1;
    return ExtractStyleSheet(in, links, maxLinks);
}
