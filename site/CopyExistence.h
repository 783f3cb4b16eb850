#pragma once
// Whether the stored copies of many files below one output folder exist,
// as the rewrite of a page asks for each of its links' targets. A folder
// asked about often is read once, and a name found there exists; a name
// not found is asked of the file system itself. So the answers are those
// of asking for each file, with one call per folder instead of one per
// file where a page links to many copies side by side.

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class CopyExistence {
public:
    explicit CopyExistence(std::string_view outputFolder) : outputFolder_(outputFolder) {}

    // Each copy that will be asked about, before the first question; a
    // copy not announced is still answered.
    void expect(std::string_view relative);
    // relative: the copy's path below the output folder.
    bool exists(std::string_view relative);

private:
    // Folders asked about fewer times are not read: a call per file is
    // cheaper there.
    static constexpr size_t kReadFrom = 8;

    struct Hash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    struct Folder {
        size_t asked = 0;
        bool read = false;    // tried once
        bool listed = false;  // and every name in it is known
        std::string bytes;    // the names one after another
        std::vector<std::string_view> names;  // into bytes, sorted
    };
    void read(std::string_view folder, Folder& f);

    std::string outputFolder_;
    std::unordered_map<std::string, Folder, Hash, std::equal_to<>> folders_;
    std::string path_;  // room kept
};
