#pragma once
// Character references in titles, anchor texts and link values: "&#233;"
// and "&eacute;" become the one byte the program's 8-bit text holds.

#include <cstdint>
#include <span>
#include <string_view>

#include "framework/AStr.h"

namespace html {

struct NamedChar {
    const char* name;
    unsigned char byte;
};

// HTML 4 Latin-1 names plus amp, apos, gt, lt and quot. The capitalised
// table is searched case-sensitively, the lower-case one after lower-casing.
std::span<const NamedChar> CapitalisedCharNames();
std::span<const NamedChar> LowerCaseCharNames();

// The byte for a numeric reference: values up to 255 as they are, the
// Cyrillic letters and U+2116 through code page 1251, the Windows-1252
// typographic characters through 1252, the rest through the ANSI code
// page; '?' for a value none of them holds (and for 0).
unsigned char CharFromNumber(uint32_t value);

// Appends in to out with the references decoded. A reference may end in
// ';', which is consumed; "&#" without digits and unknown names stay as
// written.
void DecodeCharRefs(std::string_view in, AStr& out);
AStr DecodeCharRefs(std::string_view in);

}  // namespace html
