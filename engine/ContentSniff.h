#pragma once
// What a downloaded file holds when the server did not say: the media
// type by its first bytes, and whether a "text/plain" answer is text.

#include <cstddef>
#include <cstdint>

#include "framework/AStr.h"

namespace sniff {

// Bytes the text check looks at.
constexpr size_t kTextSample = 1536;

// The type the first bytes give away (BMP, GIF, JPEG, PDF, WMF, PNG);
// empty when they give away nothing.
AStr mediaTypeOfBytes(const uint8_t* p, size_t n);

// Whether the sample reads as text in some 8-bit code page: control bytes
// other than the usual blanks and line ends make it binary.
bool looksLikeText(const uint8_t* p, size_t n);

}  // namespace sniff
