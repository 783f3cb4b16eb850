#pragma once
// Paths of the stored copies, relative to the job's output folder.

#include <string_view>

#include "framework/AStr.h"

// A path that stays inside the folder it is relative to: not empty, no
// leading separator, no drive or stream colon, no ".." part.
bool isSafeRelativePath(std::string_view path);

// The path below folder, without the folder and its separator (compared
// without case); "" when the path does not lie below folder.
AStr relativeToFolder(std::string_view folder, std::string_view path);

// A path below the output folder as the tree file keeps it: with "\\"
// between its names whatever the platform, so that a job made by one
// program can be continued by the other.
AStr storedPathForm(std::string_view path);
// And back: either separator read as the platform's own.
AStr localPathForm(std::string_view stored);
