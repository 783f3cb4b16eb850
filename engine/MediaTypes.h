#pragma once
// File extensions for media types: the program's own table first, then the
// system's media database. Types and extensions compare without case.

#include <string_view>

#include "framework/AStr.h"

namespace media {

// The extension, with its dot, for a media type; empty when neither the
// table nor the database knows the type.
AStr extensionForType(std::string_view type);

// Whether an extension (with its dot) suits a media type (empty: any
// type). registered, when given, tells whether the table or the database
// knows the extension at all.
bool extensionMatchesType(std::string_view extension, std::string_view type, bool* registered = nullptr);

}  // namespace media
