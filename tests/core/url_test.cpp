// Addresses resolved as browsers resolve a form's action or a link.
#include "url.h"

#include <gtest/gtest.h>

#include <span>
#include <tuple>

#include "codepage.h"
#include "extract_support.h"
#include "url_resolutions.h"

using namespace verrimo;
using verrimo::test::kResolutions;
using verrimo::test::Resolution;
using verrimo::testing::cp932;

namespace {

// The table is in UTF-8; a definition holds it in its own code page, which reads the same.
TEST(ResolveUrl, AsBrowsersParseAnAddress) {
    const CodePage utf8("UTF-8");
    for (const CodePage* cp : {&cp932(), &utf8})
        for (const auto table : {std::span<const Resolution>(kResolutions),
                                 std::span<const Resolution>(test::kStandardResolutions)})
            for (const Resolution& r : table) {
                const auto resolved =
                    resolveUrl(cp->fromUtf8(r.base), cp->fromUtf8(r.reference), *cp);
                SCOPED_TRACE(cp->name() + ": " + r.base + " + " + r.reference);
                if (r.resolved)
                    EXPECT_EQ(resolved.value_or("(none)"), r.resolved);
                else
                    EXPECT_FALSE(resolved) << *resolved;
            }
}

TEST(ResolveUrl, PartsAndFragment) {
    const auto url = parseUrl("", "HTTP://u:p@日本語.jp:8080/a/../b?c=d e#f g`", CodePage("UTF-8"));
    ASSERT_TRUE(url);
    EXPECT_EQ(std::tie(url->scheme, url->username, url->password, url->path),
              std::tie("http", "u", "p", "/b"));
    EXPECT_EQ(url->host, "xn--wgv71a119e.jp");
    EXPECT_EQ(url->port, 8080);
    EXPECT_EQ(url->query, "c=d%20e");
    EXPECT_EQ(url->fragment, "f%20g%60");
    EXPECT_EQ(url->serialised(true), "http://u:p@xn--wgv71a119e.jp:8080/b?c=d%20e#f%20g%60");
    EXPECT_EQ(parseUrl("", "web+x:/.//p", cp932())->serialised(true), "web+x:/.//p");
}

// A relative reference without a base is no fault of the address; an address that cannot be
// parsed is.
TEST(ResolveUrl, RefusedAddresses) {
    const struct {
        const char* base;
        const char* reference;
        bool refused;
    } cases[] = {
        {"", "http://f:999999/c", true},
        {"", "http://a b/x", true},
        {"", "post.cgi", false},
        {"http://a.test/", "//a b/", true},
        {"http://a.test/", "post.cgi", false},
        {"http://[::1/", "post.cgi", false},
        {"", "1a:b", false},
        {"", "web+x:a", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(browserRefuses(c.base, c.reference, cp932()), c.refused)
            << c.base << " + " << c.reference;
}

TEST(ResolveUrl, DoubleByteCharactersKeepTheirBytes) {
    // 表 is 95 5C in Shift_JIS: its second byte is no backslash.
    EXPECT_EQ(resolveUrl("http://a.test/", "\x95\x5C/\x95\x5C?x=\x95\x5C", cp932()),
              "http://a.test/\x95\x5C/\x95\x5C?x=\x95\x5C");
    EXPECT_EQ(requestedUrl(*resolveUrl("http://a.test/", "\x95\x5C?x=\x95\x5C", cp932()), &cp932()),
              "http://a.test/%E8%A1%A8?x=%95\\");  // as a browser sends it: 5C is no mark there
    // A host in Shift_JIS is the same name as in UTF-8: 日本語 is 93 FA 96 7B 8C EA.
    EXPECT_EQ(resolveUrl("", "http://\x93\xFA\x96\x7B\x8C\xEA\x81\x44jp/\x95\x5C", cp932()),
              "http://xn--wgv71a119e.jp/\x95\x5C");
}

TEST(ResolveUrl, QueryReplacedForAGetForm) {
    EXPECT_EQ(withQuery("http://a.test/f?old=1#top", "q=2"), "http://a.test/f?q=2");
}

}  // namespace
