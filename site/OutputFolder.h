#pragma once
// The folder a job saves into. With no output path it is the project
// file's path with its extension replaced by ".zbd", a relative project
// path taken against the program's folder; otherwise the output path made
// absolute against the current folder.

#include <string_view>

#include "framework/AStr.h"

struct FolderContext {
    AStr programFolder;  // without a trailing separator
    AStr currentFolder;  // without a trailing separator
    bool windowsPaths = false;  // drive letters, "\\" and "/" both separate

    // This process: the program's own folder and the current folder.
    static FolderContext Current();
};

bool IsAbsolutePath(std::string_view path, bool windowsPaths);
// path made absolute against folder; separators as they are, one trailing
// separator of the result removed (a root keeps its own).
AStr AbsolutePath(std::string_view path, std::string_view folder, bool windowsPaths);
AStr OutputFolder(std::string_view outputPath, std::string_view projectPath, const FolderContext& where);
