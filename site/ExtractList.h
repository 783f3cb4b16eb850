#pragma once
// A page's link records, in page order, as the link extractor finds them.
// The list belongs to the page's node in the link graph; the graph sets
// each record's target once the link is resolved.

#include <cstdint>

#include "framework/AStr.h"
#include "framework/List.h"

class ToBeOpenTN;

class ExtractNode : public Node {
public:
    // The link's record in the tree file (site/TreeRecords.cpp).
    int write(obwstream& out, WriteContext* ctx) const override;
    int read(ibwstream& in, ReadContext* ctx) override;

    // Grouped by size, without padding: a page may hold a great many.
    AStr linkText;              // the attribute value as written, trimmed
    AStr refText;               // text of an anchor's content
    AStr codebase;              // an applet's codebase for its code and archive links
    ToBeOpenTN* target = nullptr;  // the node the link leads to; none while unresolved
    uint32_t valueEnd = 0;      // page offset just behind the trimmed value
    uint32_t savedPos = 0;      // saved copy offset behind the replacement; 0 until saved
    uint32_t flags = 0;         // link flags (site/LinkFlags.h)
    int32_t attrStart = -1;     // offset of the attribute's name (href, base); -1 otherwise
    uint16_t savedLen = 0;      // length of the replacement text; 0 until saved
    uint16_t tag = 0;           // element number, 0 for an unknown element
    uint16_t attribute = 0;     // attribute number
};

class ExtractList : public List {
public:
    ExtractNode* firstLink() const { return static_cast<ExtractNode*>(first()); }
};
