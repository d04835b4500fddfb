// The Origin a browser sends with a form, from the address of the page that sends it.
#include <gtest/gtest.h>

#include "origin.h"

namespace {

TEST(SerializedOrigin, SchemeHostAndAPortThatIsNotTheDefault) {
    const std::pair<const char*, const char*> cases[] = {
        {"http://www.example.org/a/b.html?q=1#top", "http://www.example.org"},
        {"https://www.example.org:443/", "https://www.example.org"},
        {"http://www.example.org:80/", "http://www.example.org"},
        {"http://www.example.org:080/", "http://www.example.org"},
        {"http://127.0.0.1:8080/form.html", "http://127.0.0.1:8080"},
        {"https://h.test:80/", "https://h.test:80"},
        {"HTTP://User:Pw@WWW.Example.ORG:81/", "http://www.example.org:81"},
        {"http://[::1]:8000/x", "http://[::1]:8000"},
        {"http://[::1]/x", "http://[::1]"},
        {"http://h.test:/x", "http://h.test"},
        {"http:\\\\h.test\\x", "http://h.test"},
        {"ftp://h.test:21/", "ftp://h.test"},
        {"wss://h.test:443/", "wss://h.test"},
        {"file:///home/u/form.html", "null"},
        {"data:text/html,<form>", "null"},
        {"about:blank", "null"},
        {"top.html", ""},              // no scheme: the page's address is not known
        {"1a:b", ""},                  // nor is this one
        {"http://h.test:99999/", ""},  // no port a browser loads
        {"http://h.test:8x/", ""},
        {"http:///x", "http://x"},  // the slashes before the host are skipped
        {"http://:80/", ""},
    };
    for (const auto& [url, origin] : cases)
        EXPECT_EQ(verrimo::serializedOrigin(url), origin) << url;
}

}  // namespace
