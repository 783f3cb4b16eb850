#pragma once
// Flag bits of link records and of graph nodes. The link record's bits
// (picture, embedded, code-page variant, other code page, not followed)
// keep the same values on the node that the link created or reached.

#include <cstdint>

enum : uint32_t {
    FlagReceived = 0x1,          // a copy was received at least once
    FlagChanged = 0x2,           // the last download brought a new version
    FlagStub = 0x4,              // a stub page stands in for the node's file
    FlagPreferred = 0x8,         // in a branch the user wants fetched first
    FlagBranchMark = 0x20,       // the user set branch options on this node
    FlagPicture = 0x40,
    FlagEmbedded = 0x80,
    FlagCodePageVariant = 0x100, // an anchor whose text names a code page
    FlagSkipped = 0x200,         // the user excluded the node or its branch
    FlagOtherCodePage = 0x400,   // a code-page variant in another code page
    FlagRewritten = 0x800,       // the stored copy's links point at the stored files
    FlagNotFollowed = 0x1000,
    FlagFlatLinks = 0x2000,      // links on this page add no level
    FlagForced = 0x20000,        // followed whatever the filters say
    FlagExcluded = 0x80000,      // never fetched
};
