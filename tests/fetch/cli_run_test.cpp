// verrimo-cli run against the loopback road site: its JSON lines, its exit statuses, and that
// nothing is sent unless the user said so.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "road_site.h"
#include "run_program.h"

namespace {

using verrimo::test::RoadSite;
using verrimo::testing::ProgramRun;
using verrimo::testing::runProgram;

// A folder of its own for each test, removed afterwards.
class TempFolder {
  public:
    TempFolder() {
        char name[] = "/tmp/verrimo-run-test-XXXXXX";
        if (!::mkdtemp(name)) throw std::runtime_error("mkdtemp failed");
        path_ = name;
    }
    ~TempFolder() { std::filesystem::remove_all(path_); }
    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name, const std::string& bytes) const {
        const std::filesystem::path p = path_ / name;
        std::ofstream(p, std::ios::binary) << bytes;
        return p.string();
    }

  private:
    std::filesystem::path path_;
};

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class CliRun : public ::testing::TestWithParam<RoadSite::Charset> {
  protected:
    CliRun() : site(GetParam()) {
        definition = files.file("road.txt", site.definition());
        samples = files.file("samples.txt", "Zem-ID=taro\nZem-Pass=from-the-samples\n");
    }

    std::vector<std::string> env() const {
        return {"VERRIMO_CODEPAGE=CP932", "HOME=" + home.path().string()};
    }
    ProgramRun run(std::vector<std::string> args, const std::string& input = "") const {
        args.insert(args.begin(), "run");
        return runProgram(VERRIMO_CLI, args, input, env());
    }
    ProgramRun runWithPassword(std::vector<std::string> args = {}) const {
        args.insert(args.end(), {"--yes", "--samples", samples, "--password-stdin", definition});
        return run(args, std::string(RoadSite::kPassword) + "\n");
    }
    void expectNoPassword(const std::string& text) const {
        EXPECT_FALSE(has(text, std::string(RoadSite::kPassword))) << text;
        EXPECT_FALSE(has(text, "hunter2")) << text;
        EXPECT_FALSE(has(text, "from-the-samples")) << text;
    }

    TempFolder files;
    TempFolder home;
    RoadSite site;
    std::string definition;
    std::string samples;
};

TEST_P(CliRun, ARoadThatWorksPasses) {
    const ProgramRun r = runWithPassword();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const std::vector<std::string> lines = linesOf(r.out);
    ASSERT_EQ(lines.size(), 3u) << r.out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        SCOPED_TRACE(lines[i]);
        EXPECT_TRUE(has(lines[i], "{\"step\":" + std::to_string(i + 1) + ",\"line\":"));
        EXPECT_TRUE(has(lines[i], "\"method\":\"POST\""));
        EXPECT_TRUE(has(lines[i], ",\"status\":200,"));
        EXPECT_TRUE(has(lines[i], "\"check_found\":true,\"result\":\"passed\"}"));
        EXPECT_TRUE(has(lines[i], "\"findings\":[]"));
        EXPECT_TRUE(has(lines[i], "\"Origin\":\"" + site.url("") + "\""));
    }
    EXPECT_TRUE(has(lines[0], "\"body\":\"user=taro&pass=********\""));
    EXPECT_TRUE(has(lines[0], "\"referrer_page\":{\"url\":\"" + site.url("/login.html") +
                                  "\",\"status\":200,"));
    EXPECT_TRUE(has(lines[0], "\"hops\":[{\"method\":\"POST\",\"url\":\"" + site.url("/login.cgi") +
                                  "\",\"status\":303},{\"method\":\"GET\""
                                  ",\"url\":\"" +
                                  site.url("/input.html") + "\",\"status\":200}]"));
    EXPECT_TRUE(has(lines[1], "\"check_string\":\"入力内容の確認\""));
    EXPECT_TRUE(has(lines[2], "\"final_url\":\"" + site.url("/complete.html") + "\""));
    EXPECT_EQ(site.completed(), site.enteredValues());
    EXPECT_TRUE(has(site.requests()[1].body, "pass=hunter2%26s3cret"));
    expectNoPassword(r.out + r.err);
}

TEST_P(CliRun, AChangedPageStopsItsStepWithTheFinding) {
    site.renameConfirmField("comment", "message");
    const ProgramRun r = runWithPassword();
    EXPECT_EQ(r.status, 1);
    const std::vector<std::string> lines = linesOf(r.out);
    ASSERT_EQ(lines.size(), 3u) << r.out;
    EXPECT_TRUE(has(lines[2], "\"rule\":\"field-unknown\"")) << lines[2];
    EXPECT_TRUE(has(lines[2], "\"status\":null,\"final_url\":null,\"hops\":[]")) << lines[2];
    EXPECT_TRUE(has(lines[2], "\"result\":\"stopped\"}")) << lines[2];
    EXPECT_TRUE(has(r.err, "step 3: not sent, the page no longer fits (field-unknown on line 20)"))
        << r.err;
    EXPECT_EQ(site.count("POST"), 2u);
    expectNoPassword(r.out + r.err);
}

TEST_P(CliRun, AnAnswerWithoutItsCheckStringFails) {
    // The samples' password is not the site's: the login answers its error page.
    const ProgramRun r = run({"--yes", "--samples", samples, definition});
    EXPECT_EQ(r.status, 1);
    const std::vector<std::string> lines = linesOf(r.out);
    ASSERT_EQ(lines.size(), 1u) << r.out;
    EXPECT_TRUE(has(lines[0], "\"check_found\":false,\"result\":\"check-missing\"}"));
    EXPECT_EQ(site.refusals(), std::vector<std::string>{"login: wrong user or password"});
    EXPECT_EQ(site.count("POST"), 1u);
    expectNoPassword(r.out + r.err);
}

TEST_P(CliRun, APageThatCannotBeFetchedGivesThree) {
    struct Case {
        std::string_view gone;
        std::size_t lines;
        std::size_t posts;
    };
    for (const Case& c : {Case{RoadSite::kLoginPage, 1, 0}, Case{RoadSite::kInputPage, 1, 1}}) {
        SCOPED_TRACE(c.gone);
        RoadSite changed(GetParam());
        changed.removePage(c.gone);
        const std::string road = files.file("changed.txt", changed.definition());
        const ProgramRun r = run({"--yes", "--samples", samples, "--password-stdin", road},
                                 std::string(RoadSite::kPassword) + "\n");
        EXPECT_EQ(r.status, 3);
        EXPECT_EQ(linesOf(r.out).size(), c.lines) << r.out;
        EXPECT_TRUE(has(r.out, "\"status\":404,")) << r.out;
        EXPECT_TRUE(has(r.out, "\"result\":\"not-fetched\"}")) << r.out;
        EXPECT_TRUE(has(r.err, "could not be fetched: status 404")) << r.err;
        EXPECT_EQ(changed.count("POST"), c.posts);
    }
}

TEST_P(CliRun, WithoutATerminalNothingIsSentUnlessYes) {
    const ProgramRun r = run({"--samples", samples, "--password-stdin", definition},
                             std::string(RoadSite::kPassword) + "\n");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(has(r.err, "give --yes")) << r.err;
    EXPECT_EQ(site.count("POST"), 0u);
    EXPECT_EQ(site.requests().size(), 0u);
}

TEST_P(CliRun, UntilRunsTheFirstSteps) {
    const ProgramRun r = runWithPassword({"--until", "2"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(linesOf(r.out).size(), 2u);
    EXPECT_EQ(site.count("POST"), 2u);
}

TEST_P(CliRun, WritesNoFile) {
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(home.path());
    const ProgramRun r = runWithPassword();
    std::filesystem::current_path(before);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(std::filesystem::is_empty(home.path()));
}

TEST_P(CliRun, BadInputGivesTwo) {
    const std::vector<std::vector<std::string>> cases = {
        {"--yes"},
        {"--yes", "--until", "0", definition},
        {"--yes", "--until", "x", definition},
        {"--yes", "--password-stdin", "-"},
        {"--yes", files.path().string() + "/none.txt"},
        {"--yes", "--bogus", definition},
    };
    for (const auto& args : cases) {
        const ProgramRun r = run(args);
        EXPECT_EQ(r.status, 2) << args.back();
        EXPECT_NE(r.err, "");
    }
    EXPECT_EQ(site.requests().size(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Charsets, CliRun,
                         ::testing::Values(RoadSite::Charset::ShiftJis, RoadSite::Charset::Utf8),
                         [](const auto& info) {
                             return info.param == RoadSite::Charset::ShiftJis ? "ShiftJis" : "Utf8";
                         });

// The program run on a terminal of its own (a pseudo-terminal), answering each question it asks
// there with the next answer given.
struct TerminalRun {
    int status = -1;
    std::string out;       // standard output
    std::string terminal;  // what the terminal showed
    std::size_t asked = 0;
};

constexpr std::string_view kQuestionEnd = "[a]ll: ";

TerminalRun runOnTerminal(const std::vector<std::string>& args, const std::vector<std::string>& env,
                          const std::vector<std::string>& answers, const std::string& outPath) {
    std::vector<char*> argv{const_cast<char*>(VERRIMO_CLI)};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);

    int master = -1;
    const pid_t pid = ::forkpty(&master, nullptr, nullptr, nullptr);
    if (pid < 0) throw std::runtime_error("forkpty failed");
    if (pid == 0) {
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(out, STDOUT_FILENO);
        ::execve(VERRIMO_CLI, argv.data(), envp.data());
        ::_exit(127);
    }
    TerminalRun run;
    char buffer[4096];
    for (;;) {
        pollfd p{master, POLLIN, 0};
        // Only so that a program that hangs cannot hold the test for ever.
        if (::poll(&p, 1, 60'000) <= 0) break;
        const ssize_t got = ::read(master, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;  // EIO once the program has ended
        run.terminal.append(buffer, static_cast<std::size_t>(got));
        for (std::size_t at = 0, seen = 0;
             (at = run.terminal.find(kQuestionEnd, at)) != std::string::npos; at += 1, ++seen) {
            if (seen < run.asked) continue;
            const std::string answer = run.asked < answers.size() ? answers[run.asked] : "";
            ++run.asked;
            const std::string line = answer + "\n";
            if (::write(master, line.data(), line.size()) < 0) break;
        }
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ::close(master);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(outPath, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    run.out = text.str();
    return run;
}

class CliRunOnTerminal : public ::testing::Test {
  protected:
    CliRunOnTerminal() {
        definition = files.file("road.txt", site.definition());
        samples = files.file("samples.txt",
                             "Zem-ID=taro\nZem-Pass=" + std::string(RoadSite::kPassword) + "\n");
    }
    TerminalRun run(const std::vector<std::string>& answers) const {
        return runOnTerminal({"run", "--samples", samples, definition},
                             {"VERRIMO_CODEPAGE=CP932", "HOME=" + files.path().string()}, answers,
                             (files.path() / "out.txt").string());
    }

    TempFolder files;
    RoadSite site{RoadSite::Charset::ShiftJis};
    std::string definition;
    std::string samples;
};

TEST_F(CliRunOnTerminal, NothingIsSentWhenTheUserSaysNo) {
    for (const char* no : {"n", "", "no", "x"}) {
        SCOPED_TRACE(no);
        const TerminalRun r = run({no});
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.asked, 1u);
        EXPECT_TRUE(has(r.terminal, "step 1: POST " + site.url("/login.cgi"))) << r.terminal;
        EXPECT_TRUE(has(r.out, "\"result\":\"declined\"}")) << r.out;
    }
    EXPECT_EQ(site.count("POST"), 0u);
}

TEST_F(CliRunOnTerminal, EachStepGoesOnlyOnceTheUserSaidSo) {
    const TerminalRun r = run({"y", "y", "n"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.asked, 3u);
    EXPECT_EQ(site.count("POST"), 2u);
    EXPECT_EQ(linesOf(r.out).size(), 3u);
    EXPECT_FALSE(has(r.terminal + r.out, std::string(RoadSite::kPassword)));
    EXPECT_TRUE(has(r.terminal, "pass=********"));
}

TEST_F(CliRunOnTerminal, AllSendsTheRestWithoutAsking) {
    const TerminalRun r = run({"y", "a"});
    EXPECT_EQ(r.status, 0) << r.terminal;
    EXPECT_EQ(r.asked, 2u);
    EXPECT_EQ(site.count("POST"), 3u);
    EXPECT_EQ(site.completed(), site.enteredValues());
}

}  // namespace
