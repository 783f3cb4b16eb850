#pragma once
// The file view: the link graph as a tree, one item a node, each with the
// icon of its state and the text the program options choose. Items are
// made when their branch first opens, so a graph of any size shows at
// once; while a job runs, a node that changes repaints its own item and a
// node made under an open branch appears in its place, nothing else.

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <unordered_map>
#include <unordered_set>

#include "app/ProgramOptions.h"

class ToBeOpenTN;

class FileView {
public:
    static constexpr int kIconsBitmapId = 102;
    // Nodes made while a job runs go in together, a batch at most every
    // kBatchCostShare times what the last one cost, within these bounds.
    static constexpr DWORD kMinBatchGapMs = 250, kMaxBatchGapMs = 3000, kBatchCostShare = 30;

    FileView() = default;
    FileView(const FileView&) = delete;
    FileView& operator=(const FileView&) = delete;
    ~FileView();

    // tree: the tree-view control to fill; options: what the texts show.
    void attach(HWND tree, const ProgramOptions* options);
    HWND hwnd() const { return tree_; }
    // The node images, which the link view shares.
    HIMAGELIST icons() const { return icons_; }

    // Shows root's graph from the start: the root's item, selected, with
    // its children; label: the root's text.
    void show(ToBeOpenTN& root, const std::string& label);
    // Forgets every node (the graph is about to be replaced or was).
    void clear();

    // The engine's news.
    void nodeChanged(ToBeOpenTN& node);
    void nodeAdded(ToBeOpenTN& node);
    void nodeRemoved(ToBeOpenTN& node);
    // The nodes made and not shown yet: now, or when the last batch is
    // old enough.
    void showPending();
    void showPendingSoon();
    // The nodes a job made under open branches without news (the links it
    // does not follow) show: at the end of a job, and when a branch opens again.
    void showUnannounced();

    // The tree view's notifications; true when it was one of this view's.
    bool onNotify(const NMHDR* header, LRESULT& result);

    // The node of the selected item, or null.
    ToBeOpenTN* selected() const;
    // The item of a node, or null while its branch never opened.
    HTREEITEM itemOf(const ToBeOpenTN& node) const;
    size_t itemCount() const { return items_.size(); }

private:
    HTREEITEM insert(ToBeOpenTN& node, HTREEITEM parent, HTREEITEM after);
    void fillChildren(ToBeOpenTN& node, HTREEITEM item);
    // An item for a node made under a branch that is open, in name order.
    void place(ToBeOpenTN& node);
    // Items, in name order, for the children of a filled node that have none.
    void addMissingChildren(ToBeOpenTN& node, HTREEITEM item);
    void repaint(HTREEITEM item) const;

    HWND tree_ = nullptr;
    HIMAGELIST icons_ = nullptr;
    const ProgramOptions* options_ = nullptr;
    ToBeOpenTN* root_ = nullptr;
    std::string rootLabel_;
    std::unordered_map<const ToBeOpenTN*, HTREEITEM> items_;
    std::unordered_set<const ToBeOpenTN*> filled_;  // nodes whose children have items
    std::unordered_set<ToBeOpenTN*> pending_;       // made, to show with the next batch
    DWORD lastShown_ = 0;                           // when the last batch went in
    DWORD batchGap_ = kMinBatchGapMs;               // the time until the next may go in
    std::wstring text_;  // the text last handed to the control, kept until it asks again
    bool clearing_ = false;
};
