// Content descriptions from arbitrary bytes: the reader ends with one of
// its results, never crashes; what it built is a tree whose canonical form
// reads back to the same form.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "framework/mwstream.h"
#include "updater/ContentParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ObjNode root;
    imwstream in(data, size);
    ContentParser parser(&root);
    const int r = parser.Parse(in);
    if (r != 0 && r != -1 && r != -2) abort();
    // The canonical form indents by depth, so deep trees grow it quadratically.
    for (ObjNode* n = &root; n; n = n->nextInTree(&root)) {
        if (n->depth() > 200) return 0;
    }
    for (ObjNode* n = root.firstChild(); n; n = n->nextSibling()) {
        const std::string once = CanonicalDescription(*n);
        ObjNode again;
        imwstream back(once);
        ContentParser reader(&again);
        if (reader.Parse(back) != 0) abort();
        if (!again.firstChild() || again.firstChild()->nextSibling()) abort();
        if (CanonicalDescription(*again.firstChild()) != once) abort();
    }
    return 0;
}
