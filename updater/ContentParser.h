#pragma once
// The reader of content descriptions: a forgiving XML-like grammar of
// tags, quoted or bare attribute values, end tags and comments, and
// nothing else (no entities, no declarations, no CDATA). Bytes pass
// through untouched. Parse returns 0 at the end of the input, -1 when the
// stream broke, -2 on a syntax error, or the first non-zero value a
// callback returned; whatever the callbacks built before stays built.

#include <cstddef>
#include <string>
#include <vector>

#include "updater/ObjNode.h"

class ibwstream;

struct XmlTag {
    std::string name;
    bool end = false;
};

struct XmlAttrNode {
    std::string name;
    std::string value;
};

// One attribute handed to OnStartElement; the array ends with an all-zero entry.
struct XmlAttr {
    const char* name;
    size_t nameLength;
    const char* value;
    size_t valueLength;
};

class XmlParser {
public:
    XmlParser() = default;
    XmlParser(const XmlParser&) = delete;
    XmlParser& operator=(const XmlParser&) = delete;
    virtual ~XmlParser() = default;

    [[nodiscard]] int Parse(ibwstream& in);

protected:
    virtual int OnElement(const XmlTag& tag, const std::vector<XmlAttrNode>& attrs);
    virtual int OnStartElement(const char*, size_t, const XmlAttr*, size_t) { return 0; }
    virtual int OnEndElement(const char*, size_t) { return 0; }
    virtual int OnTagName(const char*, size_t) { return 0; }
    virtual int OnTagClosed(const char*, size_t) { return 0; }
    virtual int OnEndTagName(const char*, size_t) { return 0; }
    virtual int OnAttribute(const char*, size_t, const char*, size_t) { return 0; }
    virtual int OnText(const char*, size_t) { return 0; }
    virtual int OnComment(const char*, size_t) { return 0; }

private:
    int parseBytes(ibwstream& in);

    XmlTag tag_;
    std::vector<XmlAttrNode> attrs_;
};

// Builds the TREE elements of a description as nodes under a root. Any
// other element, a TREE without attributes or without a title refuses
// with -1.
class ContentParser : public XmlParser {
public:
    explicit ContentParser(ObjNode* root) : current_(root) {}

protected:
    int OnStartElement(const char* name, size_t length, const XmlAttr* attrs, size_t count) override;
    int OnEndElement(const char* name, size_t length) override;

private:
    ObjNode* current_;
};

// The canonical form of a subtree, top at depth 0: one element per line,
// two blanks of indent per level, fields in the order title, content URL,
// version, product URL, each line ended by CR LF.
std::string CanonicalDescription(const ObjNode& top);
