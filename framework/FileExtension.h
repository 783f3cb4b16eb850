#pragma once
// The extension of a file name, a path or a URL: the text from the last
// '.' that follows every separator, with its dot. Paths of Windows use
// '\\', '/' and ':' as separators, URLs and POSIX paths only '/'.

#include <cstddef>
#include <string_view>

constexpr std::string_view kWindowsSeparators = "\\/:";

// Where the extension begins, or npos when the last part has no '.'.
size_t ExtensionStart(std::string_view name, std::string_view separators = kWindowsSeparators);

// The extension with its dot; empty when there is none.
std::string_view Extension(std::string_view name, std::string_view separators = kWindowsSeparators);

// The name without its extension.
std::string_view WithoutExtension(std::string_view name, std::string_view separators = kWindowsSeparators);
