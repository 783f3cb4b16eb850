#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Shell.h"

namespace {

TEST(SplitCommandLine, ProgramAndParameters) {
    struct Row {
        const char* command;
        const char* program;
        const char* parameters;
    } rows[] = {
        {"\"C:\\Program Files\\IE\\iexplore.exe\" -nohome", "C:\\Program Files\\IE\\iexplore.exe", "-nohome"},
        {"\"C:\\Program Files\\IE\\iexplore.exe\"", "C:\\Program Files\\IE\\iexplore.exe", ""},
        {"C:\\NS\\netscape.exe \"%1\"", "C:\\NS\\netscape.exe", "\"%1\""},
        {"C:\\NS\\netscape.exe   -url  %1", "C:\\NS\\netscape.exe", "-url  %1"},
        {"  b.exe\t%1", "b.exe", "%1"},
        {"b.exe", "b.exe", ""},
        {"\"C:\\unclosed path\\b.exe -x", "C:\\unclosed path\\b.exe -x", ""},
        {"\"a\"b c", "a", "b c"},
        {"", "", ""},
    };
    for (const Row& r : rows) {
        platform::CommandLine c = platform::SplitCommandLine(r.command);
        EXPECT_EQ(c.program, r.program) << r.command;
        EXPECT_EQ(c.parameters, r.parameters) << r.command;
    }
}

TEST(SplitArguments, BlanksAndQuotes) {
    struct Row {
        const char* parameters;
        std::vector<std::string> args;
    } rows[] = {
        {"", {}},
        {"   ", {}},
        {"a b\tc", {"a", "b", "c"}},
        {"-url \"http://a/b c\"", {"-url", "http://a/b c"}},
        {"\"\"", {""}},
        {"x\"y z\"w", {"xy zw"}},
        {"$(touch x) ; `y` 'z'", {"$(touch", "x)", ";", "`y`", "'z'"}},
        {"\"unclosed tail", {"unclosed tail"}},
    };
    for (const Row& r : rows) EXPECT_EQ(platform::SplitArguments(r.parameters), r.args) << r.parameters;
}

}  // namespace
