#include "ui/win32/FileView.h"

#include <algorithm>
#include <cstring>

#include "platform/Text.h"
#include "site/ToBeOpenTN.h"
#include "ui/panes/NodeLook.h"

FileView::~FileView() {
    if (icons_) ImageList_Destroy(icons_);
}

void FileView::attach(HWND tree, const ProgramOptions* options) {
    tree_ = tree;
    options_ = options;
    // Texts go to the control as UTF-16, so the items read right in any
    // language whatever the system's ANSI code page.
    SendMessageW(tree_, TVM_SETUNICODEFORMAT, TRUE, 0);
    // Magenta is where the view's background shows through.
    icons_ = ImageList_LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kIconsBitmapId), 16, 0,
                                  RGB(255, 0, 255), IMAGE_BITMAP, LR_CREATEDIBSECTION);
    if (icons_) SendMessageA(tree_, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(icons_));
}

void FileView::clear() {
    clearing_ = true;
    SendMessageA(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    clearing_ = false;
    items_.clear();
    filled_.clear();
    pending_.clear();
    root_ = nullptr;
}

void FileView::show(ToBeOpenTN& root, const std::string& label) {
    clear();
    root_ = &root;
    rootLabel_ = label;
    HTREEITEM item = insert(root, TVI_ROOT, TVI_LAST);
    // The root is open from the start, with or without children yet.
    fillChildren(root, item);
    SendMessageA(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
    SendMessageA(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
}

HTREEITEM FileView::insert(ToBeOpenTN& node, HTREEITEM parent, HTREEITEM after) {
    TVINSERTSTRUCTW ins = {};
    ins.hParent = parent;
    ins.hInsertAfter = after;
    // Text, icon and button are asked for when the item is drawn, so a
    // change of the node needs only a repaint.
    ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_PARAM;
    ins.item.pszText = LPSTR_TEXTCALLBACKW;
    ins.item.iImage = I_IMAGECALLBACK;
    ins.item.iSelectedImage = I_IMAGECALLBACK;
    ins.item.cChildren = I_CHILDRENCALLBACK;
    ins.item.lParam = reinterpret_cast<LPARAM>(&node);
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins)));
    if (item) items_[&node] = item;
    return item;
}

void FileView::fillChildren(ToBeOpenTN& node, HTREEITEM item) {
    if (!filled_.insert(&node).second) {
        // Opened again: the nodes made meanwhile without news show now.
        addMissingChildren(node, item);
        return;
    }
    SendMessageA(tree_, WM_SETREDRAW, FALSE, 0);
    for (ToBeOpenTN* c = node.firstChild(); c; c = c->nextSibling()) insert(*c, item, TVI_LAST);
    SendMessageA(tree_, WM_SETREDRAW, TRUE, 0);
}

void FileView::addMissingChildren(ToBeOpenTN& node, HTREEITEM item) {
    HTREEITEM after = TVI_FIRST;
    for (ToBeOpenTN* c = node.firstChild(); c; c = c->nextSibling()) {
        HTREEITEM own = itemOf(*c);
        after = own ? own : insert(*c, item, after);
        if (!after) after = TVI_LAST;
    }
}

void FileView::showUnannounced() {
    for (const ToBeOpenTN* node : filled_) {
        if (HTREEITEM item = itemOf(*node)) addMissingChildren(*const_cast<ToBeOpenTN*>(node), item);
    }
}

void FileView::repaint(HTREEITEM item) const {
    // The control takes the item in the rectangle it fills.
    RECT r = {};
    std::memcpy(&r, &item, sizeof item);
    if (SendMessageA(tree_, TVM_GETITEMRECT, FALSE, reinterpret_cast<LPARAM>(&r))) InvalidateRect(tree_, &r, FALSE);
}

HTREEITEM FileView::itemOf(const ToBeOpenTN& node) const {
    auto it = items_.find(&node);
    return it == items_.end() ? nullptr : it->second;
}

ToBeOpenTN* FileView::selected() const {
    auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree_, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (!item) return nullptr;
    TVITEMW it = {};
    it.mask = TVIF_PARAM;
    it.hItem = item;
    if (!SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&it))) return nullptr;
    return reinterpret_cast<ToBeOpenTN*>(it.lParam);
}

void FileView::nodeChanged(ToBeOpenTN& node) {
    if (HTREEITEM item = itemOf(node)) {
        repaint(item);
        return;
    }
    nodeAdded(node);  // a node not announced when made (a picture) shows once it changes
}

void FileView::nodeAdded(ToBeOpenTN& node) {
    if (!root_ || itemOf(node)) return;
    pending_.insert(&node);
    showPendingSoon();
}

void FileView::showPendingSoon() {
    if (!pending_.empty() && GetTickCount() - lastShown_ >= batchGap_) showPending();
}

void FileView::showPending() {
    const DWORD start = GetTickCount();
    lastShown_ = start;
    if (pending_.empty()) return;
    // Each item the control takes while it draws costs it a pass over
    // every item it holds: the new ones go in together.
    std::unordered_set<ToBeOpenTN*> nodes;
    nodes.swap(pending_);
    SendMessageA(tree_, WM_SETREDRAW, FALSE, 0);
    for (ToBeOpenTN* node : nodes) place(*node);
    SendMessageA(tree_, WM_SETREDRAW, TRUE, 0);
    // A control that holds many items costs more a batch: the batches
    // come less often, so that the view keeps to a small share of a core.
    batchGap_ = std::clamp<DWORD>((GetTickCount() - start) * kBatchCostShare, kMinBatchGapMs, kMaxBatchGapMs);
}

void FileView::place(ToBeOpenTN& node) {
    if (itemOf(node)) return;
    ToBeOpenTN* parent = node.parentNode();
    if (!parent) return;
    // The folders made on the way to a node are not announced: one under
    // an open branch shows with the first node inside it.
    if (!itemOf(*parent)) place(*parent);
    HTREEITEM parentItem = itemOf(*parent);
    if (!parentItem) return;
    // A branch never opened makes its items when it opens; it may need its
    // button now.
    if (!filled_.count(parent)) {
        repaint(parentItem);
        return;
    }
    // In name order, behind the nearest earlier sibling that has an item.
    HTREEITEM after = TVI_FIRST;
    for (Node* p = node.prev(); p; p = p->prev()) {
        if (HTREEITEM i = itemOf(*static_cast<ToBeOpenTN*>(p))) {
            after = i;
            break;
        }
    }
    insert(node, parentItem, after);
    // The root's first child: the root opens to show it.
    if (parent == root_ && !node.prev() && !node.next())
        SendMessageA(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(parentItem));
}

void FileView::nodeRemoved(ToBeOpenTN& node) {
    pending_.erase(&node);
    if (HTREEITEM item = itemOf(node)) SendMessageA(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item));
}

bool FileView::onNotify(const NMHDR* header, LRESULT& result) {
    if (header->hwndFrom != tree_) return false;
    result = 0;
    switch (header->code) {
    case TVN_GETDISPINFOW: {
        auto* info = const_cast<NMTVDISPINFOW*>(reinterpret_cast<const NMTVDISPINFOW*>(header));
        auto* node = reinterpret_cast<ToBeOpenTN*>(info->item.lParam);
        if (!node) return true;
        if (info->item.mask & TVIF_TEXT) {
            ProgramOptions defaults;
            text_ = platform::WideText(node == root_ ? rootLabel_
                                                     : std::string(FileViewText(*node, options_ ? *options_ : defaults).c_str()));
            info->item.pszText = text_.data();
        }
        if (info->item.mask & (TVIF_IMAGE | TVIF_SELECTEDIMAGE)) {
            int icon = static_cast<int>(node == root_ ? NodeIcon::Folder : IconOf(*node));
            info->item.iImage = icon;
            info->item.iSelectedImage = icon;
        }
        if (info->item.mask & TVIF_CHILDREN) info->item.cChildren = node->firstChild() ? 1 : 0;
        return true;
    }
    case TVN_ITEMEXPANDINGW: {
        auto* tv = reinterpret_cast<const NMTREEVIEWW*>(header);
        if (tv->action & TVE_EXPAND) {
            if (auto* node = reinterpret_cast<ToBeOpenTN*>(tv->itemNew.lParam)) fillChildren(*node, tv->itemNew.hItem);
        }
        return true;
    }
    case TVN_DELETEITEMW: {
        // Every item deleted, with the branch of a deleted node.
        auto* tv = reinterpret_cast<const NMTREEVIEWW*>(header);
        if (!clearing_) {
            items_.erase(reinterpret_cast<const ToBeOpenTN*>(tv->itemOld.lParam));
            filled_.erase(reinterpret_cast<const ToBeOpenTN*>(tv->itemOld.lParam));
        }
        return true;
    }
    default:
        return false;
    }
}
