#include "platform/Registry.h"

namespace platform {

std::string CurrentUserString(const char*, const char*, size_t) { return {}; }

}  // namespace platform
