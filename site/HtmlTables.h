#pragma once
// Element and attribute numbers of the HTML layer. The numbers are stored
// in the tree file, so they are part of its format: 1 to 102 for elements,
// 1 to 149 for attributes, 0 for a name the tables do not hold.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace html {

struct NamedNumber {
    const char* name;
    uint16_t number;
};

constexpr size_t kTagCount = 102;
constexpr size_t kAttributeCount = 149;
// No table name is longer; a longer name is unknown without a search.
constexpr size_t kMaxTableName = 16;

// The tables, sorted by name.
std::span<const NamedNumber> Tags();
std::span<const NamedNumber> Attributes();

// Case-insensitive (ASCII) lookup by bisection; 0 for an unknown name.
uint16_t TagNumber(std::string_view name);
uint16_t AttributeNumber(std::string_view name);

// The numbers the link extractor and the raw-content switch act on.
enum Tag : uint16_t {
    TagA = 1,
    TagApplet = 5,
    TagBase = 8,
    TagBody = 15,
    TagForm = 36,
    TagFrame = 37,
    TagHead = 45,
    TagImage = 50,
    TagImg = 51,
    TagInput = 52,
    TagLink = 59,
    TagMeta = 64,
    TagScript = 79,
    TagStyle = 85,
    TagTitle = 95,
};

enum Attribute : uint16_t {
    AttrAction = 5,
    AttrAlt = 8,
    AttrArchive = 9,
    AttrBackground = 11,
    AttrCite = 27,
    AttrCode = 31,
    AttrCodebase = 32,
    AttrContent = 38,
    AttrHref = 61,
    AttrHttpEquiv = 64,
    AttrIsmap = 66,
    AttrLowsrc = 74,
    AttrName = 82,
    AttrRel = 109,
    AttrSrc = 125,
    AttrStyle = 128,
    AttrUrl = 138,
    AttrUsemap = 140,
};

}  // namespace html
