#include "platform/SettingsPlace.h"

namespace platform {

std::string SettingsFilePath(const std::string& besideProgram) { return besideProgram; }

}  // namespace platform
