#pragma once
// The HTML layer over the tokenizer: element and attribute names become
// their numbers (html::Tag, html::Attribute; 0 for unknown names), and the
// content of script, applet and style can be skipped unread.

#include <cstdint>
#include <string_view>

#include "site/XmlParser.h"

class HtmlParser : public XmlParser {
public:
    enum Mode : unsigned {
        SkipScript = 1,  // the content of script and applet
        SkipStyle = 2,   // the content of style
    };

    explicit HtmlParser(unsigned mode = 0) : mode_(mode) {}

    unsigned mode() const { return mode_; }
    void setMode(unsigned mode) { mode_ = mode; }

protected:
    // The slots of the HTML layer, in this order. Each returns 0 to go on.
    virtual int onText(std::string_view bytes) = 0;
    virtual int onStartTag(uint16_t tag) = 0;
    virtual int onAttribute(uint16_t tag, uint16_t attribute, const char* value, size_t length, char quote) = 0;
    virtual int onEndStartTag(uint16_t tag) = 0;
    virtual int onEndTag(uint16_t tag) = 0;
    virtual int onComment(std::string_view bytes) = 0;
    // A byte of the skipped content of the element tag, with its offset.
    // The closing tag's own bytes come too, and no event marks the end:
    // a handler that reads the content starts anew at the next start tag.
    virtual int onRawByte(uint16_t tag, char c, uint32_t offset);

private:
    int startTag(std::string_view name) final;
    int endStartTag(std::string_view name) final;
    int attribute(std::string_view tag, std::string_view name, std::string_view value, char quote) final;
    int endTag(std::string_view name) final;
    int text(std::string_view bytes) final;
    int comment(std::string_view bytes) final;
    int rawByte(char c) final;

    unsigned mode_;
    uint16_t tag_ = 0;  // number of the tag being read
};
