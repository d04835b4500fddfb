#include <gtest/gtest.h>

#include <string>

#include "memo_text.h"
#include "page_source.h"

namespace verrimo {
namespace {

using namespace std::string_literals;

TEST(PageSourceFromBody, EmptyBodyGivesEmptySource) {
    EXPECT_EQ(pageSourceFromBody(""), "");
}

TEST(PageSourceFromBody, EndsTheBodyWithOneLineBreak) {
    EXPECT_EQ(pageSourceFromBody("<html></html>"), "<html></html>\r\n");
}

TEST(PageSourceFromBody, AddsTheLineBreakAlsoAfterTheBodysOwn) {
    // The whole body is added as one line to an empty page source.
    EXPECT_EQ(pageSourceFromBody("<p>\r\n"), "<p>\r\n\r\n");
    EXPECT_EQ(pageSourceFromBody("<p>\n"), "<p>\n\r\n");
}

TEST(PageSourceFromBody, DropsOnlyTheNulBytes) {
    EXPECT_EQ(pageSourceFromBody("\0<a\0 href=x>\0\0b</a>\0"s), "<a href=x>b</a>\r\n");
}

TEST(PageSourceFromBody, BodyOfNulBytesOnlyStillEndsInALineBreak) {
    EXPECT_EQ(pageSourceFromBody("\0\0"s), "\r\n");
}

TEST(PageSourceFromBody, LongBodyStaysOneLine) {
    // A tag and a two-byte character across every 10240-byte boundary stay whole.
    std::string body;
    while (body.size() < 25000) {
        body += std::string(10240 - body.size() % 10240 - 3, 'x');
        body += "<a\x82\xA0>";
    }
    const std::string source = pageSourceFromBody(body);
    EXPECT_EQ(source, body + "\r\n");
    ASSERT_EQ(splitLines(source).size(), 1u);
}

}  // namespace
}  // namespace verrimo
