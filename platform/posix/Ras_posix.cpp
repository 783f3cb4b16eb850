#include "platform/Ras.h"

namespace platform {

std::unique_ptr<RasLibrary> RasLibrary::Load() {
    struct None : RasLibrary {};
    return std::make_unique<None>();
}

}  // namespace platform
