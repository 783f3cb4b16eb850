#include "app/ShellOpen.h"

#include "platform/File.h"
#include "platform/MessageBox.h"
#include "platform/Shell.h"

namespace {

// The target goes into another program's command line, where a double
// quote in it would end the quoted argument and let the rest of the
// target pass as options of its own. A quote has no place in a file path,
// and in a URL "%22" means the same.
AStr QuoteSafe(const AStr& target) {
    AStr out;
    for (size_t i = 0; i < target.size(); ++i) {
        if (target[i] == '"') out += "%22";
        else out += target[i];
    }
    return out;
}

AStr ReplaceAll(const AStr& s, std::string_view what, const AStr& with) {
    AStr out;
    size_t from = 0;
    for (size_t at; (at = s.find(what, from)) != AStr::npos; from = at + what.size()) {
        out += s.substr(from, at - from);
        out += with;
    }
    out += s.substr(from);
    return out;
}

}  // namespace

ShellCommand BuildShellCommand(const AStr& target, bool browser, const AStr& htmCommand) {
    ShellCommand c;
    if (!browser || target.left(7).equalsNoCase("mailto:")) return c;
    platform::CommandLine cl = platform::SplitCommandLine(htmCommand);
    if (cl.program.empty()) return c;
    AStr safe = QuoteSafe(target);
    AStr params(cl.parameters);
    if (params.find("%1") != AStr::npos) {
        params = ReplaceAll(params, "%1", safe);
    } else {
        if (!params.empty()) params += ' ';
        params += safe;
    }
    c.useBrowser = true;
    c.program = AStr(cl.program);
    c.parameters = params;
    return c;
}

AStr MissingFileMessage(const LangWithError& lang, int probeCode) {
    if (probeCode == 2 || probeCode == 3) return lang.text(22073);
    if (probeCode == 18 || probeCode == 0) return lang.errorText(2);
    return lang.errorText(probeCode);
}

int ShellOpen(void* window, const AStr& target, bool checkExists, bool browser) {
    const LangWithError& lang = ProgramLanguage();
    if (checkExists) {
        int probe = platform::ProbeFile(target.c_str());
        if (probe != 0) {
            platform::ShowMessageBox(window, MissingFileMessage(lang, probe).c_str(), lang.text(22064).c_str(),
                                     platform::MessageIcon::Warning);
            return probe == 3 ? 3 : 2;
        }
    }
    ShellCommand c = BuildShellCommand(target, browser, AStr(platform::HtmOpenCommand()));
    int r = c.useBrowser ? platform::RunProgram(window, c.program.c_str(), c.parameters.c_str())
                         : platform::ShellOpen(window, target.c_str());
    if (r <= 32)
        platform::ShowMessageBox(window, lang.runErrorText(r).c_str(), target.c_str(), platform::MessageIcon::Error);
    return r;
}
