#pragma once
// Folder trees.

namespace platform {

// Removes every empty folder below path, deepest first, then path itself
// when it has become empty. Files are never touched. True when path is gone.
bool RemoveEmptyFolders(const char* path);

}  // namespace platform
