#include "updater/ContentParser.h"


#include <new>

#include "framework/bwstream.h"

namespace {

// Only these three bytes count as blanks; a tab is an ordinary byte.
bool isBlank(int c) { return c == ' ' || c == '\r' || c == '\n'; }
bool isQuote(int c) { return c == '"' || c == '\''; }

bool equalsNoCase(const char* a, size_t n, const char* b) {
    size_t i = 0;
    for (; i < n && b[i]; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
        if (x != y) return false;
    }
    return i == n && !b[i];
}

enum class State { Start, Text, TagName, TagEnd, AttrName, AfterName, Value };

}  // namespace

int XmlParser::Parse(ibwstream& in) {
    // Out of memory the reader stops as on a broken stream; what was built
    // stays built, and no exception leaves the updater's core.
    try {
        return parseBytes(in);
    } catch (const std::bad_alloc&) {
        return -1;
    }
}

int XmlParser::parseBytes(ibwstream& in) {
    int cur = 0, prev = 0, prev2 = 0;
    std::string text;
    State state = State::Start;
    int quote = 0;
    bool inComment = false, skipBlanks = false, readNext = true;
    int r = 0;

    auto tagNameDone = [&]() {
        tag_.name = text;
        text.clear();
        return tag_.end ? OnEndTagName(tag_.name.data(), tag_.name.size())
                        : OnTagName(tag_.name.data(), tag_.name.size());
    };
    auto valueDone = [&]() {
        XmlAttrNode& a = attrs_.back();
        a.value = text;
        text.clear();
        return OnAttribute(a.name.data(), a.name.size(), a.value.data(), a.value.size());
    };

    for (;;) {
        if (readNext) {
            prev2 = prev;
            prev = cur;
            int c = in.get();
            if (c < 0) {
                // Input that ends inside a tag, value or comment is no error.
                if (!in.eof()) return -1;
                return text.empty() ? 0 : OnText(text.data(), text.size());
            }
            cur = c;
            readNext = false;
        }
        if (inComment) {
            if (prev2 == '-' && prev == '-' && cur == '>') {
                text.resize(text.size() >= 2 ? text.size() - 2 : 0);
                r = OnComment(text.data(), text.size());
                text.clear();
                inComment = false;
                if (r) return r;
            } else {
                text += char(cur);
            }
            readNext = true;
            continue;
        }
        if (skipBlanks) {
            if (isBlank(cur)) {
                readNext = true;
                continue;
            }
            skipBlanks = false;
        }
        switch (state) {
        case State::Start:
            if (cur == '<') {
                state = State::TagName;
                readNext = true;
            } else {
                state = State::Text;
            }
            break;
        case State::Text:
            if (cur == '<' && !quote) {
                if (!text.empty() && (r = OnText(text.data(), text.size()))) return r;
                text.clear();
                state = State::Start;
            } else {
                text += char(cur);
                readNext = true;
            }
            break;
        case State::TagName:
            if (cur == '-' && text == "!-") {
                text.clear();
                inComment = true;
                state = State::Start;
                readNext = true;
            } else if (isQuote(cur)) {
                return -2;
            } else if (cur == ' ' && text.empty()) {
                return -2;
            } else if (isBlank(cur)) {
                if ((r = tagNameDone())) return r;
                state = State::AttrName;
                skipBlanks = true;
            } else if (cur == '/') {
                // Wherever it stands: "</TREE>", "</>" and "<TREE/>" all end an element.
                tag_.end = true;
                readNext = true;
            } else if (cur == '>') {
                if ((r = tagNameDone())) return r;
                state = State::TagEnd;
            } else {
                text += char(cur);
                readNext = true;
            }
            break;
        case State::TagEnd:
            if (cur != '>') return -2;
            if (!tag_.end && (r = OnTagClosed(tag_.name.data(), tag_.name.size()))) return r;
            if ((r = OnElement(tag_, attrs_))) return r;
            tag_.name.clear();
            tag_.end = false;
            attrs_.clear();
            state = State::Start;
            readNext = true;
            break;
        case State::AttrName:
            if (quote && cur == quote) {
                quote = 0;
                text += char(cur);
                readNext = true;
            } else if (!quote && isQuote(cur)) {
                quote = cur;
                text += char(cur);
                readNext = true;
            } else if (quote) {
                if (cur == '>') {
                    attrs_.push_back({text, {}});
                    text.clear();
                    quote = 0;
                    state = State::TagEnd;
                } else {
                    text += char(cur);
                    readNext = true;
                }
            } else if (cur == '>' && text.empty()) {
                state = State::TagEnd;
            } else if ((cur == ' ' || cur == '=' || cur == '\r' || cur == '\n' || cur == '>') && !text.empty()) {
                attrs_.push_back({text, {}});
                text.clear();
                state = State::AfterName;
            } else {
                text += char(cur);
                readNext = true;
            }
            break;
        case State::AfterName:
            if (isBlank(cur)) {
                readNext = true;
            } else if (cur == '=') {
                state = State::Value;
                skipBlanks = true;
                readNext = true;
            } else {
                // A name without "=": an attribute with an empty value.
                if ((r = valueDone())) return r;
                state = State::AttrName;
            }
            break;
        case State::Value:
            if (quote && cur == quote) {
                quote = 0;
                readNext = true;
            } else if (!quote && isQuote(cur)) {
                quote = cur;
                readNext = true;
            } else if (quote) {
                text += char(cur);
                readNext = true;
            } else if (cur == '>') {
                if ((r = valueDone())) return r;
                state = State::TagEnd;
            } else if (isBlank(cur)) {
                if ((r = valueDone())) return r;
                state = State::AttrName;
                skipBlanks = true;
            } else {
                // Quoted and bare pieces of one value join: "a"b is ab.
                text += char(cur);
                readNext = true;
            }
            break;
        }
    }
}

int XmlParser::OnElement(const XmlTag& tag, const std::vector<XmlAttrNode>& attrs) {
    if (tag.name.empty() && !tag.end) return 0;
    if (tag.end) return OnEndElement(tag.name.data(), tag.name.size());
    std::vector<XmlAttr> array;
    array.reserve(attrs.size() + 1);
    for (const XmlAttrNode& a : attrs) array.push_back({a.name.data(), a.name.size(), a.value.data(), a.value.size()});
    array.push_back({nullptr, 0, nullptr, 0});
    return OnStartElement(tag.name.data(), tag.name.size(), array.data(), attrs.size());
}

int ContentParser::OnStartElement(const char* name, size_t length, const XmlAttr* attrs, size_t count) {
    if (!equalsNoCase(name, length, "tree") || !current_ || count == 0) return -1;
    const XmlAttr* title = nullptr;
    const XmlAttr* contentUrl = nullptr;
    const XmlAttr* version = nullptr;
    const XmlAttr* productUrl = nullptr;
    for (size_t i = 0; i < count; ++i) {
        const XmlAttr& a = attrs[i];
        if (!title && equalsNoCase(a.name, a.nameLength, "title")) title = &a;
        else if (!contentUrl && equalsNoCase(a.name, a.nameLength, "contenturl")) contentUrl = &a;
        else if (!version && equalsNoCase(a.name, a.nameLength, "version")) version = &a;
        else if (!productUrl && equalsNoCase(a.name, a.nameLength, "producturl")) productUrl = &a;
    }
    if (!title) return -1;
    auto node = std::make_unique<ObjNode>();
    ObjectProp& p = node->prop();
    p.title.assign(title->value, title->valueLength);
    if (version) {
        p.version.assign(version->value, version->valueLength);
        p.versionNumber = LeadingInteger(p.version);
    }
    if (contentUrl) p.contentUrl.assign(contentUrl->value, contentUrl->valueLength);
    if (productUrl) p.productUrl.assign(productUrl->value, productUrl->valueLength);
    current_ = current_->append(std::move(node));
    return 0;
}

int ContentParser::OnEndElement(const char*, size_t) {
    // The end tag's name is not compared with the open element's.
    if (!current_) return -1;
    if (current_->parent()) current_ = current_->parent();
    return 0;
}

namespace {

// A value in double quotes; its own double quotes go in single quotes,
// which the reader joins to the neighbouring pieces.
void appendValue(std::string& out, const std::string& value) {
    out += '"';
    for (char c : value) {
        if (c == '"') out += "\"'\"'\"";
        else out += c;
    }
    out += '"';
}

void appendStartTag(std::string& out, const ObjNode& n, int depth) {
    out.append(size_t(depth) * 2, ' ');
    out += "<TREE ";
    const ObjectProp& p = n.prop();
    const std::pair<const char*, const std::string*> fields[] = {
        {"TITLE", &p.title}, {"CONTENTURL", &p.contentUrl}, {"VERSION", &p.version}, {"PRODUCTURL", &p.productUrl}};
    for (const auto& [name, value] : fields) {
        if (value->empty()) continue;
        out += name;
        out += '=';
        appendValue(out, *value);
        out += ' ';
    }
    out += '>';
}

}  // namespace

std::string CanonicalDescription(const ObjNode& top) {
    std::string out;
    const ObjNode* n = &top;
    int depth = 0;
    while (n) {
        appendStartTag(out, *n, depth);
        if (n->firstChild()) {
            out += "\r\n";
            n = n->firstChild();
            ++depth;
            continue;
        }
        out += "</>\r\n";
        // Close every finished parent on its own line, up to the next sibling.
        while (n != &top && !n->nextSibling()) {
            n = n->parent();
            --depth;
            out.append(size_t(depth) * 2, ' ');
            out += "</>\r\n";
        }
        n = n == &top ? nullptr : n->nextSibling();
    }
    return out;
}
