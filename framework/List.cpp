#include "framework/List.h"

#include "framework/twstream.h"

Node::~Node() { unlink(); }

void Node::unlink() {
    if (owner_) owner_->unlinkNode(this);
}

void Node::dump(otwstream& out, int indent) const {
    out.indent(indent);
    out << " node = " << static_cast<const void*>(this) << "\n";
}

List::~List() { clear(); }

void List::unlinkNode(Node* n) {
    if (n->prev_) n->prev_->next_ = n->next_; else first_ = n->next_;
    if (n->next_) n->next_->prev_ = n->prev_; else last_ = n->prev_;
    n->prev_ = n->next_ = nullptr;
    n->owner_ = nullptr;
    --count_;
}

void List::append(Node* n) { insertBefore(nullptr, n); }
void List::prepend(Node* n) { insertAfter(nullptr, n); }

void List::insertAfter(Node* pos, Node* n) {
    if (n == pos) return;
    n->unlink();
    n->owner_ = this;
    n->prev_ = pos;
    n->next_ = pos ? pos->next_ : first_;
    if (n->next_) n->next_->prev_ = n; else last_ = n;
    if (pos) pos->next_ = n; else first_ = n;
    ++count_;
}

void List::insertBefore(Node* pos, Node* n) {
    if (n == pos) return;
    n->unlink();
    n->owner_ = this;
    n->next_ = pos;
    n->prev_ = pos ? pos->prev_ : last_;
    if (n->prev_) n->prev_->next_ = n; else first_ = n;
    if (pos) pos->prev_ = n; else last_ = n;
    ++count_;
}

Node* List::remove(Node* n) {
    if (n && n->owner_ == this) unlinkNode(n);
    return n;
}

void List::clear() {
    while (last_) delete last_;
}

Node* List::at(size_t index) const {
    Node* n = first_;
    while (n && index--) n = n->next_;
    return n;
}

size_t List::indexOf(const Node* n) const {
    size_t i = 0;
    for (Node* p = first_; p; p = p->next_, ++i)
        if (p == n) return i;
    return count_;
}

void List::takeAll(List& other) {
    if (&other == this) return;
    while (Node* n = other.first_) append(n);
}

void List::dumpNodes(otwstream& out, int indent) const {
    for (Node* n = first_; n; n = n->next_) n->dump(out, indent);
}

Tree* Tree::parent() const {
    return dynamic_cast<Tree*>(owner());
}

void Tree::dump(otwstream& out, int indent) const {
    Node::dump(out, indent);
    dumpNodes(out, indent + 1);
}
