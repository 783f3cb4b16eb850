// The worker's small helpers: HTTP dates both ways, sniffing by magic
// bytes, the text check.

#include <gtest/gtest.h>

#include <string>

#include "engine/ContentSniff.h"
#include "engine/HttpDate.h"

namespace {

TEST(HttpDate, FormatAndBrokenDownTimesAgree) {
    EXPECT_EQ("Sat, 03 Feb 2001 04:05:06 GMT", httpdate::format(981173106).view());
    EXPECT_EQ("Thu, 01 Jan 1970 00:00:00 GMT", httpdate::format(0).view());
    EXPECT_EQ("Tue, 29 Feb 2028 23:59:59 GMT", httpdate::format(1835481599).view());
    int64_t s = 0;
    ASSERT_TRUE(httpdate::toUnix({2001, 2, 6, 3, 4, 5, 6, 0}, s));
    EXPECT_EQ(981173106, s);
    ASSERT_TRUE(httpdate::toUnix({1601, 1, 1, 1, 0, 0, 0, 0}, s));
    EXPECT_EQ(0, httpdate::fileTimeOfUnix(s));
    EXPECT_FALSE(httpdate::toUnix({2001, 13, 0, 3, 4, 5, 6, 0}, s));
    EXPECT_FALSE(httpdate::toUnix({0, 0, 0, 0, 0, 0, 0, 0}, s));
    EXPECT_EQ(981173106, httpdate::unixOfFileTime(httpdate::fileTimeOfUnix(981173106)));
}

TEST(ContentSniff, MagicBytes) {
    struct Row {
        std::string bytes;
        const char* type;
    } rows[] = {
        {"BMxxxx", "image/bmp"},
        {"GIF89a", "image/gif"},
        {"\xFF\xD8\xFF\xE0rest", "image/jpeg"},
        {"%PDF-1.4", "application/pdf"},
        {"\xD7\xCD\xC6\x9A....", "image/x-wmf"},
        {"\x89PNG\r\n\x1A\n....", "image/x-png"},
        {"\x89PNG\r\n\x1A", ""},  // too short for the whole signature
        {"\xFF\xD8\xFF\xE1", ""},
        {"<html>", ""},
        {"B", ""},
    };
    for (const Row& r : rows)
        EXPECT_EQ(r.type, sniff::mediaTypeOfBytes(reinterpret_cast<const uint8_t*>(r.bytes.data()), r.bytes.size())
                              .view())
            << r.bytes;
}

TEST(ContentSniff, TextCheck) {
    auto text = [](const std::string& s) {
        return sniff::looksLikeText(reinterpret_cast<const uint8_t*>(s.data()), s.size());
    };
    EXPECT_TRUE(text("plain text\r\n\twith tabs\n"));
    EXPECT_TRUE(text("\xCF\xF0\xE8\xE2\xE5\xF2, Cyrillic in 1251\n"));
    EXPECT_FALSE(text(std::string("binary\0data", 11)));
    EXPECT_FALSE(text("\x01\x02\x03\x04\x05\x06\x07\x08 mostly control"));
    // Only the sample counts: a zero byte behind it does not.
    EXPECT_TRUE(text(std::string(sniff::kTextSample, 'a') + std::string(1, '\0')));
}

}  // namespace
