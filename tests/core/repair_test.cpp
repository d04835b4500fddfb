// The repair against pages edited from a members' registration form as Japanese sites write it,
// in Shift_JIS, EUC-JP and UTF-8. The old definition is what the walker writes for the old page
// (with the user's own values for the text fields, where the walker proposes nothing); a page
// that the walker could have been shown afresh is repaired into what it writes for that page.
#include "repair.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>

#include "definition.h"
#include "extract_page.h"
#include "memo_text.h"
#include "walk.h"

namespace verrimo {
namespace {

constexpr std::string_view kReferrer = "http://www.example.jp/member/entry.html";

const std::string kPage = R"(<html><head>
<meta http-equiv="Content-Type" content="text/html; charset={charset}">
<title>会員登録</title></head><body>
<h1>会員登録</h1>
<form action="/member/confirm.cgi" method="post">
<input type="hidden" name="token" value="a8f3c9e1">
<input type="hidden" name="mode" value="regist">
<table>
<tr><th>お名前</th><td><input type="text" name="name" size="20"></td></tr>
<tr><th>メールアドレス</th><td><input type="text" name="email" size="40"></td></tr>
<tr><th>パスワード</th><td><input type="password" name="pass"></td></tr>
<tr><th>都道府県</th><td><select name="pref">
<option value="">選択してください</option>
<option value="東京都">東京都</option>
<option value="大阪府">大阪府</option>
</select></td></tr>
<tr><th>性別</th><td><input type="radio" name="sex" value="m" checked>男性
<input type="radio" name="sex" value="f">女性</td></tr>
<tr><th>規約</th><td><input type="checkbox" name="agree" value="同意">同意する</td></tr>
</table>
<input type="submit" name="submit" value="確認">
</form>
</body></html>
)";

// What the user writes where the walker proposes nothing.
const std::map<std::string, std::string> kUserValues = {
    {"name", "Zem-ID"}, {"email", "Zem-email"}, {"mail", "Zem-email"}};

std::string replaced(std::string text, std::string_view from, std::string_view to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

struct Charset {
    std::string name;  // as the page declares it
    const CodePage& cp() const {
        static std::map<std::string, std::unique_ptr<CodePage>> pages;
        auto& page = pages[name];
        if (!page) page = std::make_unique<CodePage>(name);
        return *page;
    }
    std::string page(const std::string& utf8) const {
        return cp().fromUtf8(replaced(utf8, "{charset}", name));
    }
};

const Charset kCharsets[] = {{"Shift_JIS"}, {"EUC-JP"}, {"UTF-8"}};

// The definition the windows build from the page: referrer, target, every field line the walker
// writes or the user fills in, and the held lines pasted last.
std::string walked(const std::string& page, const CodePage& cp) {
    const Extraction x = extractPage(page, kReferrer, cp);
    std::vector<std::string> lines = {definition::referrerLine(x.targets.referrer),
                                      definition::targetLine("action", x.targets.target)};
    walkAcceptingAll(VectorTagLines(splitLines(x.lists.required)), {}, true, cp,
                     [&](std::string_view, const Classification& c) {
                         if (c.end) return;
                         if (const auto line = acceptedLine(c.proposal))
                             lines.push_back(*line);
                         else if (const auto user = kUserValues.find(c.proposal.name);
                                  user != kUserValues.end())
                             lines.push_back(definition::fieldLine(user->first, user->second));
                     });
    lines.insert(lines.end(), {"-", "chk-moji="});
    return joinLines(lines);
}

// url: where the page was loaded from; empty for pasted source.
RepairResult repaired(const std::string& definition, const std::string& page, const CodePage& cp,
                      std::string_view url = kReferrer) {
    const ReadPage read{readPage({page}, cp, {.forms = true}).forms, std::string(url)};
    return repairDefinition(*parseDefinition(definition, cp), {&read, 1}, cp);
}

std::vector<std::string> kindsOf(const RepairResult& r) {
    std::vector<std::string> kinds;
    for (const RepairChange& c : r.changes) kinds.emplace_back(repairKindId(c.kind));
    return kinds;
}

// Every byte past ASCII of a field line's value as "%XX": what a definition in another charset
// holds for the page's characters.
std::string escapedValues(const std::string& definition) {
    std::vector<std::string> lines;
    for (const std::string_view line : splitLines(definition)) {
        std::string out(line);
        const std::size_t eq = out.find('=');
        if (eq != std::string::npos && !line.starts_with(definition::kReferrerKey)) {
            std::string value;
            for (const char c : out.substr(eq + 1)) {
                char hex[4];
                std::snprintf(hex, sizeof hex, "%%%02X", static_cast<unsigned char>(c));
                value += static_cast<unsigned char>(c) < 0x80 ? std::string(1, c) : hex;
            }
            out = out.substr(0, eq + 1) + value;
        }
        lines.push_back(out);
    }
    return joinLines(lines);
}

// A page changed one way that the walker, shown the new page, would have written for.
struct Repairable {
    std::string name;
    std::function<std::string(std::string)> change;
    std::vector<std::string> kinds;
};

const Repairable kRepairable[] = {
    {"HiddenRenamed",
     [](std::string p) { return replaced(p, "name=\"token\"", "name=\"csrf_token\""); },
     {"renamed"}},
    {"TextRenamed",
     [](std::string p) { return replaced(p, "name=\"email\"", "name=\"mail\""); },
     {"renamed"}},
    {"HiddenAddedAfterAField",
     [](std::string p) {
         return replaced(p, "value=\"regist\">",
                         "value=\"regist\">\n<input type=\"hidden\" name=\"ref\" value=\"top\">");
     },
     {"added"}},
    {"HiddenAddedFirst",
     [](std::string p) {
         return replaced(p, "method=\"post\">",
                         "method=\"post\">\n<input type=\"hidden\" name=\"sid\" value=\"77\">");
     },
     {"added"}},
    {"FieldRemoved",
     [](std::string p) {
         return replaced(p, "<input type=\"hidden\" name=\"mode\" value=\"regist\">", "");
     },
     {"removed"}},
    {"ActionChanged",
     [](std::string p) { return replaced(p, "/member/confirm.cgi", "/member/v2/confirm.php"); },
     {"action"}},
    {"SelectOptionAdded",
     [](std::string p) {
         return replaced(p, "<option value=\"大阪府\">",
                         "<option value=\"京都府\">京都府</option>\n<option value=\"大阪府\">");
     },
     {"choices"}},
    {"RadioValueChanged",
     [](std::string p) { return replaced(p, "value=\"f\"", "value=\"w\""); },
     {"choices"}},
    {"SubmitRenamed",
     [](std::string p) {
         return replaced(p, "name=\"submit\" value=\"確認\"",
                         "name=\"confirm\" value=\"確認する\"");
     },
     {"submit-renamed"}},
    {"HiddenAndTextRenamedApart",
     [](std::string p) {
         return replaced(replaced(p, "name=\"token\"", "name=\"tk\""), "name=\"email\"",
                         "name=\"mail\"");
     },
     {"renamed", "renamed"}},
};

class RepairRepairable : public ::testing::TestWithParam<std::tuple<Repairable, Charset>> {};

TEST_P(RepairRepairable, WritesWhatTheWalkerWritesForTheNewPage) {
    const auto& [c, charset] = GetParam();
    const CodePage& cp = charset.cp();
    const std::string oldPage = charset.page(kPage);
    const std::string newPage = charset.page(c.change(kPage));
    const RepairResult r = repaired(walked(oldPage, cp), newPage, cp);
    EXPECT_EQ(cp.toUtf8(r.text), cp.toUtf8(walked(newPage, cp)));
    EXPECT_EQ(kindsOf(r), c.kinds);
    EXPECT_TRUE(r.changed());
    EXPECT_FALSE(r.needsUser());
    for (const RepairChange& change : r.changes) EXPECT_FALSE(change.message.empty());
}

INSTANTIATE_TEST_SUITE_P(Repair, RepairRepairable,
                         ::testing::Combine(::testing::ValuesIn(kRepairable),
                                            ::testing::ValuesIn(kCharsets)),
                         [](const auto& info) {
                             std::string charset = std::get<1>(info.param).name;
                             std::erase_if(charset, [](char c) { return c == '-' || c == '_'; });
                             return std::get<0>(info.param).name + charset;
                         });

// A page changed in a way the page alone does not settle: the lines stay as they were, and the
// open question names the line of the field given (the target line for "action").
struct Undecided {
    std::string name;
    std::function<std::string(std::string)> change;
    std::vector<std::string> namedLines;
};

const Undecided kUndecided[] = {
    {"TwoHiddenRenamedTogether",
     [](std::string p) {
         return replaced(replaced(p, "name=\"token\"", "name=\"t\""), "name=\"mode\"",
                         "name=\"m\"");
     },
     {"token", "mode"}},
    {"NewTextFieldWithoutDefault",
     [](std::string p) {
         return replaced(p, "<tr><th>パスワード",
                         "<tr><th>電話</th><td><input type=\"text\" name=\"tel\"></td></tr>\n"
                         "<tr><th>パスワード");
     },
     {"email"}},
    {"NewPasswordField",
     [](std::string p) {
         return replaced(p, "name=\"pass\">",
                         "name=\"pass\"><input type=\"password\" name=\"pass2\">");
     },
     {"pass"}},
    {"NewTextFieldFirst",
     [](std::string p) {
         return replaced(p, "method=\"post\">", "method=\"post\">\n<input name=\"nick\">");
     },
     {"action"}},
    {"FormGone",
     [](std::string p) {
         return replaced(p, "<form action=\"/member/confirm.cgi\"", "<div") +
                "<form action=\"/search\"><input name=\"q\"></form>";
     },
     {"action"}},
    {"FormGoneAnotherSharesAName",
     [](std::string p) {
         return replaced(p, "<form action=\"/member/confirm.cgi\"", "<div") +
                "<form action=\"/login\"><input name=\"name\"><input type=\"password\" "
                "name=\"pw\"></form>";
     },
     {"action"}},
    {"FixedValueNoLongerOffered",
     [](std::string p) { return replaced(p, "value=\"同意\"", "value=\"1\""); },
     {"agree"}},
};

// The line of the definition whose key is the name, or the target line for "action".
std::size_t lineOf(const std::string& definition, const std::string& key) {
    const std::vector<std::string_view> lines = splitLines(definition);
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i].starts_with(key + "=")) return i;
    ADD_FAILURE() << "no line " << key;
    return 0;
}

class RepairUndecided : public ::testing::TestWithParam<std::tuple<Undecided, Charset>> {};

TEST_P(RepairUndecided, LeavesTheLinesAndNamesTheOneToDecide) {
    const auto& [c, charset] = GetParam();
    const CodePage& cp = charset.cp();
    const std::string old = walked(charset.page(kPage), cp);
    const RepairResult r = repaired(old, charset.page(c.change(kPage)), cp);
    EXPECT_EQ(cp.toUtf8(r.text), cp.toUtf8(old));
    EXPECT_TRUE(r.needsUser());
    std::vector<std::size_t> named, expected;
    for (const RepairChange& change : r.changes) {
        EXPECT_EQ(change.needsUser, change.kind == RepairKind::NeedsYou);
        if (change.needsUser) named.push_back(change.line);
    }
    for (const std::string& key : c.namedLines) expected.push_back(lineOf(old, key));
    EXPECT_EQ(named, expected);
}

INSTANTIATE_TEST_SUITE_P(Repair, RepairUndecided,
                         ::testing::Combine(::testing::ValuesIn(kUndecided),
                                            ::testing::ValuesIn(kCharsets)),
                         [](const auto& info) {
                             std::string charset = std::get<1>(info.param).name;
                             std::erase_if(charset, [](char c) { return c == '-' || c == '_'; });
                             return std::get<0>(info.param).name + charset;
                         });

TEST(Repair, UnchangedPageNeedsNothing) {
    for (const Charset& charset : kCharsets) {
        SCOPED_TRACE(charset.name);
        const std::string page = charset.page(kPage);
        const std::string old = walked(page, charset.cp());
        const RepairResult r = repaired(old, page, charset.cp());
        EXPECT_EQ(r.text, old);
        EXPECT_FALSE(r.changed());
        EXPECT_FALSE(r.needsUser());
    }
}

// The page now written in another charset: every literal and choice sends the same characters
// as "%XX" of their bytes there; names and ASCII stay as written.
TEST(Repair, NewCharsetEscapesTheLiteralsCharacters) {
    const std::pair<std::size_t, std::size_t> moves[] = {{0, 2}, {1, 2}, {2, 0}, {1, 0}};
    for (const auto& [from, to] : moves) {
        const Charset& oldCs = kCharsets[from];
        const Charset& newCs = kCharsets[to];
        SCOPED_TRACE(oldCs.name + " → " + newCs.name);
        const std::string old = walked(oldCs.page(kPage), oldCs.cp());
        const RepairResult r = repaired(old, newCs.page(kPage), oldCs.cp());
        EXPECT_EQ(r.text, escapedValues(walked(newCs.page(kPage), newCs.cp())));
        EXPECT_EQ(kindsOf(r), (std::vector<std::string>{"charset", "charset", "charset"}));
        EXPECT_FALSE(r.needsUser());
    }
}

// A definition the walker wrote in the program's code page for a page in another charset holds
// the page's own bytes: an unchanged page needs nothing, a changed one is repaired in those bytes.
// (A choice list whose last UTF-8 byte reads as a lead byte of the program's code page is no
// expression there, and is left alone.)
TEST(Repair, DefinitionInTheProgramsCodePageForAPageInAnother) {
    const CodePage& program = kCharsets[0].cp();
    for (const Charset& charset : {kCharsets[1], kCharsets[2]}) {
        SCOPED_TRACE(charset.name);
        const std::string page = charset.page(kPage);
        const std::string old = walked(page, charset.cp());
        const RepairResult same = repaired(old, page, program);
        EXPECT_EQ(same.text, old);
        EXPECT_FALSE(same.changed());
        const std::string added =
            charset.page(replaced(kPage, "value=\"f\">",
                                  "value=\"f\">\n"
                                  "<input type=\"radio\" name=\"sex\" value=\"x\">"));
        const RepairResult r = repaired(old, added, program);
        EXPECT_EQ(r.text, walked(added, charset.cp()));
        EXPECT_EQ(kindsOf(r), std::vector<std::string>{"choices"});
    }
}

// A fixed value (the walker's proposal with its GetValue box cleared) finds its field renamed
// and moved elsewhere in the form by that value; the line keeps its place.
TEST(Repair, RenamedFieldFoundByItsDefaultElsewhere) {
    const Charset& charset = kCharsets[0];
    const std::string old = replaced(walked(charset.page(kPage), charset.cp()),
                                     "token=Zem-GetValue[token]", "token=a8f3c9e1");
    const std::string page =
        replaced(replaced(kPage, "<input type=\"hidden\" name=\"token\" value=\"a8f3c9e1\">", ""),
                 "</table>", "</table>\n<input type=\"hidden\" name=\"csrf\" value=\"a8f3c9e1\">");
    const RepairResult r = repaired(old, charset.page(page), charset.cp());
    EXPECT_EQ(r.text, replaced(old, "token=a8f3c9e1", "csrf=a8f3c9e1"));
    EXPECT_EQ(kindsOf(r), std::vector<std::string>{"renamed"});
}

// A Zem-GetValue operand names the new name on every line that took the renamed field's value.
TEST(Repair, GetValueOperandsFollowTheRename) {
    const Charset& charset = kCharsets[2];
    const std::string old = replaced(walked(charset.page(kPage), charset.cp()),
                                     "mode=Zem-GetValue[mode]", "mode=Zem-GetValue[token]");
    const RepairResult r =
        repaired(old, charset.page(replaced(kPage, "name=\"token\"", "name=\"tk\"")), charset.cp());
    EXPECT_EQ(r.text, replaced(replaced(old, "token=Zem-GetValue[token]", "tk=Zem-GetValue[tk]"),
                               "mode=Zem-GetValue[token]", "mode=Zem-GetValue[tk]"));
    EXPECT_EQ(kindsOf(r), (std::vector<std::string>{"renamed", "renamed"}));
}

// Several forms on the page, loaded or pasted: the step's form is the one that has its fields,
// wherever it went.
TEST(Repair, FormMovedAmongOthersIsFoundByItsFields) {
    const Charset& charset = kCharsets[0];
    const std::string old = walked(charset.page(kPage), charset.cp());
    const std::string moved = replaced(
        replaced(kPage, "<h1>", "<form action=\"/search.cgi\"><input name=\"q\"></form>\n<h1>"),
        "/member/confirm.cgi", "/member/entry2.cgi?step=1&amp;x=2");
    for (const std::string_view url : {kReferrer, std::string_view()}) {
        const RepairResult r = repaired(old, charset.page(moved), charset.cp(), url);
        EXPECT_EQ(r.text, replaced(old, "action=/member/confirm.cgi",
                                   "action=/member/entry2.cgi?step=1&amp;x=2"));
        EXPECT_EQ(kindsOf(r), std::vector<std::string>{"action"});
        EXPECT_EQ(r.changes.at(0).line, 1u);
    }
}

// A pasted page that holds neither the step's action nor its fields is another step's page.
TEST(Repair, PastedPageOfAnotherStepChangesNothing) {
    const Charset& charset = kCharsets[0];
    const std::string old = walked(charset.page(kPage), charset.cp());
    const RepairResult r =
        repaired(old, "<form action=\"/search\"><input name=\"q\"></form>", charset.cp(), "");
    EXPECT_EQ(r.text, old);
    EXPECT_FALSE(r.changed());
}

// The lines the repair does not touch keep their bytes, blanks and all; a line added goes in
// with CR LF like the rest.
TEST(Repair, OtherLinesKeepTheirBytes) {
    const Charset& charset = kCharsets[0];
    const std::string old =
        replaced(walked(charset.page(kPage), charset.cp()), "name=Zem-ID", "name = Zem-ID");
    const std::string page =
        replaced(replaced(kPage, "name=\"token\"", "name=\"tok\""), "value=\"regist\">",
                 "value=\"regist\"><input type=\"hidden\" name=\"x\">");
    const RepairResult r = repaired(old, charset.page(page), charset.cp());
    EXPECT_EQ(r.text, replaced(replaced(old, "token=Zem-GetValue[token]", "tok=Zem-GetValue[tok]"),
                               "mode=Zem-GetValue[mode]\r\n",
                               "mode=Zem-GetValue[mode]\r\nx=Zem-GetValue[x]\r\n"));
    EXPECT_EQ(kindsOf(r), (std::vector<std::string>{"renamed", "added"}));
}

TEST(Repair, KindIds) {
    const std::pair<RepairKind, std::string_view> ids[] = {
        {RepairKind::Renamed, "renamed"},
        {RepairKind::Added, "added"},
        {RepairKind::Removed, "removed"},
        {RepairKind::Action, "action"},
        {RepairKind::Choices, "choices"},
        {RepairKind::Charset, "charset"},
        {RepairKind::SubmitRenamed, "submit-renamed"},
        {RepairKind::NeedsYou, "needs-you"}};
    for (const auto& [kind, id] : ids) EXPECT_EQ(repairKindId(kind), id);
}

}  // namespace
}  // namespace verrimo
