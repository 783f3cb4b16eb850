#pragma once
// The sorted index of a large folder's children: short sorted runs of
// pointers, found by bisection, with the largest subtree priority of each
// run, so that a lookup, an insertion and a change of priority cost a
// bisection and one run, however many children the folder has. It holds
// the children in exactly the order of the folder's list.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class ToBeOpenTN;

class ChildIndex {
public:
    // Indexes the folder's children as they stand (already sorted).
    explicit ChildIndex(const ToBeOpenTN& folder);

    // The first child that does not sort before name, or null.
    ToBeOpenTN* lowerBound(std::string_view name) const;
    // The first child that sorts after name, or null.
    ToBeOpenTN* upperBound(std::string_view name) const;
    // Takes a child in after any of the same name; returns the child that
    // now follows it (null at the end), before which the list takes it.
    ToBeOpenTN* insert(ToBeOpenTN* child);
    void erase(const ToBeOpenTN* child);
    void priorityChanged(const ToBeOpenTN* child, uint16_t oldPriority);
    uint16_t maxPriority() const { return max_; }
    ToBeOpenTN* firstWithPriority(uint16_t p) const;

private:
    static constexpr size_t kRun = 512;
    struct Run {
        std::vector<ToBeOpenTN*> items;
        std::string_view last;  // name of the last item: bisection without touching the nodes
        uint16_t max = 0;
    };
    struct Pos {
        size_t run, item;
    };

    Pos lower(std::string_view name) const;
    Pos upper(std::string_view name) const;
    Pos locate(const ToBeOpenTN* child) const;
    ToBeOpenTN* at(Pos p) const;
    void recompute(Run& r);
    static void setLast(Run& r);
    void recomputeMax();

    const ToBeOpenTN& folder_;
    std::vector<Run> runs_;
    uint16_t max_ = 0;
    // The run touched last: a child inserted or picked is usually the
    // next one whose priority changes, and a scan of one run for its
    // pointer costs no name comparison.
    mutable size_t lastRun_ = 0;
    // A lookup that found nothing is mostly followed by the insertion of
    // that name: its place is kept until the index changes.
    mutable std::string missedName_;
    mutable Pos missedAt_{0, 0};
    mutable bool missedValid_ = false;
};
