// The rewrites run in one walk over the page; they must give what the 34 rows give when each is
// applied to the whole text in turn.
#include <gtest/gtest.h>

#include <random>

#include "case_rewrites.h"
#include "extract_support.h"
#include "replace_text.h"

using namespace verrimo;
using verrimo::testing::cp932;

namespace {

// The lines of the page with the rows applied in one walk, as the normaliser applies them.
std::string applyCaseRewrites(std::string_view page, const CodePage& cp) {
    std::string text = crLfLines(page);
    rewriteCase(text.data(), text.size(), cp);
    return text;
}

std::string rowByRow(std::string_view page, const CodePage& cp) {
    std::string text = joinLines(splitLines(page));
    for (const auto& row : kCaseRewrites)
        text = joinLines(
            splitLines(replaceText(text, row.pattern, row.replacement, Replace::Every, cp)));
    return text;
}

// Pages built from the rows' own words, pieces of them that meet at a shared letter, and bytes
// that end a run or pair up as a double-byte character.
std::string generatedPage(std::mt19937& gen) {
    static const std::vector<std::string> pieces = [] {
        std::vector<std::string> p = {"=TEX",
                                      "TYPE=",
                                      "=HIDDE",
                                      "NAME=",
                                      "<TEXTARE",
                                      "ACTION=",
                                      "=Hidde",
                                      "Name=",
                                      "N",
                                      "T",
                                      "A",
                                      "S",
                                      "RC=",
                                      "<",
                                      "/",
                                      "=",
                                      " ",
                                      "\"",
                                      ">",
                                      "\r",
                                      "\n",
                                      "\r\n",
                                      "\x81",
                                      "\x83",
                                      "\xe0",
                                      "\x82\xa0",
                                      "\x80",
                                      "\xfd",
                                      "Hi",
                                      "dden",
                                      "IMG",
                                      "<IM",
                                      "G",
                                      "Src",
                                      "x",
                                      "name=",
                                      std::string(1, '\0')};
        for (const auto& row : kCaseRewrites) {
            p.emplace_back(row.pattern);
            p.emplace_back(row.replacement);
        }
        return p;
    }();
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    std::uniform_int_distribution<int> length(0, 120);
    std::string page;
    for (int n = length(gen); n > 0; --n) page += pieces[pick(gen)];
    return page;
}

}  // namespace

TEST(CaseRewrites, OneWalkEqualsTheRowsOneAfterTheOther) {
    std::mt19937 gen(20261207);
    for (int i = 0; i < 20000; ++i) {
        const std::string page = generatedPage(gen);
        ASSERT_EQ(applyCaseRewrites(page, cp932()), rowByRow(page, cp932())) << "page " << i;
    }
}

TEST(CaseRewrites, OneWalkEqualsTheRowsInEveryCodePage) {
    const CodePage utf8("UTF-8");
    const CodePage eucJp("EUC-JP");
    std::mt19937 gen(7);
    for (int i = 0; i < 3000; ++i) {
        const std::string page = generatedPage(gen);
        ASSERT_EQ(applyCaseRewrites(page, utf8), rowByRow(page, utf8)) << "page " << i;
        ASSERT_EQ(applyCaseRewrites(page, eucJp), rowByRow(page, eucJp)) << "page " << i;
    }
}
