#include "output.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace verrimo::cli {

void Output::flush() {
    std::size_t done = 0;
    while (done < size_) {
        const ssize_t n = ::write(fd_, data_.get() + done, size_ - done);
        if (n >= 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (errno == EINTR) continue;
        if (errno == EPIPE) throw OutputClosed();
        throw WriteError(std::string("cannot write standard output: ") + std::strerror(errno));
    }
    size_ = 0;
}

void Output::makeRoom(std::size_t n) {
    flush();
    if (n <= capacity_) return;
    data_.reset(new char[n]);
    capacity_ = n;
}

}  // namespace verrimo::cli
