#pragma once
// The terminal program's command line: the words of a run ("/url URL",
// "/f project.zbp", "/auto", project files), "--update project.zbp", a
// plain URL, and long options that set the job's mission for this run
// ("--depth 3", "--depth=3"). "--" ends the options.

#include <string>
#include <vector>

#include "ui/console/JobOptions.h"

// Texts of the option errors in the language's catalogue.
enum ArgumentText {
    kTextUnknownOption = 23040,   // %s: the option
    kTextNeedsValue = 23041,      // %s: the option
    kTextTakesNoValue = 23042,    // %s: the option
    kTextNumberWanted = 23043,    // %s option, %s value, %d lowest, %d highest
    kTextProxyWanted = 23044,     // %s option, %s value
    kTextControlChars = 23045,    // %s: the option
    kTextOptionsNeedJob = 23046,  // %s: the first job option
    kTextStrayWord = 23050,       // %s: a word after the job's URL or project
};

struct ConsoleArguments {
    enum Action { kRun, kHelp, kVersion, kWrong };
    Action action = kRun;

    // kWrong: the error's text and what it names. The value is never that
    // of "--password".
    int error = 0;
    std::string option;
    std::string value;
    long long lowest = 0, highest = 0;

    // The words of the run, for ParseRunRequest.
    std::vector<std::string> run;
    bool update = false;  // "--update": the project is refreshed
    bool quiet = false;
    JobOptions job;
    std::string firstJobOption;  // as typed, for the error when no job takes it
};

// currentFolder makes a relative "--output" absolute, so that the project
// names the same folder from wherever it is continued.
ConsoleArguments ParseConsoleArguments(const std::vector<std::string>& args, const std::string& currentFolder);
