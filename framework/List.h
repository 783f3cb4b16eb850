#pragma once
// Intrusive, owning doubly linked list. A Node knows its list and its
// neighbours; a List owns its nodes and deletes them with itself; deleting
// a node unlinks it first.

#include <cstddef>

class List;
class obwstream;
class ibwstream;
class otwstream;
class WriteContext;
class ReadContext;

class Node {
public:
    Node() = default;
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    // Virtual operations, in this slot order (the tree file and the views
    // rely on it): destructor, is stored, write prefix, write, read, the
    // spare operation, debug dump.
    virtual ~Node();
    virtual bool isStored() const { return true; }
    virtual void writePrefix(obwstream&, WriteContext*) const {}
    virtual int write(obwstream&, WriteContext*) const { return 0; }
    virtual int read(ibwstream&, ReadContext*) { return 0; }
    virtual int spare() { return 0; }
    virtual void dump(otwstream& out, int indent) const;

    List* owner() const { return owner_; }
    Node* next() const { return next_; }
    Node* prev() const { return prev_; }
    // Takes the node out of its list without deleting it.
    void unlink();

private:
    friend class List;
    List* owner_ = nullptr;
    Node* prev_ = nullptr;
    Node* next_ = nullptr;
};

class List {
public:
    List() = default;
    List(const List&) = delete;
    List& operator=(const List&) = delete;
    virtual ~List();

    Node* first() const { return first_; }
    Node* last() const { return last_; }
    size_t count() const { return count_; }
    bool empty() const { return count_ == 0; }

    // Each insertion takes the node out of any list it was in.
    void append(Node* n);
    void prepend(Node* n);
    void insertAfter(Node* pos, Node* n);   // pos null: at the front
    void insertBefore(Node* pos, Node* n);  // pos null: at the end
    // Unlinks without deleting; the caller owns the node then.
    Node* remove(Node* n);
    // Deletes every node.
    void clear();
    Node* at(size_t index) const;
    size_t indexOf(const Node* n) const;  // count() when not a member
    // Moves all nodes of other to the end of this list.
    void takeAll(List& other);

    void dumpNodes(otwstream& out, int indent) const;

private:
    friend class Node;
    void unlinkNode(Node* n);

    Node* first_ = nullptr;
    Node* last_ = nullptr;
    size_t count_ = 0;
};

// A node that is also the list of its children.
class Tree : public Node, public List {
public:
    Tree* parent() const;
    void dump(otwstream& out, int indent) const override;
};

// Typed iteration over a list whose nodes are all of type T.
template <class T>
struct ListOf {
    const List& list;
    struct It {
        Node* n;
        T* operator*() const { return static_cast<T*>(n); }
        It& operator++() { n = n->next(); return *this; }
        bool operator!=(const It& o) const { return n != o.n; }
    };
    It begin() const { return {list.first()}; }
    It end() const { return {nullptr}; }
};
template <class T>
ListOf<T> each(const List& l) { return {l}; }
