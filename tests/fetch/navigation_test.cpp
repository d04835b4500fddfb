// The Origin a form is sent with: the preview's, from the page's address, and the one the
// request goes out with, read back from it.
#include "navigation.h"

#include <gtest/gtest.h>

#include "codepage.h"
#include "definition_check.h"
#include "extract_page.h"
#include "form_request.h"
#include "url_resolutions.h"

using namespace verrimo;

namespace {

TEST(Navigation, PreviewAndSentOriginAreOne) {
    const CodePage utf8("UTF-8");
    for (const test::OriginOf& o : test::kOrigins) {
        SCOPED_TRACE(o.url);
        const Origin page = originOf(std::string(o.url));
        EXPECT_EQ(page.serialised(), o.origin ? o.origin : "null");
        if (!page.web()) continue;
        const ReadPage read{
            readPage({"<form method=post action=post.cgi></form>"}, utf8, {.forms = true}).forms,
            o.url};
        const std::string definition =
            std::string("Zem-Referer=") + o.url + "\r\naction=post.cgi\r\n";
        const auto requests =
            definitionRequests(definition, checkDefinition(definition, utf8), {&read, 1}, {}, utf8);
        ASSERT_EQ(requests.size(), 1u);
        const auto& headers = requests[0].headers;
        const auto preview = std::find_if(headers.begin(), headers.end(),
                                          [](const auto& h) { return h.first == "Origin"; });
        ASSERT_NE(preview, headers.end());
        EXPECT_EQ(preview->second, o.origin);
        EXPECT_EQ(originHeaderFor(originOf(preview->second), requests[0].url), o.origin);
    }
}

}  // namespace
