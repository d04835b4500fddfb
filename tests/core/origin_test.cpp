// The Origin a browser sends with a form, from the address of the page that sends it, and the
// Referer it sends from there.
#include "origin.h"

#include <gtest/gtest.h>

#include <span>

#include "codepage.h"
#include "extract_support.h"
#include "url_resolutions.h"

using namespace verrimo;
using verrimo::testing::cp932;

namespace {

TEST(Origin, AsBrowsersGiveIt) {
    for (const auto table : {std::span<const test::OriginOf>(test::kOrigins),
                             std::span<const test::OriginOf>(test::kStandardOrigins)})
        for (const test::OriginOf& o : table) {
            const std::optional<Url> url = parseUrl("", cp932().fromUtf8(o.url), cp932());
            if (o.origin)
                EXPECT_EQ(url ? url->origin().serialised() : "(no address)", o.origin) << o.url;
            else
                EXPECT_FALSE(url) << o.url;
            // An address that cannot be parsed has an opaque origin, equal to none.
            const Origin origin = originOf(cp932().fromUtf8(o.url), cp932());
            EXPECT_EQ(origin.serialised(), o.origin ? o.origin : "null") << o.url;
            EXPECT_EQ(origin == origin, origin.serialised() != "null") << o.url;
        }
}

}  // namespace
