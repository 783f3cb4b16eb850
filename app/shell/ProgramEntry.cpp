#include "app/shell/ProgramEntry.h"

#include "app/CommandLine.h"
#include "app/ErrorReporting.h"
#include "app/Lang.h"
#include "app/LanguageFile.h"
#include "app/MainWindow.h"
#include "app/ZBraskLibrary.h"
#include "platform/File.h"
#include "platform/MessageBox.h"

namespace {

constexpr int kProgramTitle = 22064;
constexpr int kTextInstallTime = 23030;  // the switch (%s) is not carried out by this version

bool ApplicationExists() { return TheApplication() != nullptr; }
bool BatchRunning() { return TheApplication() && TheApplication()->batchRunner().running(); }
void* FrameWindow() { return TheApplication() ? TheApplication()->frontEnd().ownerWindow() : nullptr; }

// Steps 5 and 6 of the entry: the language, loaded, and written back when
// the search or the old numbering changed it.
void LoadLanguageOf(ProgramEntry& e, ProgramOptions& options) {
    AStr wanted = options.language;
    bool changed = MigrateLanguageNumber(wanted);
    AStr code = e.languageFolder.empty() ? LoadProgramLanguage(wanted)
                                          : LoadLanguage(e.languageFolder, wanted, ProgramLanguage()).code;
    if (code != wanted) changed = true;
    options.language = code;
    if (changed) (void)e.settings.writeString("Options", "Language", code.c_str());
}

// The install, shadow, uninstall, register and unregister runs are not
// carried out by this version: say so, and end with a failure code, not
// with the success code those runs end with when they did their work.
int AnswerInstallTime(const AStr& switchText) {
    AStr title = ProgramLanguage().text(kProgramTitle);
    if (title.empty()) title = "zbrask";
    platform::ShowMessageBox(nullptr, InstallTimeMessage(switchText).c_str(), title.c_str(),
                             platform::MessageIcon::Information);
    return 1;
}

}  // namespace

bool MigrateLanguageNumber(AStr& code) {
    if (code == "0") {
        code = "enu";
        return true;
    }
    if (code == "1") {
        code = "rus";
        return true;
    }
    return false;
}

AStr InstallTimeMessage(const AStr& switchText) { return ProgramLanguage().format(kTextInstallTime, switchText.c_str()); }

AStr LoadLanguageOfSettings(const ApplicationProfile& settings, const AStr& languageFolder) {
    ProgramOptions options;
    options.read(settings);
    AStr wanted = options.language;
    (void)MigrateLanguageNumber(wanted);
    return languageFolder.empty() ? LoadProgramLanguage(wanted) : LoadLanguage(languageFolder, wanted, ProgramLanguage()).code;
}

int RunZBrask(ProgramEntry& e) {
    if (!e.frontEnd) return -1;  // nothing to show a run in
    Application::Start start;
    start.instance = e.instance;
    start.commandLine = e.commandLine;
    start.show = e.show;
    start.firstRun = !platform::FileExists(e.settings.path().c_str());
    start.options.read(e.settings);
    InstallProgramErrorReporter();
    SetErrorReportingHooks({&ApplicationExists, &BatchRunning, &FrameWindow});
    LoadLanguageOf(e, start.options);

    std::vector<std::string> args = SplitProgramArguments(e.commandLine.c_str());
    RunRequest request = ParseRunRequest(args);
    if (request.installTime()) return AnswerInstallTime(AStr(args.front()));

    start.splitter1 = e.settings.readInt("options", "seppos1", 50);
    start.splitter2 = e.settings.readInt("options", "seppos2", 80);
    start.settings = e.settings;

    auto app = std::make_unique<Application>(std::move(start), e.frontEnd(), e.dialUp ? e.dialUp() : nullptr,
                                             e.updater);
    SetTheApplication(app.get());
    RegisterTextSource(&ProgramTextSource());
    app->dialUp().setTextSource(RegisteredTextSource());
    int code = app->run();
    app->save();  // also after a failed start
    RegisterTextSource(nullptr);
    ProgramTextSource().setMainWindow(nullptr);
    SetTheApplication(nullptr);
    app.reset();
    return code;
}
