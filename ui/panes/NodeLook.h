#pragma once
// How the file view and the link view show a node of the link graph: the
// icon for its state and flags, the marks the user set on it, and its
// text, cut and cleaned so that a hostile title or URL cannot fill a view
// or put control characters on the screen.

#include <cstdint>
#include <string_view>

#include "framework/AStr.h"

class ExtractNode;
class ToBeOpenTN;
struct ProgramOptions;

// Index into the views' image list; the order is the bitmap's.
enum class NodeIcon : uint8_t {
    Folder,         // a folder or host made on the way, never fetched itself
    New,            // known, not queued
    Queued,
    Loading,
    Done,
    Stub,           // a stub page stands in for the file
    OtherCodePage,  // a code-page variant in another code page
    Skipped,        // the user excluded the node or its branch
    Excluded,       // the filters keep it out
    Missing,        // not found on the server
    Failed,
    Count
};

// Marks drawn over the icon, one bit each.
enum NodeMark : uint8_t { MarkForced = 1, MarkPreferred = 2, MarkBranch = 4, MarkFlatLinks = 8 };

NodeIcon IconOf(const ToBeOpenTN& node);
uint8_t MarksOf(const ToBeOpenTN& node);

// The longest text a view shows of one node or link.
constexpr size_t kMaxShownText = 300;

// text with every control character as a space, runs of them as one, cut
// to at most max bytes (and then "...") without splitting a UTF-8 sequence.
AStr ShownText(std::string_view text, size_t max = kMaxShownText);

// The file view: the node's part of the URL, and its page title after it
// when the options show titles (at most the options' title length).
AStr FileViewText(const ToBeOpenTN& node, const ProgramOptions& options);

// The link view: a link's anchor text, the title of the page it leads
// to and its URL, as the options choose; the URL when nothing else would
// be shown.
AStr LinkViewText(const ExtractNode& link, const ProgramOptions& options);
