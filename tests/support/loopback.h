// Socket pieces shared by the test servers.
#pragma once

#include <netinet/in.h>

namespace verrimo::test {

// A TCP socket bound to 127.0.0.1 on a free port; throws std::system_error when it cannot.
int boundLoopbackSocket(sockaddr_in& address);

// The same, listening; port is set to the port chosen.
int loopbackListener(int& port);

// A pipe that becomes readable, for every thread polling it, once raise() is called.
class StopSignal {
  public:
    StopSignal();
    ~StopSignal();
    StopSignal(const StopSignal&) = delete;
    StopSignal& operator=(const StopSignal&) = delete;

    void raise();
    int fd() const { return fds_[0]; }

  private:
    int fds_[2];
};

// Waits until fd is ready for events; false when the stop signal comes first or on time-out.
bool waitFor(int fd, short events, const StopSignal& stop, int timeoutMs);

// Waits for a connection; -1 once the stop signal comes. The socket is close-on-exec and, when
// asked, non-blocking.
int acceptUnlessStopped(int listenFd, const StopSignal& stop, bool nonBlocking);

}  // namespace verrimo::test
