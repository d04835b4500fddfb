// verrimo-cli as a whole process, as scripts run it: time and peak memory. Run by hand, never by
// make test.
//   cli_bench extract [MB ...]  verrimo-cli extract FILE > /dev/null on generated pages (default
//                               1 2 5 10 20 50 MB), each run paired with xmllint --html --noout on
//                               the same file; best of three of each
//   cli_bench fetch [MiB]       verrimo-cli fetch of bodies of that size (default 300) from a
//                               loopback server, cut at the 256 MiB size limit
// VERRIMO_CLI in the environment names another verrimo-cli to measure, such as an older build.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "generated_page.h"
#include "http_test_server.h"

extern char** environ;

namespace {

std::string program() {
    const char* other = std::getenv("VERRIMO_CLI");
    return other && *other ? other : VERRIMO_CLI;
}

struct Run {
    double seconds = 0;
    double peakMb = 0;  // the program's maximum resident set
    int status = -1;
};

// Runs the program with its standard output and error thrown away, under GNU time for the peak:
// the maximum resident set that wait4 reports for a child spawned from here would include this
// process's own memory, which the child shared until its exec.
Run timed(const std::vector<std::string>& args) {
    const std::string peakFile = "/tmp/verrimo-cli-bench.peak";
    std::vector<std::string> command = {"/usr/bin/time", "-f", "%M", "-o", peakFile};
    command.insert(command.end(), args.begin(), args.end());
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (const auto& a : command) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) throw std::runtime_error("cannot start /usr/bin/time (Debian: time)");
    int wstatus = 0;
    ::waitpid(pid, &wstatus, 0);
    Run run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    // The last word: time puts a line about a non-zero status before it.
    double kilobytes = 0;
    std::ifstream in(peakFile);
    for (std::string word; in >> word;) kilobytes = std::atof(word.c_str());
    run.peakMb = kilobytes / 1024;
    std::remove(peakFile.c_str());
    return run;
}

void benchExtract(const std::vector<int>& sizes) {
    const std::string path = "/tmp/verrimo-cli-bench.html";
    std::printf("%6s %9s %8s %8s %9s %10s %10s %9s\n", "MB", "cli s", "MB/s", "s/MB", "xmllint s",
                "cli/xmllnt", "peak MB", "peak/page");
    for (const int mb : sizes) {
        const std::string page = verrimo::bench::generatedPage(static_cast<std::size_t>(mb) << 20);
        std::ofstream(path, std::ios::binary) << page;
        const double size = static_cast<double>(page.size()) / (1 << 20);
        std::optional<Run> cli, xmllint;
        for (int round = 0; round < 3; ++round) {
            const Run c = timed({program(), "extract", path});
            const Run x = timed({"xmllint", "--html", "--noout", path});
            if (c.status != 0) throw std::runtime_error("verrimo-cli extract failed");
            if (!cli || c.seconds < cli->seconds) cli = c;
            if (!xmllint || x.seconds < xmllint->seconds) xmllint = x;
        }
        std::printf("%6d %9.3f %8.1f %8.4f %9.3f %10.2f %10.1f %9.2f\n", mb, cli->seconds,
                    size / cli->seconds, cli->seconds / size, xmllint->seconds,
                    cli->seconds / xmllint->seconds, cli->peakMb, cli->peakMb / size);
    }
    std::remove(path.c_str());
}

// The generated shop page, and the same size of short tags one to a line, which gives the most
// lines and pieces per byte.
void benchFetch(int mebibytes) {
    const std::size_t size = static_cast<std::size_t>(mebibytes) << 20;
    std::string shortLines;
    shortLines.reserve(size);
    while (shortLines.size() < size) shortLines += "<a>\n";
    verrimo::test::HttpTestServer server;
    server.route("/shop.html", verrimo::test::Response{
                                   200, {}, verrimo::bench::generatedPage(size), std::nullopt});
    server.route("/lines.html",
                 verrimo::test::Response{200, {}, std::move(shortLines), std::nullopt});
    for (const char* path : {"/shop.html", "/lines.html"}) {
        const Run run = timed({program(), "fetch", server.url(path)});
        std::printf("fetch of %d MiB (%s): status %d, %.2f s, peak %.1f MB\n", mebibytes, path,
                    run.status, run.seconds, run.peakMb);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (!args.empty() && args[0] == "fetch") {
            benchFetch(args.size() > 1 ? std::stoi(args[1]) : 300);
            return 0;
        }
        if (!args.empty() && args[0] == "extract") {
            std::vector<int> sizes;
            for (std::size_t i = 1; i < args.size(); ++i) sizes.push_back(std::stoi(args[i]));
            if (sizes.empty()) sizes = {1, 2, 5, 10, 20, 50};
            benchExtract(sizes);
            return 0;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "cli_bench: %s\n", e.what());
        return 1;
    }
    std::fprintf(stderr, "usage: cli_bench extract [MB ...] | cli_bench fetch [MiB]\n");
    return 2;
}
