#include "app/IniFile.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <ctime>

#include "platform/CodePages.h"
#include "platform/File.h"
#include "platform/Text.h"

namespace {

// The blanks the platform trims around names and values; 0x1A is the old
// end-of-file mark that editors leave behind.
bool IsBlank(unsigned char c) { return c == ' ' || (c >= 9 && c <= 13) || c == 0x1A; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && IsBlank(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

// Names and values are zero-terminated texts to the platform: a zero byte
// in the file ends them.
std::string_view CutAtNul(std::string_view s) {
    size_t z = s.find('\0');
    return z == std::string_view::npos ? s : s.substr(0, z);
}

std::string_view StripQuotes(std::string_view s) {
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"') return s.substr(1, s.size() - 2);
    return s;
}

void AppendUtf8(std::string& out, char32_t u) {
    if (u < 0x80) {
        out += static_cast<char>(u);
    } else if (u < 0x800) {
        out += static_cast<char>(0xC0 | (u >> 6));
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else if (u < 0x10000) {
        out += static_cast<char>(0xE0 | (u >> 12));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (u >> 18));
        out += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    }
}

// One code point from s at i (advanced); malformed input gives U+FFFD and
// moves one byte on.
char32_t NextUtf8(std::string_view s, size_t& i) {
    auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char c = b(i);
    size_t n = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : 9;
    if (n == 0) { ++i; return c; }
    if (n == 9 || i + n >= s.size()) { ++i; return 0xFFFD; }
    char32_t u = c & (0x3F >> n);
    for (size_t k = 1; k <= n; ++k) {
        if ((b(i + k) & 0xC0) != 0x80) { ++i; return 0xFFFD; }
        u = (u << 6) | (b(i + k) & 0x3F);
    }
    static const char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (u < kMin[n] || u > 0x10FFFF || (u >= 0xD800 && u <= 0xDFFF)) { ++i; return 0xFFFD; }
    i += n + 1;
    return u;
}

std::string Utf16ToUtf8(std::string_view s, bool bigEndian) {
    std::string out;
    out.reserve(s.size());
    auto unit = [&](size_t k) {
        unsigned a = static_cast<unsigned char>(s[k]), b = static_cast<unsigned char>(s[k + 1]);
        return static_cast<char32_t>(bigEndian ? (a << 8 | b) : (b << 8 | a));
    };
    for (size_t i = 0; i + 1 < s.size(); i += 2) {
        char32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < s.size()) {
            char32_t lo = unit(i + 2);
            if (lo >= 0xDC00 && lo <= 0xDFFF) {
                u = 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00);
                i += 2;
            }
        }
        if (u >= 0xD800 && u <= 0xDFFF) u = 0xFFFD;
        AppendUtf8(out, u);
    }
    return out;
}

std::string Utf8ToUtf16(std::string_view s, bool bigEndian) {
    std::string out;
    out.reserve(s.size() * 2);
    auto put = [&](char32_t u) {
        char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        out += bigEndian ? hi : lo;
        out += bigEndian ? lo : hi;
    };
    for (size_t i = 0; i < s.size();) {
        char32_t u = NextUtf8(s, i);
        if (u >= 0x10000) {
            u -= 0x10000;
            put(0xD800 + (u >> 10));
            put(0xDC00 + (u & 0x3FF));
        } else {
            put(u);
        }
    }
    return out;
}

// A name for the new file beside the target: the same folder, so that the
// rename stays on one volume. Any of "/", "\" and ":" may end the folder
// part; whatever we keep of the path, the name stays in the target's folder.
std::string TempNameBeside(const char* path, unsigned serial) {
    std::string p(path);
    size_t cut = p.find_last_of("/\\:");
    std::string folder = cut == std::string::npos ? std::string() : p.substr(0, cut + 1);
    static std::atomic<unsigned> counter{0};
    unsigned mix = static_cast<unsigned>(std::time(nullptr)) * 2654435761u;
    mix ^= static_cast<unsigned>(reinterpret_cast<uintptr_t>(&counter) >> 4);
    mix += counter.fetch_add(1) * 40503u + serial * 977u;
    char name[24];
    static const char kHex[] = "0123456789abcdef";
    std::memcpy(name, "~ini", 4);
    for (int k = 0; k < 8; ++k) name[4 + k] = kHex[(mix >> (28 - 4 * k)) & 15];
    std::memcpy(name + 12, ".tmp", 5);
    return folder + name;
}

}  // namespace

IniFile::IniFile() { clear(); }
IniFile::IniFile(IniFile&&) noexcept = default;
IniFile& IniFile::operator=(IniFile&&) noexcept = default;
IniFile::~IniFile() = default;

void IniFile::clear() {
    sections_.clear();
    sectionIndex_.clear();
    encoding_ = Encoding::Ansi;
    exists_ = false;
    addSection("", false);
}

// Names compare without case: the ANSI code page's lower case for an ANSI
// file; in a UTF-8 document only ASCII letters fold, the rest are parts of
// multi-byte sequences.
std::string IniFile::fold(std::string_view name) const {
    std::string f(name);
    if (encoding_ == Encoding::Ansi) {
        platform::LowerAnsi(f.data(), f.size());
    } else {
        for (char& c : f)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return f;
}

std::string IniFile::toDoc(std::string_view ansi) const {
    if (encoding_ == Encoding::Ansi) return std::string(ansi);
    std::string out(ansi.size() * 3, '\0');
    out.resize(codepage::ToUtf8(platform::AnsiCodePage(), ansi.data(), ansi.size(), out.data()));
    return out;
}

AStr IniFile::fromDoc(std::string_view doc) const {
    if (encoding_ == Encoding::Ansi) return AStr(doc);
    std::string out;
    out.reserve(doc.size());
    int cp = platform::AnsiCodePage();
    for (size_t i = 0; i < doc.size();) {
        char32_t u = NextUtf8(doc, i);
        unsigned char b = u < 0x80 ? static_cast<unsigned char>(u) : codepage::FromUnicode(cp, u);
        out += b || !u ? static_cast<char>(b) : '?';
    }
    return AStr(out);
}

IniFile::Section& IniFile::addSection(std::string_view name, bool header) {
    auto s = std::make_unique<Section>();
    s->name = AStr(name);
    s->header = header;
    sectionIndex_[fold(name)].push_back(sections_.size());
    sections_.push_back(std::move(s));
    return *sections_.back();
}

void IniFile::addLine(Section& s, std::string_view name, std::string_view value, bool hasValue) {
    s.index[fold(name)].push_back(s.lines.size());
    Line& l = s.lines.emplace_back();
    l.name = AStr(name);
    l.value = AStr(value);
    l.hasValue = hasValue;
}

IniFile::Section* IniFile::findSection(const char* name) const {
    auto it = sectionIndex_.find(fold(toDoc(Trim(name))));
    if (it == sectionIndex_.end() || it->second.empty()) return nullptr;
    return sections_[it->second.front()].get();
}

IniFile::Line* IniFile::findLine(Section& s, const char* name) const {
    auto it = s.index.find(fold(toDoc(Trim(name))));
    if (it == s.index.end() || it->second.empty()) return nullptr;
    return &s.lines[it->second.front()];
}

void IniFile::killLine(Section& s, Line& l, size_t pos) {
    auto& positions = s.index[fold(l.name)];
    positions.erase(std::find(positions.begin(), positions.end(), pos));
    l.dead = true;
    l.name.clear();
    l.value.clear();
    // Deleting leaves a hole so that positions stay valid; holes are swept
    // once they outnumber the lines, which keeps a long run of deletes
    // linear.
    if (++s.deadLines > 32 && s.deadLines > s.lines.size() / 2) compact(s);
}

void IniFile::compact(Section& s) {
    std::vector<Line> lines;
    lines.reserve(s.lines.size() - s.deadLines);
    for (Line& l : s.lines)
        if (!l.dead) lines.push_back(std::move(l));
    s.lines.clear();
    s.index.clear();
    s.deadLines = 0;
    for (Line& l : lines) {
        s.index[fold(l.name)].push_back(s.lines.size());
        s.lines.push_back(std::move(l));
    }
}

void IniFile::loadBytes(std::string_view bytes) {
    clear();
    exists_ = true;
    std::string decoded;
    std::string_view text = bytes;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        encoding_ = Encoding::Utf8;
        text.remove_prefix(3);
    } else if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") {
        bool big = bytes[0] == '\xFE';
        encoding_ = big ? Encoding::Utf16BE : Encoding::Utf16LE;
        decoded = Utf16ToUtf8(bytes.substr(2), big);
        text = decoded;
    }

    Section* cur = sections_.front().get();
    size_t pos = 0;
    while (pos < text.size()) {
        size_t start = pos;
        while (pos < text.size() && text[pos] != '\r' && text[pos] != '\n') ++pos;
        std::string_view line = Trim(text.substr(start, pos - start));
        while (pos < text.size() && (text[pos] == '\r' || text[pos] == '\n')) ++pos;
        if (line.empty()) continue;

        if (line.front() == '[') {
            size_t close = line.find(']', 1);
            if (close != std::string_view::npos) {
                // Text after "]" is ignored; "[]" makes a section without a name.
                cur = &addSection(CutAtNul(Trim(line.substr(1, close - 1))), true);
                continue;
            }
            // "[name" without "]" is an ordinary line.
        }
        size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            addLine(*cur, CutAtNul(line), {}, false);
        } else {
            addLine(*cur, CutAtNul(Trim(line.substr(0, eq))), CutAtNul(Trim(line.substr(eq + 1))), true);
        }
    }
}

int IniFile::readFile(const char* path, std::string& data, bool& exists) {
    data.clear();
    exists = false;
    platform::File f;
    if (int e = f.open(path, platform::File::Mode::Read)) return e == 2 || e == 3 ? 0 : e;
    long long size = f.size();
    if (size < 0) return f.lastError() ? f.lastError() : -1;
    if (size > kMaxFileSize) return 223;  // ERROR_FILE_TOO_LARGE
    data.reserve(static_cast<size_t>(size));
    char buf[65536];
    for (;;) {
        long long n = f.read(buf, sizeof buf);
        if (n < 0) return f.lastError() ? f.lastError() : -1;
        if (n == 0) break;
        data.append(buf, static_cast<size_t>(n));
        if (static_cast<long long>(data.size()) > kMaxFileSize) return 223;  // grew while we read
    }
    exists = true;
    return 0;
}

int IniFile::load(const char* path) {
    clear();
    std::string data;
    bool found = false;
    if (int e = readFile(path, data, found)) {
        return e;
    }
    if (found) loadBytes(data);
    return 0;
}

std::string IniFile::bytes() const {
    std::string out;
    for (const auto& s : sections_) {
        if (s->dead) continue;
        if (s->header) {
            out += '[';
            out += s->name.view();
            out += "]\r\n";
        }
        for (const Line& l : s->lines) {
            if (l.dead) continue;
            out += l.name.view();
            if (l.hasValue) {
                out += '=';
                out += l.value.view();
            }
            out += "\r\n";
        }
    }
    switch (encoding_) {
    case Encoding::Ansi: return out;
    case Encoding::Utf8: return "\xEF\xBB\xBF" + out;
    case Encoding::Utf16LE: return "\xFF\xFE" + Utf8ToUtf16(out, false);
    case Encoding::Utf16BE: return "\xFE\xFF" + Utf8ToUtf16(out, true);
    }
    return out;
}

std::string_view IniFile::trim(std::string_view s) { return Trim(s); }

int IniFile::writeFile(const char* path, std::string_view data) {
    platform::File f;
    std::string tmp;
    int e = 80;
    for (unsigned attempt = 0; attempt < 16 && e == 80; ++attempt) {  // 80: the name is taken
        tmp = TempNameBeside(path, attempt);
        e = f.open(tmp.c_str(), platform::File::Mode::CreateNew);
    }
    if (e) return e;
    auto fail = [&](int code) {
        f.close();
        (void)platform::DeleteFile(tmp.c_str());
        return code ? code : -1;
    };
    long long put = f.write(data.data(), data.size());
    if (put != static_cast<long long>(data.size()))
        return fail(put < 0 || f.lastError() ? f.lastError() : 112);  // short write: the disk is full
    if (int se = f.sync()) return fail(se);
    if (int ce = f.close()) return fail(ce);
    if (int re = platform::ReplaceFile(tmp.c_str(), path)) return fail(re);
    return 0;
}

AStr IniFile::keyList(const Section& s) const {
    AStr out;
    for (const Line& l : s.lines) {
        if (l.dead || !l.hasValue || l.name.startsWith(";")) continue;
        out += fromDoc(l.name);
        out += '\0';
    }
    return out;
}

std::vector<AStr> IniFile::lineNames(const char* section) const {
    std::vector<AStr> out;
    const Section* s = section ? findSection(section) : nullptr;
    if (!s) return out;
    for (const Line& l : s->lines)
        if (!l.dead) out.push_back(fromDoc(l.name));
    return out;
}

namespace {

// The platform's treatment of a default: trailing spaces go (but never the
// first character), then one pair of enclosing double quotes.
AStr CleanDefault(const char* def) {
    std::string_view d = def ? def : "";
    while (d.size() > 1 && d.back() == ' ') d.remove_suffix(1);
    return AStr(StripQuotes(d));
}

}  // namespace

AStr IniFile::getString(const char* section, const char* key, const char* def) const {
    if (!section) {
        AStr out;
        for (const auto& s : sections_) {
            if (s->dead || s->name.empty()) continue;
            out += fromDoc(s->name);
            out += '\0';
        }
        return out;
    }
    Section* s = findSection(section);
    if (!key) {
        AStr list = s ? keyList(*s) : AStr();
        return list.empty() ? CleanDefault(def) : list;
    }
    Line* l = s ? findLine(*s, key) : nullptr;
    if (!l || !l->hasValue) return CleanDefault(def);
    return fromDoc(StripQuotes(l->value));
}

size_t IniFile::getString(const char* section, const char* key, const char* def, char* buf, size_t size) const {
    if (size == 0) return 0;
    AStr text = getString(section, key, def);
    // A list ends in its names' zero bytes; an empty key list became the default.
    bool list = !section || (key == nullptr && text.endsWith(std::string_view("\0", 1)));
    if (!list) {
        size_t n = std::min(text.size(), size - 1);
        std::memcpy(buf, text.c_str(), n);
        buf[n] = '\0';
        return n;
    }
    if (size < 2) {
        buf[0] = '\0';
        return 0;
    }
    if (text.size() + 2 <= size) {
        std::memcpy(buf, text.c_str(), text.size());
        buf[text.size()] = '\0';
        return text.size();
    }
    std::memcpy(buf, text.c_str(), size - 2);
    buf[size - 2] = buf[size - 1] = '\0';
    return size - 2;
}

int IniFile::getInt(const char* section, const char* key, int def) const {
    if (!section || !key) return def;
    Section* s = findSection(section);
    Line* l = s ? findLine(*s, key) : nullptr;
    if (!l || !l->hasValue) return def;
    AStr text = fromDoc(StripQuotes(l->value));
    text.truncate(29);  // the platform reads the number through a buffer of 30 characters
    std::string_view v = text.view();
    size_t i = 0;
    while (i < v.size() && static_cast<unsigned char>(v[i]) <= ' ') ++i;
    bool minus = false;
    if (i < v.size() && (v[i] == '+' || v[i] == '-')) minus = v[i++] == '-';
    unsigned base = 10;
    if (i + 1 < v.size() && v[i] == '0') {
        char p = v[i + 1];
        base = p == 'x' ? 16 : p == 'o' ? 8 : p == 'b' ? 2 : 10;
        if (base != 10) i += 2;
    }
    uint32_t total = 0;
    size_t digits = 0;
    for (; i < v.size(); ++i, ++digits) {
        char c = v[i];
        unsigned d = c >= '0' && c <= '9' ? unsigned(c - '0')
                   : c >= 'a' && c <= 'z' ? unsigned(c - 'a' + 10)
                   : c >= 'A' && c <= 'Z' ? unsigned(c - 'A' + 10) : 99u;
        if (d >= base) break;
        total = total * base + d;
    }
    if (digits == 0) return def;
    return static_cast<int>(minus ? 0u - total : total);
}

IniFile::Edit IniFile::setString(const char* section, const char* key, const char* value) {
    if (!section || !key || !value) return Edit::Rejected;
    std::string_view sname = Trim(section), kname = Trim(key), v = value;
    // A line break would start a new line in the file; the platform's read
    // gives the text up to it, and so do we, without the rest becoming lines.
    v = Trim(v.substr(0, std::min(v.find('\r'), v.find('\n'))));
    if (sname.find_first_of("\r\n]") != std::string_view::npos) return Edit::Rejected;
    if (kname.find_first_of("\r\n=") != std::string_view::npos || kname.substr(0, 1) == "[") return Edit::Rejected;

    std::string dv = toDoc(v);
    Section* s = findSection(section);
    if (!s) s = &addSection(toDoc(sname), true);
    if (Line* l = findLine(*s, key)) {
        if (l->hasValue && l->value == std::string_view(dv)) return Edit::Unchanged;
        l->value = AStr(dv);
        l->hasValue = true;
        return Edit::Changed;
    }
    addLine(*s, toDoc(kname), dv, true);
    return Edit::Changed;
}

IniFile::Edit IniFile::deleteKey(const char* section, const char* key) {
    if (!section || !key) return Edit::Rejected;
    Section* s = findSection(section);
    Line* l = s ? findLine(*s, key) : nullptr;
    if (!l) return Edit::Unchanged;
    killLine(*s, *l, static_cast<size_t>(l - s->lines.data()));
    return Edit::Changed;
}

IniFile::Edit IniFile::deleteSection(const char* section) {
    if (!section) return Edit::Rejected;
    Section* s = findSection(section);
    if (!s) return Edit::Unchanged;
    if (!s->header) {
        // The lines before the first header: emptied, but the place stays at
        // the top of the file, where the next lines without a section go.
        s->lines.clear();
        s->index.clear();
        s->deadLines = 0;
        return Edit::Changed;
    }
    size_t pos = 0;
    while (sections_[pos].get() != s) ++pos;
    auto& positions = sectionIndex_[fold(s->name)];
    positions.erase(std::find(positions.begin(), positions.end(), pos));
    s->dead = true;
    s->lines.clear();
    s->index.clear();
    return Edit::Changed;
}
