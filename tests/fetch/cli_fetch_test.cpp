// verrimo-cli fetch run as a program against a loopback server.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
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
