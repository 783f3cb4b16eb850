#include "ui/panes/NodeLook.h"

#include <gtest/gtest.h>

#include <string>

#include "app/ProgramOptions.h"
#include "site/ExtractList.h"
#include "site/LinkFlags.h"
#include "site/ToBeOpenTN.h"

TEST(NodeLook, IconShowsWhatMattersMost) {
    ToBeOpenTN n("page.html", 1);
    EXPECT_EQ(IconOf(n), NodeIcon::New);
    n.state = StateQueued;
    EXPECT_EQ(IconOf(n), NodeIcon::Queued);
    n.flags |= FlagSkipped;
    EXPECT_EQ(IconOf(n), NodeIcon::Skipped);
    n.state = StateLoading;  // running: shown whatever else holds
    EXPECT_EQ(IconOf(n), NodeIcon::Loading);
    n.state = StateDone;
    n.flags = FlagReceived | FlagStub;
    EXPECT_EQ(IconOf(n), NodeIcon::Stub);
    n.flags = FlagReceived | FlagOtherCodePage;
    EXPECT_EQ(IconOf(n), NodeIcon::OtherCodePage);
    n.flags = FlagReceived;
    EXPECT_EQ(IconOf(n), NodeIcon::Done);
    // A stored copy stays visible while the refresh waits in the queue.
    n.state = StateQueued;
    EXPECT_EQ(IconOf(n), NodeIcon::Done);
    n.state = StateFailed;
    EXPECT_EQ(IconOf(n), NodeIcon::Failed);
    n.state = StateMissing;
    EXPECT_EQ(IconOf(n), NodeIcon::Missing);
    ToBeOpenTN folder("dir");
    EXPECT_EQ(IconOf(folder), NodeIcon::Folder);
    folder.flags = FlagExcluded;
    EXPECT_EQ(IconOf(folder), NodeIcon::Excluded);

    n.flags = FlagForced | FlagPreferred | FlagFlatLinks;
    EXPECT_EQ(MarksOf(n), MarkForced | MarkPreferred | MarkFlatLinks);
}

TEST(NodeLook, HostileTextIsCutAndCleaned) {
    EXPECT_EQ(ShownText("a\r\n\tb\x7f c  d"), "a b c d");
    EXPECT_EQ(ShownText("\n\nlead and trail\x01"), "lead and trail");
    std::string huge(100 * 1024, 'x');
    for (size_t i = 0; i < huge.size(); i += 7) huge[i] = '\x02';
    AStr shown = ShownText(huge);
    EXPECT_LE(shown.size(), kMaxShownText + 3);
    EXPECT_GT(shown.size(), kMaxShownText - 2);
    EXPECT_EQ(shown.view().substr(shown.size() - 4), "x...");
    for (char c : shown.view()) EXPECT_GE(static_cast<unsigned char>(c), 0x20);
    // A two-byte UTF-8 letter at the cut is dropped whole.
    std::string letters = "a\xD0\xB6\xD0\xB6";
    EXPECT_EQ(ShownText(letters, 2), "a...");
    EXPECT_EQ(ShownText(letters, 3), "a\xD0\xB6...");
}

TEST(NodeLook, TextsFollowTheOptions) {
    ProgramOptions o;
    ToBeOpenTN n("index", 1);
    n.tail = "/";
    n.title = AStr(std::string("Home\npage ") + std::string(500, 't'));
    AStr text = FileViewText(n, o);
    EXPECT_EQ(text.view().substr(0, 17), "index/ - Home pag");
    EXPECT_EQ(text.size(), 9 + ProgramOptions::kMaxTitleShown + 3);
    o.showPageTitle = false;
    EXPECT_EQ(FileViewText(n, o), "index/");

    ExtractNode link;
    link.refText = "Next\tchapter";
    link.linkText = "ch2.html";
    o = ProgramOptions();
    EXPECT_EQ(LinkViewText(link, o), "Next chapter - ch2.html");
    o.showRefUrl = false;
    EXPECT_EQ(LinkViewText(link, o), "Next chapter");
    o.showRefName = false;  // nothing chosen: the URL still shows
    EXPECT_EQ(LinkViewText(link, o), "ch2.html");
    link.refText.clear();
    o.showRefName = true;
    EXPECT_EQ(LinkViewText(link, o), "ch2.html");

    // The title of the page the link leads to, between name and URL.
    o = ProgramOptions();
    ToBeOpenTN target("ch2.html", 2);
    target.title = "Chapter\r\ntwo";
    link.target = &target;
    link.refText = "Next";
    EXPECT_EQ(LinkViewText(link, o), "Next - Chapter two - ch2.html");
    o.showRefUrl = false;
    EXPECT_EQ(LinkViewText(link, o), "Next - Chapter two");
    o.showRefName = false;
    EXPECT_EQ(LinkViewText(link, o), "Chapter two");
    o.showPageTitle = false;
    EXPECT_EQ(LinkViewText(link, o), "ch2.html");
}
