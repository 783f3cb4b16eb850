#include "ui/console/ConsoleArguments.h"

#include <climits>
#include <cstdint>
#include <optional>
#include <string_view>

#include "app/CommandLine.h"
#include "framework/AStr.h"

namespace {

// The last whole minute that milliseconds of 32 bits hold.
constexpr int32_t kMostWaitMinutes = INT32_MAX / 60000;
// The mission sheet takes 1 to 9 downloads at once.
constexpr int32_t kMostThreads = 9;

enum class Kind {
    kNumber,   // a whole number within lowest..highest
    kSwitch,   // no value: sets a switch of the mission
    kList,     // a value, added to a list
    kText,     // a value without control characters
    kFolder,   // a folder, made absolute
    kProxy,    // host:port
    kQuiet,
    kHelp,
    kVersion,
};

using NumberField = std::optional<int32_t> JobOptions::*;
using SwitchField = std::optional<bool> JobOptions::*;
using ListField = std::optional<std::vector<std::string>> JobOptions::*;
using TextField = std::optional<std::string> JobOptions::*;

struct Option {
    const char* name;
    Kind kind;
    NumberField number = nullptr;
    int32_t lowest = 0, highest = 0;
    SwitchField toggle = nullptr;
    bool on = true;
    ListField list = nullptr;
    TextField text = nullptr;
};

constexpr Option Number(const char* name, NumberField f, int32_t lowest, int32_t highest) {
    return {name, Kind::kNumber, f, lowest, highest};
}
constexpr Option Switch(const char* name, SwitchField f, bool on) {
    return {name, Kind::kSwitch, nullptr, 0, 0, f, on};
}
constexpr Option List(const char* name, ListField f) { return {name, Kind::kList, nullptr, 0, 0, nullptr, true, f}; }
constexpr Option Text(const char* name, Kind kind, TextField f) {
    return {name, kind, nullptr, 0, 0, nullptr, true, nullptr, f};
}
constexpr Option Plain(const char* name, Kind kind) { return {name, kind}; }

const Option kOptions[] = {
    Number("--depth", &JobOptions::levelsInternal, 0, INT32_MAX),
    Number("--external-depth", &JobOptions::levelsExternal, 0, INT32_MAX),
    Number("--threads", &JobOptions::maxNumThread, 1, kMostThreads),
    List("--include", &JobOptions::include),
    List("--exclude", &JobOptions::exclude),
    Switch("--only-in-folder", &JobOptions::onlyInDirectory, true),
    Switch("--no-only-in-folder", &JobOptions::onlyInDirectory, false),
    Switch("--pictures", &JobOptions::pictures, true),
    Switch("--no-pictures", &JobOptions::pictures, false),
    Switch("--sounds", &JobOptions::sounds, true),
    Switch("--no-sounds", &JobOptions::sounds, false),
    Switch("--videos", &JobOptions::videos, true),
    Switch("--no-videos", &JobOptions::videos, false),
    Switch("--downloads", &JobOptions::downloads, true),
    Switch("--no-downloads", &JobOptions::downloads, false),
    Switch("--stubs", &JobOptions::stubs, true),
    Switch("--no-stubs", &JobOptions::stubs, false),
    // 0 files: no limit. The size limit stops a job once more than that
    // arrived, so 0 would stop it at its first bytes.
    Number("--max-files", &JobOptions::maxNumFiles, 0, INT32_MAX),
    Number("--max-size", &JobOptions::maxSizeFiles, 1, INT32_MAX),
    Number("--time-limit", &JobOptions::waitMinutes, 0, kMostWaitMinutes),
    Text("--output", Kind::kFolder, &JobOptions::output),
    Text("--user", Kind::kText, &JobOptions::user),
    Text("--password", Kind::kText, &JobOptions::password),
    Text("--proxy", Kind::kProxy, &JobOptions::proxy),
    Text("--agent", Kind::kText, &JobOptions::agent),
    Plain("--quiet", Kind::kQuiet),
    Plain("--help", Kind::kHelp),
    Plain("-h", Kind::kHelp),
    Plain("--version", Kind::kVersion),
};

const Option* FindOption(std::string_view name) {
    for (const Option& o : kOptions)
        if (name == o.name) return &o;
    return nullptr;
}

bool TakesValue(Kind k) { return k != Kind::kSwitch && k != Kind::kQuiet && k != Kind::kHelp && k != Kind::kVersion; }

// Digits with an optional sign, nothing around them.
std::optional<long long> WholeNumber(std::string_view v) {
    size_t i = (!v.empty() && (v[0] == '-' || v[0] == '+')) ? 1 : 0;
    if (i == v.size() || v.size() - i > 12) return std::nullopt;
    long long n = 0;
    for (size_t j = i; j < v.size(); ++j) {
        if (v[j] < '0' || v[j] > '9') return std::nullopt;
        n = n * 10 + (v[j] - '0');
    }
    return v[0] == '-' ? -n : n;
}

// Control bytes would reach a request's header or the project file.
bool HasControl(std::string_view v) {
    for (char c : v)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
    return false;
}

// "host:port" with a port of 1 to 65535; the host holds no blank and no
// "/", which would make it a URL.
bool IsHostAndPort(std::string_view v) {
    size_t colon = v.rfind(':');
    if (colon == std::string_view::npos || colon == 0 || HasControl(v)) return false;
    std::string_view host = v.substr(0, colon);
    if (host.find_first_of(" /@") != std::string_view::npos) return false;
    std::optional<long long> port = WholeNumber(v.substr(colon + 1));
    return port && v[colon + 1] != '+' && v[colon + 1] != '-' && *port >= 1 && *port <= 65535;
}

std::string AbsoluteFolder(std::string path, const std::string& current) {
    if (path[0] != '/') path = current + (current.empty() || current.back() == '/' ? "" : "/") + path;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

// "scheme://", the way a user types a site's address.
bool LooksLikeUrl(std::string_view w) {
    size_t colon = w.find("://");
    if (colon == std::string_view::npos || colon == 0) return false;
    for (size_t i = 0; i < colon; ++i) {
        char c = w[i];
        bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!letter && !(i > 0 && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'))) return false;
    }
    return true;
}

class Parser {
public:
    Parser(const std::vector<std::string>& args, const std::string& current) : args_(args), current_(current) {}

    ConsoleArguments parse() {
        bool optionsEnded = false;
        for (i_ = 0; i_ < args_.size() && r_.action == ConsoleArguments::kRun; ++i_) {
            const std::string& w = args_[i_];
            if (!optionsEnded && w == "--") optionsEnded = true;
            else if (!optionsEnded && w.size() > 1 && w[0] == '-') option(w);
            else word(w);
        }
        if (r_.action == ConsoleArguments::kRun) finish();
        return r_;
    }

private:
    void fail(int text, std::string_view option, std::string_view value = {}) {
        r_.action = ConsoleArguments::kWrong;
        r_.error = text;
        r_.option = option;
        r_.value = value;
    }

    // "/url" and "/f" take the next word whatever it looks like.
    void word(const std::string& w) {
        r_.run.push_back(w);
        if ((AStr(w).equalsNoCase("/url") || AStr(w).equalsNoCase("/f")) && i_ + 1 < args_.size())
            r_.run.push_back(args_[++i_]);
    }

    void option(const std::string& w) {
        size_t eq = w.find('=');
        std::string name = w.substr(0, eq);
        const Option* o = FindOption(name);
        if (name == "--update") {
            if (eq == std::string::npos && i_ + 1 >= args_.size()) return fail(kTextNeedsValue, name);
            r_.update = true;
            r_.run.push_back("/f");
            r_.run.push_back(eq == std::string::npos ? args_[++i_] : w.substr(eq + 1));
            return;
        }
        if (!o) return fail(kTextUnknownOption, name);
        std::string value;
        if (TakesValue(o->kind)) {
            if (eq != std::string::npos) value = w.substr(eq + 1);
            else if (i_ + 1 < args_.size()) value = args_[++i_];
            else return fail(kTextNeedsValue, name);
        } else if (eq != std::string::npos) {
            return fail(kTextTakesNoValue, name);
        }
        apply(*o, value);
    }

    void apply(const Option& o, const std::string& value) {
        switch (o.kind) {
        case Kind::kHelp: r_.action = ConsoleArguments::kHelp; return;
        case Kind::kVersion: r_.action = ConsoleArguments::kVersion; return;
        case Kind::kQuiet: r_.quiet = true; return;
        default: break;
        }
        if (r_.firstJobOption.empty()) r_.firstJobOption = o.name;
        JobOptions& job = r_.job;
        switch (o.kind) {
        case Kind::kNumber: {
            std::optional<long long> n = WholeNumber(value);
            if (!n || *n < o.lowest || *n > o.highest) {
                fail(kTextNumberWanted, o.name, value);
                r_.lowest = o.lowest;
                r_.highest = o.highest;
                return;
            }
            job.*o.number = static_cast<int32_t>(*n);
            return;
        }
        case Kind::kSwitch: job.*o.toggle = o.on; return;
        case Kind::kList:
            // An empty prefix would match every URL.
            if (value.empty()) return fail(kTextNeedsValue, o.name);
            if (HasControl(value)) return fail(kTextControlChars, o.name);
            if (!(job.*o.list)) job.*o.list = std::vector<std::string>();
            (job.*o.list)->push_back(value);
            return;
        case Kind::kText:
            if (HasControl(value)) return fail(kTextControlChars, o.name);
            job.*o.text = value;
            return;
        case Kind::kFolder:
            if (value.empty()) return fail(kTextNeedsValue, o.name);
            job.*o.text = AbsoluteFolder(value, current_);
            return;
        case Kind::kProxy:
            if (!IsHostAndPort(value)) return fail(kTextProxyWanted, o.name, value);
            job.*o.text = value;
            return;
        default: return;
        }
    }

    void finish() {
        if (!r_.run.empty() && LooksLikeUrl(r_.run[0])) r_.run.insert(r_.run.begin(), "/url");
        RunRequest run = ParseRunRequest(r_.run);
        // A word after the job is no part of it: an option without its
        // dashes, or a second URL, which would be dropped unseen.
        if ((run.kind == RunRequest::Url || run.kind == RunRequest::OpenFile) && r_.run.size() > 2)
            return fail(kTextStrayWord, r_.run[2]);
        // The options describe one job: a batch runs projects of their own.
        if (r_.job.any() && run.kind != RunRequest::Url && run.kind != RunRequest::OpenFile)
            fail(kTextOptionsNeedJob, r_.firstJobOption);
    }

    const std::vector<std::string>& args_;
    const std::string& current_;
    size_t i_ = 0;
    ConsoleArguments r_;
};

}  // namespace

ConsoleArguments ParseConsoleArguments(const std::vector<std::string>& args, const std::string& currentFolder) {
    return Parser(args, currentFolder).parse();
}
