// A project file of arbitrary bytes: it is opened, written back and read
// again, and every field must come back as it was, except what the file
// format itself cannot hold: a text loses the blanks around it and one
// pair of enclosing double quotes, and credentials stay out without
// "save". The filters then run over the start URLs read.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/ApplicationProfile.h"
#include "app/IniFile.h"
#include "site/LinkFlags.h"
#include "site/MissionFilter.h"
#include "site/Project.h"

namespace {

std::string Scratch(const char* what) {
    return (std::filesystem::temp_directory_path() / ("zb-fuzz-project-" + std::to_string(getpid()) + what)).string();
}

// Says which promise broke before it stops.
void Check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "project round trip: %s\n", what);
    std::abort();
}

// A text as it reads back once written.
AStr Stored(const AStr& text) {
    std::string_view v = IniFile::trim(text.view());
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
    return AStr(v);
}

void StoreList(StrList& list) {
    for (StrNode* n : each<StrNode>(list)) n->str = Stored(n->str);
}

bool Same(const Project& a, const Project& b) {
    return a == b && a.htmlFirst == b.htmlFirst && a.outputFlags == b.outputFlags;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string input = Scratch(".zbp"), once = Scratch("-1.zbp"), settings = Scratch(".ini");
    // The scratch files go when the process ends.
    static const struct Scratches {
        Scratches() { std::ofstream(settings, std::ios::binary) << ""; }
        ~Scratches() {
            for (const std::string* f : {&input, &once, &settings}) std::remove(f->c_str());
        }
    } scratches;
    ApplicationProfile defaults(settings.c_str());
    std::ofstream(input, std::ios::binary).write(reinterpret_cast<const char*>(data), std::streamsize(size));

    Project a(defaults);
    Check(a.open(input.c_str()) == 0, "open the input");
    Check(a.save(once.c_str()) == 0, "first write");
    Project b(defaults);
    Check(b.open(once.c_str()) == 0, "first read back");
    Project expected(defaults);
    static_cast<Mission&>(expected) = a;
    expected.htmlFirst = a.htmlFirst;
    expected.outputFlags = a.outputFlags;
    StoreList(expected.urls);
    StoreList(expected.includeUrls);
    StoreList(expected.excludeUrls);
    expected.outputPath = Stored(a.outputPath);
    expected.user = a.saveCredentials ? Stored(a.user) : AStr();
    if (!a.saveCredentials) expected.password.clear();
    Check(Same(expected, b), "writing back keeps every field");

    NormaliseUrlLists(b);
    MissionFilter f(b, SkipList("zip,*.exe"));
    for (StrNode* n : each<StrNode>(b.urls)) f.addStart(n->str.view());
    for (StrNode* n : each<StrNode>(b.urls)) {
        (void)f.follow(f.onStartHost(n->str.view()), FlagPicture, n->str.view(), 1);
        (void)f.nodeDecision(FlagEmbedded, n->str.view(), 51);
    }
    return 0;
}
