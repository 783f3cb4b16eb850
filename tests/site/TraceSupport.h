#pragma once
// Handlers that write every event of the tokenizer or the HTML layer into
// a readable trace, e.g. "start(a) attr(a,href,x.htm,\") endstart(a)".

#include <cstdio>
#include <string>
#include <string_view>

#include "framework/mwstream.h"
#include "site/HtmlParser.h"
#include "site/XmlParser.h"

namespace sitetest {

// Bytes outside printable ASCII as \xNN so that a trace stays one line.
inline std::string Show(std::string_view s) {
    std::string r;
    for (unsigned char c : s) {
        if (c >= 0x20 && c < 0x7F) {
            r += static_cast<char>(c);
        } else {
            char b[8];
            std::snprintf(b, sizeof b, "\\x%02x", c);
            r += b;
        }
    }
    return r;
}

inline std::string Quote(char q) { return q ? std::string(1, q) : std::string(); }

class XmlTrace : public XmlParser {
public:
    // rawFor: an element whose content the handler takes raw, as the HTML
    // layer does for script.
    explicit XmlTrace(std::string rawFor = "") : rawFor_(std::move(rawFor)) {}

    std::string trace;
    bool withOffsets = false;
    bool accept = true;
    int stopOnText = 0;  // returned from the text slot when non-zero

    std::string run(std::string_view input, int* result = nullptr) {
        trace.clear();
        imwstream in(input);
        int r = parse(in);
        if (result) *result = r;
        flushRaw();
        if (!trace.empty() && trace.back() == ' ') trace.pop_back();
        return trace;
    }

protected:
    int startTag(std::string_view name) override { return add("start(" + Show(name) + ")"); }
    int endStartTag(std::string_view name) override {
        if (!rawFor_.empty() && name == rawFor_) enterRaw(name);
        return add("endstart(" + Show(name) + ")");
    }
    int attribute(std::string_view tag, std::string_view name, std::string_view value, char quote) override {
        std::string e = "attr(" + Show(tag) + "," + Show(name) + "," + Show(value) + "," + Quote(quote) + ")";
        if (withOffsets) e += "@" + std::to_string(attributeOffset()) + "/" + std::to_string(valueOffset());
        return add(e);
    }
    int endTag(std::string_view name) override { return add("end(" + Show(name) + ")"); }
    bool acceptTag(std::string_view) override { return accept; }
    int text(std::string_view bytes) override {
        add("text(" + Show(bytes) + ")");
        return stopOnText;
    }
    int comment(std::string_view bytes) override { return add("comment(" + Show(bytes) + ")"); }
    int rawByte(char c) override {
        raw_ += c;
        return 0;
    }

private:
    void flushRaw() {
        if (raw_.empty()) return;
        trace += "raw(" + Show(raw_) + ") ";
        raw_.clear();
    }
    int add(const std::string& e) {
        flushRaw();
        trace += e + " ";
        return 0;
    }

    std::string rawFor_;
    std::string raw_;
};

class HtmlTrace : public HtmlParser {
public:
    using HtmlParser::HtmlParser;
    std::string trace;

    std::string run(std::string_view input, int* result = nullptr) {
        trace.clear();
        imwstream in(input);
        int r = parse(in);
        if (result) *result = r;
        if (!trace.empty() && trace.back() == ' ') trace.pop_back();
        return trace;
    }

protected:
    int onText(std::string_view bytes) override { return add("text(" + Show(bytes) + ")"); }
    int onStartTag(uint16_t tag) override { return add("start(" + std::to_string(tag) + ")"); }
    int onAttribute(uint16_t tag, uint16_t attr, const char* value, size_t length, char quote) override {
        return add("attr(" + std::to_string(tag) + "," + std::to_string(attr) + "," + Show({value, length}) + "," +
                   Quote(quote) + ")");
    }
    int onEndStartTag(uint16_t tag) override { return add("endstart(" + std::to_string(tag) + ")"); }
    int onEndTag(uint16_t tag) override { return add("end(" + std::to_string(tag) + ")"); }
    int onComment(std::string_view bytes) override { return add("comment(" + Show(bytes) + ")"); }

private:
    int add(const std::string& e) {
        trace += e + " ";
        return 0;
    }
};

}  // namespace sitetest
