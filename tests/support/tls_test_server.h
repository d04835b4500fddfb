// An HTTPS server on 127.0.0.1 whose certificate no one trusts: made up at start, signed by
// itself, for 127.0.0.1. It answers every request with one page.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <thread>

#include "loopback.h"

namespace verrimo::test {

class TlsTestServer {
  public:
    explicit TlsTestServer(std::string page);  // listens on a free port at once
    ~TlsTestServer();                          // stops and waits for the connection it serves
    TlsTestServer(const TlsTestServer&) = delete;
    TlsTestServer& operator=(const TlsTestServer&) = delete;

    std::string url() const;                                // https://127.0.0.1:PORT/
    std::size_t handshakes() const { return handshakes_; }  // completed so far

  private:
    struct Tls;

    void serve(int fd);

    std::string page_;
    std::unique_ptr<Tls> tls_;
    StopSignal stop_;
    int port_ = 0;
    int listenFd_ = -1;
    std::atomic<std::size_t> handshakes_{0};
    std::thread acceptor_;
};

}  // namespace verrimo::test
