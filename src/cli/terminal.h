// The user's terminal, for the questions that must not be answered by a pipe.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace verrimo::cli {

// One line read from fd, byte by byte so that nothing after it is taken, without its line break
// (LF or CR LF); what there is at the end of input.
std::string readLine(int fd);

class Terminal {
  public:
    // The controlling terminal (/dev/tty); none when the program has no terminal.
    static std::unique_ptr<Terminal> open();
    ~Terminal();
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    // Writes the question and reads one line of answer, without its line break; empty at the end
    // of input.
    std::string ask(std::string_view question);

  private:
    explicit Terminal(int fd) : fd_(fd) {}
    int fd_;
};

}  // namespace verrimo::cli
