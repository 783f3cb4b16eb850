#include <gtest/gtest.h>

#include <vector>

#include "framework/List.h"
#include "framework/StrList.h"
#include "framework/twstream.h"

namespace {
int gDeleted = 0;
struct Item : Node {
    explicit Item(int v) : v(v) {}
    ~Item() override { ++gDeleted; }
    int v;
};

std::vector<int> Values(const List& l) {
    std::vector<int> out;
    for (Item* i : each<Item>(l)) out.push_back(i->v);
    // Walking backwards must give the same nodes.
    std::vector<int> back;
    for (Node* n = l.last(); n; n = n->prev()) back.insert(back.begin(), static_cast<Item*>(n)->v);
    EXPECT_EQ(out, back);
    EXPECT_EQ(out.size(), l.count());
    return out;
}
}  // namespace

TEST(List, InsertRemoveAndOrder) {
    List l;
    auto* a = new Item(1);
    auto* c = new Item(3);
    l.append(a);
    l.append(c);
    l.insertAfter(a, new Item(2));
    l.prepend(new Item(0));
    l.insertBefore(nullptr, new Item(4));
    EXPECT_EQ(Values(l), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(static_cast<Item*>(l.at(2))->v, 2);
    EXPECT_EQ(l.at(9), nullptr);
    EXPECT_EQ(l.indexOf(c), 3u);

    l.remove(c);  // unlinked, now ours
    EXPECT_EQ(c->owner(), nullptr);
    EXPECT_EQ(Values(l), (std::vector<int>{0, 1, 2, 4}));
    delete c;

    gDeleted = 0;
    delete a;  // deleting a member unlinks it
    EXPECT_EQ(gDeleted, 1);
    EXPECT_EQ(Values(l), (std::vector<int>{0, 2, 4}));
}

TEST(List, MovingBetweenListsAndOwnership) {
    gDeleted = 0;
    {
        List a, b;
        auto* x = new Item(7);
        a.append(x);
        b.append(x);  // moves, never in two lists
        EXPECT_TRUE(a.empty());
        EXPECT_EQ(x->owner(), &b);
        a.append(new Item(8));
        a.append(new Item(9));
        b.takeAll(a);
        EXPECT_EQ(Values(b), (std::vector<int>{7, 8, 9}));
        EXPECT_TRUE(a.empty());
    }
    EXPECT_EQ(gDeleted, 3);  // the list deleted its nodes
}

TEST(List, TreeParentAndDump) {
    Tree root;
    auto* child = new Tree;
    root.append(child);
    child->append(new Tree);
    EXPECT_EQ(child->parent(), &root);
    EXPECT_EQ(root.parent(), nullptr);
    otmwstream out;
    root.dump(out, 0);
    std::string_view text = out.data();
    // One line per node, children indented under their parent.
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3);
    EXPECT_NE(text.find("\n   node = "), std::string_view::npos);
    EXPECT_NE(text.find("\n     node = "), std::string_view::npos);
}

TEST(StrList, AppendFindCopyEquality) {
    StrList l;
    l.add("a");
    l.add("");
    l.add("c");
    EXPECT_EQ(l.count(), 3u);
    EXPECT_EQ(l[1], "");
    EXPECT_EQ(l[2], "c");
    EXPECT_EQ(l[3], "");
    EXPECT_EQ(l.findEqual("c"), l.element(2));
    EXPECT_EQ(l.findEqual("C"), nullptr);
    StrList copy = l;
    EXPECT_TRUE(copy == l);
    copy.element(1)->str = "b";
    EXPECT_FALSE(copy == l);
    copy.add("d");
    l = copy;
    EXPECT_TRUE(copy == l);
    EXPECT_EQ(l.count(), 4u);
    l.clear();
    EXPECT_EQ(l.count(), 0u);
    EXPECT_FALSE(copy == l);
}
