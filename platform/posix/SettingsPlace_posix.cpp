#include "platform/SettingsPlace.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>

namespace platform {

namespace {

bool Writable(const std::string& path) { return ::access(path.c_str(), W_OK) == 0; }

}  // namespace

std::string SettingsFilePath(const std::string& besideProgram) {
    size_t slash = besideProgram.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : besideProgram.substr(0, slash ? slash : 1);
    const bool exists = ::access(besideProgram.c_str(), F_OK) == 0;
    // access() also says no on a file system mounted read-only, for root too.
    if (exists ? Writable(besideProgram) : Writable(folder)) return besideProgram;

    const char* config = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (config && *config == '/') {
        base = config;
    } else if (const char* home = std::getenv("HOME"); home && *home == '/') {
        base = std::string(home) + "/.config";
    } else {
        return besideProgram;  // nowhere better: reads still work, writes fail as before
    }
    std::string name = besideProgram.substr(slash == std::string::npos ? 0 : slash + 1);
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const size_t dot = name.rfind('.');
    const std::string own = base + "/" + (dot == std::string::npos || dot == 0 ? name : name.substr(0, dot));
    ::mkdir(base.c_str(), 0700);
    ::mkdir(own.c_str(), 0700);
    return own + "/" + name;
}

std::string DataFolder(const std::string& programFolder, const std::string& probeFile, const std::string& product) {
    std::string own = programFolder;
    if (!own.empty() && own.back() != '/') own += '/';
    if (own.empty() || ::access((own + probeFile).c_str(), F_OK) == 0) return own;
    // ".../bin/": the prefix is the folder above it.
    std::string bin = own.substr(0, own.size() - 1);
    size_t slash = bin.find_last_of('/');
    if (slash == std::string::npos) return own;
    std::string shared = bin.substr(0, slash + 1) + "share/" + product + "/";
    return ::access((shared + probeFile).c_str(), F_OK) == 0 ? shared : own;
}

}  // namespace platform
