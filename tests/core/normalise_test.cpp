#include <gtest/gtest.h>

#include <algorithm>

#include "extract_support.h"
#include "normalise.h"

using namespace verrimo;
using verrimo::testing::cp932;

namespace {

// The normaliser on a single source line; the result is that line.
std::string line(std::string_view source) {
    std::string out = normalise(source, cp932());
    EXPECT_EQ(out.substr(out.size() - 2), "\r\n");
    out.resize(out.size() - 2);
    return out;
}

}  // namespace

TEST(NormaliseRewrites, LowerTheTagAndAttributeNamesAndTypeValues) {
    EXPECT_EQ(line("<INPUT TYPE=HIDDEN NAME=sid VALUE=abc>"),
              "<input type=hidden name=\"sid\" value=\"abc\">");
    EXPECT_EQ(line("<Select Name=\"s\"></Select><SELECT></SELECT>"),
              "<select name=\"s\"></select><select></select>");
    EXPECT_EQ(line("<Textarea><TEXTAREA><Img Src=\"a\"><IMG SRC=\"b\">"),
              "<textarea><textarea><img src=\"a\"><img src=\"b\">");
    EXPECT_EQ(line("=Checkbox=CHECKBOX=Password=PASSWORD=Radio=RADIO=Submit=SUBMIT"),
              "=checkbox=checkbox=password=password=radio=radio=submit=submit");
    EXPECT_EQ(line("<a Href=\"x\"><a HREF=\"y\">"), "<a href=\"x\"><a href=\"y\">");
}

TEST(NormaliseRewrites, OnlyTheTableFormsAndOnlyWithTheEqualsSignInPlace) {
    EXPECT_EQ(line("<FORM ACTION=post.cgi>"), "<FORM action=post.cgi>");
    EXPECT_EQ(line("<InPut nAme=\"x\"><OPTION></TEXTAREA>"),
              "<InPut nAme=\"x\"><OPTION></TEXTAREA>");
    EXPECT_EQ(line("<input type=\"Hidden\">"), "<input type=\"Hidden\">");
    EXPECT_EQ(line("Value = x"), "Value = x");
}

TEST(NormaliseRewrites, ApplyInBodyTextAndInsideLongerWords) {
    EXPECT_EQ(line("ContentType=x"), "Contenttype=x");
    // UserName= becomes Username=, which the name pass then quotes.
    EXPECT_EQ(line("UserName=bob"), "Username=\"bob");
    EXPECT_EQ(line("<input value=Submit name=TextField>"),
              "<input value=\"submit\" name=\"textField\">");
}

TEST(NormaliseRewrites, RowsApplyOneAfterTheOther) {
    // TYPE= (row 8) lowers the T that =TEXT (row 18) would have needed.
    EXPECT_EQ(line("<input x=TEXTYPE=a>"), "<input x=TEXtype=a>");
    // Name= (row 1) makes the =Hidden that row 9 then lowers.
    EXPECT_EQ(line("=HiddeName=x"), "=hiddename=\"x");
    // Action= (row 5) comes before <TEXTAREA (row 26).
    EXPECT_EQ(line("<TEXTAREAction=a>"), "<TEXTAREaction=a>");
}

TEST(NormaliseRewrites, NeverMatchOnTheSecondByteOfACharacter) {
    // 0x83 'N' and 0x83 'T' are characters: no NAME= or Type= begins inside them.
    EXPECT_EQ(line("\x83NAME=x\x83Type=y"), "\x83NAME=x\x83Type=y");
    EXPECT_EQ(line("\x83\x40NAME=x"), "\x83\x40name=\"x");
}

TEST(NormaliseLines, SplitAtEveryKindOfBreakAndEndEachLineWithCrLf) {
    EXPECT_EQ(normalise("", cp932()), "");
    EXPECT_EQ(normalise("\r\n", cp932()), "\r\n");
    EXPECT_EQ(normalise("a\rb\nc\r\nd", cp932()), "a\r\nb\r\nc\r\nd\r\n");
    EXPECT_EQ(normalise("\n\n", cp932()), "\r\n\r\n");
    // Each line is quoted on its own.
    EXPECT_EQ(normalise("<input name=a\n value=b>", cp932()),
              "<input name=\"a\r\n value=\"b\">\r\n");
}

TEST(NormaliseNamePass, QuotesTheFirstUnquotedNameOfTheLine) {
    EXPECT_EQ(line("<input type=text name=q size=20>"), "<input type=text name=\"q\" size=20>");
    EXPECT_EQ(line("<input name=q>"), "<input name=\"q\">");
    EXPECT_EQ(line("<input name='a'>"), "<input name=\"'a'\">");
    EXPECT_EQ(line("<input type=\"hidden\" name=\"a\" value=\"b\">"),
              "<input type=\"hidden\" name=\"a\" value=\"b\">");
}

TEST(NormaliseNamePass, TheRestOfTheWholeLineDecidesWhereTheQuoteCloses) {
    EXPECT_EQ(line("<input name=a><input name=b>"), "<input name=\"a><input\" name=b>");
    EXPECT_EQ(line("<input name=\"x\"><input name=y>"), "<input name=\"x\"><input name=y>");
    EXPECT_EQ(line("<a href=\"list.cgi?username=bob\">"), "<a href=\"list.cgi?username=\"bob\"\">");
    // No space and no > after the name: only the opening quote.
    EXPECT_EQ(line("name="), "name=\"");
    EXPECT_EQ(line("x name=abc"), "x name=\"abc");
}

TEST(NormaliseNamePass, TheClosingQuoteIsPlacedCharacterByCharacter) {
    // The rest holds a space byte, but only as the second byte of 0x81 0x20: nothing to replace,
    // and the > is not looked at because the rest has a space.
    EXPECT_EQ(line("<input name=\x81 x>"), "<input name=\"\x81 x>");
    EXPECT_EQ(line("<input name=\x81>x>"), "<input name=\"\x81>x\">");
}

TEST(NormaliseValuePass, QuotesTheFirstValueUnlessAQuoteFollowsIt) {
    EXPECT_EQ(line("<input name=a value=>"), "<input name=\"a\" value=\"\">");
    EXPECT_EQ(line("<input value="), "<input value=\"");
    EXPECT_EQ(line("<input value=\"a\" value=b>"), "<input value=\"a\" value=b>");
    EXPECT_EQ(line("<input value=a value=b>"), "<input value=\"a\" value=b>");
    EXPECT_EQ(line("<input value='a'>"), "<input value=\"'a'\">");
    // A name pass that already quoted the line does not stop the value pass.
    EXPECT_EQ(line("<input name=\"n\" value=v>"), "<input name=\"n\" value=\"v\">");
}

TEST(NormaliseLines, NoLineIsCutAtAnyLength) {
    const std::string filler(10000, 'x');
    EXPECT_EQ(line("<input " + filler + " name=q>"), "<input " + filler + " name=\"q\">");
    EXPECT_EQ(line("<input name=" + filler + ">"), "<input name=\"" + filler + "\">");
}

TEST(NormaliseValuePass, LooksAtTheLineTheNamePassLeft) {
    // The name pass closes its quote right after value=, which then counts as quoted.
    EXPECT_EQ(line("<p name=value= x>"), "<p name=\"value=\" x>");
}

TEST(NormaliseLines, WithoutLineEndsTheLinesRunTogether) {
    const std::string page = "<INPUT NAME=a>\r\nx\ry\n\n<a HREF=b>\r\n";
    std::string expected = normalise(page, cp932());
    std::erase(expected, '\r');
    std::erase(expected, '\n');
    EXPECT_EQ(normalise(page, cp932(), LineEnds::None), expected);
}

TEST(NormaliseLines, ABigPageGivesWhatItsLinesGiveOneByOne) {
    // Big enough to be done in two halves; the line breaks near the middle are of every kind,
    // and a CR LF pair straddles it.
    const std::string block = "<INPUT TYPE=TEXT NAME=q VALUE=\x82\xa0>\r\n<Img Src=x>\n";
    std::string page;
    while (page.size() < (std::size_t{5} << 20)) page += block;
    page.resize(page.size() / 2 * 2);
    page.replace(page.size() / 2, 4, "\r\n\ry");
    page += "<p value=end";
    std::string expected;
    forEachLine(page,
                [&](std::string_view l) { expected += normalise(std::string(l) + "\n", cp932()); });
    const std::string whole = normalise(page, cp932());
    // Compared by hand: a failure's report would otherwise print both texts.
    const auto differ = std::mismatch(whole.begin(), whole.end(), expected.begin(), expected.end());
    EXPECT_EQ(differ.first - whole.begin(), static_cast<std::ptrdiff_t>(expected.size()));
    EXPECT_EQ(whole.size(), expected.size());
}
