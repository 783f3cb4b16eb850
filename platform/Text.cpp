#include "platform/Text.h"

#include "platform/Collation.h"

namespace platform {

int CompareAnsi(std::string_view a, std::string_view b, bool ignoreCase) {
    return codepage::Compare(AnsiCodePage(), a, b, ignoreCase);
}

}  // namespace platform
