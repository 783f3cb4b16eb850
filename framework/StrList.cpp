#include "framework/StrList.h"

#include "framework/twstream.h"

void StrNode::dump(otwstream& out, int indent) const {
    out.indent(indent);
    out << " str = \"" << str << "\"\n";
}

StrNode* StrList::add(const AStr& s) {
    auto* n = new StrNode(s);
    append(n);
    return n;
}

const AStr& StrList::operator[](size_t index) const {
    static const AStr empty;
    StrNode* n = element(index);
    return n ? n->str : empty;
}

StrNode* StrList::findEqual(std::string_view s) const {
    for (StrNode* n : each<StrNode>(*this))
        if (n->str == s) return n;
    return nullptr;
}

void StrList::copyFrom(const StrList& o) {
    clear();
    for (StrNode* n : each<StrNode>(o)) add(n->str);
}

bool operator==(const StrList& a, const StrList& b) {
    if (a.count() != b.count()) return false;
    Node* x = a.List::first();
    Node* y = b.List::first();
    for (; x && y; x = x->next(), y = y->next())
        if (static_cast<StrNode*>(x)->str != static_cast<StrNode*>(y)->str) return false;
    return true;
}
