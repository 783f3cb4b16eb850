#pragma once
// The system's database of media types and file extensions. Windows: the
// class registry ("MIME\Database\Content Type\<type>" with its "Extension"
// value, and the extension keys ".xyz" with their "Content Type" value).
// POSIX: /etc/mime.types, read once, offered in the same shape: a type's
// extension is the first one its line lists, an extension's type is the
// first line that lists it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The extension, with its dot, the database names for a media type
// (at most 64 bytes); "" when none.
std::string MediaExtensionOfType(std::string_view type);
// The "Content Type" registered for an extension given with its dot (at
// most 64 bytes); "" when the extension is not registered.
std::string MediaTypeOfExtension(std::string_view extension);
// Every registered extension (names beginning with "." of at most 260
// characters), in the database's order.
std::vector<std::string> MediaExtensions();

// The type whose registered signature the first bytes of a file carry.
// Windows: every type key's "Bits" subkey holds in its value "0" (at most
// 64 bytes) a 32-bit length n, and the value's last n bytes are compared
// with the file's first n. "" when none matches; POSIX keeps no
// signatures and always answers "".
std::string MediaTypeOfSignature(const uint8_t* head, size_t n);

// POSIX tests: read this file instead of /etc/mime.types from now on.
// Windows ignores it.
void SetMediaDatabaseFile(const std::string& path);

}  // namespace platform
