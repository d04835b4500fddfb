// verrimo-cli's exit statuses: a failed write, a closed pipe, a page the scanner cut.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run_program.h"

namespace {

using verrimo::testing::ProgramRun;
using verrimo::testing::runProgram;
using verrimo::testing::StandardOutput;

ProgramRun cli(const std::vector<std::string>& args, const std::string& input,
               StandardOutput output = StandardOutput::Captured) {
    return runProgram(VERRIMO_CLI, args, input, {"VERRIMO_CODEPAGE=CP932"}, output);
}

std::string repeated(std::string_view piece, std::size_t times) {
    std::string text;
    for (std::size_t i = 0; i < times; ++i) text += piece;
    return text;
}

const std::string kPage = "<form action=\"a.cgi\"><input name=q value=1></form>";

TEST(CliStatus, AFailedWriteIsOneLineAndStatusOne) {
    for (const auto& args : {std::vector<std::string>{"extract"},
                             {"walk"},
                             {"encode", "a b"},
                             {"--help"},
                             {"extract", "--help"}}) {
        SCOPED_TRACE(args[0]);
        const ProgramRun run = cli(args, kPage, StandardOutput::Full);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "verrimo-cli: cannot write standard output: No space left on device\n");
    }
}

TEST(CliStatus, AFailedWriteOfALongOutputStopsAtOnce) {
    const ProgramRun run = cli({"extract"}, repeated(kPage, 20'000), StandardOutput::Full);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "verrimo-cli: cannot write standard output: No space left on device\n");
}

TEST(CliStatus, AClosedPipeEndsQuietly) {
    for (const std::string& page : {kPage, repeated(kPage, 20'000)}) {
        const ProgramRun run = cli({"extract"}, page, StandardOutput::ClosedPipe);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.err, "");
    }
}

TEST(CliStatus, ThePieceAfterTheCycleLimitIsDroppedWithAWarning) {
    // Each <b> takes one cycle of the scanner, which stops after 999,999.
    const std::string whole = repeated("<b>", 999'999);
    const ProgramRun atTheLimit = cli({"extract"}, whole);
    EXPECT_EQ(atTheLimit.status, 0);
    EXPECT_EQ(atTheLimit.err, "");

    const ProgramRun beyond = cli({"extract"}, whole + "<i>");
    EXPECT_EQ(beyond.status, 0);
    EXPECT_EQ(beyond.out, atTheLimit.out);
    EXPECT_EQ(beyond.err,
              "verrimo-cli: warning: the page has more pieces than the scanner's cycle limit "
              "takes; the rest of it is left out\n");
    EXPECT_EQ(cli({"walk"}, whole + "<i>").err, beyond.err);
}

}  // namespace
