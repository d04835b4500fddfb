#include "terminal.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace verrimo::cli {

std::string readLine(int fd) {
    std::string line;
    // Room enough that a password is never moved, which would leave a copy behind.
    line.reserve(1024);
    for (char c;;) {
        const ssize_t n = ::read(fd, &c, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0 || c == '\n') break;
        line += c;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

std::unique_ptr<Terminal> Terminal::open() {
    const int fd = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    return std::unique_ptr<Terminal>(new Terminal(fd));
}

Terminal::~Terminal() {
    ::close(fd_);
}

std::string Terminal::ask(std::string_view question) {
    while (!question.empty()) {
        const ssize_t n = ::write(fd_, question.data(), question.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return {};
        question.remove_prefix(static_cast<std::size_t>(n));
    }
    return readLine(fd_);
}

}  // namespace verrimo::cli
