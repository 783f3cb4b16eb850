#include "app/CommandLine.h"

#include "framework/AStr.h"

std::vector<std::string> SplitProgramArguments(std::string_view line) {
    std::vector<std::string> args;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ') ++i;
        if (i == line.size()) break;
        std::string arg;
        if (line[i] == '"') {
            size_t end = line.find('"', i + 1);
            if (end == std::string_view::npos) end = line.size();
            arg.assign(line.substr(i + 1, end - i - 1));
            i = end < line.size() ? end + 1 : end;
        } else {
            while (i < line.size() && line[i] != ' ' && line[i] != '"') arg += line[i++];
            // A quote here ends this argument; the quoted one follows.
        }
        args.push_back(std::move(arg));
    }
    return args;
}

namespace {

// On POSIX an absolute path starts with "/" too: one that holds a second
// "/" or ends in ".zbp" is no switch.
bool IsPosixPath(const AStr& arg) {
#ifdef _WIN32
    (void)arg;
    return false;
#else
    std::string_view a = arg.view();
    if (a.find('/', 1) != std::string_view::npos) return true;
    return a.size() > 4 && AStr(a.substr(a.size() - 4)).equalsNoCase(".zbp");
#endif
}

}  // namespace

RunRequest ParseRunRequest(const std::vector<std::string>& args) {
    RunRequest r;
    if (args.empty()) return r;
    const AStr first(args[0]);
    if (first.startsWith("/") && !IsPosixPath(first)) {
        struct Switch {
            const char* name;
            RunRequest::Kind kind;
        };
        static const Switch kSwitches[] = {
            {"/install", RunRequest::Install},     {"/shadow", RunRequest::Shadow},
            {"/uninstall", RunRequest::Uninstall}, {"/register", RunRequest::Register},
            {"/unregister", RunRequest::Unregister}, {"/auto", RunRequest::Auto},
        };
        for (const Switch& s : kSwitches)
            if (first.equalsNoCase(s.name)) {
                r.kind = s.kind;
                return r;
            }
        if ((first.equalsNoCase("/url") || first.equalsNoCase("/f")) && args.size() > 1) {
            r.kind = first.equalsNoCase("/url") ? RunRequest::Url : RunRequest::OpenFile;
            r.value = args[1];
        }
        return r;  // "/url" or "/f" alone, or an unknown switch: nothing to do
    }
    r.kind = RunRequest::Batch;
    r.files = args;
    return r;
}
