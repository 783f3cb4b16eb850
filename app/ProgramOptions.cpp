#include "app/ProgramOptions.h"

#include "app/ApplicationProfile.h"

namespace {
constexpr const char* kOptions = "Options";
}  // namespace

void ProgramOptions::read(const ApplicationProfile& s) {
    language = s.readString(kOptions, "language", language.c_str());
    braskDir = s.readString(kOptions, "braskdir", braskDir.c_str());
    internetAgent = s.readString(kOptions, "InternetAgent", internetAgent.c_str());
    showRefName = s.readBool(kOptions, "ShowRefName", showRefName);
    showPageTitle = s.readBool(kOptions, "ShowPageTitle", showPageTitle);
    showRefUrl = s.readBool(kOptions, "ShowRefUrl", showRefUrl);
}

int ProgramOptions::write(ApplicationProfile& s) const {
    int first = 0;
    for (int e : {s.writeString(kOptions, "language", language.c_str()),
                  s.writeString(kOptions, "braskdir", braskDir.c_str()),
                  s.writeString(kOptions, "InternetAgent", internetAgent.c_str()),
                  s.writeBool(kOptions, "ShowRefName", showRefName),
                  s.writeBool(kOptions, "ShowPageTitle", showPageTitle),
                  s.writeBool(kOptions, "ShowRefUrl", showRefUrl)})
        if (e && !first) first = e;
    return first;
}
