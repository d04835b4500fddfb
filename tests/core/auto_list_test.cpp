// The auto list: how it is read from auto.txt and which of its lines a field name finds.
#include "auto_list.h"

#include <gtest/gtest.h>

#include <random>

#include "classify_support.h"

using namespace verrimo;
using namespace verrimo::testing;

TEST(AutoLookup, FirstMatchInTheBoxLaterOnesInItsList) {
    struct Case {
        std::string name;
        std::vector<std::string_view> autoList;
        std::string box;
        std::vector<std::string> items;
    };
    const std::string japanese = sj("名前=ソ表");
    const Case cases[] = {
        {"id", {"id=1", "id=2"}, "1", {"2"}},
        {"mail", {"mail=a", "name=n", "mail=b", "mail=c"}, "a", {"b", "c"}},
        {"id", {"userid=abc"}, "abc", {}},            // the key inside the line
        {"b", {"a=xb=y"}, "xb=y", {}},                // the value follows the line's first "="
        {"id", {"id", "id value", "x=id"}, "", {}},   // no "id=" anywhere
        {"id", {"id=", "id=2", "id=3"}, "2", {"3"}},  // an empty first value leaves the box
        {"", {"a=1", "plain", "=2", "b=c=3"}, "1", {"2", "c=3"}},  // the key "="
        {"ID", {"id=1"}, "", {}},
        {sj("名前"), {japanese}, sj("ソ表"), {}},
    };
    for (const Case& c : cases) {
        Proposal old = initialProposal();
        old.autoChoices = {"left over"};
        const Proposal p =
            classifyAt({"<input type=text name=\"" + c.name + "\">"}, 0, c.autoList, true, old)
                .proposal;
        EXPECT_EQ(p.autoValue, c.box) << c.name;
        EXPECT_EQ(p.autoChoices, c.items) << c.name;
    }
}

TEST(AutoListLines, CommentLinesAreRemoved) {
    EXPECT_EQ(autoListLines("#c\r\nid=1\r\n\r\n #kept\n#\r#\rmail=m\r\n"),
              (std::vector<std::string_view>{"id=1", "", " #kept", "mail=m"}));
    EXPECT_TRUE(autoListLines("").empty());
}

TEST(AutoList, HoldsTheLinesWithoutCommentsAndTheirMemoText) {
    const AutoList list("#c\r\nid=1\n #kept\r#\rmail=m");
    EXPECT_EQ(list.lines(), (std::vector<std::string_view>{"id=1", " #kept", "mail=m"}));
    EXPECT_EQ(list.memoText(), "id=1\r\n #kept\r\nmail=m\r\n");
    EXPECT_TRUE(AutoList().lines().empty());
}

TEST(AutoList, LinesStayValidWhenTheListMoves) {
    AutoList first("a=1");  // short enough to sit inside a string object
    const AutoList moved = std::move(first);
    EXPECT_EQ(moved.lines(), std::vector<std::string_view>{"a=1"});
    EXPECT_EQ(moved.values("a"), std::vector<std::string_view>{"1"});
}

using Values = std::vector<std::string_view>;

// The index against a scan of every line, and both against the values expected.
TEST(AutoList, IndexAnswersAsTheScan) {
    const AutoList list(
        "# comment=hidden\r\n"
        "id=1\r\n"
        "userid=2\r\n"   // a name inside a longer key
        "id=3=id=4\r\n"  // "=" in the value, the name twice on the line
        "x=a=b=c\n"      // several "=": keys x, a and b
        "mail=m\r"       // a lone CR ends a line
        "e-mail=n\r\n"
        "plain\r\n"
        "=nokey\r\n"
        "a==b\r\n"    // an empty key between two "="
        "id=1\r\n"    // the same line again
        "pid =5\r\n"  // a blank before the "=" belongs to the key
        "d=\r\n"
        "\x82\xa0=sj\r\n"
        "#id=comment\r\n"
        "tail id");
    const struct {
        std::string_view name;
        Values expected;
    } cases[] = {
        {"id", {"1", "2", "3=id=4", "1"}},
        {"d", {"1", "2", "3=id=4", "1", ""}},  // a suffix of several keys
        {"userid", {"2"}},
        {"mail", {"m", "n"}},
        {"-mail", {"n"}},
        {"a", {"a=b=c", "=b"}},
        {"b", {"a=b=c"}},
        {"c", {}},           // text after the last "=" is no key
        {"x=a", {"a=b=c"}},  // a name holding "="
        {"=", {"=b"}},       // "==" stands only in a==b
        {"", {"1", "2", "3=id=4", "a=b=c", "m", "n", "nokey", "=b", "1", "5", "", "sj"}},
        {"pid ", {"5"}},
        {"pid", {}},
        {"\x82\xa0", {"sj"}},
        {"\xa0", {"sj"}},
        {"hidden", {}},
        {"# comment", {}},
        {"ID", {}},
        {"tail id", {}},
        {"userid=2", {}},  // lines are searched one by one, never across a line break
    };
    for (const auto& c : cases) {
        EXPECT_EQ(list.values(c.name), c.expected) << c.name;
        EXPECT_EQ(list.scannedValues(c.name), c.expected) << c.name;
    }
}

// Keys longer than the sixteen bytes the index compares without reading its buffer, zero bytes,
// and many keys sharing their endings: the index must still answer as the scan, for every ending
// of every key and for every short name over the list's bytes.
TEST(AutoList, IndexAnswersAsTheScanOnGeneratedLists) {
    std::mt19937 random(17);
    const std::string bytes("ab=\0\x82", 5);
    std::string text;
    for (int line = 0; line < 300; ++line) {
        const std::size_t length = random() % 48;
        for (std::size_t i = 0; i < length; ++i)
            text += random() % 4 == 0 ? bytes[random() % bytes.size()] : 'a';
        text += "\r\n";
    }
    const AutoList list(text);

    std::vector<std::string> names;
    for (const char a : bytes)
        for (const char b : bytes) names.push_back({a, b});
    for (const std::string_view line : list.lines()) {
        std::size_t start = 0;
        for (auto eq = line.find('='); eq != std::string_view::npos;
             start = eq + 1, eq = line.find('=', start))
            for (std::size_t from = start; from < eq; ++from)
                names.emplace_back(line.substr(from, eq - from));
    }
    for (const std::string& name : names)
        ASSERT_EQ(list.values(name), list.scannedValues(name)) << ::testing::PrintToString(name);
}
