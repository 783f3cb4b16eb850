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
