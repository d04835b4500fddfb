#include "loopback.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace verrimo::test {
namespace {

[[noreturn]] void fail(const char* what, int fd = -1) {
    const int saved = errno;
    if (fd >= 0) close(fd);
    throw std::system_error(saved, std::generic_category(), what);
}

int pollRetrying(pollfd* fds, nfds_t count, int timeoutMs) {
    int ready;
    do {
        ready = poll(fds, count, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    return ready;
}

}  // namespace

int boundLoopbackSocket(sockaddr_in& address) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) fail("socket");
    address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), length) < 0) fail("bind", fd);
    if (getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) < 0)
        fail("getsockname", fd);
    return fd;
}

int loopbackListener(int& port) {
    sockaddr_in address;
    const int fd = boundLoopbackSocket(address);
    if (listen(fd, 64) < 0) fail("listen", fd);
    port = ntohs(address.sin_port);
    return fd;
}

StopSignal::StopSignal() {
    if (pipe2(fds_, O_CLOEXEC) < 0) fail("pipe");
}

StopSignal::~StopSignal() {
    close(fds_[0]);
    close(fds_[1]);
}

void StopSignal::raise() {
    const char stop = 's';
    while (write(fds_[1], &stop, 1) < 0 && errno == EINTR) {
    }
}

bool waitFor(int fd, short events, const StopSignal& stop, int timeoutMs) {
    pollfd fds[2] = {{fd, events, 0}, {stop.fd(), POLLIN, 0}};
    return pollRetrying(fds, 2, timeoutMs) > 0 && fds[1].revents == 0 && fds[0].revents != 0;
}

int acceptUnlessStopped(int listenFd, const StopSignal& stop, bool nonBlocking) {
    for (;;) {
        pollfd fds[2] = {{listenFd, POLLIN, 0}, {stop.fd(), POLLIN, 0}};
        if (pollRetrying(fds, 2, -1) < 0 || fds[1].revents != 0) return -1;
        const int fd =
            accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC | (nonBlocking ? SOCK_NONBLOCK : 0));
        if (fd >= 0) return fd;
    }
}

}  // namespace verrimo::test
