#pragma once
// A list of strings; stored in settings files as a section with "count"
// and the keys "0" to count - 1.

#include "framework/AStr.h"
#include "framework/List.h"

class StrNode : public Node {
public:
    explicit StrNode(const AStr& s = AStr()) : str(s) {}
    void dump(otwstream& out, int indent) const override;
    AStr str;
};

class StrList : public List {
public:
    StrList() = default;
    StrList(const StrList& o) : List() { copyFrom(o); }
    StrList& operator=(const StrList& o) { if (this != &o) copyFrom(o); return *this; }

    StrNode* add(const AStr& s);
    StrNode* first() const { return static_cast<StrNode*>(List::first()); }
    // The element at index, or null past the end.
    StrNode* element(size_t index) const { return static_cast<StrNode*>(at(index)); }
    const AStr& operator[](size_t index) const;
    // The first element equal to s (byte-wise), or null.
    StrNode* findEqual(std::string_view s) const;
    void copyFrom(const StrList& o);

    friend bool operator==(const StrList& a, const StrList& b);
};
