// The main window's side of the user's node marks: the hooks that reach
// the running downloads, the local copies and the views, and the graph's
// changed mark.

#include "engine/ActiveNode.h"
#include "engine/Window.h"

void Window::hookMarks() {
    marks_.stopDownload = [this](ToBeOpenTN& n) {
        // The node stays loading until the worker's end message arrives.
        if (auto* e = static_cast<BraskNode*>(n.activeDownload)) stopDownload(*e);
    };
    marks_.deleteLocalCopies = [this](ToBeOpenTN& n) { deleteLocalFiles(n); };
    marks_.refresh = [this](ToBeOpenTN& n) { views_.updateNode(&n); };
}

size_t Window::takeMarks(size_t items) {
    if (marks_.changed) graphChanged_ = true;
    marks_.changed = false;
    return items;
}

size_t Window::skipNodes(const std::vector<MarkItem>& items, MarkView view) {
    return takeMarks(marks_.skipItems(items, view));
}

size_t Window::includeNodes(const std::vector<MarkItem>& items, MarkView view) {
    return takeMarks(marks_.includeItems(items, view));
}

size_t Window::preferNodes(const std::vector<MarkItem>& items, MarkView view) {
    return takeMarks(marks_.preferItems(items, view));
}

size_t Window::unpreferNodes(const std::vector<MarkItem>& items, MarkView view) {
    return takeMarks(marks_.unpreferItems(items, view));
}

size_t Window::flatLinks(const std::vector<MarkItem>& items, bool on) {
    return takeMarks(marks_.flatLinksItems(items, on));
}
