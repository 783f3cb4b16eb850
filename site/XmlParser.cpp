#include "site/XmlParser.h"

#include <cstring>

#include "framework/bwstream.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsQuote(char c) { return c == '"' || c == '\''; }
char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool XmlParser::acceptTag(std::string_view) { return true; }

// How many bytes from p on belong to a quoted value: up to its closing
// quote and no further than the value's maximum (the byte that passes it
// is left to the state function, which drops the attribute).
size_t XmlParser::valueRun(const char* p, size_t n) const {
    size_t room = overLong_ ? n : kMaxValue - value_.size();
    if (n > room) n = room;
    const void* q = std::memchr(p, quote_, n);
    return q ? static_cast<size_t>(static_cast<const char*>(q) - p) : n;
}

// How many bytes from p on are plain text for the text buffer: up to the
// next '<' and no further than the buffer's chunk size.
size_t XmlParser::textRun(const char* p, size_t n) const {
    size_t room = kChunk - text_.size();
    if (n > room) n = room;
    const void* lt = std::memchr(p, '<', n);
    return lt ? static_cast<size_t>(static_cast<const char*>(lt) - p) : n;
}

void XmlParser::enterRaw(std::string_view name) {
    rawClose_ = "</";
    for (char c : name) rawClose_ += LowerAscii(c);
    rawClose_ += '>';
    rawMatched_ = 0;
    raw_ = true;
}

int XmlParser::parse(ibwstream& in) {
    state_ = State::Text;
    result_ = 0;
    offset_ = 0;
    overLong_ = false;
    text_.clear();
    raw_ = false;
    // Bytes are taken a block at a time; runs of plain text go to the text
    // buffer in one piece, which is what the byte-wise rules give as well.
    char block[kBlock];
    for (;;) {
        size_t n = in.read(block, sizeof block);
        for (size_t i = 0; i < n;) {
            if (state_ == State::Text) {
                size_t run = textRun(block + i, n - i);
                if (run > 0) {
                    text_.append(block + i, run);
                    offset_ += static_cast<uint32_t>(run);
                    i += run;
                    if (text_.size() >= kChunk && !flushText()) return result_;
                    continue;
                }
            }
            if (state_ == State::QuotedValue) {
                size_t run = valueRun(block + i, n - i);
                if (run > 0) {
                    if (!overLong_) value_.append(block + i, run);
                    offset_ += static_cast<uint32_t>(run);
                    i += run;
                    continue;
                }
            }
            ++offset_;
            state_ = step(block[i++]);
            if (state_ == State::Stopped) return result_;
        }
        if (n < sizeof block) break;
    }
    finish();
    if (result_ == 0 && in.fail() && !in.eof()) result_ = kReadError;
    return result_;
}

// The one place where the state changes is parse(); step() only picks the
// function of the current state.
XmlParser::State XmlParser::step(char c) {
    switch (state_) {
    case State::Text: return inText(c);
    case State::TagName: return inTagName(c);
    case State::IgnoredTag: return inIgnoredTag(c);
    case State::EndTagRest: return inEndTagRest(c);
    case State::BeforeAttrName: return inBeforeAttrName(c);
    case State::AttrName: return inAttrName(c);
    case State::AfterAttrName: return inAfterAttrName(c);
    case State::BeforeValue: return inBeforeValue(c);
    case State::QuotedValue: return inQuotedValue(c);
    case State::UnquotedValue: return inUnquotedValue(c);
    case State::EmptySlash: return inEmptySlash(c);
    case State::Comment: return inComment(c);
    case State::Raw: return inRaw(c);
    case State::Stopped: break;
    }
    return State::Stopped;
}

XmlParser::State XmlParser::fail(int code) {
    if (result_ == 0) result_ = code;
    return State::Stopped;
}

bool XmlParser::emit(int r) {
    if (r != 0 && result_ == 0) result_ = r;
    return result_ == 0;
}

bool XmlParser::flushText() {
    if (text_.empty()) return true;
    int r = text(text_);
    text_.clear();
    return emit(r);
}

bool XmlParser::flushComment() {
    if (text_.empty()) return true;
    int r = comment(text_);
    text_.clear();
    return emit(r);
}

XmlParser::State XmlParser::inText(char c) {
    if (c == '<') {
        if (!flushText()) return State::Stopped;
        tag_.clear();
        endTag_ = false;
        return State::TagName;
    }
    text_ += c;
    if (text_.size() >= kChunk && !flushText()) return State::Stopped;
    return State::Text;
}

XmlParser::State XmlParser::inTagName(char c) {
    if (c == '/' && tag_.empty() && !endTag_) {
        endTag_ = true;
        return State::TagName;
    }
    if (IsQuote(c)) return State::IgnoredTag;
    if (!IsBlank(c) && c != '/' && c != '>') {
        // A name nobody could mean: the tag is skipped, the page goes on.
        if (tag_.size() >= kMaxName) return State::IgnoredTag;
        tag_ += c;
        if (!endTag_ && tag_.size() == 3 && tag_ == "!--") {
            commentSeen_ = 0;
            commentHyphens_ = 0;
            return State::Comment;
        }
        return State::TagName;
    }
    if (!acceptTag(tag_)) return c == '>' ? State::Text : State::IgnoredTag;
    if (endTag_) {
        if (!emit(endTag(tag_))) return State::Stopped;
        return c == '>' ? State::Text : State::EndTagRest;
    }
    if (!emit(startTag(tag_))) return State::Stopped;
    if (c == '>') return closeStartTag(false);
    if (c == '/') return State::EmptySlash;
    return State::BeforeAttrName;
}

XmlParser::State XmlParser::inIgnoredTag(char c) { return c == '>' ? State::Text : State::IgnoredTag; }

XmlParser::State XmlParser::inEndTagRest(char c) { return c == '>' ? State::Text : State::EndTagRest; }

XmlParser::State XmlParser::startAttrName(char c) {
    name_.clear();
    value_.clear();
    overLong_ = false;
    quote_ = 0;
    attrOffset_ = offset();
    valueOffset_ = attrOffset_;  // until a value begins
    if (c == '=') return State::BeforeValue;
    name_ += c;
    return State::AttrName;
}

// An attribute whose name or value passed its maximum is read to its end
// and dropped: a cut link would name another file, and the links behind
// it (a large data: URI, a long data- attribute) still count.
XmlParser::State XmlParser::finishAttribute(State next) {
    if (overLong_) {
        overLong_ = false;
        return next;
    }
    if (!emit(attribute(tag_, name_, value_, quote_))) return State::Stopped;
    return next;
}

void XmlParser::appendBounded(std::string& s, size_t max, char c) {
    if (s.size() >= max) overLong_ = true;
    if (!overLong_) s += c;
}

XmlParser::State XmlParser::closeStartTag(bool empty) {
    if (!emit(endStartTag(tag_))) return State::Stopped;
    if (empty && !emit(endTag(tag_))) return State::Stopped;
    if (raw_) {
        rawMatched_ = 0;
        return State::Raw;
    }
    return State::Text;
}

XmlParser::State XmlParser::inBeforeAttrName(char c) {
    if (IsBlank(c)) return State::BeforeAttrName;
    if (c == '>') return closeStartTag(false);
    if (c == '/') return State::EmptySlash;
    return startAttrName(c);
}

XmlParser::State XmlParser::inAttrName(char c) {
    if (IsBlank(c)) return State::AfterAttrName;
    if (c == '=') return State::BeforeValue;
    if (c == '>') {
        State next = finishAttribute(State::Text);
        return next == State::Stopped ? next : closeStartTag(false);
    }
    appendBounded(name_, kMaxName, c);
    return State::AttrName;
}

XmlParser::State XmlParser::inAfterAttrName(char c) {
    if (IsBlank(c)) return State::AfterAttrName;
    if (c == '=') return State::BeforeValue;
    if (finishAttribute(State::Text) == State::Stopped) return State::Stopped;
    if (c == '>') return closeStartTag(false);
    if (c == '/') return State::EmptySlash;
    return startAttrName(c);
}

XmlParser::State XmlParser::inBeforeValue(char c) {
    if (IsBlank(c)) return State::BeforeValue;
    if (c == '>') {
        valueOffset_ = offset();
        if (finishAttribute(State::Text) == State::Stopped) return State::Stopped;
        return closeStartTag(false);
    }
    if (IsQuote(c)) {
        quote_ = c;
        valueOffset_ = offset() + 1;
        return State::QuotedValue;
    }
    valueOffset_ = offset();
    value_ += c;
    return State::UnquotedValue;
}

XmlParser::State XmlParser::inQuotedValue(char c) {
    if (c == quote_) return finishAttribute(State::BeforeAttrName);
    appendBounded(value_, kMaxValue, c);
    return State::QuotedValue;
}

XmlParser::State XmlParser::inUnquotedValue(char c) {
    if (IsBlank(c)) return finishAttribute(State::BeforeAttrName);
    if (c == '>') {
        if (finishAttribute(State::Text) == State::Stopped) return State::Stopped;
        return closeStartTag(false);
    }
    appendBounded(value_, kMaxValue, c);
    return State::UnquotedValue;
}

XmlParser::State XmlParser::inEmptySlash(char c) {
    if (c == '>') return closeStartTag(true);
    return fail(kMalformed);
}

bool XmlParser::pushComment(char c) {
    if (text_.size() >= kChunk && !flushComment()) return false;
    text_ += c;
    return true;
}

// Hyphens are held back (two at most) so that the closing "--" never
// reaches the handler, even across a chunk boundary.
XmlParser::State XmlParser::inComment(char c) {
    bool shortForm = commentSeen_ == 0 || (commentSeen_ == 1 && commentHyphens_ == 1);
    if (c == '>' && (commentHyphens_ >= 2 || shortForm)) {
        commentHyphens_ = 0;
        return flushComment() ? State::Text : State::Stopped;
    }
    ++commentSeen_;
    if (c == '-') {
        if (commentHyphens_ < 2) {
            ++commentHyphens_;
            return State::Comment;
        }
        // A third hyphen: the oldest held one can no longer close the comment.
        return pushComment('-') ? State::Comment : State::Stopped;
    }
    for (; commentHyphens_ > 0; --commentHyphens_)
        if (!pushComment('-')) return State::Stopped;
    return pushComment(c) ? State::Comment : State::Stopped;
}

XmlParser::State XmlParser::inRaw(char c) {
    if (!emit(rawByte(c))) return State::Stopped;
    char lc = LowerAscii(c);
    if (lc == rawClose_[rawMatched_])
        ++rawMatched_;
    else  // the byte that broke the match may begin the closing tag itself
        rawMatched_ = lc == rawClose_[0] ? 1 : 0;
    if (rawMatched_ < rawClose_.size()) return State::Raw;
    raw_ = false;
    return State::Text;
}

void XmlParser::finish() {
    if (state_ == State::Text) {
        flushText();
    } else if (state_ == State::Comment) {
        // An unterminated comment keeps its trailing hyphens.
        for (; commentHyphens_ > 0; --commentHyphens_)
            if (!pushComment('-')) return;
        flushComment();
    }
}
