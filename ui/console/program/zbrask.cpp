// The terminal program: "zbrask /url URL" mirrors a site into a folder of
// the current folder, "zbrask /f project.zbp" continues a saved job.

#include <cstdio>

#include "app/ApplicationProfile.h"
#include "app/CommandLine.h"
#include "app/LanguageFile.h"
#include "app/ProgramOptions.h"
#include "app/ZBraskLibrary.h"
#include "batch/ApplicationSettings.h"
#include "batch/Batch.h"
#include "engine/Url.h"
#include "platform/File.h"
#include "ui/console/program/ConsoleHost.h"

namespace {

// A folder name for an unnamed job: the URL's host, with the characters a
// file name cannot hold replaced.
AStr FolderForUrl(const std::string& url) {
    AStr host = url::hostOfUrl(url);
    std::string name;
    for (char c : host.view()) name += (c == ':' || c == '/' || c == '\\') ? '_' : c;
    if (name.empty() || name == "." || name == "..") name = "download";
    return AStr(platform::CurrentFolder()) + "/" + AStr(name);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    RunRequest run = ParseRunRequest(args);
    if ((run.kind != RunRequest::Url && run.kind != RunRequest::OpenFile) || run.value.empty()) {
        std::fprintf(stderr, "usage: zbrask /url URL\n       zbrask /f project.zbp\n");
        return 64;
    }

    ApplicationProfile settings;
    ProgramOptions options;
    options.read(settings);
    (void)LoadProgramLanguage(options.language);
    RegisterTextSource(&ProgramTextSource());
    DialUp dialUp(platform::RasFunctions{});
    Batch batch;
    ApplicationSettings app(dialUp, batch);
    app.read(settings);

    EngineSettings engine;
    engine.agent = options.internetAgent;
    engine.proxy = app.proxy;
    engine.languageCode = options.language;
    engine.skip.read(settings);
    int codePage = ProgramLanguage().module() ? ProgramLanguage().module()->codePage() : 1252;

    ConsoleHost host(std::move(engine), codePage);
    ConsoleHost::catchInterrupts();
    AStr projectPath;
    bool unnamed = run.kind == RunRequest::Url;
    if (unnamed) {
        AStr folder = FolderForUrl(run.value);
        host.window().newJob(run.value.c_str(), folder.c_str());
        AStr name = AStr(url::hostOfUrl(run.value)).empty() ? AStr("download") : folder.substr(folder.rfind('/') + 1);
        projectPath = folder + "/" + name + ".zbp";
    } else {
        projectPath = AStr(run.value.c_str());
        if (host.window().openProject(projectPath.c_str()) != 0) {
            std::fprintf(stderr, "zbrask: cannot open the project %s\n", projectPath.c_str());
            return 66;
        }
        host.window().continueJob();
    }
    int status = host.run();
    if (host.finish(projectPath, unnamed) != 0 && status == 0) status = 1;
    return status;
}
