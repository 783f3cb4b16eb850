#pragma once
// Where a program keeps its settings file and finds its data files.

#include <string>

namespace platform {

// besideProgram: the settings file beside the program, where it stays
// while it can be written (a build, a portable copy, every Windows
// install). On POSIX a program installed where it may not write keeps it
// in the user's configuration folder instead: $XDG_CONFIG_HOME (else
// ~/.config), a folder named after the file, made when missing, and the
// file's name in lower case ("zbrask.INI": ~/.config/zbrask/zbrask.ini).
std::string SettingsFilePath(const std::string& besideProgram);

// The folder of the files a program reads beside itself (its language
// files), ending in a separator: the program's own folder while it holds
// probeFile (a build, a portable copy, every Windows install), else on
// POSIX an installed program's "<prefix>/share/<product>/" beside its
// "<prefix>/bin/" when that holds it, else the program's folder again.
std::string DataFolder(const std::string& programFolder, const std::string& probeFile, const std::string& product);

}  // namespace platform
