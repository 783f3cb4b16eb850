#include "engine/JobFolder.h"

#include "framework/Url.h"
#include "platform/File.h"

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

UnnamedJob UnnamedJobFor(std::string_view url, const AStr& base, char separator) {
    UnnamedJob job;
    job.folder = UnnamedJobFolder(url, base.empty() ? platform::CurrentFolder() : std::string(base.c_str()), separator);
    job.project = UnnamedJobProject(job.folder, separator);
    return job;
}
