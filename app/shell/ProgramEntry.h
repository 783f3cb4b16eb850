#pragma once
// The entry of the main program: options and language, the install-time
// switches, then a normal run with the application, its loop and the
// saving of the settings at the end.

#include <functional>
#include <memory>

#include "app/ApplicationFrontEnd.h"
#include "app/ApplicationProfile.h"
#include "app/shell/Application.h"
#include "framework/AStr.h"

struct ProgramEntry {
    void* instance = nullptr;
    AStr commandLine;  // without the program name
    int show = 1;
    ApplicationProfile settings;  // the program's settings file
    AStr languageFolder;          // where the language libraries lie; empty: the program's folder
    std::function<std::unique_ptr<ApplicationFrontEnd>()> frontEnd;  // required: without one the run fails (-1)
    // Null: the platform's dial-up library and the registered updater.
    std::function<std::unique_ptr<DialUp>()> dialUp;
    Application::UpdaterStarter updater;
};

// Old settings stored the language as a number: "0" is "enu", "1" "rus".
// True when code was changed.
bool MigrateLanguageNumber(AStr& code);

// The message for an install-time switch this program cannot carry out
// yet, in the language's words.
AStr InstallTimeMessage(const AStr& switchText);

// Loads the language the settings name (as a run does at its start) into
// the program's language library, without writing anything back; for
// what a program says before a run, such as its usage. Returns the code.
AStr LoadLanguageOfSettings(const ApplicationProfile& settings, const AStr& languageFolder = AStr());

// Runs the program and returns its exit code.
int RunZBrask(ProgramEntry& entry);
