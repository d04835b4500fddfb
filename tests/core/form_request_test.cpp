// The forms of a page, and the requests and findings of a definition against it.
#include <gtest/gtest.h>

#include "extract_page.h"
#include "extract_support.h"
#include "form_request.h"
#include "url.h"

using namespace verrimo;
using verrimo::testing::cp932;

namespace {

TEST(ReadForms, ControlsInDocumentOrderWithTheirDefaults) {
    const std::vector<Form> forms =
        readPageForms(
            "<input name=outside><FORM Action='a.cgi?x=1&amp;y=2' METHOD=POST "
            "enctype=MULTIPART/form-data "
            "accept-charset=\"utf-8\"><form action=nested>"
            "<input type=HIDDEN name=t value=\"&lt;&#x41;&#66;&gt;\"><input name=q disabled>"
            "<input type=checkbox name=c><input type=radio name=r value=1 checked>"
            "<select name=s><option>  Tokyo\n Station </option><option value=o disabled>x</select>"
            "<textarea name=m>\n<b>kept</b></textarea><button name=go>Go</button>"
            "<input type=bogus name=b><input type=file name=f></form><!-- <form action=commented> "
            "-->",
            cp932())
            .forms;
    ASSERT_EQ(forms.size(), 1u);
    const Form& f = forms[0];
    EXPECT_EQ(f.action, "a.cgi?x=1&y=2");
    EXPECT_EQ(f.method, "post");
    EXPECT_EQ(f.enctype, "multipart/form-data");
    EXPECT_EQ(f.acceptCharset, "utf-8");
    struct Expected {
        const char* type;
        const char* name;
        const char* value;
        bool checked, disabled;
    };
    const Expected expected[] = {
        {"hidden", "t", "<AB>", false, false}, {"text", "q", "", false, true},
        {"checkbox", "c", "on", false, false}, {"radio", "r", "1", true, false},
        {"select-one", "s", "", false, false}, {"textarea", "m", "<b>kept</b>", false, false},
        {"submit", "go", "", false, false},    {"text", "b", "", false, false},
        {"file", "f", "", false, false}};
    ASSERT_EQ(f.controls.size(), std::size(expected));
    for (std::size_t i = 0; i < f.controls.size(); ++i) {
        const FormControl& c = f.controls[i];
        EXPECT_EQ(c.type, expected[i].type) << i;
        EXPECT_EQ(c.name, expected[i].name) << i;
        EXPECT_EQ(c.value, expected[i].value) << i;
        EXPECT_EQ(c.checked, expected[i].checked) << i;
        EXPECT_EQ(c.disabled, expected[i].disabled) << i;
    }
    const auto& options = f.controls[4].options;
    ASSERT_EQ(options.size(), 2u);
    EXPECT_EQ(options[0].value, "Tokyo Station");
    EXPECT_TRUE(options[0].selected);  // the first, as none is selected
    // What a browser sends: no disabled, unchecked, nameless or button control; a file input
    // without its file.
    std::vector<std::string> sent;
    for (const FormEntry& e : successfulEntries(f)) sent.push_back(e.name + "=" + e.value);
    EXPECT_EQ(sent, (std::vector<std::string>{"t=<AB>", "r=1", "s=Tokyo Station", "m=<b>kept</b>",
                                              "b=", "f="}));
}

TEST(FormValues, QueryTextDecodedThenSerialisedAsABrowserDoes) {
    const std::pair<std::string, std::string> cases[] = {
        {"a+b%2Fc", "a+b%2Fc"},   {"100%", "100%25"},     {"%e3%81%82", "%E3%81%82"},
        {"*-._~!", "*-._%7E%21"}, {"\x83\x5c", "%83%5C"}, {"%zz+%", "%25zz+%25"}};
    for (const auto& [literal, wire] : cases)
        EXPECT_EQ(formUrlEncoded(queryDecoded(literal)), wire) << literal;
}

TEST(FormValues, ExactQueryTextReadsBackAsTheSameBytes) {
    struct Case {
        std::string bytes;
        bool keepNonAscii;
        std::string text;
    };
    const Case cases[] = {{"taro&co+1", true, "taro%26co%2B1"},
                          {"100% = a#b", true, "100%25%20%3D%20a%23b"},
                          {"line1\r\nline2", true, "line1%0D%0Aline2"},
                          {"\x88\x9f", true, "\x88\x9f"},  // the code page's own character stays
                          {"\x88\x9f", false, "%88%9F"},   // another charset's bytes are escaped
                          {"a/b?c~", false, "a/b?c~"}};
    for (const auto& c : cases) {
        EXPECT_EQ(exactQueryText(c.bytes, c.keepNonAscii), c.text) << c.text;
        EXPECT_EQ(queryDecoded(exactQueryText(c.bytes, c.keepNonAscii)), c.bytes) << c.text;
    }
}

// The page read with its forms, as the commands read it, pasted or loaded from an address.
struct ReadPageForRequests {
    explicit ReadPageForRequests(const std::string& bytes, std::string url = {})
        : page{readPage({bytes}, cp932(), {.forms = true}).forms, std::move(url)} {}
    std::vector<StepRequest> requests(std::string_view definition) const {
        return definitionRequests(*parseDefinition(std::string(definition), cp932()), {&page, 1},
                                  {}, cp932());
    }
    ReadPage page;
};

std::vector<std::string> rulesOf(const StepRequest& r) {
    std::vector<std::string> rules;
    for (const PageFinding& f : r.findings) rules.push_back(f.rule);
    return rules;
}

const std::string kLoginPage =
    "<meta charset=Shift_JIS><base href=\"http://www.example.org/cgi/\">"
    "<form action=\"post.cgi\" method=post><input type=hidden name=sid value=\"a b/\x83\x5c\">"
    "<input type=text name=q><select name=s><option value=1>one<option value=2>two</select>"
    "<input type=radio name=r value=x><input type=radio name=r value=y checked>"
    "<input type=hidden name=token value=t1><input type=submit name=go value=Send></form>"
    "<form action=find.cgi accept-charset=utf-8><input type=hidden name=k value=\"\x83\x5c\">"
    "<input name=n></form>";

TEST(DefinitionRequests, EachStepAsTheBrowserWouldSendIt) {
    const ReadPageForRequests read(kLoginPage);
    const std::string definition =
        "Zem-Referer=http://www.example.org/top.html\r\naction=http://www.example.org/cgi/"
        "post.cgi\r\n"
        "sid=Zem-GetValue[sid]\r\nq=Zem-ID\r\ns=Zem-Select[2,1]\r\nr=y\r\ntoken=t1\r\ngo=Send\r\n"
        "-\r\nchk-moji=\r\n"
        "Zem-Referer=http://www.example.org/top.html\r\naction=find.cgi\r\nk=Zem-GetValue[k]\r\n"
        "n=Zem-Random[1950-1980:1]\r\nZem-Referer=x\r\nZem-Open=http://o.test/p\r\n";
    const auto requests = read.requests(definition);
    ASSERT_EQ(requests.size(), 3u);
    const StepRequest& post = requests[0];
    EXPECT_EQ(post.method, "POST");
    EXPECT_EQ(post.url, "http://www.example.org/cgi/post.cgi");
    EXPECT_EQ(post.headers, (std::vector<std::pair<std::string, std::string>>{
                                {"Content-Type", "application/x-www-form-urlencoded"},
                                {"Referer", "http://www.example.org/top.html"},
                                {"Origin", "http://www.example.org"}}));
    EXPECT_EQ(post.body, "sid=a+b%2F%83%5C&q=user&s=2&r=y&token=t1&go=Send");
    EXPECT_EQ(post.fields[1].sampleOf, "Zem-ID");
    EXPECT_EQ(post.fields[2].sampleOf, "Zem-Select[2,1]");
    EXPECT_EQ(post.fields[0].sampleOf, "");  // the page's own value is no sample
    std::vector<std::string> rules;
    for (const PageFinding& f : post.findings)
        rules.push_back(f.rule + "@" + std::to_string(f.line));
    EXPECT_EQ(rules, (std::vector<std::string>{"hidden-fixed@6"}));
    // The pasted page holds the second step's form too: a GET, with no Origin, in the form's
    // charset, UTF-8.
    EXPECT_EQ(requests[1].url, "http://www.example.org/cgi/find.cgi?k=%E3%82%BD&n=1950");
    EXPECT_EQ(requests[1].headers.size(), 1u);
    EXPECT_EQ(post.pageCheck, PageCheck::Checked);
    EXPECT_EQ(requests[1].pageCheck, PageCheck::Checked);
    EXPECT_EQ(requests[2].method, "GET");
    EXPECT_EQ(requests[2].url, "http://o.test/p");
    EXPECT_TRUE(requests[2].body.empty());
    EXPECT_EQ(requests[2].pageCheck, PageCheck::NotLoaded);  // a page is loaded, but not x's
}

TEST(DefinitionRequests, EachStepCheckedAgainstItsOwnPage) {
    const auto page = [](const std::string& form, std::string url = {}) {
        return ReadPage{readPage({form}, cp932(), {.forms = true}).forms, std::move(url)};
    };
    const ReadPage pages[] = {
        page("<form action=login.cgi method=post><input name=id></form>",
             "HTTP://Www.Example.org:80/login.html#top"),
        page("<form action=/cgi/entry.cgi><input name=mail></form>"),
    };
    const std::string definition =
        "Zem-Referer=http://www.example.org/login.html\r\naction=login.cgi\r\nid=Zem-ID\r\n"
        "Zem-Referer=http://www.example.org/login.html\r\naction=gone.cgi\r\n"
        "Zem-Referer=http://www.example.org/entry.html\r\naction=login.cgi\r\nid=Zem-ID\r\n"
        "Zem-Referer=http://www.example.org/entry.html\r\naction=entry.cgi\r\nmail=a\r\n"
        "Zem-Referer=http://www.example.org/entry.html\r\naction=cgi/entry.cgi\r\nmail=a\r\n";
    const auto parsed = parseDefinition(definition, cp932());
    const auto requests = definitionRequests(*parsed, pages, {}, cp932());
    const struct {
        PageCheck check;
        const char* method;
        std::vector<std::string> rules;
    } expected[] = {
        {PageCheck::Checked, "POST", {}},
        // The page loaded from the referrer no longer holds the form.
        {PageCheck::Checked, "GET", {"form-missing"}},
        // The login page is not this referrer's, though it holds the form.
        {PageCheck::NotLoaded, "GET", {}},
        // The pasted page holds /cgi/entry.cgi, not /entry.cgi.
        {PageCheck::NotLoaded, "GET", {}},
        {PageCheck::Checked, "GET", {}},
    };
    ASSERT_EQ(requests.size(), std::size(expected));
    for (std::size_t i = 0; i < requests.size(); ++i) {
        EXPECT_EQ(requests[i].pageCheck, expected[i].check) << i;
        EXPECT_EQ(requests[i].method, expected[i].method) << i;
        EXPECT_EQ(rulesOf(requests[i]), expected[i].rules) << i;
    }
    // Without pages every step is unchecked, and says nothing of a page.
    const auto alone = definitionRequests(*parsed, {}, {}, cp932());
    for (const StepRequest& r : alone) {
        EXPECT_EQ(r.pageCheck, PageCheck::NoPages);
        EXPECT_TRUE(r.findings.empty());
    }
}

TEST(DefinitionRequests, AcceptCharsetAndMultipart) {
    const ReadPageForRequests read(kLoginPage);
    const auto utf8 = read.requests(
        "Zem-Referer=http://www.example.org/"
        "a\r\naction=find.cgi\r\nk=Zem-GetValue[k]\r\nn=%83%5C\r\n");
    ASSERT_EQ(utf8.size(), 1u);
    EXPECT_EQ(utf8[0].charset, "UTF-8");
    // The page's ソ goes in UTF-8; a literal keeps its bytes, which UTF-8 does not read.
    EXPECT_EQ(utf8[0].url, "http://www.example.org/cgi/find.cgi?k=%E3%82%BD&n=%83%5C");
    EXPECT_EQ(rulesOf(utf8[0]), std::vector<std::string>{"literal-charset"});

    const ReadPageForRequests upload(
        "<form action=u method=post enctype=multipart/form-data>"
        "<input name=\"a&quot;b\"></form>");
    const auto multipart = upload.requests("Zem-Referer=http://h/\r\naction=u\r\na\"b=1 2\r\n");
    const std::string boundary(kPreviewBoundary);
    EXPECT_EQ(multipart[0].body,
              "--" + boundary +
                  "\r\nContent-Disposition: form-data; name=\"a%22b\"\r\n\r\n1 2\r\n--" + boundary +
                  "--\r\n");
    EXPECT_EQ(curlCommand(multipart[0]),
              "curl --globoff -X POST --url 'http://h/u' -H 'Referer: http://h/' -H 'Origin: "
              "http://h' --form-string 'a\"b=1 2'");
}

TEST(DefinitionRequests, FindingsWhereTheDefinitionNoLongerFitsItsPage) {
    const ReadPageForRequests read(kLoginPage, "http://www.example.org/");
    const struct {
        const char* fields;
        std::vector<std::string> rules;
    } cases[] = {
        {"action=gone.cgi\r\n", {"form-missing"}},
        {"action=post.cgi\r\nsid=Zem-GetValue[sid]\r\nq=1\r\nold=1\r\n",
         {"field-unknown", "field-left-out", "field-left-out", "field-left-out", "field-left-out"}},
        {"action=post.cgi\r\nsid=x\r\ns=3\r\nr=z\r\ntoken=Zem-GetValue[token]\r\nq=\r\ngo=Send\r\n",
         {"hidden-fixed", "value-not-offered", "value-not-offered"}},
    };
    for (const auto& c : cases) {
        const auto requests =
            read.requests(std::string("Zem-Referer=http://www.example.org/\r\n") + c.fields);
        EXPECT_EQ(rulesOf(requests.at(0)), c.rules) << c.fields;
    }
}

// An address a browser refuses is a finding on its line, and no request is built from it; a
// domain past ASCII goes as IDNA maps it.
TEST(DefinitionRequests, AddressesAsABrowserReadsThem) {
    const struct {
        const char* definition;
        std::vector<std::string> rules;
        std::size_t line;
        const char* url;
    } cases[] = {
        {"Zem-Referer=http://f:999999/c\r\naction=x.cgi\r\n", {"url-invalid"}, 0, ""},
        {"Zem-Referer=http://h.test/\r\naction=http://a b/x\r\n", {"url-invalid"}, 1, ""},
        {"Zem-Referer=http://h.test/\r\nZem-Open=//h:65536/\r\n", {"url-invalid"}, 1, ""},
        {"Zem-Referer=http://日本語．jp/form.html\r\naction=post.cgi\r\nq=1\r\n",
         {},
         0,
         "http://xn--wgv71a119e.jp/post.cgi?q=1"},
    };
    for (const auto& c : cases) {
        const std::string definition = cp932().fromUtf8(c.definition);
        const auto requests =
            definitionRequests(*parseDefinition(definition, cp932()), {}, {}, cp932());
        SCOPED_TRACE(c.definition);
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(rulesOf(requests[0]), c.rules);
        if (!c.rules.empty()) {
            EXPECT_EQ(requests[0].findings[0].line, c.line);
            EXPECT_EQ(curlCommand(requests[0]), "# not sent: url-invalid");
        }
        EXPECT_EQ(requests[0].url, c.url);
    }
}

}  // namespace

namespace {

// One step on a Shift_JIS page loaded from its referrer.
std::vector<StepRequest> onPage(const std::string& form, const std::string& fields,
                                const char* charset = "Shift_JIS") {
    const ReadPageForRequests read(
        cp932().fromUtf8(std::string("<meta charset=") + charset + ">" +
                         "<form action=post.cgi method=post>" + form + "</form>"),
        "http://h/");
    return read.requests("Zem-Referer=http://h/\r\naction=post.cgi\r\n" + cp932().fromUtf8(fields));
}

TEST(DefinitionRequests, TheWalkersLiteralsWhereABrowserSendsOtherwise) {
    const struct {
        const char* name;
        const char* form;    // in UTF-8
        const char* fields;  // in UTF-8
        const char* rule;    // the finding of the field line; empty for none
        const char* value;   // the value it names in the definition's code page, in UTF-8
    } cases[] = {
        {"check box without value", "<input type=checkbox name=c checked>", "c=", "browser-value",
         "on"},
        {"its value", "<input type=checkbox name=c checked>", "c=on", "", nullptr},
        {"another check box", "<input type=checkbox name=c value=1><input type=checkbox name=c>",
         "c=", "browser-value", "on"},
        {"a check box's value it has not", "<input type=checkbox name=c value=1>", "c=2",
         "value-not-offered", nullptr},
        {"character reference", "<input type=checkbox name=c value=\"R&amp;D\">", "c=R%26amp;D",
         "browser-value", "R%26D"},
        {"percent and plus", "<input type=radio name=r value=\"%41+b\"><input type=radio name=r>",
         "r=%41+b", "browser-value", "%2541%2Bb"},
        {"submit without value", "<input type=submit name=go>", "go=", "browser-value", "送信"},
        {"button element without value", "<button name=go></button>", "go=", "", nullptr},
        {"option without value", "<select name=s><option>東京<option>大阪</select>",
         "s=", "browser-value", "東京"},
        {"option with value", "<select name=s><option value=1>東京</select>", "s=1", "", nullptr},
        {"choice not offered", "<select name=s><option value=1><option value=2></select>", "s=3",
         "value-not-offered", nullptr},
        {"empty choice list", "<select name=s><option>東京<option>大阪</select>", "s=Zem-Select[]",
         "choice-list", "Zem-Select[東京,大阪]"},
        {"choice list of other values",
         "<select name=s><option value=\"a b\"><option value=\"c,d\"><option disabled>x</select>",
         "s=Zem-Select[a+b,zz]", "choice-list", "Zem-Select[a%20b,c%2Cd]"},
        {"choice list of its values",
         "<input type=radio name=r value=1><input type=radio name=r "
         "value=\"a b\">",
         "r=Zem-Select[a+b,1]", "", nullptr},
        {"typed text's default with a reference", "<input name=q value=\"R&amp;D\">", "q=R%26amp;D",
         "browser-value", "R%26D"},
        {"typed text's default with a plus", "<input name=q value=\"a+b\">", "q=a+b",
         "browser-value", "a%2Bb"},
        {"typed text's default as a browser sends it", "<input name=q value=\"a+b\">", "q=a%2Bb",
         "", nullptr},
        {"text typed over the default", "<input name=q value=\"a+b\">", "q=x+y", "", nullptr},
        {"typed text without a default", "<input name=q>", "q=a+b", "", nullptr},
    };
    for (const auto& c : cases) {
        const std::vector<StepRequest> steps = onPage(c.form, c.fields);
        std::vector<std::string> rules;
        const PageFinding* found = nullptr;
        for (const PageFinding& f : steps.at(0).findings)
            if (f.line == 2) {
                rules.push_back(f.rule);
                found = &f;
            }
        EXPECT_EQ(rules, *c.rule ? std::vector<std::string>{c.rule} : std::vector<std::string>{})
            << c.name;
        if (!found) continue;
        EXPECT_EQ(found->browserValue,
                  c.value ? std::optional(cp932().fromUtf8(c.value)) : std::nullopt)
            << c.name;
    }
    // The message names what a browser sends.
    EXPECT_EQ(onPage("<input type=checkbox name=c>", "c=").at(0).findings.at(0).message,
              "ブラウザはこの項目に「on」を送ります（値の書き方が違います）");
    EXPECT_EQ(onPage("<input type=radio name=r value=x><input type=radio name=r value=y>", "r=z")
                  .at(0)
                  .findings.at(0)
                  .message,
              "選択肢にない値です。ブラウザが送る値は 「x」・「y」 です");
    // In a form of another charset, the browser's value is written as that charset's bytes.
    const auto utf8 = onPage("<input type=submit name=go>", "go=", "UTF-8");
    EXPECT_EQ(utf8.at(0).findings.at(0).browserValue, "%E9%80%81%E4%BF%A1");
}

TEST(DefinitionRequests, FieldsABrowserSendsThatTheDefinitionLeavesOut) {
    const struct {
        const char* form;
        const char* fields;
        std::vector<std::string> messages;
    } cases[] = {
        {"<input type=file name=f><input name=q>",
         "q=1",
         {"送信される項目「f」が定義にありません"}},
        {"<input type=submit name=go value=Send><button name=no>No</button><input name=q>",
         "q=1",
         {"送信ボタン「go」「no」のどれも定義にありません（ブラウザは押したボタンの名前と値も送りま"
          "す）"}},
        {"<input type=submit name=go value=Send><button name=no>No</button><input name=q>",
         "q=1\r\nno=",
         {}},
        {"<input type=submit value=Send><input type=submit name=off disabled><input name=q>",
         "q=1",
         {}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> messages;
        const std::vector<StepRequest> steps = onPage(c.form, c.fields);
        for (const PageFinding& f : steps.at(0).findings) messages.push_back(f.message);
        EXPECT_EQ(messages, c.messages) << c.form;
    }
}

TEST(DefinitionRequests, ValuesComparedInTheFormsCharset) {
    // An EUC-JP page whose form goes out in UTF-8: its choice 東京 is sent as UTF-8.
    const ReadPageForRequests read(
        CodePage("EUC-JP").fromUtf8("<meta charset=EUC-JP><form action=post.cgi "
                                    "accept-charset=utf-8><select name=s><option>東京"
                                    "<option>大阪</select></form>"),
        "http://h/");
    const auto sent = [&](const char* literal) {
        return rulesOf(
            read.requests(std::string("Zem-Referer=http://h/\r\naction=post.cgi\r\ns=") + literal)
                .at(0));
    };
    EXPECT_EQ(sent("%E6%9D%B1%E4%BA%AC"), std::vector<std::string>{});
    EXPECT_EQ(sent("Zem-Select[%E6%9D%B1%E4%BA%AC,%E5%A4%A7%E9%98%AA]"),
              std::vector<std::string>{});
    EXPECT_EQ(sent("%C5%EC%B5%FE"),
              (std::vector<std::string>{"literal-charset", "value-not-offered"}));
}

// Lines for a name, against the controls the form has under it: what a browser sends, and the
// finding on each line that it sends nothing for.
TEST(DefinitionRequests, LinesTakeTheFormsControlsOfTheirNameInTurn) {
    const struct {
        const char* name;
        const char* form;
        const char* fields;
        const char* body;
        std::vector<std::string> rules;
    } cases[] = {
        {"hidden fields of one name",
         "<input type=hidden name=a value=1><input type=hidden name=a value=2>",
         "a=Zem-GetValue[a]\r\na=Zem-GetValue[a]",
         "a=1&a=2",
         {}},
        {"a disabled hidden field",
         "<input type=hidden name=a value=1 disabled><input name=q>",
         "a=Zem-GetValue[a]\r\nq=1",
         "q=1",
         {"field-disabled"}},
        {"a disabled field beside another of its name",
         "<input type=hidden name=a value=1 disabled><input type=hidden name=a value=2>",
         "a=Zem-GetValue[a]",
         "a=2",
         {}},
        {"a disabled select",
         "<select name=s disabled><option>1</select><input name=q>",
         "s=1\r\nq=1",
         "q=1",
         {"field-disabled"}},
        {"a select after the form",
         "<input type=hidden name=a value=1></form>"
         "<select name=a><option>1</select><form>",
         "a=Zem-GetValue[a]\r\na=Zem-Select[1]",
         "a=1",
         {"field-extra"}},
        {"a line too many for a text field",
         "<input name=q>",
         "q=1\r\nq=2",
         "q=1",
         {"field-extra"}},
        {"check boxes of one name",
         "<input type=checkbox name=c value=1><input type=checkbox name=c value=2>",
         "c=1\r\nc=2",
         "c=1&c=2",
         {}},
        {"a radio group",
         "<input type=radio name=r value=1><input type=radio name=r value=2>",
         "r=1\r\nr=2",
         "r=1",
         {"field-extra"}},
        {"a multiple select",
         "<select name=s multiple><option>1<option>2<option disabled>3</select>",
         "s=1\r\ns=2\r\ns=3",
         "s=1&s=2",
         {"field-extra"}},
    };
    for (const auto& c : cases) {
        const StepRequest step = onPage(c.form, c.fields).at(0);
        EXPECT_EQ(step.body, c.body) << c.name;
        EXPECT_EQ(rulesOf(step), c.rules) << c.name;
    }
    EXPECT_EQ(onPage("<input type=hidden name=a disabled>", "a=Zem-GetValue[a]")
                  .at(0)
                  .findings.at(0)
                  .message,
              "フォームの項目「a」は無効（disabled）です。ブラウザはこの項目を送りません");
    EXPECT_EQ(onPage("<input name=q>", "q=1\r\nq=2").at(0).findings.at(0).message,
              "フォームに「q」の項目は 1 つ分しかありません。ブラウザはこの行の値を送りません");
}

// A line for a field the form lacks names it, and the form's fields of the kind the line is
// written for that no line names: where the field went.
TEST(DefinitionRequests, AnUnknownFieldIsNamedWithTheFieldsItMayHaveBecome) {
    const char* const form =
        "<input type=hidden name=sid value=1><input type=hidden name=mail value=2>"
        "<input name=user><input type=password name=pw><textarea name=body></textarea>"
        "<select name=pref><option>1</select><input type=submit name=go>";
    const struct {
        const char* fields;
        const char* message;
    } cases[] = {
        {"email=Zem-GetValue[email]\r\nsid=Zem-GetValue[sid]",
         "フォームに項目「email」がありません（定義にない hidden "
         "の項目「mail」がフォームにあります）"},
        {"login=Zem-ID\r\nuser=x",
         "フォームに項目「login」がありません（定義にない text "
         "の項目「body」がフォームにあります）"},
        {"pass=Zem-Pass\r\npw=Zem-Pass", "フォームに項目「pass」がありません"},
        {"ken=Zem-Select[1,2]",
         "フォームに項目「ken」がありません（定義にない select "
         "の項目「pref」がフォームにあります）"},
        {"名前=x\r\nmail=1\r\nsid=1\r\nuser=1\r\npw=1",
         "フォームに項目「名前」がありません（定義にない text の項目「body」・select の項目「pref」"
         "がフォームにあります）"},
    };
    for (const auto& c : cases) {
        const StepRequest step = onPage(form, c.fields).at(0);
        ASSERT_FALSE(step.findings.empty()) << c.fields;
        EXPECT_EQ(step.findings[0].rule, "field-unknown") << c.fields;
        EXPECT_EQ(step.findings[0].message, c.message) << c.fields;
    }
}

}  // namespace
