// The walk as the walker runs it: the accepted lines and the steps through the list.
#include <gtest/gtest.h>

#include "classify_support.h"

using namespace verrimo;
using namespace verrimo::testing;

namespace {

struct Walk {
    std::vector<std::size_t> indexes;  // after each classification, the ending one included
    std::vector<Proposal> proposals;
    std::vector<std::string> lines;
};

Walk walk(const TagLines& required, bool getValue = true) {
    Walk w;
    w.lines = walkAcceptingAll(required, {}, getValue, sjis(),
                               [&](std::string_view, const Classification& c) {
                                   w.indexes.push_back(c.index);
                                   w.proposals.push_back(c.proposal);
                               });
    return w;
}

Walk walk(const std::vector<std::string_view>& required, bool getValue = true) {
    return walk(VectorTagLines(required), getValue);
}

// Counts the lines read, to show that a gathering reads ahead once.
class CountingLines : public TagLines {
  public:
    explicit CountingLines(const std::vector<std::string>& lines) : lines_(lines) {}
    std::size_t count() const override { return lines_.size(); }
    std::string line(std::size_t index) const override {
        ++reads;
        return index < lines_.size() ? lines_[index] : std::string();
    }
    mutable std::size_t reads = 0;

  private:
    const std::vector<std::string>& lines_;
};

}  // namespace

TEST(AcceptedLine, EachRowTakenVerbatim) {
    Proposal p{.name = " a b ",
               .identity = "Zem-ID",
               .fixedValue = "x/y =z",
               .expression = "Zem-Zip",
               .autoValue = ""};
    const std::pair<Row, std::optional<std::string>> expected[] = {
        {Row::None, std::nullopt},
        {Row::Identity, " a b =Zem-ID"},
        {Row::FixedValue, " a b =x/y =z"},
        {Row::Expression, " a b =Zem-Zip[]"},
        {Row::Auto, " a b ="}};
    for (const auto& [row, line] : expected) {
        p.row = row;
        EXPECT_EQ(acceptedLine(p), line) << static_cast<int>(row);
    }
}

TEST(Walk, StartsFromTheControlsAsCreated) {
    const Walk w = walk({R"(<form action="post.cgi">)", R"(<input type=submit value="Go">)"});
    ASSERT_EQ(w.proposals.size(), 3u);
    EXPECT_EQ(w.proposals[0],
              (Proposal{.name = "Edit_name", .fixedValue = "Edit_val", .operand = "Edit_zem"}));
    EXPECT_EQ(w.proposals[1].hint, sj("Submitボタンです"));
    EXPECT_EQ(w.proposals[1].name, "Edit_name");
    EXPECT_TRUE(w.lines.empty());
}

TEST(Walk, EmptyListOrEmptyLineEndsIt) {
    const Walk empty = walk(std::vector<std::string_view>{});
    EXPECT_EQ(empty.indexes, std::vector<std::size_t>{0});
    EXPECT_TRUE(empty.lines.empty());
    const Walk stopped = walk({R"(<input type=password name="a">)", "", "<input type=password>"});
    EXPECT_EQ(stopped.lines, std::vector<std::string>{"a=Zem-Pass"});
    EXPECT_EQ(stopped.indexes.back(), 1u);
}

TEST(Walk, HiddenAndTextFieldOfOneForm) {
    const std::vector<std::string_view> form{R"(<form action="post.cgi">)",
                                             R"(<input type=hidden name="sid" value="7">)",
                                             R"(<input type=text name="q">)"};
    EXPECT_EQ(walk(form).lines, std::vector<std::string>{"sid=Zem-GetValue[sid]"});
    EXPECT_EQ(walk(form, false).lines, std::vector<std::string>{"sid=7"});
}

TEST(Walk, ContinuesBehindSelectsAndRadioGroups) {
    const Walk w =
        walk({R"(<select name="pref">)", R"(<option value="a">)", R"(<option value="b">)",
              "</select>", R"(<input type=radio name="r" value="1">)",
              R"(<input type=radio name="r" value="2">)", R"(<input type=checkbox name="ok">)",
              R"(<textarea name="m">)", "</textarea>", R"(<input type=password name="pw">)"});
    EXPECT_EQ(w.indexes, (std::vector<std::size_t>{3, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(w.lines, (std::vector<std::string>{"pref=Zem-Select[a,b]", "r=Zem-Select[1,2]",
                                                 "ok=", "pw=Zem-Pass"}));
}

TEST(Walk, UnclassifiedLineAcceptsTheStandingProposalAgain) {
    const Walk w = walk({R"(<input type=password name="pw">)", "</textarea>"});
    EXPECT_EQ(w.lines, (std::vector<std::string>{"pw=Zem-Pass", "pw=Zem-Pass"}));
}

TEST(Walk, UnclosedSelectOrGroupAtTheEndRepeatsNoLine) {
    const Walk w = walk({R"(<input type=hidden name="h" value="1">)", R"(<select name="s">)",
                         R"(<option value="a">)", R"(<input type=text name="t">)",
                         R"(<input type=checkbox name="c" value="y">)",
                         R"(<input type=radio name="r" value="1">)",
                         R"(<input type=radio name="r" value="2">)"});
    EXPECT_EQ(w.indexes, (std::vector<std::size_t>{0, 2, 3, 4, 6, 7}));
    EXPECT_EQ(w.lines, (std::vector<std::string>{"h=Zem-GetValue[h]", "s=Zem-Select[a]", "c=y",
                                                 "r=Zem-Select[1,2]"}));
}

TEST(Walk, LargeFormReadsEachLineAboutOnce) {
    std::vector<std::string> required;
    for (int field = 0; field < 300; ++field) {
        const std::string id = std::to_string(field);
        required.push_back("<select name=\"s" + id + "\">");
        for (int o = 0; o < 200; ++o) required.push_back(R"(<option value="o">)");
        required.push_back("</select>");
        for (int r = 0; r < 200; ++r) required.push_back("<input type=radio name=\"r" + id + "\">");
    }
    // An unclosed select near the end reads to the end of the list once.
    required.push_back(R"(<select name="last">)");
    for (int i = 0; i < 1000; ++i) required.push_back(R"(<input type=text name="t">)");

    const CountingLines lines(required);
    const Walk w = walk(lines);
    EXPECT_EQ(w.lines.size(), 601u);
    EXPECT_EQ(w.indexes.size(), 300u * 2 + 1 + 1000 + 1);
    // Each classification loads its line; each gathering reads its lines and one beyond.
    EXPECT_LE(lines.reads, 2 * required.size() + 2 * w.indexes.size());
}
