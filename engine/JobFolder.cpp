#include "engine/JobFolder.h"

#include "app/ApplicationProfile.h"
#include "framework/Url.h"
#include "platform/File.h"
#include "site/Project.h"

AStr UnnamedJobFolder(std::string_view url, std::string base, char separator) {
    AStr host = url::hostOfUrl(url);
    std::string name;
    for (char c : host.view()) name += (c == ':' || c == '/' || c == '\\') ? '_' : c;
    if (name.empty() || name == "." || name == "..") name = "download";
    while (!base.empty() && (base.back() == '\\' || base.back() == '/')) base.pop_back();
    return AStr(base + separator + name);
}

AStr UnnamedJobProject(const AStr& folder, char separator) {
    size_t slash = folder.rfind(separator);
    AStr name = slash == AStr::npos ? folder : folder.substr(slash + 1);
    return folder + AStr(std::string(1, separator)) + name + ".zbp";
}

AStr NumberedJobFolder(const AStr& folder, int n) { return n <= 1 ? folder : folder + AStr::format("-%d", n); }

bool SameStartUrl(std::string_view a, std::string_view b) {
    // The scheme and the host without case, the rest as it is.
    auto entered = [](std::string_view u) {
        AStr e = url::normalizeAddress(url::trimBlanks(u), true);
        size_t scheme = e.find("://");
        size_t path = scheme == AStr::npos ? 0 : e.view().find_first_of("/?#", scheme + 3);
        if (path == std::string_view::npos) path = e.size();
        return e.left(path).lower() + e.substr(path);
    };
    return entered(a) == entered(b);
}

namespace {

// Whether the project at path is the job of url alone.
bool IsJobOf(const AStr& path, std::string_view url) {
    Project there{ApplicationProfile()};
    if (there.open(path.c_str()) != 0) return false;
    return there.urls.count() == 1 && SameStartUrl(there.urls.first()->str.view(), url);
}

}  // namespace

UnnamedJob UnnamedJobFor(std::string_view url, const AStr& base, char separator) {
    const AStr first =
        UnnamedJobFolder(url, base.empty() ? platform::CurrentFolder() : std::string(base.c_str()), separator);
    // Ends at the first number without a project: there are only so many
    // files.
    for (int n = 1;; ++n) {
        UnnamedJob job;
        job.folder = NumberedJobFolder(first, n);
        job.project = UnnamedJobProject(job.folder, separator);
        if (!platform::FileExists(job.project.c_str())) return job;
        if (IsJobOf(job.project, url)) {
            job.continues = true;
            return job;
        }
    }
}

UnnamedJob JobInFolder(std::string_view url, const AStr& folder, char separator) {
    UnnamedJob job;
    job.folder = folder;
    job.project = UnnamedJobProject(folder, separator);
    if (platform::FileExists(job.project.c_str())) {
        job.continues = IsJobOf(job.project, url);
        job.taken = !job.continues;
    }
    return job;
}
