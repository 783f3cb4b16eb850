#include "site/OutputFolder.h"

#include <string>

#include "framework/FileExtension.h"
#include "platform/File.h"

namespace {

bool IsSeparator(char c, bool windows) { return c == '/' || (windows && c == '\\'); }

bool IsDriveLetter(std::string_view p) {
    return p.size() >= 2 && p[1] == ':' && ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z'));
}

// The length of a root at the start of path ("/", "C:\", "\\server"): a
// trailing separator there is part of the name.
size_t RootLength(std::string_view p, bool windows) {
    if (windows && IsDriveLetter(p)) return p.size() >= 3 && IsSeparator(p[2], true) ? 3 : 2;
    return !p.empty() && IsSeparator(p[0], windows) ? 1 : 0;
}

AStr WithoutTrailingSeparator(AStr p, bool windows) {
    size_t root = RootLength(p.view(), windows);
    while (p.size() > root && IsSeparator(p.back(), windows)) p.truncate(p.size() - 1);
    return p;
}

}  // namespace

FolderContext FolderContext::Current() {
    FolderContext c;
    std::string program = platform::ProgramPath();
    size_t sep = program.find_last_of(platform::kPathSep == '\\' ? "\\/" : "/");
    c.programFolder = AStr(sep == std::string::npos ? std::string_view() : std::string_view(program).substr(0, sep));
    c.currentFolder = AStr(platform::CurrentFolder());
    c.windowsPaths = platform::kPathSep == '\\';
    return c;
}

bool IsAbsolutePath(std::string_view p, bool windows) {
    if (!windows) return !p.empty() && p[0] == '/';
    if (IsDriveLetter(p)) return p.size() >= 3 && IsSeparator(p[2], true);
    return p.size() >= 2 && IsSeparator(p[0], true) && IsSeparator(p[1], true);  // \\server\share
}

AStr AbsolutePath(std::string_view p, std::string_view folder, bool windows) {
    AStr r;
    if (IsAbsolutePath(p, windows)) {
        r = AStr(p);
    } else if (windows && !p.empty() && IsSeparator(p[0], true)) {
        // "\folder" is on the drive of the current folder.
        r = AStr(folder.substr(0, RootLength(folder, true) >= 2 ? 2 : 0)) + p;
    } else if (windows && IsDriveLetter(p)) {
        r = AStr(p);  // "C:name": relative to a drive's own current folder, which only the system knows
    } else {
        r = AStr(folder);
        if (r.empty() || !IsSeparator(r.back(), windows)) r += windows ? '\\' : '/';
        r += p;
    }
    return WithoutTrailingSeparator(std::move(r), windows);
}

AStr OutputFolder(std::string_view outputPath, std::string_view projectPath, const FolderContext& where) {
    bool w = where.windowsPaths;
    if (!outputPath.empty()) return AbsolutePath(outputPath, where.currentFolder.view(), w);
    std::string_view stem = WithoutExtension(projectPath, w ? kWindowsSeparators : "/");
    return AbsolutePath(std::string(stem) + ".zbd", where.programFolder.view(), w);
}
