#pragma once
// HTML output: elements, attributes and text with the escaping each needs.
// A start tag stays open for attributes until the next text, tag or end.
//   html.start("a").attr("href", url).text(label).end("a");

#include <string_view>

#include "framework/twstream.h"

class ohtmlwstream : public otwstream {
public:
    using otwstream::otwstream;
    // Writes to a file of its own.
    explicit ohtmlwstream(const char* path);
    ~ohtmlwstream() override;

    ohtmlwstream& start(std::string_view tag);
    // An attribute of the open start tag; value escaped for double quotes.
    ohtmlwstream& attr(std::string_view name, std::string_view value);
    // An attribute without a value ("nowrap").
    ohtmlwstream& attr(std::string_view name);
    ohtmlwstream& end(std::string_view tag);
    ohtmlwstream& text(std::string_view t);
    // Bytes written as they are: the caller vouches for them.
    ohtmlwstream& raw(std::string_view s);
    ohtmlwstream& comment(std::string_view s);
    ohtmlwstream& newline() { closeTag(); put('\n'); return *this; }

    static void escapeText(std::string_view in, AStr& out);
    static void escapeAttr(std::string_view in, AStr& out);

private:
    void closeTag();
    bool tagOpen_ = false;
};
