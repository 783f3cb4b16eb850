#pragma once
// The system's own message text for an error code.

#include <string>

namespace platform {

// Windows: the system message table in the default language, without the
// trailing line break. POSIX: always "" — the POSIX layer reports Windows
// codes (see File.h) and has no message table for them, so callers fall
// back to their own texts.
std::string SystemMessage(int code);

}  // namespace platform
