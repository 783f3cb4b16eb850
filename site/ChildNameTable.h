#pragma once
// The children of a large folder by the exact bytes of their names: a
// lookup costs one hash and, mostly, one comparison, where the sorted
// index needs a bisection of locale-aware comparisons. It serves only
// folders whose names compare case-sensitively: there two names are the
// same exactly when their bytes are. Among children of the same name
// (only from a damaged tree file) it holds the first in list order, the
// one the sorted lookup finds.

#include <cstddef>
#include <string_view>
#include <vector>

class ToBeOpenTN;

class ChildNameTable {
public:
    // Holds the folder's children as they stand (already sorted).
    explicit ChildNameTable(const ToBeOpenTN& folder);

    ToBeOpenTN* find(std::string_view name) const;
    // Call after the child took its place in the list.
    void insert(ToBeOpenTN* child);
    // Call while the child still stands in the list.
    void erase(const ToBeOpenTN* child);

private:
    // The hash beside the pointer: a probe reads a node only when the
    // hashes agree.
    struct Slot {
        size_t hash = 0;
        ToBeOpenTN* child = nullptr;
    };
    static size_t hashOf(std::string_view name);
    size_t slotOf(std::string_view name, size_t hash) const;
    void put(ToBeOpenTN* child, size_t hash);
    void grow();

    // Open addressing with linear probing; at most half the slots are used,
    // so a probe ends soon at an empty one.
    std::vector<Slot> slots_;
    size_t used_ = 0;
};
