// The auto list: how it is read from auto.txt and which of its lines a field name finds.
#include <gtest/gtest.h>

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
        old.cb3Items = {"left over"};
        const Proposal p =
            classifyAt({"<input type=text name=\"" + c.name + "\">"}, 0, c.autoList, true, old)
                .proposal;
        EXPECT_EQ(p.cb3, c.box) << c.name;
        EXPECT_EQ(p.cb3Items, c.items) << c.name;
    }
}

TEST(AutoListLines, CommentLinesAreRemoved) {
    EXPECT_EQ(autoListLines("#c\r\nid=1\r\n\r\n #kept\n#\r#\rmail=m\r\n"),
              (std::vector<std::string_view>{"id=1", "", " #kept", "mail=m"}));
    EXPECT_TRUE(autoListLines("").empty());
}
