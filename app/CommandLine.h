#pragma once
// The program's command line: split into arguments, and the kind of run
// its first argument asks for.

#include <string>
#include <string_view>
#include <vector>

// Arguments are separated by blanks (spaces only). A double quote starts
// a quoted argument that runs to the next double quote, both removed, no
// escape; a quote inside an unquoted argument ends it and starts a quoted
// one.
std::vector<std::string> SplitProgramArguments(std::string_view commandLine);

struct RunRequest {
    enum Kind {
        Plain,       // no arguments, or a switch the program does not know
        Install,
        Shadow,
        Uninstall,
        Register,
        Unregister,
        Auto,        // start the saved batch
        Url,         // download the URL in `value`
        OpenFile,    // open the project `value` at the first idle step
        Batch,       // `files` replace the batch list, which starts at once
    };
    Kind kind = Plain;
    std::string value;
    std::vector<std::string> files;

    bool installTime() const { return kind >= Install && kind <= Unregister; }
};

// Only the first argument decides; switches compare without case.
RunRequest ParseRunRequest(const std::vector<std::string>& args);
inline RunRequest ParseCommandLine(std::string_view commandLine) {
    return ParseRunRequest(SplitProgramArguments(commandLine));
}
