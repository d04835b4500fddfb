// The check strings proposed from an answer page.
#include "check_strings.h"

#include <gtest/gtest.h>

using namespace verrimo;

namespace {

const CodePage& utf8() {
    static const CodePage cp("UTF-8");
    return cp;
}

struct Case {
    const char* name;
    const char* answer;
    const char* previous;
    std::vector<std::string> candidates;
};

const Case kCases[] = {
    {"title, heading and what is new",
     "<html><head><title>確認 | 会員</title><script>var s = '送信中';</script>"
     "<style>p{}</style></head><body><h1>入力内容の\n  確認</h1><p>お名前</p>"
     "<p>以下の内容でよろしいですか。</p><p>山田</p><!-- 未使用 --><textarea>書いた</textarea>"
     "<p>この文はとても長いので、ホストが探す目印にはならないと思われるほどの長さがあります。</p>",
     "<title>入力 | 会員</title><h1>入力</h1><p>お名前</p><p>山田</p>",
     {"確認 | 会員", "入力内容の", "確認", "以下の内容でよろしいですか。"}},
    {"what the page before held too comes last",
     "<title>会員</title><h2>会員</h2><p>完了しました</p><p>完了しました</p><p>x</p>",
     "<title>会員</title>",
     {"完了しました", "会員"}},
    {"no page before",
     "<title>完了</title><div>ありがとう &amp; またね</div>",
     "",
     {"完了", "ありがとう &amp; またね"}},
    {"nothing to say", "<title></title><p>a</p>", "", {}},
};

TEST(CheckStrings, Candidates) {
    for (const Case& c : kCases)
        EXPECT_EQ(checkStringCandidates(c.answer, c.previous, utf8()), c.candidates) << c.name;
}

TEST(CheckStrings, EachStandsInTheAnswerAndTheyAreFew) {
    std::string answer = "<title>T1</title>";
    for (int i = 0; i < 40; ++i) answer += "<p>text " + std::to_string(i) + "</p>";
    const auto candidates = checkStringCandidates(answer, "", utf8());
    EXPECT_EQ(candidates.size(), 12u);
    for (const std::string& c : candidates) EXPECT_NE(answer.find(c), std::string::npos) << c;
}

TEST(CheckStrings, ShiftJisTextIsCountedInCharacters) {
    const CodePage cp("CP932");
    const std::string thirty =
        cp.fromUtf8("あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほ");
    const std::string answer = "<p>" + thirty + "</p><p>" + thirty + cp.fromUtf8("ま") + "</p>";
    EXPECT_EQ(checkStringCandidates(answer, "", cp), std::vector<std::string>{thirty});
}

}  // namespace
