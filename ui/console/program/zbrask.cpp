// The terminal program: "zbrask /url URL" mirrors a site into a folder of
// the current folder, "zbrask /f project.zbp" continues a saved job, and
// "zbrask /auto" or "zbrask a.zbp b.zbp" runs a batch of projects. Long
// options set the job's mission for the run ("zbrask --depth 3 URL").

#include <cstdio>
#include <string>
#include <vector>

#include "app/ApplicationProfile.h"
#include "app/CommandLine.h"
#include "app/Lang.h"
#include "app/LanguageFile.h"
#include "app/ProgramVersion.h"
#include "app/shell/ProgramEntry.h"
#include "batch/Batch.h"
#include "platform/File.h"
#include "ui/console/ConsoleArguments.h"
#include "ui/console/ConsoleOutput.h"
#include "ui/console/program/ConsoleFrontEnd.h"

namespace {

// Said in English: there is no catalogue to take the words from.
std::string NoCatalogue() {
    return "zbrask: no language catalogue (zbenu.lng) in " + std::string(ProgramLanguageFolder().c_str()) +
           ": the messages will be empty\n";
}

// The arguments as one command line, quoted where the splitting needs it.
std::string JoinArguments(const std::vector<std::string>& args) {
    std::string line;
    for (const std::string& a : args) {
        if (!line.empty()) line += ' ';
        if (a.find_first_of(" \t") == std::string::npos) line += a;
        else line += '"' + a + '"';
    }
    return line;
}

// The usage in the terminal's encoding, in the language the settings
// name. Without a catalogue there are no texts: then where it is missing.
std::string Usage() {
    (void)LoadLanguageOfSettings(ApplicationProfile());
    const LangWithError& lang = ProgramLanguage();
    if (!lang.module()) return NoCatalogue();
    ConsoleOutput out(stderr, false, lang.module()->codePage());
    return out.say(kTextUsage) + "\n" + out.say(kTextUsageOptions) + out.say(kTextUsageMoreOptions);
}

// The one line that names a wrong option or value, in the terminal's
// encoding.
std::string WrongArgument(const ConsoleArguments& a) {
    (void)LoadLanguageOfSettings(ApplicationProfile());
    const LangWithError& lang = ProgramLanguage();
    if (!lang.module()) return NoCatalogue() + "zbrask: " + a.option + "\n";
    ConsoleOutput out(stderr, false, lang.module()->codePage());
    return out.say(a.error, a.option.c_str(), a.value.c_str(), static_cast<int>(a.lowest),
                   static_cast<int>(a.highest)) + "\n";
}

// A list of projects replaces the stored batch: a stray word (an option,
// a mistyped name) must not, so every entry has to name a project file.
const std::string* FirstMissingProject(const RunRequest& run) {
    for (const std::string& f : run.files)
        if (!platform::FileExists(Batch::normalizeEntry(f).c_str())) return &f;
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    ConsoleArguments parsed = ParseConsoleArguments({argv + 1, argv + argc}, platform::CurrentFolder());
    switch (parsed.action) {
    case ConsoleArguments::kHelp: std::fputs(Usage().c_str(), stdout); return 0;
    case ConsoleArguments::kVersion: std::printf("zbrask %s\n", kProgramVersion); return 0;
    case ConsoleArguments::kWrong: std::fputs(WrongArgument(parsed).c_str(), stderr); return 64;
    case ConsoleArguments::kRun: break;
    }
    // Only the words of the run reach the application: a password given
    // as an option is kept out of everything it shows or stores.
    const std::vector<std::string>& args = parsed.run;
    bool updateRun = parsed.update;
    RunRequest run = ParseRunRequest(args);
    bool runs = (run.kind == RunRequest::Url || run.kind == RunRequest::OpenFile) ? !run.value.empty()
                                                                                   : run.kind == RunRequest::Auto ||
                                                                                         run.kind == RunRequest::Batch;
    if (run.kind == RunRequest::Batch) {
        if (const std::string* missing = FirstMissingProject(run)) {
            std::string usage = Usage();
            if (ProgramLanguage().module()) {
                ConsoleOutput out(stderr, false, ProgramLanguage().module()->codePage());
                std::fprintf(stderr, "%s\n", out.say(kTextNoProjectFile, missing->c_str()).c_str());
            }
            std::fputs(usage.c_str(), stderr);
            return 64;
        }
    }
    if (!runs && !run.installTime()) {
        std::fputs(Usage().c_str(), stderr);
        return 64;
    }
    ProgramEntry entry;
    entry.commandLine = JoinArguments(args).c_str();
    entry.frontEnd = [updateRun, &parsed] {
        // The program runs without its texts, as the Windows one does; a
        // terminal user is told why every message is missing.
        if (!ProgramLanguage().module()) std::fputs(NoCatalogue().c_str(), stderr);
        int codePage = ProgramLanguage().module() ? ProgramLanguage().module()->codePage() : 1252;
        return std::make_unique<ConsoleFrontEnd>(codePage, updateRun, parsed.job, parsed.quiet);
    };
    entry.updater = [](void*) {};  // the updater is a Windows program
    return RunZBrask(entry);
}
