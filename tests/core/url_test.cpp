// Addresses resolved as browsers resolve a form's action or a link.
#include "url.h"

#include <gtest/gtest.h>

#include "codepage.h"
#include "extract_support.h"
#include "url_resolutions.h"

using namespace verrimo;
using verrimo::test::kResolutions;
using verrimo::test::Resolution;
using verrimo::testing::cp932;

namespace {

TEST(ResolveUrl, AsBrowsersParseAnAddress) {
    for (const Resolution& r : kResolutions) {
        const auto resolved = resolveUrl(r.base, r.reference, cp932());
        if (r.resolved)
            EXPECT_EQ(resolved.value_or("(none)"), r.resolved) << r.base << " + " << r.reference;
        else
            EXPECT_FALSE(resolved) << r.base << " + " << r.reference << " = " << *resolved;
    }
}

TEST(ResolveUrl, DoubleByteCharactersKeepTheirBytes) {
    // 表 is 95 5C in Shift_JIS: its second byte is no backslash.
    EXPECT_EQ(resolveUrl("http://a.test/", "\x95\x5C/\x95\x5C?x=\x95\x5C", cp932()),
              "http://a.test/\x95\x5C/\x95\x5C?x=\x95\x5C");
    EXPECT_EQ(requestedUrl(*resolveUrl("http://a.test/", "\x95\x5C?x=\x95\x5C", cp932()), &cp932()),
              "http://a.test/%E8%A1%A8?x=%95\\");  // as a browser sends it: 5C is no mark there
}

TEST(ResolveUrl, QueryReplacedForAGetForm) {
    EXPECT_EQ(withQuery("http://a.test/f?old=1#top", "q=2"), "http://a.test/f?q=2");
}

}  // namespace
