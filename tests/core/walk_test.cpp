// The walk as the walker runs it: the accepted lines and the steps through the list.
#include <gtest/gtest.h>

#include "classify_support.h"

using namespace verrimo;
using namespace verrimo::testing;

namespace {

struct Step {
    std::string tag;
    std::size_t index;
    bool end;
};

struct Walk {
    std::vector<Step> steps;
    std::vector<std::string> lines;
};

Walk walk(const std::vector<std::string>& required, std::vector<std::string_view> autoList = {},
          bool getValue = true) {
    const std::vector<std::string_view> views(required.begin(), required.end());
    Walk w;
    w.lines = walkAcceptingAll(VectorTagLines(views), autoList, getValue, sjis(),
                               [&](std::string_view tag, const Classification& c) {
                                   w.steps.push_back({std::string(tag), c.index, c.end});
                               });
    return w;
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

TEST(AcceptedLine, EachRowAndNone) {
    Proposal p;
    p.name = "n";
    p.cb2 = "Zem-ID";
    p.val = "v";
    p.cb1 = "Zem-Zip";
    p.zem = "5,3";
    p.cb3 = "a";
    p.row = 1;
    EXPECT_EQ(acceptedLine(p), "n=Zem-ID");
    p.row = 2;
    EXPECT_EQ(acceptedLine(p), "n=v");
    p.row = 3;
    EXPECT_EQ(acceptedLine(p), "n=Zem-Zip[5,3]");
    p.row = 4;
    EXPECT_EQ(acceptedLine(p), "n=a");
    p.row = 0;
    EXPECT_EQ(acceptedLine(p), std::nullopt);
}

TEST(AcceptedLine, EmptyTextsAndTypedTextVerbatim) {
    Proposal p;
    p.name = "q";
    p.cb1 = "Zem-Select";
    p.row = 3;
    EXPECT_EQ(acceptedLine(p), "q=Zem-Select[]");
    p.row = 4;
    EXPECT_EQ(acceptedLine(p), "q=");
    p.name = " a b ";
    p.val = "x/y =z";
    p.row = 2;
    EXPECT_EQ(acceptedLine(p), " a b =x/y =z");
}

TEST(Walk, StartsFromTheControlsAsCreated) {
    const std::vector<std::string> required{"<form action=\"post.cgi\">",
                                            "<input type=submit value=\"Go\">"};
    const std::vector<std::string_view> views(required.begin(), required.end());
    std::vector<Proposal> seen;
    const auto lines = walkAcceptingAll(
        VectorTagLines(views), {"=1"}, true, sjis(),
        [&](std::string_view, const Classification& c) { seen.push_back(c.proposal); });
    EXPECT_TRUE(lines.empty());
    ASSERT_EQ(seen.size(), 3u);
    Proposal created = withClearedHints(initialProposal());
    EXPECT_EQ(created.name, "Edit_name");
    EXPECT_EQ(created.val, "Edit_val");
    EXPECT_EQ(created.zem, "Edit_zem");
    EXPECT_EQ(created.row, 0);
    EXPECT_EQ(seen[0], created);
    created.hint = sj("Submitボタンです");
    EXPECT_EQ(seen[1], created);
}

TEST(Walk, EmptyListEndsAtOnce) {
    const Walk w = walk({});
    ASSERT_EQ(w.steps.size(), 1u);
    EXPECT_TRUE(w.steps[0].end);
    EXPECT_EQ(w.steps[0].index, 0u);
    EXPECT_TRUE(w.lines.empty());
}

TEST(Walk, HiddenAndTextFieldOfOneForm) {
    const std::vector<std::string> required{"<form action=\"post.cgi\">",
                                            "<input type=hidden name=\"sid\" value=\"7\">",
                                            "<input type=text name=\"q\">"};
    EXPECT_EQ(walk(required).lines, std::vector<std::string>{"sid=Zem-GetValue[sid]"});
    EXPECT_EQ(walk(required, {}, false).lines, std::vector<std::string>{"sid=7"});
}

TEST(Walk, ContinuesBehindSelectsAndRadioGroups) {
    const std::vector<std::string> required{
        "<select name=\"pref\">",
        "<option value=\"a\">",
        "<option value=\"b\">",
        "</select>",
        "<input type=radio name=\"r\" value=\"1\">",
        "<input type=radio name=\"r\" value=\"2\">",
        "<input type=checkbox name=\"ok\">",
        "<textarea name=\"m\">",
        "</textarea>",
        "<input type=password name=\"pw\">",
    };
    const Walk w = walk(required);
    std::vector<std::size_t> indexes;
    for (const Step& s : w.steps) indexes.push_back(s.index);
    EXPECT_EQ(indexes, (std::vector<std::size_t>{3, 5, 6, 7, 8, 9, 10}));
    EXPECT_TRUE(w.steps.back().end);
    EXPECT_EQ(w.lines, (std::vector<std::string>{"pref=Zem-Select[a,b]", "r=Zem-Select[1,2]",
                                                 "ok=", "pw=Zem-Pass"}));
}

TEST(Walk, UnclassifiedLineAcceptsThePreviousProposalAgain) {
    // The closing tag of a text area leaves the password proposal standing.
    const Walk w = walk({"<input type=password name=\"pw\">", "</textarea>"});
    EXPECT_EQ(w.lines, (std::vector<std::string>{"pw=Zem-Pass", "pw=Zem-Pass"}));
}

TEST(Walk, UnclosedSelectDoesNotRepeatTheFieldBefore) {
    const Walk w = walk({"<input type=hidden name=\"h\" value=\"1\">", "<select name=\"s\">",
                         "<option value=\"a\">", "<input type=text name=\"t\">",
                         "<input type=checkbox name=\"c\" value=\"y\">"});
    EXPECT_EQ(w.lines, (std::vector<std::string>{"h=Zem-GetValue[h]", "s=Zem-Select[a]", "c=y"}));
}

TEST(Walk, RadioGroupAtTheEndOfTheListEndsTheWalk) {
    const Walk w = walk(
        {"<input type=radio name=\"r\" value=\"1\">", "<input type=radio name=\"r\" value=\"2\">"},
        {"r=2"});
    ASSERT_EQ(w.steps.size(), 2u);
    EXPECT_EQ(w.steps[0].index, 1u);
    EXPECT_TRUE(w.steps[1].end);
    EXPECT_EQ(w.steps[1].index, 2u);
    EXPECT_EQ(w.lines, std::vector<std::string>{"r=Zem-Select[1,2]"});
}

TEST(Walk, EmptyLineInTheMiddleStopsIt) {
    const Walk w =
        walk({"<input type=password name=\"a\">", "", "<input type=password name=\"b\">"});
    EXPECT_EQ(w.lines, std::vector<std::string>{"a=Zem-Pass"});
    EXPECT_EQ(w.steps.back().index, 1u);
}

TEST(Walk, LargeFormReadsEachLineAboutOnce) {
    std::vector<std::string> required;
    for (int field = 0; field < 300; ++field) {
        required.push_back("<select name=\"s" + std::to_string(field) + "\">");
        for (int o = 0; o < 200; ++o)
            required.push_back("<option value=\"" + std::to_string(o) + "\">");
        required.push_back("</select>");
        for (int r = 0; r < 200; ++r)
            required.push_back("<input type=radio name=\"r" + std::to_string(field) +
                               "\" value=\"" + std::to_string(r) + "\">");
    }
    // An unclosed select at the end reads to the end of the list once.
    required.push_back("<select name=\"last\">");
    for (int i = 0; i < 1000; ++i) required.push_back("<input type=text name=\"t\">");

    const CountingLines lines(required);
    std::size_t classifications = 0;
    const auto appended =
        walkAcceptingAll(lines, {}, true, sjis(),
                         [&](std::string_view, const Classification&) { ++classifications; });
    EXPECT_EQ(appended.size(), 601u);
    EXPECT_EQ(classifications, 300u * 2 + 1 + 1000 + 1);
    // Each classification loads its line, each gathering reads its lines and one beyond.
    EXPECT_LE(lines.reads, 2 * required.size() + 2 * classifications);
}
