#pragma once
// The event-driven tokenizer under the HTML layer: reads a page byte by
// byte and reports tags, attributes, text and comments to its own virtual
// slots, which a derived class overrides. No document tree is built and
// every buffer has a fixed maximum, so any input runs in bounded memory.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class ibwstream;

class XmlParser {
public:
    // Text and comments are delivered in pieces of at most this size.
    static constexpr size_t kChunk = 1024;
    // Bytes taken from the stream at a time.
    static constexpr size_t kBlock = 4096;
    // Longest tag or attribute name and longest attribute value; a tag
    // with a longer name is skipped, an attribute with a longer name or
    // value is dropped, and the parse goes on.
    static constexpr size_t kMaxName = 1024;
    static constexpr size_t kMaxValue = 65534;

    // Results of parse() besides 0 and a handler's own non-zero result.
    static constexpr int kMalformed = -1;  // '/' in a tag not followed by '>'
    static constexpr int kReadError = -3;  // the stream failed before its end

    XmlParser() = default;
    XmlParser(const XmlParser&) = delete;
    XmlParser& operator=(const XmlParser&) = delete;
    virtual ~XmlParser() = default;

    // Reads the stream to its end. 0, one of the codes above, or the first
    // non-zero result of a slot, which stops the parse at once. Events sent
    // before a failure stay sent.
    [[nodiscard]] int parse(ibwstream& in);

    // Offset (from 0) of the byte read last.
    uint32_t offset() const { return offset_ - 1; }
    // During attribute(): offsets of the attribute's name and of the first
    // byte of its value (behind an opening quote).
    uint32_t attributeOffset() const { return attrOffset_; }
    uint32_t valueOffset() const { return valueOffset_; }
    // During attribute(): the names as written, for names the HTML
    // layer's tables do not hold.
    std::string_view tagName() const { return tag_; }
    std::string_view attributeName() const { return name_; }

protected:
    // The slots, in this order. Each returns 0 to go on.
    virtual int startTag(std::string_view name) = 0;
    virtual int endStartTag(std::string_view name) = 0;
    // quote is '"', '\'' or 0 for an unquoted or missing value.
    virtual int attribute(std::string_view tag, std::string_view name, std::string_view value, char quote) = 0;
    virtual int endTag(std::string_view name) = 0;
    // False makes the tag ignored: no events for it.
    virtual bool acceptTag(std::string_view name);
    virtual int text(std::string_view bytes) = 0;
    virtual int comment(std::string_view bytes) = 0;
    virtual int rawByte(char c) = 0;

    // Called from endStartTag(): until "</" + name + ">" (any case) has been
    // read, every byte goes to rawByte() alone. leaveRaw() cancels it.
    void enterRaw(std::string_view name);
    void leaveRaw() { raw_ = false; }
    bool inRaw() const { return raw_; }

private:
    enum class State {
        Text,
        TagName,         // behind '<'
        IgnoredTag,      // a quote was in the name: skip to '>'
        EndTagRest,      // behind an end tag's name: skip to '>'
        BeforeAttrName,
        AttrName,
        AfterAttrName,   // blanks behind a name: '=' or the next attribute
        BeforeValue,     // behind '='
        QuotedValue,
        UnquotedValue,
        EmptySlash,      // '/' in a start tag: only '>' may follow
        Comment,
        Raw,
        Stopped,
    };

    // One function per state: takes the byte, returns the next state.
    State inText(char c);
    State inTagName(char c);
    State inIgnoredTag(char c);
    State inEndTagRest(char c);
    State inBeforeAttrName(char c);
    State inAttrName(char c);
    State inAfterAttrName(char c);
    State inBeforeValue(char c);
    State inQuotedValue(char c);
    State inUnquotedValue(char c);
    State inEmptySlash(char c);
    State inComment(char c);
    State inRaw(char c);
    State step(char c);
    size_t textRun(const char* p, size_t n) const;
    size_t valueRun(const char* p, size_t n) const;

    State fail(int code);
    // Records a slot's result; a non-zero one stops the parse.
    bool emit(int r);
    State closeStartTag(bool empty);
    State finishAttribute(State next);
    State startAttrName(char c);
    // Appends c to s while s is below max; past it marks the attribute
    // over-long.
    void appendBounded(std::string& s, size_t max, char c);
    bool flushText();
    bool pushComment(char c);
    bool flushComment();
    void finish();

    State state_ = State::Text;
    int result_ = 0;
    uint32_t offset_ = 0;
    std::string text_;   // text or comment not yet delivered
    std::string tag_;
    std::string name_;
    std::string value_;
    bool endTag_ = false;
    char quote_ = 0;
    bool overLong_ = false;  // the attribute being read passed a maximum
    uint32_t attrOffset_ = 0;
    uint32_t valueOffset_ = 0;
    size_t commentSeen_ = 0;     // bytes of the comment so far
    size_t commentHyphens_ = 0;  // trailing hyphens held back (at most 2)
    bool raw_ = false;
    std::string rawClose_;
    size_t rawMatched_ = 0;
};
