#include "input.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "huge_pages.h"

namespace verrimo::cli {

std::string readInput(const std::string& path) {
    const bool standardInput = path.empty() || path == "-";
    const std::string name = standardInput ? "standard input" : path;
    const int fd = standardInput ? STDIN_FILENO : ::open(path.c_str(), O_RDONLY);
    if (fd < 0) throw std::runtime_error("cannot open " + name + ": " + std::strerror(errno));
    std::string bytes;
    // A file is read into a buffer of its size, so that a big page is never moved.
    struct stat status {};
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode))
        bytes.reserve(static_cast<std::size_t>(status.st_size) + 1);
    adviseHugePages(bytes.data(), bytes.capacity());
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            const int error = errno;
            if (!standardInput) ::close(fd);
            throw std::runtime_error("cannot read " + name + ": " + std::strerror(error));
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    if (!standardInput) ::close(fd);
    // The buffer may have held a password (a samples file).
    explicit_bzero(buffer, sizeof buffer);
    return bytes;
}

std::string readDefinition(const std::string& path) {
    constexpr std::size_t kMaxLine = 2u << 20;
    std::string text = readInput(path);
    std::size_t number = 1;
    for (std::size_t start = 0; start < text.size(); ++number) {
        const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
        if (end - start > kMaxLine)
            throw std::runtime_error((path.empty() || path == "-" ? "standard input" : path) +
                                     ": line " + std::to_string(number) +
                                     " is longer than 2 MiB, which no definition line needs");
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return text;
}

}  // namespace verrimo::cli
