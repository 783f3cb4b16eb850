#include "platform/Text.h"

#include "platform/Collation.h"

namespace platform {

int CompareAnsi(std::string_view a, std::string_view b, bool ignoreCase) {
    return codepage::Compare(AnsiCodePage(), a, b, ignoreCase);
}

bool SameAsciiNoCase(std::string_view a, std::string_view b) {
    auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (upper(a[i]) != upper(b[i])) return false;
    return true;
}

}  // namespace platform
