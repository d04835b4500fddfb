#include "run_program.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace verrimo::testing {

namespace {

// A file in the temporary folder that is removed again when the run is over.
struct TempFile {
    std::string path;
    TempFile() {
        char name[] = "/tmp/verrimo-cli-test-XXXXXX";
        const int fd = ::mkstemp(name);
        if (fd < 0) throw std::runtime_error("mkstemp failed");
        ::close(fd);
        path = name;
    }
    ~TempFile() { std::remove(path.c_str()); }
    std::string read() const {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

}  // namespace

ProgramRun runProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& input, const std::vector<std::string>& env,
                      StandardOutput output) {
    TempFile in, out, err;
    std::ofstream(in.path, std::ios::binary) << input;

    int pipeFds[2] = {-1, -1};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, in.path.c_str(), O_RDONLY, 0);
    if (output == StandardOutput::ClosedPipe) {
        if (::pipe(pipeFds) != 0) throw std::runtime_error("pipe failed");
        ::close(pipeFds[0]);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    } else {
        const std::string path = output == StandardOutput::Full ? "/dev/full" : out.path;
        posix_spawn_file_actions_addopen(&actions, 1, path.c_str(), O_WRONLY | O_TRUNC, 0);
    }
    posix_spawn_file_actions_addopen(&actions, 2, err.path.c_str(), O_WRONLY | O_TRUNC, 0);

    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);

    // A session of its own: the program has no terminal, wherever the tests run.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    pid_t pid = 0;
    const int spawned =
        posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), envp.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (pipeFds[1] >= 0) ::close(pipeFds[1]);
    if (spawned != 0) throw std::runtime_error("cannot start " + program);
    int wstatus = 0;
    while (::waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {
    }

    ProgramRun run;
    run.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    run.out = out.read();
    run.err = err.read();
    return run;
}

}  // namespace verrimo::testing
