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
    const std::vector<Form> forms = readForms(
        "<input name=outside><FORM Action='a.cgi?x=1&amp;y=2' METHOD=POST "
        "enctype=MULTIPART/form-data "
        "accept-charset=\"utf-8\"><form action=nested>"
        "<input type=HIDDEN name=t value=\"&lt;&#x41;&#66;&gt;\"><input name=q disabled>"
        "<input type=checkbox name=c><input type=radio name=r value=1 checked>"
        "<select name=s><option>  Tokyo\n Station </option><option value=o disabled>x</select>"
        "<textarea name=m>\n<b>kept</b></textarea><button name=go>Go</button>"
        "<input type=bogus name=b></form><!-- <form action=commented> -->",
        cp932());
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
        {"submit", "go", "", false, false},    {"text", "b", "", false, false}};
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
    // What a browser sends: no disabled, unchecked, nameless or button control.
    std::vector<std::string> sent;
    for (const FormEntry& e : successfulEntries(f)) sent.push_back(e.name + "=" + e.value);
    EXPECT_EQ(sent, (std::vector<std::string>{"t=<AB>", "r=1", "s=Tokyo Station", "m=<b>kept</b>",
                                              "b="}));
}

TEST(ResolveUrl, AsBrowsersResolveLinks) {
    const char* base = "http://a.test/b/c/d;p?q";
    const std::pair<const char*, const char*> cases[] = {
        {"g", "http://a.test/b/c/g"},
        {"./g/", "http://a.test/b/c/g/"},
        {"/g", "http://a.test/g"},
        {"//h.test/g", "http://h.test/g"},
        {"?y", "http://a.test/b/c/d;p?y"},
        {"", "http://a.test/b/c/d;p?q"},
        {"#s", "http://a.test/b/c/d;p?q"},
        {"../../../g", "http://a.test/g"},
        {"../g?x=1", "http://a.test/b/g?x=1"},
        {"https://x.test", "https://x.test/"},
        {" post.cgi ", "http://a.test/b/c/post.cgi"}};
    for (const auto& [reference, resolved] : cases)
        EXPECT_EQ(resolveUrl(base, reference), resolved) << reference;
    EXPECT_EQ(withQuery("http://a.test/f?old=1#top", "q=2"), "http://a.test/f?q=2");
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

// The page read with its forms, as the commands read it.
struct ReadPageForRequests {
    explicit ReadPageForRequests(const std::string& bytes)
        : reading(readPage({bytes}, cp932(), {.forms = true})), page(requestPageOf(reading)) {}
    PageReading reading;
    RequestPage page;
};

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
        "sid=Zem-GetValue[sid]\r\nq=Zem-ID\r\ns=Zem-Select[2,1]\r\nr=y\r\ntoken=t1\r\n-\r\nchk-"
        "moji=\r\n"
        "Zem-Referer=http://www.example.org/top.html\r\naction=find.cgi\r\nk=Zem-GetValue[k]\r\n"
        "n=Zem-Random[1950-1980:1]\r\nZem-Referer=x\r\nZem-Open=http://o.test/p\r\n";
    const auto requests = definitionRequests(definition, read.page, {}, cp932());
    ASSERT_EQ(requests.size(), 3u);
    const StepRequest& post = requests[0];
    EXPECT_EQ(post.method, "POST");
    EXPECT_EQ(post.url, "http://www.example.org/cgi/post.cgi");
    EXPECT_EQ(post.headers, (std::vector<std::pair<std::string, std::string>>{
                                {"Content-Type", "application/x-www-form-urlencoded"},
                                {"Referer", "http://www.example.org/top.html"},
                                {"Origin", "http://www.example.org"}}));
    EXPECT_EQ(post.body, "sid=a+b%2F%83%5C&q=user&s=2&r=y&token=t1");
    EXPECT_EQ(post.fields[1].sampleOf, "Zem-ID");
    EXPECT_EQ(post.fields[2].sampleOf, "Zem-Select[2,1]");
    EXPECT_EQ(post.fields[0].sampleOf, "");  // the page's own value is no sample
    std::vector<std::string> rules;
    for (const PageFinding& f : post.findings)
        rules.push_back(f.rule + "@" + std::to_string(f.line));
    EXPECT_EQ(rules, (std::vector<std::string>{"hidden-fixed@6"}));
    // The second step is a GET, with no Origin, and only the first step has the page.
    EXPECT_EQ(requests[1].url, "http://www.example.org/find.cgi?k=&n=1950");
    EXPECT_EQ(requests[1].headers.size(), 1u);
    EXPECT_FALSE(post.pageNotLoaded);
    EXPECT_TRUE(requests[1].pageNotLoaded);
    EXPECT_EQ(requests[2].method, "GET");
    EXPECT_EQ(requests[2].url, "http://o.test/p");
    EXPECT_TRUE(requests[2].body.empty());
}

TEST(DefinitionRequests, AcceptCharsetAndMultipart) {
    const ReadPageForRequests read(kLoginPage);
    const auto utf8 = definitionRequests(
        "Zem-Referer=http://www.example.org/"
        "a\r\naction=find.cgi\r\nk=Zem-GetValue[k]\r\nn=%83%5C\r\n",
        read.page, {}, cp932());
    ASSERT_EQ(utf8.size(), 1u);
    EXPECT_EQ(utf8[0].charset, "UTF-8");
    // The page's ソ goes in UTF-8; a literal keeps its bytes, which UTF-8 does not read.
    EXPECT_EQ(utf8[0].url, "http://www.example.org/cgi/find.cgi?k=%E3%82%BD&n=%83%5C");
    ASSERT_EQ(utf8[0].findings.size(), 1u);
    EXPECT_EQ(utf8[0].findings[0].rule, "literal-charset");

    const ReadPageForRequests upload(
        "<form action=u method=post enctype=multipart/form-data>"
        "<input name=\"a&quot;b\"></form>");
    const auto multipart = definitionRequests("Zem-Referer=http://h/\r\naction=u\r\na\"b=1 2\r\n",
                                              upload.page, {}, cp932());
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
    const ReadPageForRequests read(kLoginPage);
    const struct {
        const char* fields;
        std::vector<std::string> rules;
    } cases[] = {
        {"action=gone.cgi\r\n", {"form-missing"}},
        {"action=post.cgi\r\nsid=Zem-GetValue[sid]\r\nq=1\r\nold=1\r\n",
         {"field-unknown", "field-left-out", "field-left-out", "field-left-out"}},
        {"action=post.cgi\r\nsid=x\r\ns=3\r\nr=z\r\ntoken=Zem-GetValue[token]\r\nq=\r\n",
         {"hidden-fixed", "value-not-offered", "value-not-offered"}},
    };
    for (const auto& c : cases) {
        const auto requests =
            definitionRequests(std::string("Zem-Referer=http://www.example.org/\r\n") + c.fields,
                               read.page, {}, cp932());
        std::vector<std::string> rules;
        for (const PageFinding& f : requests.at(0).findings) rules.push_back(f.rule);
        EXPECT_EQ(rules, c.rules) << c.fields;
    }
}

}  // namespace
