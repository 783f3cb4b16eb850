#include "ui/win32/LinkView.h"

#include <cstring>

#include "platform/Text.h"
#include "site/ExtractList.h"
#include "site/ToBeOpenTN.h"
#include "ui/panes/NodeLook.h"

void LinkView::attach(HWND tree, const ProgramOptions* options, HIMAGELIST icons) {
    tree_ = tree;
    options_ = options;
    SendMessageW(tree_, TVM_SETUNICODEFORMAT, TRUE, 0);
    if (icons) SendMessageW(tree_, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(icons));
}

void LinkView::clear() {
    clearing_ = true;
    SendMessageW(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    clearing_ = false;
    items_.clear();
    itemsOfNode_.clear();
    root_ = nullptr;
    topCount_ = 0;
}

void LinkView::show(ToBeOpenTN& root) {
    clear();
    root_ = &root;
    nodeAdded(root);
    HTREEITEM first = reinterpret_cast<HTREEITEM>(SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    if (first) SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(first));
}

void LinkView::nodeAdded(ToBeOpenTN&) {
    // Only the start pages are shown without being opened: a start URL
    // entered adds a link to the root.
    if (!root_ || root_->links.count() <= topCount_) return;
    insertLinks(*root_, topCount_, TVI_ROOT);
    topCount_ = root_->links.count();
}

HTREEITEM LinkView::insert(const Item& item, HTREEITEM parent) {
    TVINSERTSTRUCTW ins = {};
    ins.hParent = parent;
    ins.hInsertAfter = TVI_LAST;
    // Text, icon and button are asked for when the item is drawn, so a
    // change of the node needs only a repaint.
    ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
    ins.item.pszText = LPSTR_TEXTCALLBACKW;
    ins.item.iImage = I_IMAGECALLBACK;
    ins.item.iSelectedImage = I_IMAGECALLBACK;
    ins.item.cChildren = I_CHILDRENCALLBACK;
    auto made = reinterpret_cast<HTREEITEM>(SendMessageW(tree_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins)));
    if (!made) return nullptr;
    items_[made] = item;
    if (item.node) itemsOfNode_.emplace(item.node, made);
    return made;
}

void LinkView::fill(HTREEITEM at) {
    auto it = items_.find(at);
    if (it == items_.end() || it->second.filled || !it->second.node) return;
    ToBeOpenTN* page = it->second.node;
    it->second.filled = true;
    it->second.filledFrom = page->links.first();
    it->second.filledCount = page->links.count();
    insertLinks(*page, 0, at);  // items_ grows: it is not used past this point
}

void LinkView::insertLinks(ToBeOpenTN& page, size_t from, HTREEITEM parent) {
    SendMessageW(tree_, WM_SETREDRAW, FALSE, 0);
    uint32_t index = 0;
    for (auto* link = page.links.firstLink(); link; link = static_cast<ExtractNode*>(link->next()), ++index) {
        if (index < from) continue;
        Item child;
        child.node = link->target;
        child.page = &page;
        child.link = index;
        insert(child, parent);
    }
    SendMessageW(tree_, WM_SETREDRAW, TRUE, 0);
}

const ExtractNode* LinkView::linkOf(const Item& item) const {
    // Found by place, not kept: a page fetched again gets new records.
    if (!item.page || item.link >= item.page->links.count()) return nullptr;
    return static_cast<const ExtractNode*>(item.page->links.at(item.link));
}

std::wstring LinkView::textOf(const Item& item) const {
    ProgramOptions defaults;
    const ExtractNode* link = linkOf(item);
    return link ? platform::WideText(LinkViewText(*link, options_ ? *options_ : defaults).view()) : std::wstring();
}

std::vector<HTREEITEM> LinkView::itemsOf(const ToBeOpenTN& node) const {
    std::vector<HTREEITEM> out;
    auto range = itemsOfNode_.equal_range(&node);
    for (auto i = range.first; i != range.second; ++i) out.push_back(i->second);
    return out;
}

void LinkView::nodeChanged(ToBeOpenTN& node) {
    for (HTREEITEM at : itemsOf(node)) {
        auto it = items_.find(at);
        if (it == items_.end()) continue;  // under another item of the node, made anew
        Item& item = it->second;
        // A page fetched again has other links: its open branch is made anew.
        if (item.filled && (item.filledFrom != node.links.first() || item.filledCount != node.links.count())) {
            SendMessageW(tree_, TVM_EXPAND, TVE_COLLAPSE | TVE_COLLAPSERESET, reinterpret_cast<LPARAM>(at));
            item.filled = false;
        }
        RECT r = {};
        std::memcpy(&r, &at, sizeof at);  // the control takes the item in the rectangle it fills
        if (SendMessageW(tree_, TVM_GETITEMRECT, FALSE, reinterpret_cast<LPARAM>(&r))) InvalidateRect(tree_, &r, FALSE);
    }
}

void LinkView::nodeRemoved(ToBeOpenTN& node) {
    for (HTREEITEM at : itemsOf(node)) {
        // An item under another item of the node went with it.
        if (items_.count(at)) SendMessageW(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(at));
    }
}

void LinkView::forget(HTREEITEM at) {
    auto it = items_.find(at);
    if (it == items_.end()) return;
    auto range = itemsOfNode_.equal_range(it->second.node);
    for (auto i = range.first; i != range.second; ++i) {
        if (i->second == at) {
            itemsOfNode_.erase(i);
            break;
        }
    }
    items_.erase(it);
}

ToBeOpenTN* LinkView::selected() const {
    auto at = reinterpret_cast<HTREEITEM>(SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_CARET, 0));
    auto it = items_.find(at);
    return it == items_.end() ? nullptr : it->second.node;
}

bool LinkView::onNotify(const NMHDR* header, LRESULT& result) {
    if (header->hwndFrom != tree_) return false;
    result = 0;
    switch (header->code) {
    case TVN_GETDISPINFOW: {
        auto* info = const_cast<NMTVDISPINFOW*>(reinterpret_cast<const NMTVDISPINFOW*>(header));
        auto it = items_.find(info->item.hItem);
        if (it == items_.end()) return true;
        const Item& item = it->second;
        if (info->item.mask & TVIF_TEXT) {
            text_ = textOf(item);
            info->item.pszText = text_.data();
        }
        if (info->item.mask & (TVIF_IMAGE | TVIF_SELECTEDIMAGE)) {
            // A link that leads to no node is one the program keeps out.
            int icon = static_cast<int>(item.node ? IconOf(*item.node) : NodeIcon::Excluded);
            info->item.iImage = icon;
            info->item.iSelectedImage = icon;
        }
        if (info->item.mask & TVIF_CHILDREN) info->item.cChildren = item.node && !item.node->links.empty() ? 1 : 0;
        return true;
    }
    case TVN_ITEMEXPANDINGW: {
        auto* tv = reinterpret_cast<const NMTREEVIEWW*>(header);
        if (tv->action & TVE_EXPAND) fill(tv->itemNew.hItem);
        return true;
    }
    case TVN_DELETEITEMW: {
        // Every item deleted, with the branch of a deleted item.
        if (!clearing_) forget(reinterpret_cast<const NMTREEVIEWW*>(header)->itemOld.hItem);
        return true;
    }
    default:
        return false;
    }
}
