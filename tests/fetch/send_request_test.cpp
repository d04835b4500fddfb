// Sending a step's request against loopback servers: as built, with the road's cookies, the
// Referer and Origin a browser gives it, and its redirects followed as a browser follows them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "http_test_server.h"
#include "navigation.h"
#include "road_session.h"
#include "send_request.h"

namespace verrimo {
namespace {

using namespace std::string_literals;
using test::HttpTestServer;
using test::Request;
using test::Response;

Response echo(const Request& r) {
    std::string text = r.method + " " + r.target + "\n";
    for (const char* name : {"Content-Type", "Referer", "Origin", "Cookie"})
        text += std::string(name) + ": " + r.header(name) + "\n";
    return Response{200, {{"Content-Type", "text/plain"}}, text + "\n" + r.body, std::nullopt};
}

StepRequest post(const std::string& url, const std::string& referrer, const std::string& body) {
    StepRequest r;
    r.method = "POST";
    r.url = url;
    r.headers = {{"Content-Type", "application/x-www-form-urlencoded"}, {"Referer", referrer}};
    r.body = body;
    return r;
}

StepRequest get(const std::string& url, const std::string& referrer = {}) {
    StepRequest r;
    r.method = "GET";
    r.url = url;
    if (!referrer.empty()) r.headers = {{"Referer", referrer}};
    return r;
}

class SendRequest : public ::testing::Test {
  protected:
    SendRequest() {
        startNewRoad();
        for (const char* path : {"/echo", "/landed"}) server.route(path, echo);
        server.route(
            "/login",
            Response{
                303, {{"Set-Cookie", "sid=abc; Path=/"}, {"Location", "/echo"}}, "", std::nullopt});
        server.redirect("/to-file", "file:///etc/passwd", 302);
        server.redirect("/loop", "/loop", 302);
        server.route("/big", Response{200, {}, std::string(4096, 'x'), std::nullopt});
        for (const int status : {301, 302, 303, 307, 308})
            server.redirect("/r" + std::to_string(status), "/landed", status);
    }

    HttpTestServer server;
};

TEST_F(SendRequest, SendsThePostAsBuiltWithRefererAndOrigin) {
    const std::string page = server.url("/form.html");
    const std::string body = "a=%82%A0&b=x+y&c=\x01\x7F"s;
    const StepAnswer answer = sendRequest(post(server.url("/echo?q=1"), page, body));
    EXPECT_EQ(answer.error, "");
    EXPECT_EQ(answer.status, 200);
    EXPECT_EQ(answer.body,
              "POST /echo?q=1\nContent-Type: application/x-www-form-urlencoded\n"
              "Referer: " +
                  page + "\nOrigin: " + server.baseUrl() + "\nCookie: \n\n" + body);
    ASSERT_EQ(answer.hops.size(), 1u);
    EXPECT_EQ(answer.hops[0].referer, page);
    EXPECT_EQ(answer.hops[0].origin, server.baseUrl());
    EXPECT_EQ(answer.url, server.url("/echo?q=1"));
    EXPECT_EQ(answer.contentType, "text/plain");
}

TEST_F(SendRequest, AGetCarriesNoOrigin) {
    const StepAnswer answer = sendRequest(get(server.url("/echo?q=%82%A0"), server.url("/")));
    EXPECT_EQ(answer.body, "GET /echo?q=%82%A0\nContent-Type: \nReferer: " + server.url("/") +
                               "\nOrigin: \nCookie: \n\n");
}

struct RedirectCase {
    int status;
    const char* method;  // after the redirect
    bool keepsBody;
};

TEST_F(SendRequest, FollowsRedirectsAfterAPostAsABrowserDoes) {
    const RedirectCase cases[] = {
        {301, "GET", false}, {302, "GET", false}, {303, "GET", false},
        {307, "POST", true}, {308, "POST", true},
    };
    for (const RedirectCase& c : cases) {
        SCOPED_TRACE(c.status);
        const std::string from = server.url("/r" + std::to_string(c.status));
        const StepAnswer answer = sendRequest(post(from, server.url("/form.html"), "k=v"));
        EXPECT_EQ(answer.error, "");
        ASSERT_EQ(answer.hops.size(), 2u);
        EXPECT_EQ(answer.hops[0].method, "POST");
        EXPECT_EQ(answer.hops[0].status, c.status);
        EXPECT_EQ(answer.hops[1].method, c.method);
        EXPECT_EQ(answer.hops[1].url, server.url("/landed"));
        EXPECT_EQ(answer.url, server.url("/landed"));
        EXPECT_EQ(answer.status, 200);
        const std::string expected =
            c.keepsBody ? "POST /landed\nContent-Type: application/x-www-form-urlencoded\n"
                          "Referer: " +
                              server.url("/form.html") + "\nOrigin: " + server.baseUrl() +
                              "\nCookie: \n\nk=v"
                        : "GET /landed\nContent-Type: \nReferer: " + server.url("/form.html") +
                              "\nOrigin: \nCookie: \n\n";
        EXPECT_EQ(answer.body, expected);
        EXPECT_TRUE(answer.otherHosts.empty());
    }
}

TEST_F(SendRequest, ARedirectToAnotherHostIsFollowedAndNamed) {
    HttpTestServer other;
    other.route("/there", echo);
    const std::string there = "http://localhost:" + std::to_string(other.port()) + "/there";
    server.redirect("/away", there, 303);
    server.redirect("/away307", there, 307);
    const std::string page = server.url("/form.html");

    const StepAnswer seeOther = sendRequest(post(server.url("/away"), page, "k=v"));
    EXPECT_EQ(seeOther.url, there);
    EXPECT_EQ(seeOther.otherHosts, std::vector<std::string>{"localhost"});
    // Only the page's origin goes to another origin.
    EXPECT_EQ(seeOther.body, "GET /there\nContent-Type: \nReferer: " + server.baseUrl() +
                                 "/\nOrigin: \nCookie: \n\n");

    const StepAnswer kept = sendRequest(post(server.url("/away307"), page, "k=v"));
    EXPECT_EQ(kept.otherHosts, std::vector<std::string>{"localhost"});
    EXPECT_EQ(kept.body,
              "POST /there\nContent-Type: application/x-www-form-urlencoded\n"
              "Referer: " +
                  server.baseUrl() + "/\nOrigin: " + server.baseUrl() + "\nCookie: \n\nk=v");
}

TEST_F(SendRequest, AnOriginIsNullAfterARedirectBetweenTwoOtherOrigins) {
    HttpTestServer second;
    HttpTestServer third;
    third.route("/end", echo);
    second.redirect("/hop", third.url("/end"), 307);
    server.redirect("/start", second.url("/hop"), 307);
    const StepAnswer answer =
        sendRequest(post(server.url("/start"), server.url("/form.html"), "k=v"));
    ASSERT_EQ(answer.hops.size(), 3u);
    EXPECT_EQ(answer.hops[1].origin, server.baseUrl());
    EXPECT_EQ(answer.hops[2].origin, "null");
    EXPECT_NE(answer.body.find("\nOrigin: null\n"), std::string::npos) << answer.body;
}

TEST_F(SendRequest, SendsNothingToAnAddressOrFromAPageThatIsNotHttp) {
    for (const StepRequest& r : {get("file:///etc/passwd"), get("ftp://127.0.0.1/x"), get("/echo"),
                                 post(server.url("/echo"), "file:///tmp/f.html", "")}) {
        SCOPED_TRACE(r.url);
        const StepAnswer answer = sendRequest(r);
        EXPECT_NE(answer.error, "");
        EXPECT_TRUE(answer.hops.empty());
        EXPECT_EQ(answer.status, 0);
    }
    EXPECT_EQ(server.connections(), 0u);
}

TEST_F(SendRequest, ARedirectToAFileIsNotFollowed) {
    const StepAnswer answer = sendRequest(get(server.url("/to-file")));
    ASSERT_EQ(answer.hops.size(), 1u);
    EXPECT_EQ(answer.status, 302);
    EXPECT_NE(answer.error, "");
    EXPECT_FALSE(answer.fetched());
}

TEST_F(SendRequest, FollowsAtMostTwentyRedirects) {
    const StepAnswer answer = sendRequest(get(server.url("/loop")));
    EXPECT_EQ(answer.hops.size(), 21u);
    EXPECT_EQ(server.connections(), 21u);
    EXPECT_EQ(answer.error, "more than 20 redirects");
}

TEST_F(SendRequest, KeepsTheRoadsCookiesUntilANewRoad) {
    const StepAnswer login = sendRequest(post(server.url("/login"), server.url("/"), "u=1"));
    EXPECT_NE(login.body.find("\nCookie: sid=abc\n"), std::string::npos) << login.body;
    EXPECT_NE(sendRequest(get(server.url("/echo"))).body.find("\nCookie: sid=abc\n"),
              std::string::npos);
    EXPECT_NE(downloadPage(server.url("/echo")).body.find("\nCookie: sid=abc\n"),
              std::string::npos);
    startNewRoad();
    EXPECT_NE(sendRequest(get(server.url("/echo"))).body.find("\nCookie: \n"), std::string::npos);
    EXPECT_NE(downloadPage(server.url("/echo")).body.find("\nCookie: \n"), std::string::npos);
}

TEST_F(SendRequest, KeepsTheBoundsOfTheFetcher) {
    FetchOptions options;
    options.maxBytes = 100;
    const StepAnswer cut = sendRequest(get(server.url("/big")), {}, options);
    EXPECT_EQ(cut.body.size(), 100u);
    EXPECT_EQ(cut.error, "cut at the size limit");

    const StepAnswer cancelled = sendRequest(post(server.url("/echo"), server.url("/"), "k=v"),
                                             [](std::size_t) { return false; });
    EXPECT_EQ(cancelled.error, "cancelled");
    EXPECT_FALSE(cancelled.fetched());
}

TEST_F(SendRequest, WritesNothingToDisk) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("verrimo-send-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::filesystem::path before = std::filesystem::current_path();
    const char* home = std::getenv("HOME");
    const std::string oldHome = home ? home : "";
    ::setenv("HOME", folder.c_str(), 1);
    std::filesystem::current_path(folder);

    sendRequest(post(server.url("/login"), server.url("/"), "u=1"));
    sendRequest(get(server.url("/echo")));
    startNewRoad();

    std::filesystem::current_path(before);
    ::setenv("HOME", oldHome.c_str(), 1);
    EXPECT_TRUE(std::filesystem::is_empty(folder));
    std::filesystem::remove_all(folder);
}

struct RefererCase {
    const char* referrer;
    const char* target;
    const char* referer;
    const char* origin;
};

TEST(Navigation, RefererAndOriginFollowTheDefaultPolicy) {
    const RefererCase cases[] = {
        {"http://a.example/p/f.html?x=1", "http://a.example/post.cgi",
         "http://a.example/p/f.html?x=1", "http://a.example"},
        {"http://a.example/f.html#top", "http://a.example/post.cgi", "http://a.example/f.html",
         "http://a.example"},
        {"http://a.example:8080/f.html", "http://a.example/post.cgi", "http://a.example:8080/",
         "http://a.example:8080"},
        {"http://a.example:80/f.html", "http://a.example/x", "http://a.example:80/f.html",
         "http://a.example"},
        {"https://a.example/f.html", "https://b.example/x", "https://a.example/",
         "https://a.example"},
        {"https://a.example/f.html", "http://a.example/x", "", "null"},
        {"http://a.example/f.html", "https://a.example/x", "http://a.example/", "http://a.example"},
        {"http://u:pw@a.example/f.html", "http://a.example/x", "http://a.example/f.html",
         "http://a.example"},
    };
    for (const RefererCase& c : cases) {
        SCOPED_TRACE(c.referrer);
        EXPECT_EQ(refererFor(c.referrer, c.target), c.referer);
        EXPECT_EQ(originHeaderFor(originOf(c.referrer), c.target), c.origin);
    }
    EXPECT_EQ(refererFor("file:///tmp/f.html", "http://a.example/x"), "");
    EXPECT_FALSE(originOf("file:///tmp/f.html").web());
    EXPECT_FALSE(originOf("post.cgi").web());
}

TEST(Navigation, MethodAfterARedirect) {
    struct Case {
        const char* method;
        long status;
        const char* after;
        bool keepsBody;
    };
    const Case cases[] = {
        {"POST", 301, "GET", false}, {"POST", 302, "GET", false}, {"POST", 303, "GET", false},
        {"POST", 307, "POST", true}, {"POST", 308, "POST", true}, {"GET", 303, "GET", true},
        {"PUT", 303, "GET", false},  {"PUT", 302, "PUT", true},   {"HEAD", 303, "HEAD", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.method) + " " + std::to_string(c.status));
        const Redirected r = redirected(c.method, c.status);
        EXPECT_EQ(r.method, c.after);
        EXPECT_EQ(r.keepsBody, c.keepsBody);
    }
    for (const long status : {300L, 304L, 305L, 306L, 200L, 404L}) EXPECT_FALSE(isRedirect(status));
}

}  // namespace
}  // namespace verrimo
