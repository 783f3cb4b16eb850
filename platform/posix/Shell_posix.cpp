#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <string>
#include <thread>
#include <vector>

#include "platform/Shell.h"

extern char** environ;

namespace platform {
namespace {

int ShellCode(int e) {
    switch (e) {
    case ENOENT: return 2;           // SE_ERR_FNF
    case ENOTDIR: return 3;          // SE_ERR_PNF
    case EACCES: case EPERM: return 5;
    case ENOMEM: case EAGAIN: return 8;
    case ENOEXEC: return 11;         // ERROR_BAD_FORMAT
    default: return 31;              // SE_ERR_NOASSOC
    }
}

// Starts file (looked up on PATH) with the arguments as they are: no shell
// sees them, so blanks, quotes, "$(...)" and ";" reach the program intact.
int Spawn(const std::string& file, const std::vector<std::string>& args) {
    if (file.empty()) return 2;
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(file.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    int e = posix_spawnp(&pid, file.c_str(), nullptr, nullptr, argv.data(), environ);
    if (e != 0) return ShellCode(e);
    // Not waited for, but reaped so that no zombie stays behind; a thread
    // does it because a SIGCHLD handler would be the whole program's.
    std::thread([pid] {
        int status;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return kShellStarted;
}

}  // namespace

int ShellOpen(void*, const char* target) {
    std::string t = target ? target : "";
    // xdg-open would take a leading "-" as one of its options.
    if (!t.empty() && t[0] == '-') t = "./" + t;
    return Spawn("xdg-open", {t});
}

int RunProgram(void*, const char* program, const char* parameters) {
    return Spawn(program ? program : "", SplitArguments(parameters ? parameters : ""));
}

std::string OpenCommandForExtension(const char*) { return {}; }

}  // namespace platform
