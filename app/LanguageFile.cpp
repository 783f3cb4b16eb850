#include "app/LanguageFile.h"

#include <algorithm>
#include <string>

#include "platform/File.h"
#include "platform/SettingsPlace.h"
#include "platform/Text.h"

namespace {

AStr FolderWithSeparator(const AStr& folder) {
    if (folder.empty()) return folder;
    char last = folder.back();
    if (last == '/' || last == platform::kPathSep) return folder;
    return folder + platform::kPathSep;
}

AStr FileName(const AStr& code, const char* extension) { return AStr("zb") + code + extension; }

// Windows' file search lets "?" match nothing before the extension and also
// matches short 8.3 names, so each name the search lists is checked again:
// "zb", three characters, the extension.
bool IsCandidateName(const AStr& name, std::string_view extension) {
    return name.size() == 5 + extension.size() && name.left(2).equalsNoCase("zb") &&
           name.right(extension.size()).equalsNoCase(extension);
}

bool NamesItsLanguage(const char* path) {
    std::unique_ptr<platform::Library> lib = platform::Library::Load(path);
    return lib && !lib->text(22113).empty();
}

AStr gHelpPath;

}  // namespace

LanguageFile FindLanguageFile(const AStr& folder, const AStr& code, const char* extension, LanguageFileKind kind) {
    AStr dir = FolderWithSeparator(folder);
    LanguageFile out;
    out.code = code;
    out.path = dir + FileName(code, extension);
    if (platform::FileExists(out.path.c_str())) {
        out.found = true;
        return out;
    }
    AStr fallback = dir + FileName(kDefaultLanguage, extension);
    if (platform::FileExists(fallback.c_str())) {
        out.code = kDefaultLanguage;
        out.path = fallback;
        out.found = true;
        return out;
    }
    std::string pattern = std::string("zb???") + extension;
    for (const std::string& name : platform::FindFiles(dir.c_str(), pattern.c_str())) {
        AStr n(name);
        if (!IsCandidateName(n, extension)) continue;
        AStr path = dir + n;
        if (kind == LanguageFileKind::Library && !NamesItsLanguage(path.c_str())) continue;
        out.code = n.substr(2, 3);
        out.path = path;
        out.found = true;
        return out;
    }
    return out;
}

LanguageLoad LoadLanguage(const AStr& folder, const AStr& code, LangWithError& lang) {
    LanguageLoad out;
    LanguageFile lib = FindLanguageFile(folder, code, platform::kLibraryExtension, LanguageFileKind::Library);
    out.code = lib.code;
    out.libraryPath = lib.path;
    std::unique_ptr<platform::Library> loaded = platform::Library::Load(lib.path.c_str(), &out.error);
    // Texts are compared and lower-cased in the code page they are written in.
    if (loaded) platform::SetAnsiCodePage(loaded->codePage());
    lang.setModule(std::move(loaded));
    out.helpPath = FindLanguageFile(folder, out.code, kHelpExtension, LanguageFileKind::Help).path;
    return out;
}

std::vector<InstalledLanguage> InstalledLanguages(const AStr& folder) {
    AStr dir = FolderWithSeparator(folder);
    std::vector<InstalledLanguage> out;
    std::string pattern = std::string("zb???") + platform::kLibraryExtension;
    for (const std::string& name : platform::FindFiles(dir.c_str(), pattern.c_str())) {
        AStr n(name);
        if (!IsCandidateName(n, platform::kLibraryExtension)) continue;
        std::unique_ptr<platform::Library> lib = platform::Library::Load((dir + n).c_str());
        if (!lib) continue;
        InstalledLanguage l{n.substr(2, 3).lower(), AStr(lib->text(22113).c_str()), lib->codePage()};
        if (l.name.empty()) continue;
        bool known = false;
        for (const InstalledLanguage& o : out) known = known || o.code == l.code;
        if (!known) out.push_back(std::move(l));
    }
    std::sort(out.begin(), out.end(), [](const InstalledLanguage& a, const InstalledLanguage& b) { return a.code < b.code; });
    return out;
}

AStr ProgramFolder() {
    std::string path = platform::ProgramPath();
    size_t cut = path.find_last_of(platform::kPathSep == '/' ? "/" : "\\/");
    if (cut == std::string::npos) return {};
    return AStr(std::string_view(path).substr(0, cut + 1));
}

LanguageLoad LoadProgramLanguage(const AStr& folder, const AStr& code) {
    LanguageLoad r = LoadLanguage(folder, code, ProgramLanguage());
    gHelpPath = r.helpPath;
    return r;
}

AStr ProgramLanguageFolder() {
    const std::string probe = FileName(kDefaultLanguage, platform::kLibraryExtension).c_str();
    return AStr(platform::DataFolder(ProgramFolder().c_str(), probe, "zbrask"));
}

AStr LoadProgramLanguage(const AStr& code) { return LoadProgramLanguage(ProgramLanguageFolder(), code).code; }

const AStr& ProgramHelpPath() { return gHelpPath; }
