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

// Where the program's standard output goes: a file read back into ProgramRun::out, /dev/full, or
// a pipe whose reading end is already closed.
enum class StandardOutput { Captured, Full, ClosedPipe };

// Runs program with args, standard input from the bytes given, and env as its whole environment,
// in a session of its own without a terminal.
ProgramRun runProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& input, const std::vector<std::string>& env,
                      StandardOutput output = StandardOutput::Captured);

}  // namespace verrimo::testing
