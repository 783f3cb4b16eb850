#pragma once
// Values that other programs of the family leave in the registry: string
// values of keys under HKEY_CURRENT_USER. Value and key names match
// without regard to case. Windows: the registry. POSIX: a small store of
// its own, one file for the root in the user's configuration folder
// ($XDG_CONFIG_HOME, else ~/.config, "zelko-registry/HKEY_CURRENT_USER"),
// whose subkeys enumerate in name order without regard to case.

#include <cstddef>
#include <string>
#include <vector>

namespace platform {

// A string value of a key under HKEY_CURRENT_USER, at most maxBytes bytes
// with its terminating zero; "" when missing, longer, or not a string.
std::string CurrentUserString(const char* keyPath, const char* name, size_t maxBytes);

// The same, telling a missing or too long value (false) from an empty one.
bool CurrentUserValue(const char* keyPath, const char* name, size_t maxBytes, std::string& value);

// Whether the key can be opened.
bool CurrentUserKeyExists(const char* keyPath);

// The names of the key's subkeys in the registry's enumeration order,
// up to the first whose name does not fit maxNameBytes with its
// terminating zero (enumeration fails there, and so stops).
std::vector<std::string> CurrentUserSubkeys(const char* keyPath, size_t maxNameBytes);

// Sets a string value, creating the key and those above it when missing.
// False when the key cannot be created or the value not written.
bool SetCurrentUserString(const char* keyPath, const char* name, const std::string& value);

}  // namespace platform
