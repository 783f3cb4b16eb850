#include "site/ExtractURL.h"

#include "framework/fwstream.h"
#include "site/CharRefs.h"
#include "site/Charsets.h"
#include "site/HtmlTables.h"
#include "site/LinkFlags.h"
#include "site/Srcset.h"
#include "site/StyleSheet.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

size_t FindNoCase(std::string_view s, std::string_view what) {
    for (size_t i = 0; i + what.size() <= s.size(); ++i)
        if (EqualNoCase(s.substr(i, what.size()), what)) return i;
    return std::string_view::npos;
}

// A refresh content that is a delay alone ("5", "0;") reloads the page
// itself; read as a relative URL it would make a link to a file "5".
bool IsDelayOnly(std::string_view s) {
    for (char c : s)
        if (!IsBlank(c) && c != ';' && c != ',' && c != '.' && (c < '0' || c > '9')) return false;
    return true;
}

// A style attribute may quote a URL with character references, which the
// attribute's reader turns into quotes: url(&quot;a.gif&quot;).
std::string_view WithoutQuoteRefs(std::string_view u) {
    for (std::string_view q : {"&quot;", "&#34;", "&#39;", "&apos;"})
        if (u.size() > 2 * q.size() && u.substr(0, q.size()) == q && u.substr(u.size() - q.size()) == q)
            return u.substr(q.size(), u.size() - 2 * q.size());
    return u;
}

struct CodePageWord {
    std::string_view word;
    int codePage;
};

constexpr CodePageWord kCodePageWords[] = {
    {"WIN", 1}, {"DOS", 2}, {"ALT", 2}, {"KOI", 3}, {"MAC", 4}, {"LAT", 6},
};

}  // namespace

ExtractURL::ExtractURL(AStr& baseUrl, AStr& title, ExtractList& links, int pageCodePage)
    : HtmlParser(SkipScript | SkipStyle), baseUrl_(baseUrl), title_(title), links_(links),
      pageCodePage_(pageCodePage) {}

int ExtractURL::run(ibwstream& in) { return parse(in); }

int ExtractURL::run(const char* path) {
    ifwstream in;
    if (in.open(path) != 0) return -1;
    return parse(in);
}

std::string_view ExtractURL::trimLink(std::string_view v) {
    size_t b = 0;
    while (b < v.size() && IsBlank(v[b])) ++b;
    size_t e = v.size();
    bool quoted = b < e && v[b] == '"';
    while (e > b && (IsBlank(v[e - 1]) || (!quoted && v[e - 1] == '"'))) --e;
    return v.substr(b, e - b);
}

AStr ExtractURL::normalize(std::string_view text) {
    AStr decoded = html::DecodeCharRefs(text);
    AStr out;
    bool space = true;  // a leading blank is dropped like a repeated one
    size_t from = 0;
    std::string_view d = decoded;
    for (size_t i = 0; i < d.size(); ++i) {
        if (!IsBlank(d[i])) {
            space = false;
            continue;
        }
        out.append(d.substr(from, i - from));
        if (!space) out += ' ';
        space = true;
        from = i + 1;
    }
    out.append(d.substr(from));
    if (out.size() > 0 && out.back() == '"' && out[0] != '"') out.truncate(out.size() - 1);
    return out;
}

ExtractNode* ExtractURL::addLink(uint16_t tag, uint16_t attribute, std::string_view value, std::string_view part) {
    std::string_view t = trimLink(part);
    // A fragment of this very page, also when written after a blank.
    if (t.empty() || t[0] == '#') return nullptr;
    // The first base still counts, since it moves every link of the page.
    if (links_.count() >= kMaxLinks && !(tag == html::TagBase && baseUrl_.empty())) return nullptr;

    auto* n = new ExtractNode;
    n->linkText = AStr(t);
    n->valueEnd = valueOffset() + static_cast<uint32_t>(t.data() + t.size() - value.data());
    n->tag = tag;
    n->attribute = attribute;
    if (tag == html::TagImg || tag == html::TagImage || tag == html::TagInput) n->flags |= FlagPicture;
    if (attribute == html::AttrSrc || attribute == html::AttrLowsrc) n->flags |= FlagEmbedded;
    if (attribute == html::AttrBackground) n->flags |= FlagPicture | FlagEmbedded;
    if (tag == html::TagFrame || tag == html::TagMeta) n->flags |= FlagEmbedded;
    if ((tag == html::TagApplet && attribute == html::AttrCodebase) ||
        (tag == html::TagForm && attribute == html::AttrAction))
        n->flags |= FlagNotFollowed;
    if (tag == html::TagBase || attribute == html::AttrHref) n->attrStart = static_cast<int32_t>(attributeOffset());
    if (attribute == html::AttrCode || attribute == html::AttrArchive) n->codebase = codebase_;
    if (tag == html::TagA) anchor_ = n;

    links_.append(n);
    if (tagFirst_ == nullptr) tagFirst_ = n;
    tagLast_ = n;
    return n;
}

void ExtractURL::refreshLink(uint16_t tag, std::string_view content) {
    size_t at = content.find("url=");
    if (at == std::string_view::npos) at = content.find("URL=");
    if (at == std::string_view::npos) at = FindNoCase(content, "url=");
    std::string_view part;
    if (at != std::string_view::npos) {
        part = content.substr(at + 4);
        size_t b = 0;
        while (b < part.size() && IsBlank(part[b])) ++b;
        part = part.substr(b);
        // A URL in quotes: the closing quote goes with the opening one.
        std::string_view open = part.substr(0, 6) == "&quot;" ? "&quot;" : part.substr(0, 1) == "'" ? "'" : "";
        if (!open.empty()) {
            part = part.substr(open.size());
            std::string_view t = trimLink(part);
            if (t.size() >= open.size() && t.substr(t.size() - open.size()) == open)
                part = part.substr(0, static_cast<size_t>(t.data() - part.data()) + t.size() - open.size());
        }
    } else if (!IsDelayOnly(content)) {
        part = content;
    }
    if (!part.empty()) addLink(tag, html::AttrContent, content, part);
}

void ExtractURL::styleAttributeLinks(uint16_t tag, std::string_view value) {
    styleAttribute_.reset();
    const uint32_t start = valueOffset();
    for (size_t i = 0; i < value.size(); ++i) {
        if (!styleAttribute_.feed(value[i], start + static_cast<uint32_t>(i))) continue;
        std::string_view found = styleAttribute_.url();
        size_t end = styleAttribute_.urlEnd() - start;
        std::string_view u = WithoutQuoteRefs(value.substr(end - found.size(), found.size()));
        end = static_cast<size_t>(u.data() - value.data()) + u.size();
        (void)AppendEmbeddedLink(links_, u, start + static_cast<uint32_t>(end), tag, html::AttrStyle, kMaxLinks);
    }
}

bool ExtractURL::isSrcset(uint16_t tag) const {
    if (tag != html::TagImg && !(tag == 0 && EqualNoCase(tagName(), "source"))) return false;
    return EqualNoCase(attributeName(), "srcset");
}

void ExtractURL::srcsetLinks(uint16_t tag, std::string_view value) {
    const uint32_t start = valueOffset();
    ForEachSrcsetUrl(value, [&](std::string_view u) {
        uint32_t end = start + static_cast<uint32_t>(u.data() + u.size() - value.data());
        (void)AppendEmbeddedLink(links_, u, end, tag, html::AttrUrl, kMaxLinks);
    });
}

int ExtractURL::onRawByte(uint16_t tag, char c, uint32_t offset) {
    if (tag == html::TagStyle && styleElement_.feed(c, offset))
        (void)AppendEmbeddedLink(links_, styleElement_.url(), styleElement_.urlEnd(), html::TagStyle, html::AttrUrl,
                                 kMaxLinks);
    return 0;
}

void ExtractURL::appendText(std::string_view s) {
    if (text_.size() >= kMaxText) return;
    text_.append(s.substr(0, kMaxText - text_.size()));
}

void ExtractURL::appendWithSpace(std::string_view s) {
    if (!text_.empty()) appendText(" ");
    appendText(s);
}

int ExtractURL::onStartTag(uint16_t tag) {
    tag_ = tag;
    tagFirst_ = tagLast_ = nullptr;
    // A codebase belongs to its own applet alone.
    codebase_.clear();
    switch (tag) {
    case html::TagA:
        text_.clear();
        break;
    case html::TagTitle:
        text_.clear();
        inTitle_ = true;
        break;
    case html::TagLink:
        rel_.clear();
        break;
    case html::TagMeta:
        httpEquiv_.clear();
        content_.clear();
        break;
    default:
        break;
    }
    return 0;
}

int ExtractURL::onAttribute(uint16_t tag, uint16_t attribute, const char* data, size_t length, char) {
    std::string_view value(data, length);
    lastAttribute_ = attribute;
    switch (attribute) {
    case html::AttrAction:
    case html::AttrBackground:
    case html::AttrCite:
    case html::AttrLowsrc:
    case html::AttrSrc:
    case html::AttrUsemap:
    case html::AttrCode:
    case html::AttrArchive:
        addLink(tag, attribute, value, value);
        break;
    case html::AttrCodebase:
        if (tag == html::TagApplet) {
            codebase_ = AStr(value);
            addLink(tag, attribute, value, value);
        }
        break;
    case html::AttrHref:
        if (ExtractNode* n = addLink(tag, attribute, value, value); n != nullptr && tag == html::TagBase)
            baseUrl_ = n->linkText;
        break;
    case html::AttrAlt:
        detector_.feed(value);
        appendWithSpace(value);
        break;
    case html::AttrName:
        appendWithSpace(value);
        break;
    case html::AttrContent:
        if (tag == html::TagMeta) {
            content_ = AStr(value.substr(0, kMaxText));
            if (EqualNoCase(httpEquiv_, "refresh")) refreshLink(tag, value);
        }
        break;
    case html::AttrHttpEquiv:
        if (tag == html::TagMeta) httpEquiv_ = AStr(value.substr(0, kMaxText));
        break;
    case html::AttrRel:
        if (tag == html::TagLink) rel_ = AStr(value.substr(0, kMaxText));
        break;
    case html::AttrIsmap:
        if (anchor_ != nullptr) anchor_->flags |= FlagNotFollowed;
        break;
    case html::AttrStyle:
        styleAttributeLinks(tag, value);
        break;
    case 0:
        if (isSrcset(tag)) srcsetLinks(tag, value);
        break;
    default:
        break;
    }
    return 0;
}

int ExtractURL::onEndStartTag(uint16_t tag) {
    switch (tag) {
    case html::TagLink:
        // Only this element's own record: a link without href leaves the
        // records of earlier elements alone.
        if (tagLast_ != nullptr)
            tagLast_->flags |= EqualNoCase(rel_, "stylesheet") ? FlagPicture | FlagEmbedded : FlagNotFollowed;
        break;
    case html::TagStyle:
        // What an earlier style element left open ends with it.
        styleElement_.reset();
        break;
    case html::TagMeta:
        if (EqualNoCase(httpEquiv_, "Content-Type") && !content_.empty())
            metaCharset_ = charset::CodePageOfName(charset::CharsetParameter(content_));
        break;
    case html::TagApplet:
        // The code may be written before the codebase it is resolved against.
        for (Node* n = tagFirst_; n != nullptr; n = n->next()) {
            auto* r = static_cast<ExtractNode*>(n);
            if ((r->attribute == html::AttrCode || r->attribute == html::AttrArchive) && r->codebase.empty())
                r->codebase = codebase_;
            if (r == tagLast_) break;
        }
        break;
    default:
        break;
    }
    return 0;
}

void ExtractURL::codePageWord(std::string_view text) {
    if (tag_ != html::TagA || lastAttribute_ != html::AttrHref || pageCodePage_ == 0) return;
    // The record of this anchor's href, not whatever record came last.
    if (tagLast_ == nullptr || tagLast_->attribute != html::AttrHref) return;
    for (const CodePageWord& w : kCodePageWords) {
        if (!EqualNoCase(text, w.word)) continue;
        tagLast_->flags |= FlagCodePageVariant;
        if (w.codePage != pageCodePage_) tagLast_->flags |= FlagOtherCodePage;
        return;
    }
}

int ExtractURL::onText(std::string_view bytes) {
    detector_.feed(bytes);
    if (anchor_ != nullptr || inTitle_) appendText(bytes);
    codePageWord(bytes);
    return 0;
}

int ExtractURL::onEndTag(uint16_t tag) {
    if (tag == html::TagA) {
        if (anchor_ != nullptr) anchor_->refText = normalize(text_);
        anchor_ = nullptr;
    } else if (tag == html::TagTitle) {
        title_ = normalize(text_);
        inTitle_ = false;
    }
    tag_ = 0;
    tagFirst_ = tagLast_ = nullptr;
    return 0;
}

int ExtractURL::onComment(std::string_view) { return 0; }
