// The POSIX language catalogue: a text file written by tools/langgen.py.
//
//   ZBLANG 1 <code page>\n
//   <number>\t<text>\n          texts, ascending by number
//   R<number>\t<bytes>\n        data resources, ascending by number
//
// Texts are in the code page, with the escapes \\ \n \r \t (and \xHH, which
// data lines use for any byte). A file that breaks these rules is not
// taken at all: a half-read catalogue would show some texts and silently
// lose others.

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/File.h"
#include "platform/Library.h"

namespace platform {
namespace {

constexpr int kBadFormat = 11;                   // ERROR_BAD_FORMAT
constexpr long long kMaxCatalogue = 16 << 20;    // far above any language's texts

struct Entry {
    unsigned id;
    std::string value;
};

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool ParseNumber(std::string_view s, unsigned max, unsigned& out) {
    if (s.empty() || s.size() > 10) return false;
    uint64_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + static_cast<unsigned>(c - '0');
    }
    if (v > max) return false;
    out = static_cast<unsigned>(v);
    return true;
}

bool Unescape(std::string_view s, std::string& out) {
    out.clear();
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i == s.size()) return false;
        switch (s[i]) {
        case '\\': out += '\\'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'x': {
            int hi = i + 1 < s.size() ? HexDigit(s[i + 1]) : -1;
            int lo = i + 2 < s.size() ? HexDigit(s[i + 2]) : -1;
            if (hi < 0 || lo < 0) return false;
            out += static_cast<char>(hi * 16 + lo);
            i += 2;
            break;
        }
        default: return false;
        }
    }
    return true;
}

class Catalogue final : public Library {
public:
    void* handle() const override { return const_cast<Catalogue*>(this); }
    int codePage() const override { return codePage_; }

    std::string text(unsigned id, size_t maxBytes) const override {
        const Entry* e = find(texts_, id);
        if (!e || maxBytes == 0) return {};
        return e->value.substr(0, std::min(e->value.size(), maxBytes - 1));
    }

    std::string_view data(unsigned id) const override {
        const Entry* e = find(data_, id);
        return e ? std::string_view(e->value) : std::string_view();
    }

    bool parse(std::string_view file) {
        size_t eol = file.find('\n');
        if (eol == std::string_view::npos) return false;
        std::string_view head = file.substr(0, eol);
        constexpr std::string_view sig = "ZBLANG 1 ";
        unsigned cp = 0;
        if (head.substr(0, sig.size()) != sig || !ParseNumber(head.substr(sig.size()), 65535, cp) || cp == 0)
            return false;
        codePage_ = static_cast<int>(cp);
        for (size_t pos = eol + 1; pos < file.size(); pos = eol + 1) {
            eol = file.find('\n', pos);
            if (eol == std::string_view::npos) eol = file.size();  // last line without its line feed
            std::string_view line = file.substr(pos, eol - pos);
            if (line.empty()) continue;
            bool isData = line[0] == 'R';
            if (isData) line.remove_prefix(1);
            size_t tab = line.find('\t');
            unsigned id = 0;
            if (tab == std::string_view::npos || !ParseNumber(line.substr(0, tab), kMaxResourceId, id)) return false;
            std::vector<Entry>& list = isData ? data_ : texts_;
            // The numbers ascend, which lets text() search and rules out a
            // number given twice.
            if (!list.empty() && list.back().id >= id) return false;
            Entry e{id, {}};
            if (!Unescape(line.substr(tab + 1), e.value)) return false;
            list.push_back(std::move(e));
        }
        return true;
    }

private:
    static const Entry* find(const std::vector<Entry>& list, unsigned id) {
        auto it = std::lower_bound(list.begin(), list.end(), id, [](const Entry& e, unsigned v) { return e.id < v; });
        return it != list.end() && it->id == id ? &*it : nullptr;
    }

    int codePage_ = 1252;
    std::vector<Entry> texts_;
    std::vector<Entry> data_;
};

int ReadAll(const char* path, std::string& out) {
    File f;
    if (int e = f.open(path, File::Mode::Read)) return e;
    long long size = f.size();
    if (size < 0) return f.lastError();
    if (size > kMaxCatalogue) return kBadFormat;
    out.resize(static_cast<size_t>(size));
    size_t got = 0;
    while (got < out.size()) {
        long long n = f.read(out.data() + got, out.size() - got);
        if (n < 0) return f.lastError();
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    out.resize(got);
    return 0;
}

}  // namespace

std::unique_ptr<Library> Library::Load(const char* path, int* error) {
    std::string content;
    int e = ReadAll(path, content);
    auto lib = std::make_unique<Catalogue>();
    if (e == 0 && !lib->parse(content)) e = kBadFormat;
    if (error) *error = e;
    if (e != 0) return nullptr;
    return lib;
}

}  // namespace platform
