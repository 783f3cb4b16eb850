#pragma once
// What the download engine of the main window asks of the front-end that
// shows it. The Windows main window paints a status bar, a thread view and
// a message pane; the console prints a status line and lines on stderr.
// Every call comes on the window's own thread.

#include <cstdint>

#include "framework/AStr.h"

class ToBeOpenTN;

class WindowViews {
public:
    // The job fields the status bar shows changed (counts, rate, message).
    virtual void refreshStatusBar() = 0;
    // Downloads were added or removed, or a status text changed.
    virtual void refreshThreadView() = 0;
    // A line for the message pane, in the language's code page.
    virtual void showMessage(const AStr& text) = 0;
    // A node's display (state, error, title) changed.
    virtual void updateNode(ToBeOpenTN* node) = 0;
    // A node was made in the graph, under a parent the graph holds already.
    virtual void nodeAdded(ToBeOpenTN* node) { (void)node; }
    // A node and everything below it are about to be deleted.
    virtual void nodeRemoved(ToBeOpenTN* node) { (void)node; }
    // The whole graph was replaced (a new job, a project opened): views of
    // it start again from its root, holding no node of before.
    virtual void graphReset() {}
    // The enabled state of the commands may have changed.
    virtual void updateCommands() = 0;
    // Posts a command to the main window, handled after the current message
    // (the program's exit, a command held back until the job wound down).
    virtual void postCommand(uint32_t command) = 0;

    // A passing text of the status line while something takes long (the
    // tree file read or written); empty when it is over.
    virtual void showStatusText(const AStr& text) { (void)text; }
    // How far a long piece of work has come (a page's many links taken
    // into the graph): one of a series, of which a front-end may show only
    // some. showStatusText("") follows the last.
    virtual void showProgress(const AStr& text) { (void)text; }

    // The question whether to save a changed unnamed project (Yes, No,
    // Cancel), and the name to save it under ("" when the user gave none).
    // A front-end that cannot ask cancels, so that nothing is dropped.
    enum class Answer { Yes, No, Cancel };
    virtual Answer askYesNoCancel(const AStr& text) { (void)text; return Answer::Cancel; }
    virtual AStr chooseProjectFile() { return AStr(); }

protected:
    ~WindowViews() = default;
};
