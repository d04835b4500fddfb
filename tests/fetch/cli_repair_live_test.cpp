// verrimo-cli repair --live against a loopback server: the referrer page as the site serves it
// now, fetched once and nothing else sent; a page that cannot be fetched is status 3.
#include <gtest/gtest.h>

#include <fstream>

#include "http_test_server.h"
#include "run_program.h"

namespace {

using verrimo::test::HttpTestServer;
using verrimo::test::Response;
using verrimo::testing::ProgramRun;
using verrimo::testing::runProgram;

std::string definitionFile(const std::string& name, const std::string& referrer) {
    const std::string path = ::testing::TempDir() + "verrimo-repair-live-" + name + ".txt";
    std::ofstream(path, std::ios::binary)
        << "Zem-Referer=" << referrer
        << "\r\naction=post.cgi\r\nsid=Zem-GetValue[sid]\r\nuser=Zem-ID\r\n-\r\nchk-moji=\r\n";
    return path;
}

TEST(CliRepairLive, RepairsAgainstThePageAsServedNow) {
    HttpTestServer server;
    server.route("/entry.html",
                 Response{200,
                          {{"Content-Type", "text/html; charset=Shift_JIS"}},
                          "<form action=post.cgi method=post><input type=hidden name=csrf "
                          "value=x1><input type=text name=user></form>",
                          std::nullopt});
    const std::string def = definitionFile("entry", server.url("/entry.html"));
    const ProgramRun run =
        runProgram(VERRIMO_CLI, {"repair", "--live", def}, "", {"VERRIMO_CODEPAGE=CP932"});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.out, "Zem-Referer=" + server.url("/entry.html") +
                           "\r\naction=post.cgi\r\ncsrf=Zem-GetValue[csrf]\r\nuser=Zem-ID\r\n-\r\n"
                           "chk-moji=\r\n");
    EXPECT_NE(run.err.find("\"kind\":\"renamed\""), std::string::npos);
    EXPECT_EQ(server.connections(), 1u);
}

TEST(CliRepairLive, APageThatCannotBeFetchedIsStatusThree) {
    HttpTestServer server;
    const std::string def = definitionFile("gone", server.url("/gone.html"));
    const ProgramRun run =
        runProgram(VERRIMO_CLI, {"repair", "--live", def}, "", {"VERRIMO_CODEPAGE=CP932"});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("HTTP 404"), std::string::npos);
}

}  // namespace
