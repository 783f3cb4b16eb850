#include "framework/htmlwstream.h"

namespace {
void Escape(std::string_view in, AStr& out, bool attr) {
    for (char c : in) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': if (attr) { out += "&quot;"; break; } out += c; break;
        case '\0': break;  // never emit NUL into a page
        default: out += c;
        }
    }
}
}  // namespace

ohtmlwstream::ohtmlwstream(const char* path) : otwstream(new ofwstreambuf(path), true) {
    if (!rdbuf()->isOpen()) setstate(failbit);
}

ohtmlwstream::~ohtmlwstream() { closeTag(); }

void ohtmlwstream::escapeText(std::string_view in, AStr& out) { Escape(in, out, false); }
void ohtmlwstream::escapeAttr(std::string_view in, AStr& out) { Escape(in, out, true); }

void ohtmlwstream::closeTag() {
    if (tagOpen_) {
        put('>');
        tagOpen_ = false;
    }
}

ohtmlwstream& ohtmlwstream::start(std::string_view tag) {
    closeTag();
    put('<');
    write(tag);
    tagOpen_ = true;
    return *this;
}

ohtmlwstream& ohtmlwstream::attr(std::string_view name, std::string_view value) {
    if (!tagOpen_) return *this;
    AStr v;
    escapeAttr(value, v);
    put(' ');
    write(name);
    write("=\"", 2);
    write(v.view());
    put('"');
    return *this;
}

ohtmlwstream& ohtmlwstream::attr(std::string_view name) {
    if (!tagOpen_) return *this;
    put(' ');
    write(name);
    return *this;
}

ohtmlwstream& ohtmlwstream::end(std::string_view tag) {
    closeTag();
    write("</", 2);
    write(tag);
    put('>');
    return *this;
}

ohtmlwstream& ohtmlwstream::text(std::string_view t) {
    closeTag();
    AStr v;
    escapeText(t, v);
    write(v.view());
    return *this;
}

ohtmlwstream& ohtmlwstream::raw(std::string_view s) {
    closeTag();
    write(s);
    return *this;
}

ohtmlwstream& ohtmlwstream::comment(std::string_view s) {
    closeTag();
    write("<!--", 4);
    // "--" inside a comment would end it early in strict readers.
    for (size_t i = 0; i < s.size(); ++i) {
        put(s[i]);
        if (s[i] == '-' && i + 1 < s.size() && s[i + 1] == '-') put(' ');
    }
    write("-->", 3);
    return *this;
}
