#pragma once
// Values that other programs of the family leave in the registry.

#include <cstddef>
#include <string>

namespace platform {

// A string value of a key under HKEY_CURRENT_USER, at most maxBytes bytes
// with its terminating zero; "" when missing, longer, or not a string.
// POSIX has no store of such values yet: always "".
std::string CurrentUserString(const char* keyPath, const char* name, size_t maxBytes);

}  // namespace platform
