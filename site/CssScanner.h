#pragma once
// Finds the URLs in style-sheet text: the value of each url(...), quoted
// or not, and the string behind an @import. Comments and other strings are
// skipped. The text comes one byte at a time with its offset, so a sheet
// of any length, a style element read byte by byte and a style attribute
// are scanned alike, in memory bounded by the longest URL kept.
//
// A URL that never ends (a url( or a string without its end), that holds
// a CSS escape, or that is longer than kMaxUrl is no link: read as it
// stands it would name another file.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class CssScanner {
public:
    static constexpr size_t kMaxUrl = 65534;

    // Forgets everything half read: a new sheet or style element begins.
    void reset();

    // Takes the byte at offset; true when it completed a URL, which then
    // stays in url() and urlEnd() until the next byte.
    bool feed(char c, uint32_t offset);

    std::string_view url() const { return url_; }
    // Offset just behind the URL's last byte.
    uint32_t urlEnd() const { return urlEnd_; }

private:
    enum class State {
        Normal,
        Slash,          // a '/' that may open a comment
        Comment,
        CommentStar,    // a '*' in a comment that may close it
        String,         // a string that is no URL
        StringEscape,   // the byte behind a backslash, then back to stringReturn_
        UrlStart,       // behind "url(": blanks, then a quote or the value
        UrlQuoted,
        UrlUnquoted,
        UrlAfter,       // behind the value: blanks, then ')'
        BadUrl,         // skipped to the next ')'
        ImportString,   // the string behind @import
    };

    State normal(char c);
    State take(char c, uint32_t offset);
    bool finishUrl();
    void startUrl();

    State state_ = State::Normal;
    State stringReturn_ = State::Normal;  // where an escape in a skipped string returns
    char quote_ = 0;
    std::string word_;          // the identifier being read, lower case, cut at 8
    bool importPending_ = false;  // an @import was read: its string is a URL
    std::string url_;
    uint32_t urlEnd_ = 0;
    bool urlBad_ = false;       // the URL being read is too long or holds an escape
    bool done_ = false;
};
