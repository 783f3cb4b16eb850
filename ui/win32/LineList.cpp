#include "ui/win32/LineList.h"

#include <commctrl.h>

#include "platform/Text.h"
#include "ui/panes/NodeLook.h"

void LineList::setLines(const std::vector<std::string>& lines, bool follow) {
    if (!tree_ || lines == lines_) return;
    // Items beyond the new lines go; new lines get items at the end.
    while (items_.size() > lines.size()) {
        SendMessageW(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(items_.back()));
        items_.pop_back();
        lines_.pop_back();
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i < items_.size() && lines_[i] == lines[i]) continue;
        std::wstring text = platform::WideText(ShownText(lines[i]).c_str());
        if (i < items_.size()) {
            TVITEMW it = {};
            it.mask = TVIF_TEXT;
            it.hItem = static_cast<HTREEITEM>(items_[i]);
            it.pszText = text.data();
            SendMessageW(tree_, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&it));
            lines_[i] = lines[i];
            continue;
        }
        TVINSERTSTRUCTW ins = {};
        ins.hParent = TVI_ROOT;
        ins.hInsertAfter = TVI_LAST;
        ins.item.mask = TVIF_TEXT;
        ins.item.pszText = text.data();
        items_.push_back(reinterpret_cast<void*>(SendMessageW(tree_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins))));
        lines_.push_back(lines[i]);
    }
    if (follow && !items_.empty()) SendMessageW(tree_, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(items_.back()));
}

std::string LineList::shown(size_t i) const {
    if (i >= items_.size()) return {};
    wchar_t text[1024] = {};
    TVITEMW it = {};
    it.mask = TVIF_TEXT;
    it.hItem = static_cast<HTREEITEM>(items_[i]);
    it.pszText = text;
    it.cchTextMax = sizeof text / sizeof text[0];
    SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&it));
    return platform::NarrowText(text);
}

std::vector<std::string> MessageLines(const std::string& pane) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < pane.size()) {
        size_t end = pane.find("\r\n", start);
        if (end == std::string::npos) end = pane.size();
        if (end > start) lines.push_back(pane.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}
