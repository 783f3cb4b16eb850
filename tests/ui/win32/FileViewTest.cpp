// The file view under Wine: items made when a branch opens, icons and
// texts asked for as they are drawn, and a graph that changes under it.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "app/ProgramOptions.h"
#include "site/LinkFlags.h"
#include "site/ToBeOpenTN.h"
#include "ui/panes/NodeLook.h"
#include "ui/win32/FileView.h"
#include "ui/win32/PanesHost.h"

namespace {

struct Fixture {
    PanesHost<FileView> host{"files"};
    ProgramOptions options;
    ToBeOpenTN root;
    ToBeOpenTN* site = nullptr;
    Fixture() {
        EXPECT_TRUE(host.created);
        host.view.attach(host.panes.fileView(), &options);
        site = add(root, "http://h");
    }
    static ToBeOpenTN* add(ToBeOpenTN& parent, const char* name, uint16_t state = StateNew) {
        auto* n = new ToBeOpenTN(name, 1);
        n->state = state;
        parent.insertChild(n);
        return n;
    }
    HTREEITEM item(const ToBeOpenTN& n) const { return host.view.itemOf(n); }
    TVITEMA read(HTREEITEM item, char* text, int size) const {
        TVITEMA it = {};
        it.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_CHILDREN;
        it.hItem = item;
        it.pszText = text;
        it.cchTextMax = size;
        SendMessageA(host.view.hwnd(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
        return it;
    }
    std::string textOf(const ToBeOpenTN& n) const {
        char text[1024] = {};
        read(item(n), text, sizeof text);
        return text;
    }
    int iconOf(const ToBeOpenTN& n) const {
        char text[16];
        return read(item(n), text, sizeof text).iImage;
    }
    void expand(const ToBeOpenTN& n) {
        SendMessageA(host.view.hwnd(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item(n)));
    }
};

}  // namespace

TEST(FileView, BranchesMakeTheirItemsWhenTheyOpen) {
    Fixture f;
    for (int i = 0; i < 2000; ++i) Fixture::add(*f.site, ("p" + std::to_string(10000 + i) + ".html").c_str());
    Fixture::add(*Fixture::add(*f.site, "dir"), "deep.html");
    f.host.view.show(f.root, "project.zbp");
    // The root, open, and its one child: nothing below until it opens.
    EXPECT_EQ(f.host.view.itemCount(), 2u);
    EXPECT_EQ(f.textOf(f.root), "project.zbp");
    EXPECT_EQ(f.host.view.selected(), &f.root);
    char text[64];
    EXPECT_EQ(f.read(f.item(*f.site), text, sizeof text).cChildren, 1) << "a button to open it";
    f.expand(*f.site);
    EXPECT_EQ(f.host.view.itemCount(), 2u + 2001u);
    EXPECT_EQ(f.textOf(*f.site->firstChild()), "dir");  // in name order
    EXPECT_EQ(f.host.view.itemOf(*f.site->firstChild()->firstChild()), nullptr);
}

TEST(FileView, IconsAndTextsFollowTheNodes) {
    Fixture f;
    ToBeOpenTN* page = Fixture::add(*f.site, "index.html", StateQueued);
    page->title = AStr(std::string("Home\r\n") + std::string(100 * 1024, 't'));
    f.host.view.show(f.root, "p");
    f.expand(*f.site);
    EXPECT_EQ(f.iconOf(*page), static_cast<int>(NodeIcon::Queued));
    std::string shown = f.textOf(*page);
    EXPECT_EQ(shown.substr(0, 19), "index.html - Home t");
    EXPECT_LE(shown.size(), 10 + 3 + ProgramOptions::kMaxTitleShown + 3);
    page->state = StateLoading;
    f.host.view.nodeChanged(*page);
    EXPECT_EQ(f.iconOf(*page), static_cast<int>(NodeIcon::Loading));
    page->state = StateDone;
    page->flags |= FlagReceived;
    f.host.view.nodeChanged(*page);
    EXPECT_EQ(f.iconOf(*page), static_cast<int>(NodeIcon::Done));
    f.options.showPageTitle = false;
    EXPECT_EQ(f.textOf(*page), "index.html");
}

TEST(FileView, NodesMadeAndDroppedWhileItShows) {
    Fixture f;
    ToBeOpenTN* b = Fixture::add(*f.site, "b.html");
    ToBeOpenTN* closed = Fixture::add(*f.site, "closed");
    f.host.view.show(f.root, "p");
    f.expand(*f.site);
    // Under an open branch a new node takes its place in name order.
    ToBeOpenTN* a = Fixture::add(*f.site, "a.html");
    f.host.view.nodeAdded(*a);
    ASSERT_NE(f.item(*a), nullptr);
    HTREEITEM first = reinterpret_cast<HTREEITEM>(
        SendMessageA(f.host.view.hwnd(), TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(f.item(*f.site))));
    EXPECT_EQ(first, f.item(*a));
    // Made right after: it waits for the next batch.
    ToBeOpenTN* c = Fixture::add(*f.site, "c.html");
    f.host.view.nodeAdded(*c);
    EXPECT_EQ(f.item(*c), nullptr);
    f.host.view.showPendingSoon();
    EXPECT_EQ(f.item(*c), nullptr) << "not yet";
    f.host.view.showPending();
    HTREEITEM afterB = reinterpret_cast<HTREEITEM>(
        SendMessageA(f.host.view.hwnd(), TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(f.item(*b))));
    EXPECT_EQ(afterB, f.item(*c));  // "c.html" sorts before "closed"
    // Under a branch never opened: no item, but a button.
    char text[16];
    EXPECT_EQ(f.read(f.item(*closed), text, sizeof text).cChildren, 0);
    ToBeOpenTN* inside = Fixture::add(*closed, "x.html");
    f.host.view.nodeAdded(*inside);
    f.host.view.showPending();
    EXPECT_EQ(f.item(*inside), nullptr);
    EXPECT_EQ(f.read(f.item(*closed), text, sizeof text).cChildren, 1);
    // A picture, not announced when made, shows once it changes.
    ToBeOpenTN* picture = Fixture::add(*f.site, "p.gif", StateQueued);
    f.host.view.nodeChanged(*picture);
    f.host.view.showPending();
    EXPECT_NE(f.item(*picture), nullptr);

    // A folder made on the way is not announced: it shows with its first node.
    ToBeOpenTN* way = Fixture::add(*f.site, "way");
    ToBeOpenTN* distant = Fixture::add(*Fixture::add(*way, "deeper"), "far.html");
    f.host.view.nodeAdded(*distant);
    f.host.view.showPending();
    ASSERT_NE(f.item(*way), nullptr);
    EXPECT_EQ(f.read(f.item(*way), text, sizeof text).cChildren, 1);
    EXPECT_EQ(f.item(*distant), nullptr) << "inside a branch not opened yet";
    // Links a job does not follow make nodes without news: they show at
    // the job's end, in name order.
    ToBeOpenTN* quiet = Fixture::add(*f.site, "b2.html");
    EXPECT_EQ(f.item(*quiet), nullptr);
    f.host.view.showUnannounced();
    ASSERT_NE(f.item(*quiet), nullptr);
    EXPECT_EQ(reinterpret_cast<HTREEITEM>(SendMessageA(f.host.view.hwnd(), TVM_GETNEXTITEM, TVGN_NEXT,
                                                       reinterpret_cast<LPARAM>(f.item(*b)))),
              f.item(*quiet));

    // A dropped branch takes its items with it.
    f.expand(*closed);
    ASSERT_NE(f.item(*inside), nullptr);
    size_t before = f.host.view.itemCount();
    f.host.view.nodeRemoved(*closed);
    EXPECT_EQ(f.host.view.itemCount(), before - 2);
    EXPECT_EQ(f.item(*closed), nullptr);
    EXPECT_EQ(f.item(*inside), nullptr);
    // A node that goes before its batch never shows.
    ToBeOpenTN* brief = Fixture::add(*f.site, "brief.html");
    f.host.view.nodeAdded(*brief);
    f.host.view.nodeRemoved(*brief);
    f.host.view.showPending();
    EXPECT_EQ(f.item(*brief), nullptr);
    f.host.view.clear();
    EXPECT_EQ(f.host.view.itemCount(), 0u);
}
