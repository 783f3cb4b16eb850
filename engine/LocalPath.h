#pragma once
// Where a fetched resource is stored: the path under the job's output
// folder derived from its URL, its 8.3 form, and the relative link from one
// stored file to another.
//
// Paths are built with "\\" between components and the platform's
// separator put in when the output folder is joined, so the same URL gives
// the same relative path on every target. No component can name a place
// outside the output folder: "." and ".." parts, device names and names
// ending in a dot or a blank are changed before they reach the disk.

#include <cstdint>
#include <string>
#include <string_view>

#include "framework/AStr.h"

namespace saving {

struct PlaceRequest {
    uint32_t outputFlags = 0;          // Mission::kOutputNames83, kOutputNoSubdir
    std::string_view url;
    std::string_view outputFolder;     // without a trailing separator
    std::string_view mediaType;        // empty: not known yet
    std::string_view contentEncoding;  // empty: none
    bool doNotCreate = false;          // a tentative name: nothing is created
    // The finished file to put under the name: moved there, so that the
    // name is never held by an empty file meanwhile (null: one is made).
    const char* moveFrom = nullptr;
};

// The full path of the stored copy. Unless doNotCreate, the folders are
// made and the name is taken, numbered "name(n).ext" while it is taken
// already: moveFrom is moved there, or an empty file created. False when
// the URL cannot be split or the file cannot be placed (moveFrom stays).
bool localPath(const PlaceRequest& req, AStr& out);

// The relative part of localPath before the output folder is joined and
// before anything is created ("\\host\\folder\\name.ext").
bool relativeLocalPath(const PlaceRequest& req, AStr& out);

// The 8.3 form of a relative path: each component cut to eight characters
// and an extension of three, blanks dropped.
AStr shortName(std::string_view path);

// The link text that leads from a stored page to a stored target, with the
// link's fragment ("#part", or empty) appended.
AStr relativeLink(std::string_view pageFile, std::string_view targetFile, std::string_view fragment);
// The same link appended to out.
void appendRelativeLink(std::string_view pageFile, std::string_view targetFile, std::string_view fragment,
                        std::string& out);

// A relative component made harmless: "." and "..", device names such as
// "CON" or "lpt1.txt", control bytes and a trailing dot or blank.
AStr safeComponent(std::string_view name);

}  // namespace saving
