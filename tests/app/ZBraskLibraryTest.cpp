#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/TestSupport.h"
#include "app/ZBraskLibrary.h"

namespace {

struct HistoryCase {
    const char* title;
    std::vector<const char*> shown;
    const char* pane;  // after the last one
};

TEST(MessageHistory, Sequences) {
    const HistoryCase cases[] = {
        {"the first message alone", {"a"}, "a"},
        {"earlier messages first, each with CR LF", {"a", "b", "c"}, "a\r\nb\r\nc"},
        {"six earlier messages and the new one", {"1", "2", "3", "4", "5", "6", "7"},
         "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7"},
        {"the oldest drops out after six", {"1", "2", "3", "4", "5", "6", "7", "8"},
         "2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8"},
        {"a repeat shows the history once", {"a", "b", "b"}, "a\r\nb"},
        {"a repeat does not move the slots", {"1", "2", "3", "4", "5", "6", "7", "7", "7"},
         "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7"},
        {"an equal text later is not a repeat", {"a", "b", "a"}, "a\r\nb\r\na"},
        {"empty slots are skipped", {"a", "", "b"}, "a\r\nb"},
        {"an empty first text equals the empty last text", {""}, ""},
    };
    for (const HistoryCase& c : cases) {
        SCOPED_TRACE(c.title);
        MessageHistory h;
        AStr pane;
        for (const char* s : c.shown) pane = h.add(s);
        EXPECT_EQ(pane, c.pane);
        EXPECT_EQ(h.paneText(), c.pane);
    }
}

class Pane : public MessagePane {
public:
    void setMessages(const AStr& text, const AStr& newest, bool repeat) override {
        shown.emplace_back(text.c_str());
        if (!repeat) lines.emplace_back(newest.c_str());
    }
    std::vector<std::string> shown;
    std::vector<std::string> lines;  // what a pane that prints lines prints
};

class TextSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        MakeTestLibrary(TestLibrary::English, folder.file("lib.bin"));
        lang.setModule(platform::Library::Load(folder.file("lib.bin").c_str()));
        ASSERT_TRUE(lang.loaded());
        source.setMainWindow(&pane);
    }
    ScratchFolder folder{"textsource"};
    LangWithError lang;
    MessageHistory history;
    ZBraskLibrary_ source{lang, history};
    Pane pane;
};

TEST_F(TextSourceTest, Slots) {
    ZBraskLibrary& s = source;
    EXPECT_EQ(s.text(5), "Text five (test)");
    s.status(3);
    s.error(2, "fallback");
    s.error(7, "no text 57, so this");
    s.error(8, nullptr);
    s.show("plain");
    ASSERT_EQ(pane.shown.size(), 5u);
    EXPECT_EQ(pane.shown[0], "Dialing (test)");
    EXPECT_EQ(pane.shown[1], "Dialing (test)\r\nThe file is missing (test)");
    EXPECT_EQ(pane.shown[2], "Dialing (test)\r\nThe file is missing (test)\r\nno text 57, so this");
    // Nothing at all for code 8: the empty text is shown and skipped later.
    EXPECT_EQ(pane.shown[3], "Dialing (test)\r\nThe file is missing (test)\r\nno text 57, so this\r\n");
    EXPECT_EQ(pane.shown[4], "Dialing (test)\r\nThe file is missing (test)\r\nno text 57, so this\r\nplain");
}

TEST_F(TextSourceTest, TwoIdenticalStatusMessagesAppearOnce) {
    source.status(3);
    source.status(3);
    ASSERT_EQ(pane.shown.size(), 2u) << "the pane is shown again";
    EXPECT_EQ(pane.shown[1], "Dialing (test)");
    EXPECT_EQ(pane.lines, std::vector<std::string>{"Dialing (test)"}) << "a repeat is no new line";
}

TEST_F(TextSourceTest, EachNewMessageIsGivenAsTheNewest) {
    for (const char* t : {"a", "b", "b", "a", "a", "c"}) source.show(t);
    EXPECT_EQ(pane.lines, (std::vector<std::string>{"a", "b", "a", "c"}));
    EXPECT_EQ(pane.shown.back(), "a\r\nb\r\na\r\nc");
}

TEST_F(TextSourceTest, NothingIsShownWithoutAMainWindow) {
    source.setMainWindow(nullptr);
    source.show("early");
    EXPECT_TRUE(pane.shown.empty());
    source.setMainWindow(&pane);
    source.show("late");
    ASSERT_EQ(pane.shown.size(), 1u);
    EXPECT_EQ(pane.shown[0], "early\r\nlate") << "the history kept the early message";
}

}  // namespace
