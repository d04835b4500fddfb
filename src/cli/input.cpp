#include "input.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
    return bytes;
}

}  // namespace verrimo::cli
