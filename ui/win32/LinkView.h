#pragma once
// The link view: the link structure of the job from its start pages. An
// item stands for one node: the start pages at the top (the links of the
// graph's root), under a page the nodes its links lead to, in page order,
// each with its link's text. A
// page's links become items when its branch first opens, so a graph of
// any size shows at once and a loop of links is followed only as far as
// the user opens it; a node that changes repaints every item of it.

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/ProgramOptions.h"

class ExtractNode;
class ToBeOpenTN;

class LinkView {
public:
    LinkView() = default;
    LinkView(const LinkView&) = delete;
    LinkView& operator=(const LinkView&) = delete;

    // tree: the tree-view control to fill; icons: the node images, owned
    // by the caller.
    void attach(HWND tree, const ProgramOptions* options, HIMAGELIST icons);
    HWND hwnd() const { return tree_; }

    // Shows the link structure from the start pages that root links to.
    void show(ToBeOpenTN& root);
    // Forgets every node (the graph is about to be replaced or was).
    void clear();

    // The engine's news: a node's state, title or links changed; a node
    // was made (a start page shows at once); a node goes.
    void nodeChanged(ToBeOpenTN& node);
    void nodeAdded(ToBeOpenTN& node);
    void nodeRemoved(ToBeOpenTN& node);

    // The tree view's notifications; true when it was one of this view's.
    bool onNotify(const NMHDR* header, LRESULT& result);

    // The node of the selected item, or null (none, or a link that leads
    // to no node).
    ToBeOpenTN* selected() const;
    size_t itemCount() const { return items_.size(); }
    // The items that stand for a node.
    std::vector<HTREEITEM> itemsOf(const ToBeOpenTN& node) const;

private:
    struct Item {
        ToBeOpenTN* node = nullptr;  // null: a link that leads to no node
        ToBeOpenTN* page = nullptr;  // the page whose link this is (the root at the top)
        uint32_t link = 0;           // the link's place in the page's list
        bool filled = false;         // the node's links have items
        const void* filledFrom = nullptr;  // the first link record when filled, only compared
        size_t filledCount = 0;
    };

    HTREEITEM insert(const Item& item, HTREEITEM parent);
    void fill(HTREEITEM item);
    // Items for the links of page from link number from on, under parent.
    void insertLinks(ToBeOpenTN& page, size_t from, HTREEITEM parent);
    const ExtractNode* linkOf(const Item& item) const;
    std::wstring textOf(const Item& item) const;
    void forget(HTREEITEM item);

    HWND tree_ = nullptr;
    const ProgramOptions* options_ = nullptr;
    ToBeOpenTN* root_ = nullptr;
    size_t topCount_ = 0;  // the root's links that have items
    std::unordered_map<HTREEITEM, Item> items_;
    std::unordered_multimap<const ToBeOpenTN*, HTREEITEM> itemsOfNode_;
    std::wstring text_;  // the text last handed to the control, kept until it asks again
    bool clearing_ = false;
};
