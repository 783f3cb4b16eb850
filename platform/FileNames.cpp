// The names Windows keeps for its devices, the same on every platform.

#include <string_view>

#include "platform/File.h"
#include "platform/Text.h"

namespace platform {
bool IsWindowsDeviceName(std::string_view part) {
    // The name is what stands before an extension or a stream, without the
    // blanks and dots Windows drops at its end: "nul .txt" is NUL. Blanks
    // before it are dropped as well, to be on the safe side.
    size_t end = part.find_first_of(".:");
    std::string_view name = part.substr(0, end);
    while (!name.empty() && name.front() == ' ') name.remove_prefix(1);
    while (!name.empty() && (name.back() == ' ' || name.back() == '.')) name.remove_suffix(1);
    for (std::string_view device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"})
        if (platform::SameAsciiNoCase(name, device)) return true;
    if (name.size() != 4 && name.size() != 5) return false;
    if (!platform::SameAsciiNoCase(name.substr(0, 3), "COM") && !platform::SameAsciiNoCase(name.substr(0, 3), "LPT")) return false;
    std::string_view digit = name.substr(3);
    // A digit, or the superscripts one to three of the ANSI code page
    // (one byte) or of UTF-8 (two).
    if (digit.size() == 1)
        return (digit[0] >= '0' && digit[0] <= '9') || digit == "\xB9" || digit == "\xB2" || digit == "\xB3";
    return digit == "\xC2\xB9" || digit == "\xC2\xB2" || digit == "\xC2\xB3";
}

}  // namespace platform
