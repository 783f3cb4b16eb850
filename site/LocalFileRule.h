#pragma once
// Which file: URLs a job may read. A web page decides nothing about the
// disk of the machine it is read on: a file: URL enters the job's queue
// only when the job itself started from a file: URL, only from a page that
// was read from the disk, and only below the folder of such a start URL.
// Every other URL is no business of this rule.
//
// The rule reads a URL's path as the internet session opens it (the split
// URL's path, "/" and "\\" both separators) and is strict about it: a part
// made of dots alone ("..", also percent-encoded, at any depth of
// encoding), a path that is not absolute ("file://server/share/x" opens
// "server/share/x", "file:etc/passwd") or that begins with two separators
// (a share) is never below any folder. With Windows paths a drive ("C:/")
// also roots a path, the comparison is without case, and a part that names
// a device (NUL, CON, "nul.txt"...) or holds a colon is never accepted.

#include <string>
#include <string_view>
#include <vector>

class LocalFileRule {
public:
    enum class Style { Posix, Windows };
#ifdef _WIN32
    static constexpr Style kNativeStyle = Style::Windows;
#else
    static constexpr Style kNativeStyle = Style::Posix;
#endif

    explicit LocalFileRule(Style style = kNativeStyle) : style_(style) {}

    // The start URLs, emptied and entered again in their order; a file:
    // start URL gives its folder: the path up to its last separator.
    void clear();
    void addStart(std::string_view url);

    // Whether a link met on the page at pageUrl may lead to url: any URL
    // that is not read from the disk; a file: URL only from a file: page,
    // and only below a start folder.
    bool allowsLink(std::string_view pageUrl, std::string_view url) const;
    // Whether a node with this URL may be fetched: any URL that is not
    // read from the disk; a file: URL when it is a start URL or lies below
    // a start folder.
    bool allowsNode(std::string_view url) const;

    // Whether the internet session would read the URL from the disk: its
    // scheme is "file" (as the URL layer reads a scheme) or it begins with
    // a drive ("C:\\x").
    static bool isFileUrl(std::string_view url);

    // The start folders, each as its parts, the first being the root (""
    // for "/", or the drive "C:").
    const std::vector<std::vector<std::string>>& startFolders() const { return folders_; }

private:
    bool below(std::string_view url) const;

    Style style_;
    std::vector<std::vector<std::string>> folders_;
    std::vector<std::string> startPaths_;  // the paths the file: start URLs open
};
