// The product tree's nodes and the version number rule.
#include <gtest/gtest.h>

#include "updater/ObjNode.h"

namespace {

TEST(LeadingInteger, Cases) {
    const struct {
        const char* text;
        int32_t number;
    } cases[] = {
        {"2.10", 2}, {"2", 2}, {"1999.12", 1999}, {"", 0}, {"abc", 0}, {"v3", 0},
        {" \t\n\v\f\r42x", 42}, {"+7", 7}, {"-7", -7}, {"- 7", 0}, {"033000", 33000}, {"3.5", 3},
        // beyond 32 bits: the largest number, never a wrapped negative one
        {"99999999999999999999", 2147483647}, {"-99999999999999999999", -2147483647 - 1},
        {"2147483647", 2147483647}, {"2147483648", 2147483647},
    };
    for (const auto& c : cases) EXPECT_EQ(c.number, LeadingInteger(c.text)) << '"' << c.text << '"';
}

TEST(ObjNode, ProductsAndGroups) {
    auto p = ObjNode::product("P", "1.5", 1, "http://h/p");
    EXPECT_EQ("1.5", p->prop().lastSeen) << "last seen starts as the installed version";
    EXPECT_EQ(1, p->prop().lastSeenNumber);
    auto g = ObjNode::group("G", "http://h/g.xml");
    EXPECT_EQ(0, g->prop().versionNumber);
    EXPECT_EQ("http://h/g.xml", g->prop().contentUrl);

    ObjectProp all{"t", "v", 1, "c", "p", "n", 2, "l", 3};
    ObjNode copy(all);
    EXPECT_EQ("n", copy.prop().newVersion);
    EXPECT_EQ(3, copy.prop().lastSeenNumber);
}

TEST(ObjNode, OrderAndWalk) {
    ObjNode root;
    ObjNode* b = root.append(ObjNode::group("B", ""));
    ObjNode* a = root.insertBefore(ObjNode::group("A", ""), b);
    ObjNode* first = root.insertBefore(ObjNode::group("0", ""), nullptr);
    ObjNode* c = root.append(ObjNode::group("C", ""));
    ObjNode* b1 = b->append(ObjNode::product("B1", "1", 1, ""));
    EXPECT_EQ(first, root.firstChild());
    EXPECT_EQ(c, root.lastChild());
    EXPECT_EQ(a, first->nextSibling());
    EXPECT_EQ(a, b->prevSibling());
    EXPECT_EQ(2, b1->depth());
    EXPECT_EQ(0, root.depth());

    // Pre-order, limited to a subtree.
    EXPECT_EQ(b1, b->nextInTree(b));
    EXPECT_EQ(nullptr, b1->nextInTree(b));
    EXPECT_EQ(c, b1->nextInTree(&root));
    EXPECT_EQ(nullptr, c->nextInTree(&root));

    auto gone = root.remove(a);
    ASSERT_TRUE(gone);
    EXPECT_EQ(b, first->nextSibling());
    EXPECT_EQ(first, b->prevSibling());
    EXPECT_EQ(nullptr, gone->parent());
    EXPECT_EQ(nullptr, root.remove(a)) << "no longer a child";
    root.remove(c);
    EXPECT_EQ(b, root.lastChild());
}

TEST(ObjNode, MarkingReachesEveryAncestor) {
    ObjNode root;
    ObjNode* g = root.append(ObjNode::group("G", ""));
    ObjNode* sub = g->append(ObjNode::group("S", ""));
    ObjNode* p = sub->append(ObjNode::product("P", "1", 1, ""));
    p->mark(ObjNode::UpdateAvailable);
    EXPECT_EQ(ObjNode::UpdateAvailable, p->flags);
    EXPECT_EQ(0, p->childFlags);
    EXPECT_EQ(ObjNode::UpdateAvailable, sub->childFlags);
    EXPECT_EQ(ObjNode::UpdateAvailable, g->childFlags);
    EXPECT_EQ(ObjNode::UpdateAvailable, root.childFlags);
    EXPECT_EQ(0, g->flags);
    g->mark(ObjNode::Checked);
    g->mark(ObjNode::CheckFailed);
    EXPECT_EQ(ObjNode::Checked | ObjNode::CheckFailed, g->flags);
    EXPECT_EQ(ObjNode::UpdateAvailable | ObjNode::Checked | ObjNode::CheckFailed, root.childFlags);
}

TEST(ObjNode, ClearingAWideAndDeepTree) {
    ObjNode root;
    ObjNode* n = &root;
    for (int i = 0; i < 50000; ++i) n = n->append(ObjNode::group("d", ""));
    for (int i = 0; i < 50000; ++i) root.append(ObjNode::product("w", "1", 1, ""));
    root.clearChildren();
    EXPECT_EQ(nullptr, root.firstChild());
    EXPECT_EQ(nullptr, root.lastChild());
}

}  // namespace
