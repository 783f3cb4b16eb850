#include "platform/Shell.h"

namespace platform {
namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

size_t SkipBlanks(std::string_view s, size_t i) {
    while (i < s.size() && IsBlank(s[i])) ++i;
    return i;
}
}  // namespace

CommandLine SplitCommandLine(std::string_view command) {
    CommandLine out;
    size_t i = SkipBlanks(command, 0);
    size_t end;
    if (i < command.size() && command[i] == '"') {
        size_t close = command.find('"', i + 1);
        if (close == std::string_view::npos) close = command.size();  // unclosed: the rest is the path
        out.program = command.substr(i + 1, close - i - 1);
        end = close < command.size() ? close + 1 : close;
    } else {
        end = i;
        while (end < command.size() && !IsBlank(command[end])) ++end;
        out.program = command.substr(i, end - i);
    }
    out.parameters = command.substr(SkipBlanks(command, end));
    return out;
}

std::vector<std::string> SplitArguments(std::string_view parameters) {
    std::vector<std::string> out;
    size_t i = SkipBlanks(parameters, 0);
    while (i < parameters.size()) {
        std::string arg;
        bool quoted = false;
        for (; i < parameters.size() && (quoted || !IsBlank(parameters[i])); ++i) {
            if (parameters[i] == '"') quoted = !quoted;
            else arg += parameters[i];
        }
        out.push_back(std::move(arg));
        i = SkipBlanks(parameters, i);
    }
    return out;
}

}  // namespace platform
