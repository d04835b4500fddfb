// verrimo-cli run against the loopback road site: its JSON lines, its exit statuses, and that
// nothing is sent unless the user said so.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <iconv.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "road_site.h"
#include "run_program.h"

namespace {

using verrimo::test::Response;
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

// CP932 text in another charset.
std::string from932(const std::string& text, const char* to) {
    const iconv_t cd = iconv_open(to, "CP932");
    std::string out(text.size() * 4, '\0');
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char* at = out.data();
    std::size_t outLeft = out.size();
    iconv(cd, &in, &inLeft, &at, &outLeft);
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}
std::string utf8(const std::string& cp932) {
    return from932(cp932, "UTF-8");
}
std::string utf16(const std::string& cp932) {
    return "\xFF\xFE" + from932(cp932, "UTF-16LE");
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

// A hostile site against run: it writes the password back, drips or stalls its answers, cuts
// them short; and input that must send nothing.
class CliRunHostile : public ::testing::Test {
  protected:
    CliRunHostile() {
        definition = files.file("road.txt", site.definition());
        samples = files.file("samples.txt", "Zem-ID=taro\nZem-Pass=from-the-samples\n");
    }
    ProgramRun run(std::vector<std::string> args, const std::string& input = "") const {
        args.insert(args.begin(), "run");
        return runProgram(VERRIMO_CLI, args, input,
                          {"VERRIMO_CODEPAGE=CP932", "HOME=" + files.path().string()});
    }
    ProgramRun runWith(const std::string& password, std::vector<std::string> args = {}) const {
        args.insert(args.end(), {"--yes", "--samples", samples, "--password-stdin", definition});
        return run(args, password + "\n");
    }

    TempFolder files;
    RoadSite site{RoadSite::Charset::ShiftJis};
    std::string definition;
    std::string samples;
};

TEST_F(CliRunHostile, ThePasswordWrittenBackIsMaskedEverywhere) {
    const std::string password = "Qq7 Sec&ret9Zz";
    struct Echo {
        std::string where;  // the start of the address the login sends the browser to
        std::string form;   // the password as it is written there
    };
    const Echo echoes[] = {
        {"input.html?p=", "Qq7+Sec%26ret9Zz"},
        {"input.html?p=", "Qq7%20Sec%26ret9Zz"},
        {"input.html?p=", "%51%71%37%20%53%65%63%26%72%65%74%39%5a%7a"},
        {"input.html?p=", "%51%71%37%20%53%65%63%26%72%65%74%39%5A%7A"},
        {"landing/", "Qq7%20Sec&ret9Zz"},
        {"landing/", password},
    };
    for (const Echo& echo : echoes) {
        SCOPED_TRACE(echo.form);
        site.answerInstead(RoadSite::kLogin, {303, {{"Location", echo.where + echo.form}}, "", {}});
        const ProgramRun r = runWith(password);
        const std::string shown = r.out + r.err;
        EXPECT_NE(r.status, 0);
        EXPECT_TRUE(has(r.out, echo.where + "********\",\"status\":")) << r.out;
        for (const std::string& form : {echo.form, password, std::string("Qq7%20Sec&ret9Zz"),
                                        std::string("ret9Zz"), std::string("%72%65%74")})
            EXPECT_FALSE(has(shown, form)) << shown;
    }
}

TEST_F(CliRunHostile, AnAnswerThatDripsIsEndedByTheTimeOut) {
    site.answerInstead(RoadSite::kLogin,
                       {200, {}, std::string(100, ' '), {}, std::chrono::milliseconds(5000)});
    const ProgramRun r = runWith(std::string(RoadSite::kPassword), {"--timeout", "1"});
    EXPECT_EQ(r.status, 3) << r.err;
    EXPECT_TRUE(has(r.out, "\"result\":\"not-fetched\"}")) << r.out;
    EXPECT_TRUE(has(r.err, "step 1: the answer could not be fetched: Operation timed out"))
        << r.err;
    EXPECT_EQ(site.count("POST"), 1u);
}

TEST_F(CliRunHostile, AStallOrACutAnswerIsNotFetched) {
    struct Case {
        Response answer;
        std::string what;
    };
    const std::string body = "<p>お問い合わせ入力</p>";
    const Case cases[] = {
        {{200, {}, body + "<p>more</p>", body.size()}, "Operation timed out"},
        {{200, {{"Content-Length", "5000"}}, body, {}}, "transfer closed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        site.answerInstead(RoadSite::kLogin, c.answer);
        const ProgramRun r = runWith(std::string(RoadSite::kPassword), {"--timeout", "1"});
        EXPECT_EQ(r.status, 3) << r.err;
        EXPECT_TRUE(has(r.out, "\"result\":\"not-fetched\"}")) << r.out;
        EXPECT_TRUE(has(r.err, "step 1: the answer could not be fetched: " + c.what)) << r.err;
    }
    EXPECT_EQ(site.count("POST"), 2u);
}

TEST_F(CliRunHostile, AnEmptyPasswordSendsNothing) {
    for (const char* input : {"", "\n", "\r\n"}) {
        const ProgramRun r =
            run({"--yes", "--samples", samples, "--password-stdin", definition}, input);
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(has(r.err, "password on standard input is empty")) << r.err;
    }
    EXPECT_EQ(site.requests().size(), 0u);
}

TEST_F(CliRunHostile, AFileAddressGivesTheSameReasonAsItsLine) {
    const std::string road =
        files.file("file.txt", "Zem-Referer=" + site.url(RoadSite::kLoginPage) +
                                   "\r\nZem-Open=file:///etc/passwd\r\n");
    const ProgramRun r = run({"--yes", road});
    EXPECT_EQ(r.status, 3);
    EXPECT_TRUE(has(r.out, "\"error\":\"not an http or https address\"")) << r.out;
    EXPECT_TRUE(has(r.err, "step 1: the answer could not be fetched: not an http or https address"))
        << r.err;
}

TEST_F(CliRunHostile, ADefinitionInUtf8IsRunAsWritten) {
    RoadSite utf8Site(RoadSite::Charset::Utf8);
    const std::string road = files.file("utf8.txt", utf8(utf8Site.definition()));
    const ProgramRun r = run({"--yes", "--samples", samples, "--password-stdin", road},
                             std::string(RoadSite::kPassword) + "\n");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(has(r.err, "the definition is run as UTF-8")) << r.err;
    EXPECT_EQ(utf8Site.count("POST"), 3u);
    EXPECT_EQ(utf8Site.completed(), utf8Site.enteredValues());
}

TEST_F(CliRunHostile, ADefinitionNoCodePageReadsSendsNothing) {
    // UTF-16 with its byte order mark.
    const std::string road = files.file("utf16.txt", utf16(site.definition()));
    const ProgramRun r = run({"--yes", "--samples", samples, road});
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(has(r.err, "nothing was sent")) << r.err;
    EXPECT_EQ(site.requests().size(), 0u);
}

TEST_F(CliRunHostile, AnOverlongLineIsRefused) {
    const std::string road =
        files.file("long.txt", "Zem-Referer=" + site.url("/") + std::string(3u << 20, 'a') +
                                   "\r\nZem-Open=" + site.url(RoadSite::kLoginPage) + "\r\n");
    for (const std::vector<std::string>& args : {std::vector<std::string>{"run", "--yes", road},
                                                 {"request", road},
                                                 {"check", road},
                                                 {"check", "--live", road},
                                                 {"repair", "--live", road}}) {
        SCOPED_TRACE(args[0]);
        const ProgramRun r = runProgram(VERRIMO_CLI, args, "", {"VERRIMO_CODEPAGE=CP932"});
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        EXPECT_TRUE(has(r.err, "line 1 is longer than 2 MiB")) << r.err;
    }
    EXPECT_EQ(site.requests().size(), 0u);
}

TEST_F(CliRunHostile, TheCurlLineNamesTheReferrerRunSends) {
    const std::string road = files.file("tab.txt", "Zem-Referer=" + site.url("/log\tin.html") +
                                                       "\r\naction=" + site.url(RoadSite::kLogin) +
                                                       "\r\nuser=Zem-ID\r\npass=Zem-Pass\r\n");
    const ProgramRun curl =
        runProgram(VERRIMO_CLI, {"request", "--curl", road}, "", {"VERRIMO_CODEPAGE=CP932"});
    const ProgramRun r = run({"--yes", "--samples", samples, road});
    ASSERT_EQ(site.count("POST"), 1u) << r.err;
    const std::string sent = site.requests().back().header("Referer");
    EXPECT_EQ(sent, site.url(RoadSite::kLoginPage));
    EXPECT_TRUE(has(curl.out, "-H 'Referer: " + sent + "'")) << curl.out;

    const std::string nul =
        files.file("nul.txt", "Zem-Referer=" + site.url("/lo") + std::string(1, '\0') +
                                  "g\tin.html\r\n"
                                  "action=" +
                                  site.url(RoadSite::kLogin) + "\r\n");
    const ProgramRun controls =
        runProgram(VERRIMO_CLI, {"request", "--curl", nul}, "", {"VERRIMO_CODEPAGE=CP932"});
    EXPECT_TRUE(has(controls.out, "-H 'Referer: " + site.url("/lo%00gin.html") + "'"))
        << controls.out;
}

// The program run on a terminal of its own (a pseudo-terminal), answering each question it asks
// there with the next answer given.
struct TerminalRun {
    int status = -1;
    std::string out;       // standard output
    std::string terminal;  // what the terminal showed
    std::size_t asked = 0;
};

constexpr std::string_view kQuestionEnd = "[a]ll: ";

// Called before each answer, with the program's process and the number of the question (from 0).
using BeforeAnswer = std::function<void(pid_t, std::size_t)>;

TerminalRun runOnTerminal(const std::vector<std::string>& args, const std::vector<std::string>& env,
                          const std::vector<std::string>& answers, const std::string& outPath,
                          const BeforeAnswer& beforeAnswer = {}) {
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
            if (beforeAnswer) beforeAnswer(pid, run.asked);
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

// How often text occurs in the readable memory of the process: its heap, its stacks, every
// anonymous and mapped region.
std::size_t occurrencesInMemory(pid_t pid, const std::string& text) {
    const std::string proc = "/proc/" + std::to_string(pid);
    std::ifstream maps(proc + "/maps");
    const int mem = ::open((proc + "/mem").c_str(), O_RDONLY);
    if (mem < 0) throw std::runtime_error("cannot open " + proc + "/mem");
    std::size_t found = 0;
    for (std::string line; std::getline(maps, line);) {
        std::istringstream fields(line);
        std::string range, perms;
        fields >> range >> perms;
        if (perms[0] != 'r' || has(line, "[vvar]") || has(line, "[vsyscall]")) continue;
        const std::size_t dash = range.find('-');
        const std::uint64_t begin = std::stoull(range.substr(0, dash), nullptr, 16);
        const std::uint64_t end = std::stoull(range.substr(dash + 1), nullptr, 16);
        // In pieces that overlap by the text's length, so that no occurrence is cut.
        constexpr std::uint64_t kPiece = 1u << 20;
        std::string bytes;
        for (std::uint64_t at = begin; at < end; at += kPiece) {
            bytes.resize(std::min(kPiece + text.size(), end - at));
            const ssize_t got = ::pread(mem, bytes.data(), bytes.size(), static_cast<off_t>(at));
            if (got <= 0) continue;
            bytes.resize(static_cast<std::size_t>(got));
            for (std::size_t p = 0;
                 (p = bytes.find(text, p)) < std::min<std::size_t>(kPiece, bytes.size()); ++p)
                ++found;
        }
    }
    ::close(mem);
    return found;
}

class CliRunOnTerminal : public ::testing::Test {
  protected:
    CliRunOnTerminal() {
        definition = files.file("road.txt", site.definition());
        samples = files.file("samples.txt",
                             "Zem-ID=taro\nZem-Pass=" + std::string(RoadSite::kPassword) + "\n");
    }
    TerminalRun run(const std::vector<std::string>& answers,
                    const BeforeAnswer& beforeAnswer = {}) const {
        return runOnTerminal({"run", "--samples", samples, definition},
                             {"VERRIMO_CODEPAGE=CP932", "HOME=" + files.path().string()}, answers,
                             (files.path() / "out.txt").string(), beforeAnswer);
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

// While the second step waits for the user, the first has been sent: no copy of the password is
// left in the program's memory, in any form it went in, however its buffers were freed. A long
// password makes every buffer it passes through one that the allocator does not soon hand out
// again. The step's address is there, so the memory was read.
TEST_F(CliRunOnTerminal, NoCopyOfThePasswordOutlivesItsStep) {
    const std::string password = "hunter2&" + std::string(8000, 's');
    site.setPassword(password);
    samples = files.file("long.txt", "Zem-ID=taro\nZem-Pass=" + password + "\n");
    std::size_t passwords = 0, addresses = 0;
    const TerminalRun r = run({"y", "n"}, [&](pid_t pid, std::size_t question) {
        if (question != 1) return;
        passwords = occurrencesInMemory(pid, "hunter2");
        addresses = occurrencesInMemory(pid, site.url("/confirm.cgi"));
    });
    EXPECT_EQ(r.asked, 2u);
    EXPECT_EQ(site.count("POST"), 1u);
    EXPECT_EQ(site.refusals(), std::vector<std::string>{});
    EXPECT_EQ(passwords, 0u);
    EXPECT_GT(addresses, 0u);
}

}  // namespace
