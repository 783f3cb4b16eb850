#include "platform/SystemMessage.h"

namespace platform {

// strerror() would describe errno values, not the Windows codes this layer
// reports, and a wrong text is worse than the caller's numbered fallback.
std::string SystemMessage(int) { return {}; }

}  // namespace platform
