#include "site/HtmlParser.h"

#include "site/HtmlTables.h"

int HtmlParser::startTag(std::string_view name) {
    tag_ = html::TagNumber(name);
    return onStartTag(tag_);
}

int HtmlParser::endStartTag(std::string_view name) {
    int r = onEndStartTag(tag_);
    bool skip = ((tag_ == html::TagScript || tag_ == html::TagApplet) && (mode_ & SkipScript)) ||
                (tag_ == html::TagStyle && (mode_ & SkipStyle));
    if (skip) enterRaw(name);
    return r;
}

int HtmlParser::attribute(std::string_view, std::string_view name, std::string_view value, char quote) {
    return onAttribute(tag_, html::AttributeNumber(name), value.data(), value.size(), quote);
}

int HtmlParser::endTag(std::string_view name) {
    // "<script src=x/>" has no content: its end tag comes at once and must
    // not leave the rest of the page to the skipped content.
    if (inRaw()) leaveRaw();
    tag_ = html::TagNumber(name);
    return onEndTag(tag_);
}

int HtmlParser::text(std::string_view bytes) { return onText(bytes); }

int HtmlParser::comment(std::string_view bytes) { return onComment(bytes); }

int HtmlParser::rawByte(char c) { return onRawByte(tag_, c, offset()); }

// Skipped content is not read unless a handler wants it.
int HtmlParser::onRawByte(uint16_t, char, uint32_t) { return 0; }
