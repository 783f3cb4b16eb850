// The link view under Wine: the start pages at the top, a page's links
// made when its branch opens, loops followed only as far as they are
// opened, and pages that change, go or come while it shows.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "app/ProgramOptions.h"
#include "platform/Text.h"
#include "site/ExtractList.h"
#include "site/LinkFlags.h"
#include "site/ToBeOpenTN.h"
#include "ui/panes/NodeLook.h"
#include "ui/win32/FileView.h"
#include "ui/win32/LinkView.h"
#include "ui/win32/PanesHost.h"

namespace {

struct Fixture {
    FileView files;  // owns the node images both views draw with: goes after the host
    PanesHost<LinkView> host{"links"};
    ProgramOptions options;
    ToBeOpenTN root;
    ToBeOpenTN* site = nullptr;
    Fixture() {
        EXPECT_TRUE(host.created);
        files.attach(host.panes.fileView(), &options);
        host.view.attach(host.panes.linkView(), &options, files.icons());
        site = node(root, "http://h");
    }
    static ToBeOpenTN* node(ToBeOpenTN& parent, const char* name, uint16_t state = StateNew) {
        auto* n = new ToBeOpenTN(name, 1);
        n->state = state;
        parent.insertChild(n);
        return n;
    }
    static ExtractNode* link(ToBeOpenTN& page, ToBeOpenTN* target, const char* url, const char* text = "") {
        auto* l = new ExtractNode;
        l->linkText = url;
        l->refText = text;
        l->target = target;
        page.links.append(l);
        return l;
    }
    HWND tree() const { return host.view.hwnd(); }
    HTREEITEM child(HTREEITEM parent) const {
        return reinterpret_cast<HTREEITEM>(SendMessageW(tree(), TVM_GETNEXTITEM, parent ? TVGN_CHILD : TVGN_ROOT,
                                                        reinterpret_cast<LPARAM>(parent)));
    }
    HTREEITEM next(HTREEITEM item) const {
        return reinterpret_cast<HTREEITEM>(SendMessageW(tree(), TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)));
    }
    TVITEMW read(HTREEITEM item, wchar_t* text, int size) const {
        TVITEMW it = {};
        it.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_CHILDREN;
        it.hItem = item;
        it.pszText = text;
        it.cchTextMax = size;
        SendMessageW(tree(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&it));
        return it;
    }
    std::string textOf(HTREEITEM item) const {
        wchar_t text[1024] = {};
        read(item, text, 1024);
        return platform::NarrowText(text);
    }
    int iconOf(HTREEITEM item) const {
        wchar_t text[16];
        return read(item, text, 16).iImage;
    }
    int buttonOf(HTREEITEM item) const {
        wchar_t text[16];
        return read(item, text, 16).cChildren;
    }
    void expand(HTREEITEM item) { SendMessageW(tree(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item)); }
};

}  // namespace

TEST(LinkView, LinksBecomeItemsAsTheUserFollowsThem) {
    Fixture f;
    ToBeOpenTN* start = Fixture::node(*f.site, "index.html", StateDone);
    ToBeOpenTN* about = Fixture::node(*f.site, "about.html", StateQueued);
    start->flags |= FlagReceived;
    start->title = "Home";
    Fixture::link(f.root, start, "http://h/index.html");
    Fixture::link(*start, about, "about.html", "About\r\nus");
    Fixture::link(*start, nullptr, "http://elsewhere/", "Away");
    Fixture::link(*about, start, "index.html", "Back");  // a loop

    f.host.view.show(f.root);
    HTREEITEM top = f.child(nullptr);
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(f.host.view.itemCount(), 1u) << "only the start page until it opens";
    EXPECT_EQ(f.host.view.selected(), start);
    EXPECT_EQ(f.textOf(top), "Home - http://h/index.html");
    EXPECT_EQ(f.iconOf(top), static_cast<int>(NodeIcon::Done));
    EXPECT_EQ(f.buttonOf(top), 1);

    f.expand(top);
    HTREEITEM toAbout = f.child(top);
    HTREEITEM away = f.next(toAbout);
    ASSERT_NE(away, nullptr);
    EXPECT_EQ(f.next(away), nullptr);
    EXPECT_EQ(f.textOf(toAbout), "About us - about.html");
    EXPECT_EQ(f.iconOf(toAbout), static_cast<int>(NodeIcon::Queued));
    EXPECT_EQ(f.textOf(away), "Away - http://elsewhere/");
    EXPECT_EQ(f.iconOf(away), static_cast<int>(NodeIcon::Excluded)) << "a link the job keeps out";
    EXPECT_EQ(f.buttonOf(away), 0);

    // The loop back to the start page is one more item, opened only on demand.
    f.expand(toAbout);
    HTREEITEM back = f.child(toAbout);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(f.textOf(back), "Back - Home - index.html");
    EXPECT_EQ(f.host.view.itemsOf(*start).size(), 2u);
    EXPECT_EQ(f.child(back), nullptr);
    EXPECT_EQ(f.host.view.itemCount(), 4u);

    SendMessageW(f.tree(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(away));
    EXPECT_EQ(f.host.view.selected(), nullptr);
    SendMessageW(f.tree(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(back));
    EXPECT_EQ(f.host.view.selected(), start);
}

TEST(LinkView, PagesThatChangeComeOrGoWhileItShows) {
    Fixture f;
    ToBeOpenTN* start = Fixture::node(*f.site, "index.html", StateLoading);
    ToBeOpenTN* old = Fixture::node(*f.site, "old.html");
    Fixture::link(f.root, start, "http://h/index.html");
    Fixture::link(*start, old, "old.html");
    f.host.view.show(f.root);
    HTREEITEM top = f.child(nullptr);
    EXPECT_EQ(f.iconOf(top), static_cast<int>(NodeIcon::Loading));
    f.expand(top);
    ASSERT_NE(f.child(top), nullptr);

    // The page is fetched again with other links: its branch is made anew.
    start->links.clear();
    ToBeOpenTN* fresh = Fixture::node(*f.site, "new.html");
    Fixture::link(*start, fresh, "new.html", "New");
    Fixture::link(*start, old, "old.html");
    start->state = StateDone;
    start->flags |= FlagReceived;
    f.host.view.nodeChanged(*start);
    EXPECT_EQ(f.iconOf(top), static_cast<int>(NodeIcon::Done));
    f.expand(top);
    HTREEITEM first = f.child(top);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(f.textOf(first), "New - new.html");
    EXPECT_EQ(f.textOf(f.next(first)), "old.html");
    EXPECT_EQ(f.host.view.itemCount(), 3u);

    // A node that goes takes its items; a start URL entered shows at once.
    f.host.view.nodeRemoved(*old);
    EXPECT_EQ(f.host.view.itemsOf(*old).size(), 0u);
    EXPECT_EQ(f.host.view.itemCount(), 2u);
    ToBeOpenTN* second = Fixture::node(*f.site, "second.html");
    Fixture::link(f.root, second, "http://h/second.html");
    f.host.view.nodeAdded(*second);
    EXPECT_EQ(f.textOf(f.next(top)), "http://h/second.html");
    f.host.view.clear();
    EXPECT_EQ(f.host.view.itemCount(), 0u);
}
