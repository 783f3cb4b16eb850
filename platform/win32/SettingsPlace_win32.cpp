#include "platform/SettingsPlace.h"

namespace platform {

std::string SettingsFilePath(const std::string& besideProgram) { return besideProgram; }

std::string DataFolder(const std::string& programFolder, const std::string&, const std::string&) {
    return programFolder;
}

}  // namespace platform
