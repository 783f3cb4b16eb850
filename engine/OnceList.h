#pragma once
// A list of graph nodes in which a node stands at most once, in the order
// they joined. The main window keeps three: the rewrite queue, the pages to
// rewrite again after a removal, and the orphan candidates.

#include <deque>
#include <unordered_set>

class ToBeOpenTN;

class OnceList {
public:
    // False when the node was in the list already.
    bool add(ToBeOpenTN* node) {
        if (!members_.insert(node).second) return false;
        order_.push_back(node);
        return true;
    }
    // The oldest node, taken out; null when the list is empty.
    ToBeOpenTN* take() {
        if (order_.empty()) return nullptr;
        ToBeOpenTN* n = order_.front();
        order_.pop_front();
        members_.erase(n);
        return n;
    }
    // Forgets a node that leaves the graph.
    void remove(const ToBeOpenTN* node) {
        if (!members_.erase(const_cast<ToBeOpenTN*>(node))) return;
        for (auto it = order_.begin(); it != order_.end(); ++it)
            if (*it == node) { order_.erase(it); break; }
    }
    bool contains(const ToBeOpenTN* node) const { return members_.count(const_cast<ToBeOpenTN*>(node)) != 0; }
    bool empty() const { return order_.empty(); }
    size_t size() const { return order_.size(); }
    void clear() { order_.clear(); members_.clear(); }

private:
    std::deque<ToBeOpenTN*> order_;
    std::unordered_set<ToBeOpenTN*> members_;
};
