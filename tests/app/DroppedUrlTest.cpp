// What a drop on the frame hands on as a URL.
#include <gtest/gtest.h>

#include <string>

#include "app/DroppedUrl.h"

TEST(DroppedUrl, FirstLineWithoutBlanks) {
    struct Row {
        std::string data;
        const char* url;
    };
    const Row rows[] = {
        {std::string("http://example.test/\0junk after the end", 39), "http://example.test/"},
        {"  http://example.test/a b \t", "http://example.test/a b"},
        {"http://example.test/one\r\nhttp://example.test/two", "http://example.test/one"},
        {"http://example.test/unterminated", "http://example.test/unterminated"},  // no zero in the data
        {"", ""},
        {" \t ", ""},
        {"\r\nhttp://example.test/", ""},
        {std::string("\0http://example.test/", 21), ""},
    };
    for (const Row& r : rows) EXPECT_EQ(AStr(r.url), DroppedUrl(r.data.data(), r.data.size())) << r.data;
    EXPECT_EQ(AStr(), DroppedUrl(nullptr, 10));
}

TEST(DroppedUrl, AnOverlongUrlIsRefusedNotCut) {
    std::string longest = "http://example.test/" + std::string(kMaxDroppedUrl - 20, 'a');
    EXPECT_EQ(kMaxDroppedUrl, DroppedUrl(longest.data(), longest.size()).size());
    std::string over = longest + "b";
    EXPECT_EQ(AStr(), DroppedUrl(over.data(), over.size()));
}
