#pragma once
// Where a program keeps its settings file.

#include <string>

namespace platform {

// besideProgram: the settings file beside the program, where it stays
// while it can be written (a build, a portable copy, every Windows
// install). On POSIX a program installed where it may not write keeps it
// in the user's configuration folder instead: $XDG_CONFIG_HOME (else
// ~/.config), a folder named after the file, made when missing, and the
// file's name in lower case ("zbrask.INI": ~/.config/zbrask/zbrask.ini).
std::string SettingsFilePath(const std::string& besideProgram);

}  // namespace platform
