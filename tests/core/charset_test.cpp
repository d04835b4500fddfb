// Which charset a page is in: declared, undeclared, declared wrongly, with a byte-order mark.
#include <gtest/gtest.h>

#include <string>

#include "charset.h"
#include "codepage.h"

namespace {

using verrimo::CodePage;
using verrimo::detectCharset;

// Japanese text long enough to tell the charsets apart, in UTF-8.
const std::string kText =
    "<p>ログインするには、会員登録の際に入力したメールアドレスとパスワードを入力してください。"
    "パスワードを忘れた方はこちらから再設定できます。</p>"
    "<p>お問い合わせは平日の午前十時から午後六時まで受け付けております。</p>";

std::string in(const char* codePage, const std::string& utf8) {
    return CodePage(codePage).fromUtf8(utf8);
}

std::string page(const std::string& head, const std::string& body) {
    return "<html><head>" + head + "<title>t</title></head><body>" + body + "</body></html>";
}

struct Case {
    const char* name;
    std::string bytes;
    std::string contentType;
    std::string expected;
};

class DetectCharset : public testing::TestWithParam<Case> {};

TEST_P(DetectCharset, NamesTheCharsetTheBytesAreIn) {
    EXPECT_EQ(detectCharset(GetParam().bytes, GetParam().contentType), GetParam().expected);
}

const std::string kSjis = in("CP932", kText);
const std::string kEuc = in("EUC-JP", kText);
const std::string kUtf8 = kText;

INSTANTIATE_TEST_SUITE_P(
    Pages, DetectCharset,
    testing::Values(
        Case{"declared_sjis", page("<meta charset=\"Shift_JIS\">", kSjis), "", "Shift_JIS"},
        Case{"declared_euc_http_equiv",
             page("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=EUC-JP\">", kEuc),
             "", "EUC-JP"},
        Case{"declared_utf8_by_http", page("", kUtf8), "text/html; charset=utf-8", "UTF-8"},
        Case{"x_sjis_label", page("<meta charset='x-sjis'>", kSjis), "", "Shift_JIS"},
        Case{"undeclared_sjis", page("", kSjis), "", "Shift_JIS"},
        Case{"undeclared_euc", page("", kEuc), "", "EUC-JP"},
        Case{"undeclared_utf8", page("", kUtf8), "text/html", "UTF-8"},
        Case{"utf8_template_declaring_sjis", page("<meta charset=\"Shift_JIS\">", kUtf8), "",
             "UTF-8"},
        Case{"sjis_page_saying_euc", page("<meta charset=\"EUC-JP\">", kSjis), "", "Shift_JIS"},
        Case{"euc_page_saying_utf8_over_http", page("", kEuc), "text/html; charset=UTF-8",
             "EUC-JP"},
        Case{"http_wins_over_meta_when_both_fit", page("<meta charset=\"EUC-JP\">", kSjis),
             "text/html;charset=Shift_JIS", "Shift_JIS"},
        Case{"utf8_bom_beats_a_declaration", "\xEF\xBB\xBF" + page("<meta charset=euc-jp>", kUtf8),
             "", "UTF-8"},
        Case{"utf16_bom", std::string("\xFF\xFE<\0h\0", 6), "", "UTF-16LE"},
        Case{"ascii_only_declared_latin1", page("<meta charset=iso-8859-1>", "<p>hello</p>"), "",
             "ISO-8859-1"},
        Case{"ascii_only_undeclared", page("", "<p>hello</p>"), "", "UTF-8"},
        Case{"one_word_sjis", in("CP932", "<b>テスト</b>"), "", "Shift_JIS"},
        Case{"one_word_euc", in("EUC-JP", "<b>テスト</b>"), "", "EUC-JP"},
        Case{"half_width_kana_sjis", in("CP932", "<b>ｶﾀｶﾅの名前</b>"), "", "Shift_JIS"},
        Case{"latin1_undeclared", "<p>Caf\xe9 cr\xe8me, na\xefve</p>", "", "ISO-8859-1"},
        Case{"empty", "", "", "UTF-8"},
        // A page cannot declare a charset its declaration would not be readable in.
        Case{"meta_utf16_over_even_bytes", page("<meta charset=\"utf-16\">", "<p>ab</p>"), "",
             "UTF-8"},
        Case{"meta_utf16_over_odd_bytes", page("<meta charset=\"utf-16\">", "<p>abc</p>"), "",
             "UTF-8"},
        Case{"meta_utf16le_over_japanese", page("<meta charset=UTF-16LE>", kUtf8), "", "UTF-8"},
        Case{"meta_utf32", page("<meta charset=utf-32>", kUtf8), "", "UTF-8"},
        Case{"http_utf16_over_utf16_bytes", std::string("<\0p\0>\0", 6),
             "text/html; charset=utf-16le", "UTF-16LE"},
        // Stray bytes: a few in a page that is UTF-8 otherwise, and a Latin-1 page saying UTF-8.
        Case{"utf8_with_four_stray_latin1_bytes",
             page("<meta charset=utf-8>", kUtf8 + "Caf\xe9 \xe9t\xe9\xa0" + kUtf8 + kUtf8), "",
             "UTF-8"},
        Case{"latin1_saying_utf8", page("<meta charset=utf-8>", "<p>Caf\xe9 cr\xe8me</p>"), "",
             "ISO-8859-1"},
        // 4 stray bytes among 127 above ASCII: a browser reads the UTF-8 it declares.
        Case{"utf8_with_three_percent_stray_bytes",
             page("<meta charset=utf-8>",
                  "\xe9t\xe9 \xe0 \xa0" + kUtf8.substr(0, 3 + 41 * 3) + "</p>"),
             "", "UTF-8"},
        Case{"sjis_saying_utf8", page("<meta charset=utf-8>", kSjis), "", "Shift_JIS"},
        Case{"euc_saying_utf8", page("<meta charset=utf-8>", kEuc), "", "EUC-JP"},
        // The declaration that counts is the one a browser reads.
        Case{
            "charset_before_other_metas",
            page("<meta charset=\"EUC-JP\"><meta name=\"viewport\" content=\"width=device-width\">",
                 kEuc),
            "", "EUC-JP"},
        Case{"meta_in_a_comment_passed_over",
             page("<!-- <meta charset=utf-8> --><meta charset=EUC-JP>", kEuc), "", "EUC-JP"}),
    [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

// What a browser reads a page in and sends its forms in, whatever the bytes look like; each row
// as Qt WebEngine reads the same page, but for the fallback, which in the program is its code
// page as in a Japanese browser.
class BrowserCharset : public testing::TestWithParam<Case> {};

TEST_P(BrowserCharset, IsWhatABrowserReadsThePageIn) {
    EXPECT_EQ(verrimo::browserCharset(GetParam().bytes, GetParam().contentType, "Shift_JIS"),
              GetParam().expected);
}

// Takes what comes before it past 1024 bytes.
const std::string kPast1024 = "<!-- " + std::string(1100, '-') + " -->";

INSTANTIATE_TEST_SUITE_P(
    Pages, BrowserCharset,
    testing::Values(
        Case{"bom", "\xEF\xBB\xBF" + page("<meta charset=euc-jp>", kUtf8),
             "text/html; charset=EUC-JP", "UTF-8"},
        Case{"http_over_meta", page("<meta charset=\"EUC-JP\">", kSjis), "text/html; charset=sjis",
             "Shift_JIS"},
        Case{"unknown_http_label", page("<meta charset=\"EUC-JP\">", kSjis),
             "text/html; charset=bogus", "EUC-JP"},
        Case{"declared_whatever_the_bytes", page("<meta charset=\"Shift_JIS\">", kUtf8), "",
             "Shift_JIS"},
        Case{"http_equiv",
             page("<meta http-equiv=content-type content='text/html; charset=x-euc-jp'>", kSjis),
             "", "EUC-JP"},
        Case{"content_without_http_equiv",
             page("<meta content='text/html; charset=euc-jp'>", kSjis), "", "Shift_JIS"},
        Case{"meta_utf16_is_utf8", page("<meta charset=utf-16>", kSjis), "", "UTF-8"},
        Case{"latin1_is_windows_1252", page("<meta charset=iso-8859-1>", "<p>hello</p>"), "",
             "WINDOWS-1252"},
        // Past the first 1024 bytes a <meta> counts while only the head's tags have come.
        Case{"late_meta_in_the_head",
             "<html><head><title>t</title>" + kPast1024 +
                 "<meta charset=euc-jp></head><body><p>hello</p>",
             "", "EUC-JP"},
        Case{"late_meta_in_the_body",
             "<html><head><title>t</title></head><body><div>x</div>" + kPast1024 +
                 "<meta charset=euc-jp><p>hello</p>",
             "", "Shift_JIS"},
        Case{"late_meta_after_a_div",
             "<title>t</title><div>x</div>" + kPast1024 + "<meta charset=iso-8859-1>" + kEuc, "",
             "EUC-JP"},
        Case{"meta_after_body_start_in_1024",
             "<title>t</title><div>x</div><meta charset=euc-jp>" + kSjis, "", "EUC-JP"},
        Case{"meta_in_a_script_string", "<script>var s='<meta charset=euc-jp>';</script>" + kSjis,
             "", "Shift_JIS"},
        // Heads of real pages: several metas, in any order, some inside <noscript>.
        Case{"charset_then_viewport",
             page("<meta charset=\"utf-8\"><meta name=\"viewport\" content=\"width=device-width, "
                  "initial-scale=1\"><meta name=\"description\" content=\"x\">",
                  kSjis),
             "", "UTF-8"},
        Case{"http_equiv_before_charset",
             page("<meta http-equiv=\"X-UA-Compatible\" content=\"IE=edge\"><meta charset=euc-jp>",
                  kSjis),
             "", "EUC-JP"},
        Case{
            "content_before_http_equiv",
            page("<meta content=\"text/html; charset=EUC-JP\" http-equiv=\"Content-Type\">", kSjis),
            "", "EUC-JP"},
        Case{"description_naming_a_charset",
             page("<meta name=\"description\" content=\"charset=euc-jp\"><meta charset=utf-8>",
                  kSjis),
             "", "UTF-8"},
        Case{"unknown_label_then_a_known_one",
             page("<meta charset=\"x-bogus\"><meta http-equiv=content-type "
                  "content=\"text/html;charset='euc-jp'\">",
                  kSjis),
             "", "EUC-JP"},
        Case{"noscript_before_the_charset",
             page("<noscript><link rel=stylesheet href=nojs.css><meta http-equiv=refresh "
                  "content=\"0; url=nojs.html\"></noscript><meta charset=euc-jp>",
                  kSjis),
             "", "EUC-JP"},
        Case{"charset_inside_noscript", page("<noscript><meta charset=euc-jp></noscript>", kSjis),
             "", "EUC-JP"},
        Case{"many_metas_past_1024_in_the_head",
             "<html><head>" + kPast1024 +
                 "<meta property=\"og:title\" content=\"t\"><link rel=icon href=i.ico>"
                 "<script src=a.js></script><meta charset=\"euc-jp\"></head><body>" +
                 kSjis,
             "", "EUC-JP"},
        // Undeclared: the Japanese legacy charsets are told from the bytes, UTF-8 never.
        Case{"undeclared_euc", page("", kEuc), "", "EUC-JP"},
        Case{"undeclared_utf8", page("", kUtf8), "text/html", "Shift_JIS"},
        Case{"ascii_undeclared", page("", "<p>hello</p>"), "", "Shift_JIS"}),
    [](const testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

// A page of ASCII alone that declares nothing is in the charset a browser reads it in.
TEST(DetectCharset, AsciiAloneUndeclaredIsInTheFallback) {
    const std::string ascii = page("", "<p>hello</p>");
    EXPECT_EQ(detectCharset(ascii, "", "Shift_JIS"), "Shift_JIS");
    EXPECT_EQ(detectCharset(ascii, "", "Shift_JIS"),
              verrimo::browserCharset(ascii, "", "Shift_JIS"));
    EXPECT_EQ(detectCharset(page("<meta charset=utf-8>", "<p>hello</p>"), "", "Shift_JIS"),
              "UTF-8");
    EXPECT_EQ(detectCharset(page("", kUtf8), "", "Shift_JIS"), "UTF-8");
}

TEST(CanonicalCharset, LabelsOfOneCharsetGiveOneName) {
    for (const char* label : {"shift_jis", "SJIS", "Windows-31J", "cp932", " \"Shift-JIS\" "})
        EXPECT_EQ(verrimo::canonicalCharset(label), "Shift_JIS") << label;
    for (const char* label : {"euc-jp", "X-EUC-JP", "ujis"})
        EXPECT_EQ(verrimo::canonicalCharset(label), "EUC-JP") << label;
    EXPECT_EQ(verrimo::canonicalCharset("utf8"), "UTF-8");
    EXPECT_EQ(verrimo::canonicalCharset("windows-1252"), "WINDOWS-1252");
    EXPECT_EQ(verrimo::canonicalCharset(""), "");
}

TEST(DeclaredCharset, FoundInTheHeaderAndNearTheTopOfThePage) {
    EXPECT_EQ(verrimo::contentTypeCharset("text/html; Charset = \"EUC-JP\""), "EUC-JP");
    EXPECT_EQ(verrimo::contentTypeCharset("text/html"), "");
    EXPECT_EQ(verrimo::metaCharset("<Meta CharSet=utf-8>"), "utf-8");
    EXPECT_EQ(verrimo::metaCharset("<meta name=x content=y><meta charset='sjis'/>"), "sjis");
    EXPECT_EQ(verrimo::metaCharset("<p>charset=utf-8</p>"), "");
    EXPECT_EQ(verrimo::metaCharset("<meta charset=bogus><meta charset=' sjis '>"), "sjis");
    EXPECT_EQ(verrimo::metaCharset("<meta content='text/html; charset=sjis'>"), "");
    EXPECT_EQ(verrimo::metaCharset(std::string(5000, ' ') + "<meta charset=utf-8>"), "utf-8");
    EXPECT_EQ(verrimo::metaCharset("<div>" + std::string(5000, ' ') + "<meta charset=utf-8>"), "");
}

}  // namespace
