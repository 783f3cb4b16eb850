// The tokenizer, the HTML layer and the link extractor over arbitrary
// bytes, then everything the page's results go through: resolution with
// the check on, the code page and the conversion of the texts. The first
// byte picks the page's known code page. The same bytes are read as a
// style sheet as well. Any overrun or crash is a fault.
#include <cstdint>
#include <string_view>
#include <vector>

#include "framework/mwstream.h"
#include "site/ExtractURL.h"
#include "site/PageCodePage.h"
#include "site/ResolveLinks.h"
#include "site/StyleSheet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    int known = data[0] % 7;
    std::string_view page(reinterpret_cast<const char*>(data) + 1, size - 1);

    AStr base, title;
    ExtractList links;
    ExtractURL extract(base, title, links, known);
    imwstream in(page);
    (void)extract.run(in);

    ExtractList sheet;
    imwstream sheetIn(page);
    (void)ExtractStyleSheet(sheetIn, sheet, ExtractURL::kMaxLinks);

    for (ExtractList* list : {&links, &sheet}) {
        for (Node* n = list->first(); n != nullptr; n = n->next()) {
            auto* r = static_cast<ExtractNode*>(n);
            // Every record lies inside the page.
            if (r->valueEnd > page.size() || r->linkText.size() > r->valueEnd) __builtin_trap();
        }
    }
    // A sheet's records are its bytes as written, where the rewriter finds them.
    for (Node* n = sheet.first(); n != nullptr; n = n->next()) {
        auto* r = static_cast<ExtractNode*>(n);
        if (page.substr(r->valueEnd - r->linkText.size(), r->linkText.size()) != r->linkText.view()) __builtin_trap();
    }
    std::vector<ResolvedLink> out;
    ResolveLinks(links, "http://fuzz.example/dir/page.htm", base, true, out);
    ResolveLinks(sheet, "http://fuzz.example/dir/s.css", "", true, out);
    int cp = PageCodePage(0, extract.metaCharset(), true, extract.detector());
    ConvertPageTexts(cp, title, links);
    return 0;
}
