#pragma once
// Pages the program writes itself into the output folder: stubs that
// stand in for files that are not fetched, and "start.htm", which leads
// to the stored copies of the start URLs. And the deletion of every file
// a project stored.

#include <cstdint>
#include <string_view>

#include "framework/AStr.h"

class Lang;
class LinkGraph;
class ToBeOpenTN;

// The language the pages are written in: its texts and whether its code
// page is 1251 ("rus") or 1252.
struct PageLanguage {
    const Lang& lang;
    std::string_view code;
};

class StubPages {
public:
    StubPages(LinkGraph& graph, PageLanguage language, uint32_t outputFlags = 0)
        : graph_(graph), language_(language), outputFlags_(outputFlags) {}

    // The job's output flags (8.3 names, no sub-folders): stubs are named
    // as the pages they stand in for would be.
    void setOutputFlags(uint32_t flags) { outputFlags_ = flags; }
    // Has the graph make its stubs here (for links it will not follow
    // while the job's Stubs switch is on).
    void installInGraph();
    // Places the node's URL as a page and writes a stub there; on success
    // the node is received, a stub, rewritten, with that saved file.
    bool makeStub(ToBeOpenTN& node);
    // Stubs for the targets of a page's links that are not fetched and
    // have no file (pictures never get one).
    void writeStubsForPage(ToBeOpenTN& page);
    // "start.htm" in the output folder; heading is the caller's text.
    bool writeStartPage(std::string_view heading);
    // Every node's stored copies, the program's own files in the output
    // folder, then the folders left empty and the output folder itself
    // when nothing else is in it.
    void deleteAllFiles();

private:
    LinkGraph& graph_;
    PageLanguage language_;
    uint32_t outputFlags_;
};
