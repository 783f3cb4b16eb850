#pragma once
// Starting other programs: a file or URL with its default program, or a
// program with parameters. Results follow ShellExecute: a value above 32
// means started, 32 or less is the failure (2 file not found, 3 path not
// found, 5 access denied, 8 out of memory, 31 no association...).

#include <string>
#include <string_view>
#include <vector>

namespace platform {

inline constexpr int kShellStarted = 33;  // what the calls return on success

// Opens target with the system's default program: Windows ShellExecuteA
// "open" in the current folder "."; POSIX xdg-open with target as its one
// argument, no shell in between, not waited for.
[[nodiscard]] int ShellOpen(void* owner, const char* target);

// Starts program with parameters: Windows ShellExecuteA; POSIX
// posix_spawnp with the parameters split as SplitArguments does.
[[nodiscard]] int RunProgram(void* owner, const char* program, const char* parameters);

// The "open" command of a file type in the registry: the default value of
// the extension's key names a class, whose "shell\open\command" default
// value is the command. "" when any step is missing, and on POSIX, which
// has no such registry of programs.
std::string OpenCommandForExtension(const char* extension);
inline std::string HtmOpenCommand() { return OpenCommandForExtension(".htm"); }

// A command line split into the program (a quoted path without its
// quotes, or everything up to the first blank) and its parameters (the
// rest, without the blanks that separate it from the program).
struct CommandLine {
    std::string program;
    std::string parameters;
};
CommandLine SplitCommandLine(std::string_view command);

// Parameters split at blanks; double quotes group blanks into one
// argument and are dropped. No other character is special.
std::vector<std::string> SplitArguments(std::string_view parameters);

}  // namespace platform
