#pragma once
// The tests' own tree file writer: writes a graph described by plain
// records in the layout of any version from 1 to 11, so that the reader
// can be checked against files of every version without old files.

#include <cstdint>
#include <string>
#include <vector>

struct OldLink {
    std::string text;
    uint32_t valueEnd = 0, savedPos = 0;
    uint16_t savedLen = 0, tag = 0, attribute = 0;
    uint32_t flags = 0;
    std::string refText;
    uint32_t target = 0;
    int32_t attrStart = -1;
    std::string codebase;
};

struct OldNode {
    uint32_t id = 0;
    uint16_t state = 0;
    uint32_t flags = 0;
    uint8_t level = 100;
    uint8_t onStartHost = 1;
    std::string name, tail, saved, dropped, raw, title;
    uint16_t codePage = 0;
    std::string baseUrl;
    int32_t reserved = -1;
    std::vector<OldLink> links;
    std::vector<OldNode> children;
};

class OldTreeWriter {
public:
    explicit OldTreeWriter(int version) : v_(version) {}

    std::string file(const OldNode& root, const uint32_t counters[5] = nullptr) {
        out_.assign(" Zelko Brasky Tree File \x1A \0\0", 28);
        u16(static_cast<uint16_t>(v_));
        if (v_ > 2) {
            for (int i = 0; i < 5; ++i) u32(counters ? counters[i] : 0);
            u32(0);
        }
        node(root);
        return out_;
    }

    void u8(uint8_t x) { out_ += static_cast<char>(x); }
    void u16(uint16_t x) { u8(x & 0xFF); u8(x >> 8); }
    void u32(uint32_t x) { u16(x & 0xFFFF); u16(x >> 16); }
    void str(const std::string& s) { u16(static_cast<uint16_t>(s.size())); out_ += s; }
    void ref(uint32_t id) { if (v_ < 4 || v_ >= 11) u32(id); else u16(static_cast<uint16_t>(id)); }
    void count(size_t n) { if (v_ >= 11) u32(static_cast<uint32_t>(n)); else u16(static_cast<uint16_t>(n)); }
    void flags(uint32_t f) { if (v_ < 10) u16(static_cast<uint16_t>(f)); else u32(f); }

    void link(const OldLink& l) {
        str(l.text);
        u32(l.valueEnd);
        u32(l.savedPos);
        u16(l.savedLen);
        u16(l.tag);
        u16(l.attribute);
        flags(l.flags);
        str(l.refText);
        ref(l.target);
        if (v_ > 6) {
            bool extra = l.attrStart != -1 || !l.codebase.empty();
            u8(extra);
            if (extra) {
                u32(static_cast<uint32_t>(l.attrStart));
                if (v_ > 7) str(l.codebase);
            }
        }
    }

    void node(const OldNode& n) {
        ref(n.id);
        u16(n.state);
        flags(n.flags);
        u8(n.level);
        if (v_ >= 9) u8(n.onStartHost);
        str(n.name);
        if (v_ >= 2) str(n.tail);
        str(n.saved);
        if (v_ < 2) str(n.dropped);
        if (v_ > 5) str(n.raw);
        str(n.title);
        u16(n.codePage);
        u16(0);
        str(n.baseUrl);
        if (v_ > 6) {
            u32(static_cast<uint32_t>(n.reserved));
            u8(0);
        }
        count(n.links.size());
        for (const OldLink& l : n.links) link(l);
        count(n.children.size());
        for (const OldNode& c : n.children) node(c);
    }

private:
    int v_;
    std::string out_;
};
