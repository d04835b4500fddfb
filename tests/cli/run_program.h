// Runs a program as a child process, for the tests of the command-line tool.
#pragma once

#include <string>
#include <vector>

namespace verrimo::testing {

struct ProgramRun {
    int status = -1;  // the exit status, or -1 when the program did not exit normally
    std::string out;
    std::string err;
};

// Runs program with args, standard input from the bytes given, and env as its whole environment.
ProgramRun runProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& input, const std::vector<std::string>& env);

}  // namespace verrimo::testing
