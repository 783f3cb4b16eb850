#pragma once
// Where an unnamed job (a URL given without a project) keeps its copy: a
// folder named after the URL's host inside a base folder, with the
// characters a file name cannot hold replaced, and its project file inside.
// Several jobs on one host each get a folder of their own, so that no job
// writes over another one's project, tree file or copy.

#include <string>
#include <string_view>

#include "framework/AStr.h"

// base/<host>, joined with separator; "download" when the URL has no host
// that makes a name.
AStr UnnamedJobFolder(std::string_view url, std::string base, char separator);

// The project file of that folder: <folder>/<folder's name>.zbp.
AStr UnnamedJobProject(const AStr& folder, char separator);

// The n-th folder for one host: the folder itself for 1, "<folder>-<n>"
// beside it after that.
AStr NumberedJobFolder(const AStr& folder, int n);

// Whether two typed start URLs name the same job's start (compared as the
// job enters them).
bool SameStartUrl(std::string_view a, std::string_view b);

// The job for url below base (the current folder when base is empty): the
// first of the host's numbered folders whose project is this URL's own job
// (then continues is set, and the job is to be opened and continued), or
// else the first whose project file does not exist yet. A project whose
// only start URL is another one belongs to another job and is passed by.
struct UnnamedJob {
    AStr folder, project;
    bool continues = false;
    bool taken = false;  // the folder holds another job's project
};
UnnamedJob UnnamedJobFor(std::string_view url, const AStr& base, char separator);

// The job for url in a folder the user named, with its project inside as
// above: continued when that project is this URL's own job, taken (and
// to be left alone) when it is another's.
UnnamedJob JobInFolder(std::string_view url, const AStr& folder, char separator);
