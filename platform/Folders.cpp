#include "platform/Folders.h"

#include <filesystem>
#include <system_error>
#include <vector>

namespace platform {

bool RemoveEmptyFolders(const char* path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    std::vector<fs::path> folders;
    for (auto it = fs::recursive_directory_iterator(path, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec)) folders.push_back(it->path());
    }
    // Deeper folders come later in the walk: remove from the back.
    for (auto f = folders.rbegin(); f != folders.rend(); ++f) fs::remove(*f, ec);  // fails unless empty
    fs::remove(path, ec);
    return !fs::exists(path, ec);
}

}  // namespace platform
