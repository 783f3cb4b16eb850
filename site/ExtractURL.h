#pragma once
// The link extractor: reads a stored page once through the HTML layer and
// turns the attributes that hold URLs into link records, in page order.
// Besides the records it gives the page's base URL (a base element's
// href), its title, the character set a META Content-Type names, and it
// feeds the page's text to the code-page detector. Memory grows with the
// records alone: texts it keeps on the way have a fixed maximum.

#include <cstdint>
#include <string_view>

#include "framework/AStr.h"
#include "site/CodePageDetector.h"
#include "site/CssScanner.h"
#include "site/ExtractList.h"
#include "site/HtmlParser.h"

class ibwstream;

class ExtractURL : public HtmlParser {
public:
    // Longest text kept for a title or a reference text; the rest of a
    // longer one is dropped.
    static constexpr size_t kMaxText = 65534;
    // A page keeps its first this many link records; the rest stay as
    // written. Far above any real page (a large index has tens of
    // thousands), it bounds what one hostile page costs: about 250 MB
    // with the nodes the links lead to.
    static constexpr size_t kMaxLinks = 250000;

    // pageCodePage: the page's code page when already known (the server
    // named it), 0 when unknown.
    ExtractURL(AStr& baseUrl, AStr& title, ExtractList& links, int pageCodePage = 0);

    // Reads the page to its end: 0, or the tokenizer's failure code; the
    // records found before a failure stay in the list.
    [[nodiscard]] int run(ibwstream& in);
    // The same over a file; an unreadable file gives -1 and no records.
    [[nodiscard]] int run(const char* path);

    // The code page a META Content-Type named (charset table numbers), 0
    // when none did.
    int metaCharset() const { return metaCharset_; }
    const CodePageDetector& detector() const { return detector_; }

    // Titles and reference texts: character references decoded, blanks
    // folded into single spaces, a leading space dropped, and a trailing
    // double quote without an opening one removed.
    static AStr normalize(std::string_view text);

    // A link value as the record keeps it: leading and trailing blanks
    // cut, and trailing double quotes when the value does not begin with
    // one. The result lies inside value.
    static std::string_view trimLink(std::string_view value);

protected:
    int onText(std::string_view bytes) override;
    int onStartTag(uint16_t tag) override;
    int onAttribute(uint16_t tag, uint16_t attribute, const char* value, size_t length, char quote) override;
    int onEndStartTag(uint16_t tag) override;
    int onEndTag(uint16_t tag) override;
    int onComment(std::string_view bytes) override;
    int onRawByte(uint16_t tag, char c, uint32_t offset) override;

private:
    // Makes a record of part, which lies inside the value of the attribute
    // being read; null when the part makes no link.
    ExtractNode* addLink(uint16_t tag, uint16_t attribute, std::string_view value, std::string_view part);
    void refreshLink(uint16_t tag, std::string_view content);
    // The URLs of a style attribute's declarations and of a srcset.
    void styleAttributeLinks(uint16_t tag, std::string_view value);
    void srcsetLinks(uint16_t tag, std::string_view value);
    bool isSrcset(uint16_t tag) const;
    void appendWithSpace(std::string_view s);
    void appendText(std::string_view s);
    void codePageWord(std::string_view text);

    AStr& baseUrl_;
    AStr& title_;
    ExtractList& links_;
    int pageCodePage_;

    uint16_t tag_ = 0;
    uint16_t lastAttribute_ = 0;
    AStr text_;                        // the text accumulator
    ExtractNode* anchor_ = nullptr;    // the current anchor's record
    ExtractNode* tagFirst_ = nullptr;  // first and last records of the tag being read
    ExtractNode* tagLast_ = nullptr;
    bool inTitle_ = false;
    AStr httpEquiv_;
    AStr content_;
    AStr rel_;
    AStr codebase_;
    int metaCharset_ = 0;
    CodePageDetector detector_;
    CssScanner styleElement_;    // the content of the style element being read
    CssScanner styleAttribute_;
};
