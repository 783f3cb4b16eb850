#include "site/CssScanner.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }
bool IsNewline(char c) { return c == '\n' || c == '\r' || c == '\f'; }
bool IsQuote(char c) { return c == '"' || c == '\''; }

bool IsIdentChar(char c) {
    auto u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '-' || u == '_' ||
           u >= 0x80;
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Bytes that may not stand in an unquoted url(): the value is broken.
bool BreaksUnquoted(char c) {
    auto u = static_cast<unsigned char>(c);
    return IsQuote(c) || c == '(' || u < 0x20 || u == 0x7F;
}

// Longer words than this are no keyword; the word keeps one byte more to
// tell them apart.
constexpr size_t kMaxWord = 8;

}  // namespace

void CssScanner::reset() {
    state_ = State::Normal;
    word_.clear();
    importPending_ = false;
    url_.clear();
    urlBad_ = false;
    done_ = false;
}

bool CssScanner::feed(char c, uint32_t offset) {
    done_ = false;
    state_ = take(c, offset);
    return done_;
}

void CssScanner::startUrl() {
    url_.clear();
    urlBad_ = false;
}

bool CssScanner::finishUrl() {
    done_ = !urlBad_ && !url_.empty();
    return done_;
}

CssScanner::State CssScanner::normal(char c) {
    if (IsIdentChar(c) || (c == '@' && word_.empty())) {
        if (word_.size() <= kMaxWord) word_ += LowerAscii(c);
        return State::Normal;
    }
    bool url = c == '(' && word_ == "url";
    if (word_ == "@import") importPending_ = true;
    else if (!word_.empty() && !url) importPending_ = false;
    word_.clear();
    if (url) {
        importPending_ = false;
        startUrl();
        return State::UrlStart;
    }
    if (IsBlank(c)) return State::Normal;
    if (c == '/') return State::Slash;
    if (IsQuote(c)) {
        quote_ = c;
        if (importPending_) {
            importPending_ = false;
            startUrl();
            return State::ImportString;
        }
        return State::String;
    }
    importPending_ = false;
    if (c == '\\') {
        // An escape begins an identifier that is no keyword ("\\75rl("),
        // and the escaped byte is never a quote.
        word_ = "\\";
        stringReturn_ = State::Normal;
        return State::StringEscape;
    }
    return State::Normal;
}

CssScanner::State CssScanner::take(char c, uint32_t offset) {
    auto keep = [&](State s) {
        if (url_.size() >= kMaxUrl) urlBad_ = true;
        else url_ += c;
        urlEnd_ = offset + 1;
        return s;
    };
    auto escape = [&](State back) {
        // Read as written, the escape would be part of the file's name.
        urlBad_ = true;
        stringReturn_ = back;
        return State::StringEscape;
    };
    switch (state_) {
    case State::Normal:
        return normal(c);
    case State::Slash:
        if (c == '*') return State::Comment;
        importPending_ = false;
        return normal(c);
    case State::Comment:
        return c == '*' ? State::CommentStar : State::Comment;
    case State::CommentStar:
        if (c == '/') return State::Normal;
        return c == '*' ? State::CommentStar : State::Comment;
    case State::String:
        if (c == quote_ || IsNewline(c)) return State::Normal;
        if (c == '\\') {
            stringReturn_ = State::String;
            return State::StringEscape;
        }
        return State::String;
    case State::StringEscape:
        return stringReturn_;
    case State::UrlStart:
        if (IsBlank(c)) return State::UrlStart;
        if (IsQuote(c)) {
            quote_ = c;
            return State::UrlQuoted;
        }
        if (c == ')') return State::Normal;  // url(): nothing to fetch
        if (c == '\\') return escape(State::UrlUnquoted);
        if (BreaksUnquoted(c)) return State::BadUrl;
        return keep(State::UrlUnquoted);
    case State::UrlQuoted:
        if (c == quote_) return State::UrlAfter;
        if (IsNewline(c)) return State::BadUrl;
        if (c == '\\') return escape(State::UrlQuoted);
        return keep(State::UrlQuoted);
    case State::UrlUnquoted:
        if (c == ')') {
            finishUrl();
            return State::Normal;
        }
        if (IsBlank(c)) return State::UrlAfter;
        if (c == '\\') return escape(State::UrlUnquoted);
        if (BreaksUnquoted(c)) return State::BadUrl;
        return keep(State::UrlUnquoted);
    case State::UrlAfter:
        if (IsBlank(c)) return State::UrlAfter;
        if (c == ')') {
            finishUrl();
            return State::Normal;
        }
        return State::BadUrl;
    case State::BadUrl:
        if (c == '\\') {
            stringReturn_ = State::BadUrl;
            return State::StringEscape;
        }
        return c == ')' ? State::Normal : State::BadUrl;
    case State::ImportString:
        if (c == quote_) {
            finishUrl();
            return State::Normal;
        }
        if (IsNewline(c)) return State::Normal;
        if (c == '\\') return escape(State::ImportString);
        return keep(State::ImportString);
    }
    return State::Normal;
}
