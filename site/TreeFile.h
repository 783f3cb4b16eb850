#pragma once
// The tree file: the link graph of a project in a binary file beside the
// project file. A 54-byte header (signature, version, the job counters,
// and a last field that is 1 when the file was written while downloads
// ran) and then the root's record with everything below it.
//
// Version 11 is this program's extension for graphs that version 10
// cannot hold (more than 65535 nodes, or a folder or page with more than
// 65535 children or links): the same header and records, except that every
// reference (a node's own id, a link's target) and every list count is a
// u32. Graphs that fit are always written as version 10, byte for byte.
// Versions above 11 are refused: their layout is unknown, and reading one
// as ours would load garbage instead of failing.

#include <string_view>

#include "framework/AStr.h"

class LinkGraph;
class ibwstream;
class obwstream;

// Texts the status line shows, and the load error.
enum : int {
    kTextTreeLoading = 22077,
    kTextTreeLoaded = 22078,
    kTextTreeShown = 22079,
    kTextTreeSaving = 22081,
    kTextTreeLoadFailed = 22036,
};

// The project file's name with its extension replaced by ".zbt" (or with
// ".zbt" appended when it has none).
AStr treeFileName(std::string_view projectPath);

// Writes the header and the records: version 10, or version 11 (u32 ids
// and counts) when the graph has more than 65535 nodes or a list longer
// than 65535 entries. 0, or -1 when a write failed.
[[nodiscard]] int writeTree(LinkGraph& graph, obwstream& out);
// The same records as a save after requeueLoading would write, with the
// graph left as it is: nodes being fetched are recorded as queued (and
// counted so in the header), without the rewritten mark and the saved
// positions of their links, since their files may be replaced at any
// moment. For a save while downloads run.
[[nodiscard]] int writeTreeWhileLoading(const LinkGraph& graph, obwstream& out);
// The result of reading a file that breaks off or turns to garbage after
// its header and root: what was read whole is kept.
constexpr int kTreeDamaged = 1;

// Reads versions 1 to 11 into an emptied graph: 0 when the whole file was
// read. -1 when the header or the root's own fields cannot be read, and
// then the graph is emptied again; a version above 11 is refused. Past
// them, damage gives kTreeDamaged with every record read whole before it
// kept, the half-read one dropped and the rest made consistent: targets
// and referrers, priorities and queue counters; the page whose links broke
// off is marked failed (so that it is fetched anew) and the stored pages
// whose links lost their targets are queued again.
[[nodiscard]] int readTree(LinkGraph& graph, ibwstream& in);

// The save steps: nodes being fetched go back to the queue, their local
// copies are deleted; then the file is written under a temporary name and
// put in place. -1 when there is no project path or writing failed (the
// previous tree file then stays as it was).
[[nodiscard]] int saveTree(LinkGraph& graph, std::string_view projectPath);
// The save of a running job: writeTreeWhileLoading's records, written and
// put in place as saveTree does, so that a job killed at any moment is
// continued from the last such save. The running downloads, their nodes
// and their files are not touched, and no status text is shown.
[[nodiscard]] int saveTreeWhileLoading(const LinkGraph& graph, std::string_view projectPath);
// The load steps: 0, kTreeDamaged or -1 as readTree gives them (-1 also
// for a file that cannot be opened). Both failures report 22036 with the
// file's name; after -1 the graph is empty.
[[nodiscard]] int loadTree(LinkGraph& graph, std::string_view projectPath);
