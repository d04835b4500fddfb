#include <curl/curl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "fetch.h"
#include "http_test_server.h"
#include "page_source.h"
#include "tls_test_server.h"

namespace verrimo {
namespace {

using namespace std::string_literals;
using test::HttpTestServer;
using test::Request;
using test::Response;

const std::string kPage =
    "<html><body><form action=\"post.cgi\"><input name=q></form></body></html>\r\n";
const std::string kErrorPage = "<html><body><h1>Not Found</h1></body></html>\r\n";
const std::string kPartial = std::string(100, 'p');

// Bytes that differ from place to place, so that a lost or doubled chunk shows.
std::string patterned(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>('a' + (i * 7 + i / 4096) % 26);
    return bytes;
}

const std::string kBig = patterned(3u << 20);

class DownloadPage : public ::testing::Test {
  protected:
    DownloadPage() {
        server.route("/page.html",
                     Response{200, {{"Content-Type", "text/html"}}, kPage, std::nullopt});
        server.route("/big", Response{200, {}, kBig, std::nullopt});
        server.route("/nul", Response{200, {}, "a\0b\0\0c"s, std::nullopt});
        server.route("/missing.html",
                     Response{404, {{"Content-Type", "text/html"}}, kErrorPage, std::nullopt});
        server.redirect("/old.html", "/page.html");
        server.redirect("/to-file", "file:///etc/passwd");
        server.redirect("/loop", "/loop");
        server.route("/stall", Response{200, {}, kPartial + "never sent", kPartial.size()});
        server.route("/set-cookie",
                     Response{200, {{"Set-Cookie", "session=s1; Path=/"}}, "set", std::nullopt});
        server.route("/login",
                     Response{302,
                              {{"Set-Cookie", "step=2; Path=/"}, {"Location", "/echo-cookie"}},
                              "",
                              std::nullopt});
        server.route("/a%20b", [](const Request& request) {
            return Response{200, {}, "asked " + request.target, std::nullopt};
        });
        server.route("/echo-cookie", [](const Request& request) {
            return Response{200, {}, "cookie=" + request.header("Cookie"), std::nullopt};
        });
        server.route("/echo-agent", [](const Request& request) {
            return Response{200, {}, "agent=" + request.header("User-Agent"), std::nullopt};
        });
    }

    HttpTestServer server;
};

TEST_F(DownloadPage, ReadsAPage) {
    const FetchResult result = downloadPage(server.url("/page.html"));
    EXPECT_TRUE(result.opened);
    EXPECT_EQ(result.status, 200);
    EXPECT_EQ(result.body, kPage);
    EXPECT_EQ(result.error, "");
    EXPECT_FALSE(result.cut);
}

TEST_F(DownloadPage, ReadsABigBodyWhole) {
    const FetchResult result = downloadPage(server.url("/big"));
    EXPECT_TRUE(result.opened);
    EXPECT_TRUE(result.body == kBig) << "read " << result.body.size() << " bytes";
    EXPECT_EQ(result.error, "");
}

TEST_F(DownloadPage, CutsTheBodyAtTheSizeLimit) {
    FetchOptions options;
    options.maxBytes = 1u << 20;
    FetchResult result = downloadPage(server.url("/big"), {}, options);
    EXPECT_TRUE(result.opened);
    ASSERT_EQ(result.body.size(), options.maxBytes);
    EXPECT_TRUE(result.body == kBig.substr(0, options.maxBytes));
    EXPECT_NE(result.error, "");
    EXPECT_TRUE(result.cut);
    // Room for the page source's line break, so that making it does not move the body.
    const char* buffer = result.body.data();
    EXPECT_EQ(pageSourceFromBody(std::move(result.body)).data(), buffer);
}

TEST_F(DownloadPage, BodyOfExactlyTheSizeLimitIsWhole) {
    FetchOptions options;
    options.maxBytes = kPage.size();
    const FetchResult result = downloadPage(server.url("/page.html"), {}, options);
    EXPECT_EQ(result.body, kPage);
    EXPECT_EQ(result.error, "");
    EXPECT_FALSE(result.cut);
}

TEST_F(DownloadPage, KeepsNulBytesOfTheBody) {
    const FetchResult result = downloadPage(server.url("/nul"));
    EXPECT_EQ(result.body, "a\0b\0\0c"s);
    EXPECT_EQ(pageSourceFromBody(result.body), "abc\r\n");
}

TEST_F(DownloadPage, ReadsAnErrorPageLikeAnyPage) {
    const FetchResult result = downloadPage(server.url("/missing.html"));
    EXPECT_TRUE(result.opened);
    EXPECT_EQ(result.status, 404);
    EXPECT_EQ(result.body, kErrorPage);
    EXPECT_EQ(result.error, "");
}

TEST_F(DownloadPage, FollowsARedirect) {
    const FetchResult result = downloadPage(server.url("/old.html"));
    EXPECT_TRUE(result.opened);
    EXPECT_EQ(result.status, 200);  // the page's, not the redirect's
    EXPECT_EQ(result.body, kPage);
    EXPECT_EQ(result.error, "");
}

TEST_F(DownloadPage, RedirectToAnotherSchemeOpensNothing) {
    server.redirect("/to-ftp", "ftp://127.0.0.1:" + std::to_string(server.port()) + "/");
    FetchOptions options;
    options.stall = std::chrono::seconds(2);  // an ftp client let through would wait for a greeting
    for (const std::string path : {"/to-file", "/to-ftp"}) {
        SCOPED_TRACE(path);
        const std::size_t before = server.connections();
        const FetchResult result = downloadPage(server.url(path), {}, options);
        EXPECT_FALSE(result.opened);
        EXPECT_EQ(result.body, "");
        EXPECT_NE(result.error, "");
        EXPECT_EQ(server.connections(), before + 1);
    }
}

TEST_F(DownloadPage, EndlessRedirectsOpenNothing) {
    const FetchResult result = downloadPage(server.url("/loop"));
    EXPECT_FALSE(result.opened);
    EXPECT_EQ(result.body, "");
    EXPECT_NE(result.error, "");
}

TEST_F(DownloadPage, OpensOnlyHttpAndHttps) {
    const std::string hostPort = "127.0.0.1:" + std::to_string(server.port());
    for (const std::string& url :
         {"file:///etc/passwd"s, "ftp://" + hostPort + "/", "gopher://" + hostPort + "/",
          "dict://" + hostPort + "/d:x", "telnet://" + hostPort + "/", hostPort + "/page.html",
          "/page.html"s}) {
        SCOPED_TRACE(url);
        const FetchResult result = downloadPage(url);
        EXPECT_FALSE(result.opened);
        EXPECT_EQ(result.body, "");
        EXPECT_NE(result.error, "");
    }
    EXPECT_EQ(server.connections(), 0u);
}

TEST_F(DownloadPage, EmptyUrlOpensNothing) {
    const FetchResult result = downloadPage("");
    EXPECT_FALSE(result.opened);
    EXPECT_EQ(result.body, "");
    EXPECT_NE(result.error, "");
}

TEST_F(DownloadPage, BlanksAroundTheAddressGoAndBlanksInsideAreEscaped) {
    const FetchResult result = downloadPage(" \t" + server.url("/a b?q=x y&p=%2F") + " \r\n");
    EXPECT_TRUE(result.opened);
    EXPECT_EQ(result.body, "asked /a%20b?q=x+y&p=%2F");
}

TEST(DownloadPageFailure, RefusedConnectionOpensNothing) {
    const FetchResult result = downloadPage(
        "http://127.0.0.1:" + std::to_string(test::closedLoopbackPort()) + "/page.html");
    EXPECT_FALSE(result.opened);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.body, "");
    EXPECT_NE(result.error, "");
}

TEST(DownloadPageFailure, UnresolvableHostOpensNothing) {
    const FetchResult result = downloadPage("http://no-such-host.invalid/page.html");
    EXPECT_FALSE(result.opened);
    EXPECT_EQ(result.body, "");
    EXPECT_NE(result.error, "");
}

// A client that takes any certificate, to show that the server answers.
std::string readTrustingAnyCertificate(const std::string& url) {
    std::string body;
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
    curl_easy_setopt(
        curl, CURLOPT_WRITEFUNCTION, +[](char* data, std::size_t, std::size_t length, void* out) {
            static_cast<std::string*>(out)->append(data, length);
            return length;
        });
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    return body;
}

TEST(DownloadPageHttps, RefusesACertificateThatNoOneVouchesFor) {
    test::TlsTestServer server(kPage);
    ASSERT_EQ(readTrustingAnyCertificate(server.url()), kPage);
    ASSERT_EQ(server.handshakes(), 1u);

    const FetchResult result = downloadPage(server.url());
    EXPECT_FALSE(result.opened);
    EXPECT_EQ(result.body, "");
    EXPECT_NE(result.error, "");
    EXPECT_EQ(server.handshakes(), 1u);
}

TEST_F(DownloadPage, StalledAnswerEndsAtTheStallTimeOutKeepingWhatWasRead) {
    FetchOptions options;
    options.stall = std::chrono::seconds(1);
    const auto start = std::chrono::steady_clock::now();
    const FetchResult result = downloadPage(server.url("/stall"), {}, options);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));  // no hang
    EXPECT_TRUE(result.opened);
    EXPECT_EQ(result.body, kPartial);
    EXPECT_EQ(result.error,
              "Operation too slow. Less than 1 bytes/sec transferred the last 1 seconds");
}

TEST_F(DownloadPage, AnswerWithoutAnyBodyByteEndsAtTheStallTimeOut) {
    server.route("/headers-only", Response{200, {}, kPartial, 0});
    FetchOptions options;
    options.stall = std::chrono::milliseconds(500);
    const auto start = std::chrono::steady_clock::now();
    const FetchResult result = downloadPage(server.url("/headers-only"), {}, options);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));  // no hang
    EXPECT_TRUE(result.opened);
    EXPECT_EQ(result.body, "");
    EXPECT_EQ(result.error,
              "Operation too slow. Less than 1 bytes/sec transferred the last 0.5 seconds");
}

TEST_F(DownloadPage, ProgressKeepsComingWhileNoDataArrives) {
    FetchOptions options;
    // Called about every 100 ms, the callback is asked some 30 times before the stall time-out;
    // once a second, as libcurl's own progress meter is, it would not be asked 10 times.
    options.stall = std::chrono::seconds(3);
    int callsAfterThePart = 0;
    const FetchResult result = downloadPage(
        server.url("/stall"),
        [&](std::size_t received) {
            if (received == kPartial.size()) ++callsAfterThePart;
            return callsAfterThePart < 10;
        },
        options);
    EXPECT_EQ(result.body, kPartial);
    EXPECT_EQ(result.error, "cancelled");
}

TEST_F(DownloadPage, CancelKeepsWhatWasRead) {
    FetchOptions options;
    // A cancel that did not work would end here, with another error.
    options.stall = std::chrono::seconds(20);
    const FetchResult result = downloadPage(
        server.url("/stall"), [](std::size_t received) { return received < kPartial.size(); },
        options);
    EXPECT_TRUE(result.opened);
    EXPECT_EQ(result.body, kPartial);
    EXPECT_EQ(result.error, "cancelled");
}

TEST_F(DownloadPage, CancelAtOnceReadsNothing) {
    const FetchResult result =
        downloadPage(server.url("/page.html"), [](std::size_t) { return false; });
    EXPECT_EQ(result.body, "");
    EXPECT_EQ(result.error, "cancelled");
}

TEST_F(DownloadPage, ProgressCountsTheBytesReceived) {
    std::vector<std::size_t> seen;
    const FetchResult result = downloadPage(server.url("/big"), [&](std::size_t received) {
        seen.push_back(received);
        return true;
    });
    EXPECT_TRUE(result.body == kBig);
    ASSERT_FALSE(seen.empty());
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_GT(seen.back(), 0u);
    EXPECT_LE(seen.back(), kBig.size());
}

TEST_F(DownloadPage, ErrorOfTheProgressCallbackReachesTheCaller) {
    EXPECT_THROW(downloadPage(server.url("/page.html"),
                              [](std::size_t) -> bool { throw std::runtime_error("dialog gone"); }),
                 std::runtime_error);
}

TEST_F(DownloadPage, SendsTheAgentMyApp) {
    EXPECT_EQ(downloadPage(server.url("/echo-agent")).body, "agent=MyApp");
}

TEST_F(DownloadPage, KeepsCookiesForTheRun) {
    downloadPage(server.url("/set-cookie"));
    EXPECT_NE(downloadPage(server.url("/echo-cookie")).body.find("session=s1"), std::string::npos);
}

TEST_F(DownloadPage, SendsACookieSetByARedirect) {
    const FetchResult result = downloadPage(server.url("/login"));
    EXPECT_NE(result.body.find("step=2"), std::string::npos) << result.body;
}

class ScopedEnvironment {
  public:
    ScopedEnvironment(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedEnvironment() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST_F(DownloadPage, IgnoresTheProxyEnvironment) {
    const std::string proxy = "http://127.0.0.1:" + std::to_string(test::closedLoopbackPort());
    const ScopedEnvironment settings[] = {
        {"http_proxy", proxy.c_str()},  {"HTTPS_PROXY", proxy.c_str()},
        {"https_proxy", proxy.c_str()}, {"ALL_PROXY", proxy.c_str()},
        {"all_proxy", proxy.c_str()},   {"NO_PROXY", nullptr},
        {"no_proxy", nullptr}};
    const FetchResult result = downloadPage(server.url("/page.html"));
    EXPECT_TRUE(result.opened);
    EXPECT_EQ(result.body, kPage);
}

TEST_F(DownloadPage, TheAnswersContentTypeComesWithThePage) {
    server.route("/euc.html",
                 Response{200, {{"Content-Type", "text/html; charset=EUC-JP"}}, "x", std::nullopt});
    EXPECT_EQ(downloadPage(server.url("/euc.html")).contentType, "text/html; charset=EUC-JP");
    // Through a redirect, the page's own header counts.
    server.redirect("/to-euc", "/euc.html");
    EXPECT_EQ(downloadPage(server.url("/to-euc")).contentType, "text/html; charset=EUC-JP");
    EXPECT_EQ(downloadPage(server.url("/big")).contentType, "");
}

}  // namespace
}  // namespace verrimo
