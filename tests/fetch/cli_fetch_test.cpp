// verrimo-cli fetch run as a program against a loopback server.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "http_test_server.h"
#include "run_program.h"

namespace {

using namespace std::string_literals;
using verrimo::test::HttpTestServer;
using verrimo::test::Response;
using verrimo::testing::ProgramRun;
using verrimo::testing::runProgram;

ProgramRun cli(const std::vector<std::string>& args, const std::string& input = "") {
    return runProgram(VERRIMO_CLI, args, input, {"VERRIMO_CODEPAGE=CP932"});
}

const std::string kLoginPage =
    "<form action=\"login.cgi\" method=post>\n<INPUT TYPE=hidden NAME=sid VALUE=x1>\n"
    "<input type=\"text\" name=\"user\"><br>\n<a href=\"help.html\">\x82\xa0</a>\n</form>\n";

// What extract prints for the page source that a download of body gives.
std::string extracted(const std::string& pageSource, const std::string& url) {
    const ProgramRun run = cli({"extract", "--url", url}, pageSource);
    EXPECT_EQ(run.status, 0);
    return run.out;
}

class CliFetch : public ::testing::Test {
  protected:
    CliFetch() {
        server.route("/login.html", Response{200, {}, kLoginPage, std::nullopt});
        server.route("/gone.html",
                     Response{404, {}, "<a href=\"home.html\">home</a>", std::nullopt});
        server.route("/nul.html", Response{200, {}, "<a href=x.html>\0y</a>"s, std::nullopt});
        server.route("/stall.html", Response{200, {}, kLoginPage + "<a href=never.html>", 40});
        server.route("/silent.html", Response{200, {}, kLoginPage, 0});
    }

    HttpTestServer server;
};

TEST_F(CliFetch, PrintsTheExtractionOfTheDownloadedPage) {
    const std::string url = server.url("/login.html");
    const ProgramRun run = cli({"fetch", url});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, extracted(kLoginPage + "\r\n", url));
    EXPECT_NE(run.out.find(R"("targets":["login.cgi",)"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"referrer\":\"" + url + "\""), std::string::npos) << run.out;
}

TEST_F(CliFetch, ReadsAnErrorPage) {
    const std::string url = server.url("/gone.html");
    const ProgramRun run = cli({"fetch", url});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, extracted("<a href=\"home.html\">home</a>\r\n", url));
    EXPECT_NE(run.out.find(R"("target":"home.html")"), std::string::npos) << run.out;
}

TEST_F(CliFetch, DropsNulBytes) {
    const std::string url = server.url("/nul.html");
    EXPECT_EQ(cli({"fetch", url}).out, extracted("<a href=x.html>y</a>\r\n", url));
}

TEST_F(CliFetch, APageCutByTheStallTimeOutIsExtractedWithAWarning) {
    const std::string url = server.url("/stall.html");
    const ProgramRun run = cli({"fetch", "--timeout", "1", url});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, extracted(kLoginPage.substr(0, 40) + "\r\n", url));
    EXPECT_EQ(run.err,
              "verrimo-cli: warning: fetch: Operation too slow. Less than 1 bytes/sec transferred "
              "the last 1 seconds\n");
}

TEST_F(CliFetch, NoByteBeforeTheStallTimeOutIsStatusThree) {
    const std::string url = server.url("/silent.html");
    const ProgramRun run = cli({"fetch", "--timeout=0.5", url});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.out, extracted("", url));
    EXPECT_EQ(run.err,
              "verrimo-cli: fetch: Operation too slow. Less than 1 bytes/sec transferred the "
              "last 0.5 seconds\n");
}

TEST(CliFetchFailure, APageThatCannotBeOpenedIsAnEmptyPageAndStatusThree) {
    const std::string url =
        "http://127.0.0.1:" + std::to_string(verrimo::test::closedLoopbackPort()) + "/";
    for (const std::string& u : {url, "file:///etc/passwd"s, "http://no-such-host.invalid/"s}) {
        SCOPED_TRACE(u);
        const ProgramRun run = cli({"fetch", u});
        EXPECT_EQ(run.status, 3);
        EXPECT_EQ(run.out, extracted("", u));
        EXPECT_TRUE(run.err.starts_with("verrimo-cli: fetch: ")) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
    EXPECT_NE(cli({"fetch", url}).err.find("Couldn't connect to server"), std::string::npos);
}

TEST(CliFetchFailure, WrongCommandLines) {
    for (const auto& args : {std::vector<std::string>{"fetch"},
                             {"fetch", "http://127.0.0.1/a", "http://127.0.0.1/b"},
                             {"fetch", "--verbose", "http://127.0.0.1/a"},
                             {"fetch", "--timeout", "0", "http://127.0.0.1/a"},
                             {"fetch", "--timeout=soon", "http://127.0.0.1/a"},
                             {"fetch", "http://127.0.0.1/a", "--timeout"}}) {
        const ProgramRun run = cli(args);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err, "");
    }
}

TEST(CliFetchHelp, ListsTheCommand) {
    const ProgramRun run = cli({"fetch", "--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("verrimo-cli fetch URL"), std::string::npos) << run.out;
}

}  // namespace

TEST(CliCheckLive, FindsWhatASiteChangeBrokeAndNothingOnTheUnchangedPage) {
    const std::string page =
        "<form action=post.cgi method=post><input type=hidden name=sid value=s1>"
        "<input name=user><select name=pref><option value=13>Tokyo<option value=27>Osaka"
        "</select></form>";
    const auto changed = [&](std::string_view from, std::string_view to) {
        std::string p = page;
        p.replace(p.find(from), from.size(), to);
        return p;
    };
    const struct {
        const char* name;
        std::string page;
        const char* rule;
    } versions[] = {
        {"unchanged", page, nullptr},
        {"field_renamed", changed("name=user", "name=login"), "field-unknown"},
        {"token_added", changed("</form>", "<input type=hidden name=token value=t9></form>"),
         "field-left-out"},
        {"option_removed", changed("<option value=27>Osaka", ""), "value-not-offered"},
        {"action_moved", changed("post.cgi", "v2/post.cgi"), "form-missing"},
    };
    HttpTestServer server;
    std::vector<std::string> files;
    for (const auto& v : versions) {
        server.route(std::string("/") + v.name + ".html", Response{200, {}, v.page, std::nullopt});
        files.push_back(::testing::TempDir() + "verrimo-live-" + v.name + ".txt");
        std::ofstream(files.back(), std::ios::binary)
            << "Zem-Referer=" << server.url(std::string("/") + v.name + ".html")
            << "\r\naction=post.cgi\r\nsid=Zem-GetValue[sid]\r\nuser=Zem-ID\r\npref=27\r\n";
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        const ProgramRun run = cli({"check", "--live", files[i]});
        EXPECT_EQ(run.status, versions[i].rule ? 1 : 0) << versions[i].name;
        if (versions[i].rule)
            EXPECT_NE(run.out.find(std::string("\"rule\":\"") + versions[i].rule + "\""),
                      std::string::npos)
                << run.out;
        else
            EXPECT_EQ(run.out, "");
    }
    // All at once: one line per finding, each with its file, in the order given.
    std::vector<std::string> args = {"check", "--live"};
    args.insert(args.end(), files.begin(), files.end());
    const ProgramRun all = cli(args);
    EXPECT_EQ(all.status, 1);
    EXPECT_EQ(all.out.find(files[0]), std::string::npos);
    EXPECT_LT(all.out.find(files[1]), all.out.find(files[4]));
}

// The lines of request --curl run by curl itself: each sends one request, to its address as
// written, whatever globs or option-like text the definition put into it. The loopback server
// is curl's proxy, so that no address leaves the machine.
TEST(CliRequestCurl, EachLineIsOneRequestToItsAddress) {
    HttpTestServer server;
    std::vector<std::string> arrived;
    std::mutex mutex;
    const auto record = [&](const verrimo::test::Request& request) {
        const std::lock_guard lock(mutex);
        arrived.push_back(request.target);
        return Response{200, {}, "ok\n", std::nullopt};
    };
    const std::string config = ::testing::TempDir() + "verrimo-curl-config.txt";
    std::ofstream(config) << "url = \"" << server.url("/from-config") << "\"\n";
    const struct {
        const char* name;
        std::string definition;
        std::string address;
    } cases[] = {
        {"a range", "Zem-Referer=" + server.url("/") + "\r\nZem-Open=p[1-3].html\r\n",
         server.url("/p[1-3].html")},
        {"a set", "Zem-Referer=" + server.url("/") + "\r\nZem-Open=p.html?x={a,b}\r\n",
         server.url("/p.html?x={a,b}")},
        {"an option", "Zem-Referer=x\r\nZem-Open=-K" + config + "\r\n", "http://-K" + config},
    };
    server.route(server.url("/from-config"), record);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        server.route(c.address.substr(0, c.address.find('?')), record);
        const ProgramRun lines = cli({"request", "--curl"}, c.definition);
        ASSERT_EQ(lines.status, 0);
        ASSERT_TRUE(lines.out.starts_with("curl --globoff ")) << lines.out;
        const std::size_t before = server.connections();
        const ProgramRun run =
            runProgram("/bin/sh", {"-c", lines.out}, "",
                       {"PATH=" + std::string(std::getenv("PATH")), "HOME=" + ::testing::TempDir(),
                        "http_proxy=" + server.baseUrl(), "no_proxy="});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(server.connections() - before, 1u);
        const std::lock_guard lock(mutex);
        EXPECT_EQ(arrived, std::vector<std::string>{c.address});
        arrived.clear();
    }
}

// A page that is not the site's page as it stands: an error page (even one holding the form),
// a page that trickles in past the time-out, a page cut at the size bound. Each is said, with
// status 3.
TEST(CliCheckLive, APageNotWhollyFetchedIsSaid) {
    const std::string page =
        "<form action=post.cgi method=post><input name=user></form>" + std::string(100, ' ');
    HttpTestServer server;
    server.route("/missing.html", Response{404, {}, page, std::nullopt});
    server.route("/failing.html", Response{500, {}, page, std::nullopt});
    server.route("/busy.html", Response{503, {}, "busy", std::nullopt});
    // Never two seconds without a byte, and a whole body would take 200 s.
    server.trickle("/trickling.html", page + std::string(1000, ' '),
                   std::chrono::milliseconds(200));
    server.route("/long.html", Response{200, {}, page + "<p>more", std::nullopt});
    const struct {
        const char* name;
        std::string timeout;
        const char* rule;
        std::string message;
    } cases[] = {
        {"missing", "5", "page-not-fetched", "参照元のページを読めません: HTTP 404 が返りました"},
        {"failing", "5", "page-not-fetched", "参照元のページを読めません: HTTP 500 が返りました"},
        {"busy", "5", "page-not-fetched", "参照元のページを読めません: HTTP 503 が返りました"},
        {"trickling", "2", "page-not-fetched",
         "参照元のページを読めません: Operation timed out after 2"},
        {"long", "5", "page-cut",
         "参照元のページが " + std::to_string(page.size()) +
             " バイトで切れています（その先は照らし合わせていません）"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = ::testing::TempDir() + "verrimo-live-" + c.name + ".txt";
        std::ofstream(file, std::ios::binary)
            << "Zem-Referer=" << server.url(std::string("/") + c.name + ".html")
            << "\r\naction=post.cgi\r\nuser=Zem-ID\r\n";
        const ProgramRun run =
            runProgram(VERRIMO_CLI, {"check", "--live", "--timeout", c.timeout, file}, "",
                       {"VERRIMO_CODEPAGE=UTF-8",
                        "VERRIMO_TEST_MAX_PAGE_BYTES=" + std::to_string(page.size())});
        EXPECT_EQ(run.status, 3);
        EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1) << run.out;
        EXPECT_NE(
            run.out.find(std::string("\"rule\":\"") + c.rule + "\",\"message\":\"" + c.message),
            std::string::npos)
            << run.out;
    }
}
