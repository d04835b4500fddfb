#include "output.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace verrimo::cli {

void Output::flush() {
    std::size_t done = 0;
    while (done < buffer_.size()) {
        const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (n >= 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (errno == EINTR) continue;
        if (errno == EPIPE) throw OutputClosed();
        throw WriteError(std::string("cannot write standard output: ") + std::strerror(errno));
    }
    buffer_.clear();
}

}  // namespace verrimo::cli
