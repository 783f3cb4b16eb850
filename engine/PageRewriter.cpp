#include "engine/PageRewriter.h"

#include <string>

#include "engine/LocalPath.h"
#include "framework/Url.h"
#include "platform/Clock.h"
#include "platform/File.h"
#include "site/CharRefs.h"
#include "site/CopyExistence.h"
#include "site/HtmlTables.h"
#include "site/LinkFlags.h"
#include "site/LinkGraph.h"
#include "site/NodeUrl.h"
#include "site/StyleSheet.h"

namespace {

constexpr std::string_view kBaseMark = "DL_rem_";
constexpr uint32_t kProgressAfterMs = 1000;
constexpr size_t kProgressEvery = 10;
constexpr uint32_t kCombineFlags = url::kNoEncode | url::kDecode;
bool isBaseRecord(const ExtractNode& n) { return n.tag == html::TagBase && n.attribute == html::AttrHref && n.attrStart >= 0; }

bool readWhole(const char* path, std::string& out) {
    platform::File f;
    if (f.open(path, platform::File::Mode::Read) != 0) return false;
    long long size = f.size();
    if (size < 0) return false;
    out.resize(static_cast<size_t>(size));
    size_t got = 0;
    while (got < out.size()) {
        long long n = f.read(out.data() + got, out.size() - got);
        if (n <= 0) return false;
        got += static_cast<size_t>(n);
    }
    return true;
}

// Decoded as a link is combined: character references (when decode, since
// sheet text has none), no CR or LF. A value without either is used as it
// stands; otherwise it is built in buf.
std::string_view decodeLink(std::string_view value, AStr& buf, bool decode = true) {
    // A scan without an early exit, which the compiler does many bytes at
    // a time; find_first_of calls the library for every byte.
    unsigned char special = 0;
    for (char c : value) special |= (decode && c == '&') | (c == '\r') | (c == '\n');
    if (!special) return value;
    AStr decoded = decode ? html::DecodeCharRefs(value) : AStr(value);
    std::string out;
    out.reserve(decoded.size());
    for (char c : decoded.view())
        if (c != '\r' && c != '\n') out += c;
    buf = AStr(out);
    return buf;
}

// A stored name may hold bytes that end a URL in a sheet or a srcset
// ("a(0).gif" in an unquoted url(), a blank or a comma in a srcset); as
// escapes they name the same file.
void escapeListedLink(std::string& out, size_t from) {
    std::string tail = out.substr(from);
    out.resize(from);
    for (char c : tail) {
        if (c == ' ' || c == '(' || c == ')' || c == '"' || c == '\'' || c == ',') {
            static constexpr char kHex[] = "0123456789ABCDEF";
            out += '%';
            out += kHex[static_cast<unsigned char>(c) >> 4];
            out += kHex[c & 0xF];
        } else {
            out += c;
        }
    }
}

void appendSlashesBeforeQuery(std::string_view text, std::string& out) {
    size_t start = out.size();
    out += text;
    for (size_t i = start; i < out.size() && out[i] != '?'; ++i)
        if (out[i] == '\\') out[i] = '/';
}

}  // namespace

uint32_t PageRewriter::now() const { return clock ? clock() : platform::TickCount(); }

AStr PageRewriter::baseOf(const ToBeOpenTN& page) const {
    return page.baseUrl.empty() ? graph_.urlOf(page) : page.baseUrl;
}

void PageRewriter::appendReplacement(url::UrlCombiner& pageBase, CopyExistence& copies, std::string_view pageFile,
                                     const ExtractNode& link, std::string& out) {
    AStr textBuf;
    std::string_view text = decodeLink(link.linkText, textBuf, !IsSheetText(link));
    std::string_view address = text.substr(0, text.find('#'));
    std::string_view fragment = text.substr(address.size());

    bool combined = false;
    if (!link.codebase.empty()) {
        AStr codeBuf;
        std::string_view code = decodeLink(link.codebase, codeBuf);
        code = code.substr(0, code.find('#'));
        AStr withCodebase;
        if (pageBase.combine(code, withCodebase))
            combined = url::combineUrl(withCodebase, address, kCombineFlags, absolute_);
        else
            combined = pageBase.combine(address, absolute_);
    } else {
        combined = pageBase.combine(address, absolute_);
    }
    if (!combined || (absolute_.startsWith("http://") && !url::splits(absolute_))) {
        appendSlashesBeforeQuery(link.linkText, out);
        return;
    }

    if (ToBeOpenTN* target = nodeOf(link, absolute_)) {
        const AStr* stored = storedCopy(*target, copies);
        if (stored && !(link.flags & FlagNotFollowed)) {
            // Both files lie below the output folder: the link between
            // them is the same as between their full paths.
            const size_t at = out.size();
            saving::appendRelativeLink(pageFile, *stored, fragment, out);
            if (IsListedLink(link)) escapeListedLink(out, at);
            return;
        }
        if (!stored && (target->flags & FlagPicture) && (target->flags & FlagOtherCodePage)) {
            out += "empty.gif";
            return;
        }
    }
    out += absolute_.view();
    out += fragment;
}

ToBeOpenTN* PageRewriter::nodeOf(const ExtractNode& link, std::string_view url) const {
    // The URL names the node whose own URL it is; a lookup from the top of
    // the graph is needed only when the link's target is another one.
    if (link.target && nodeUrlIs(link.target, url)) return link.target;
    return graph_.find(url);
}

const AStr* PageRewriter::storedCopy(const ToBeOpenTN& target, CopyExistence& copies) {
    if (target.savedFile.empty()) return nullptr;
    return copies.exists(target.savedFile) ? &target.savedFile : nullptr;
}

bool PageRewriter::replaceCopy(const AStr& stored, const std::string& content) {
    platform::FileTimes times;
    bool haveTimes = platform::GetFileTimes(stored.c_str(), times) == 0;
    AStr fresh = stored + "_";
    {
        platform::File out;
        if (out.open(fresh.c_str(), platform::File::Mode::Write) != 0) return false;
        bool ok = out.write(content.data(), content.size()) == static_cast<long long>(content.size());
        if (out.close() != 0 || !ok) {
            (void)platform::DeleteFile(fresh.c_str());
            return false;
        }
    }
    // One atomic replace: there is never a moment without the page.
    if (platform::ReplaceFile(fresh.c_str(), stored.c_str()) != 0) {
        (void)platform::DeleteFile(fresh.c_str());
        return false;
    }
    if (haveTimes) (void)platform::SetFileTimes(stored.c_str(), times);
    return true;
}

bool PageRewriter::rewrite(ToBeOpenTN& page) {
    if ((page.flags & FlagRewritten) && !unrewrite(page)) return false;
    if (page.savedFile.empty()) return false;
    if (page.links.empty()) {
        // Nothing to rewrite: the copy is final as it came.
        page.flags = (page.flags | FlagRewritten) & ~uint32_t(FlagStub);
        if (graph_.nodeChanged) graph_.nodeChanged(page);
        return true;
    }
    AStr stored = graph_.absolutePath(page.savedFile);
    std::string in;
    if (stored.empty() || !readWhole(stored.c_str(), in)) return false;

    CopyExistence copies(graph_.outputFolder);
    for (Node* n = page.links.first(); n; n = n->next())
        if (const ToBeOpenTN* t = static_cast<ExtractNode*>(n)->target; t && !t->savedFile.empty())
            copies.expect(t->savedFile);
    std::string out;
    out.reserve(in.size() + in.size() / 8);
    size_t pos = 0;
    const size_t count = page.links.count();
    const uint32_t start = now();
    const AStr base = baseOf(page);
    url::UrlCombiner combiner(base, kCombineFlags);
    AStr pageUrl;
    size_t index = 0;
    for (Node* n = page.links.first(); n; n = n->next(), ++index) {
        auto& link = *static_cast<ExtractNode*>(n);
        link.savedPos = 0;
        link.savedLen = 0;
        if (progress && index % kProgressEvery == 0 && platform::TickPassed(now(), start + kProgressAfterMs)) {
            if (pageUrl.empty()) pageUrl = graph_.urlOf(page);
            progress(index, count, pageUrl);
        }
        if (isBaseRecord(link)) {
            size_t at = static_cast<size_t>(link.attrStart);
            if (at < pos || at > in.size()) continue;
            out.append(in, pos, at - pos);
            out += kBaseMark;
            pos = at;
            link.savedLen = static_cast<uint16_t>(kBaseMark.size());
            link.savedPos = static_cast<uint32_t>(out.size());
            continue;
        }
        // A record that does not stand where it says (the page changed, or
        // records overlap) is left alone, so undoing stays exact.
        size_t end = link.valueEnd, len = link.linkText.size();
        if (end > in.size() || len > end || end - len < pos || std::string_view(in).substr(end - len, len) != link.linkText.view())
            continue;
        // The replacement goes straight into the copy; one too long for
        // its record is taken back.
        const size_t mark = out.size();
        out.append(in, pos, end - len - pos);
        const size_t repStart = out.size();
        appendReplacement(combiner, copies, page.savedFile, link, out);
        if (out.size() - repStart > 0xFFFF) {
            out.resize(mark);
            continue;
        }
        pos = end;
        link.savedLen = static_cast<uint16_t>(out.size() - repStart);
        link.savedPos = static_cast<uint32_t>(out.size());
    }
    out.append(in, pos, std::string::npos);
    if (out.size() > 0xFFFFFFFFu || !replaceCopy(stored, out)) {
        for (Node* n = page.links.first(); n; n = n->next()) {
            static_cast<ExtractNode*>(n)->savedPos = 0;
            static_cast<ExtractNode*>(n)->savedLen = 0;
        }
        return false;
    }
    page.flags = (page.flags | FlagRewritten) & ~uint32_t(FlagStub);
    if (graph_.nodeChanged) graph_.nodeChanged(page);
    return true;
}

bool PageRewriter::unrewrite(ToBeOpenTN& page) {
    if (!(page.flags & FlagRewritten)) return true;
    if (page.links.empty()) {
        page.flags &= ~uint32_t(FlagRewritten);
        if (graph_.nodeChanged) graph_.nodeChanged(page);
        return true;
    }
    AStr stored = graph_.absolutePath(page.savedFile);
    std::string in;
    if (stored.empty() || !readWhole(stored.c_str(), in)) return false;
    std::string out;
    out.reserve(in.size());
    size_t pos = 0;
    for (Node* n = page.links.first(); n; n = n->next()) {
        auto& link = *static_cast<ExtractNode*>(n);
        if (!link.savedPos) continue;
        size_t end = link.savedPos, len = link.savedLen;
        if (end > in.size() || len > end || end - len < pos) return false;  // not the copy we wrote
        out.append(in, pos, end - len - pos);
        if (!isBaseRecord(link)) out += link.linkText.view();
        pos = end;
    }
    out.append(in, pos, std::string::npos);
    if (!replaceCopy(stored, out)) return false;
    for (Node* n = page.links.first(); n; n = n->next()) {
        static_cast<ExtractNode*>(n)->savedPos = 0;
        static_cast<ExtractNode*>(n)->savedLen = 0;
    }
    page.flags &= ~uint32_t(FlagRewritten);
    if (graph_.nodeChanged) graph_.nodeChanged(page);
    return true;
}
