#pragma once
// Where an unnamed job (a URL given without a project) keeps its copy: a
// folder named after the URL's host inside a base folder, with the
// characters a file name cannot hold replaced.

#include <string>
#include <string_view>

#include "framework/AStr.h"

// base/<host>, joined with separator; "download" when the URL has no host
// that makes a name.
AStr UnnamedJobFolder(std::string_view url, std::string base, char separator);

// The project file of that folder: <folder>/<folder's name>.zbp.
AStr UnnamedJobProject(const AStr& folder, char separator);

// Both, for url below base (the current folder when base is empty).
struct UnnamedJob {
    AStr folder, project;
};
UnnamedJob UnnamedJobFor(std::string_view url, const AStr& base, char separator);
