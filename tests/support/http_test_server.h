// A small HTTP/1.1 server on 127.0.0.1 for tests: canned answers at paths, one connection per
// request, each on its own thread so that a stalled answer holds up no other.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "loopback.h"

namespace verrimo::test {

using Headers = std::vector<std::pair<std::string, std::string>>;

struct Request {
    std::string method;
    std::string target;  // as sent, query included
    Headers headers;
    std::string body;  // as many bytes as Content-Length says

    // The first header of that name (case-insensitive), empty when there is none.
    std::string header(std::string_view name) const;
};

struct Response {
    int status = 200;
    Headers headers;  // Content-Length (unless given) and "Connection: close" are added
    std::string body;
    // Send the headers and this many bytes of the body, then nothing until the client hangs up
    // or the server stops.
    std::optional<std::size_t> stallAfter;
    // Send the body a byte at a time, this far apart, until it is all sent, the client hangs up
    // or the server stops.
    std::optional<std::chrono::milliseconds> trickleGap = std::nullopt;
};

class HttpTestServer {
  public:
    using Handler = std::function<Response(const Request&)>;

    HttpTestServer();   // listens on a free port at once; throws when it cannot
    ~HttpTestServer();  // stops and waits for every connection to end
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    // What a GET of path (the query ignored) answers; other paths answer 404.
    void route(const std::string& path, Response response);
    void route(const std::string& path, Handler handler);
    void redirect(const std::string& path, const std::string& location, int status = 302);
    // A 200 answer at path whose body trickles in, gap apart (see Response::trickleGap).
    void trickle(const std::string& path, std::string body, std::chrono::milliseconds gap);

    int port() const { return port_; }
    std::string baseUrl() const;                              // http://127.0.0.1:PORT
    std::string url(std::string_view path) const;             // baseUrl() followed by path
    std::size_t connections() const { return connections_; }  // accepted so far

  private:
    void acceptLoop();
    void serve(int fd);
    Handler handlerFor(const std::string& target);

    StopSignal stop_;
    int port_ = 0;
    int listenFd_ = -1;
    std::atomic<std::size_t> connections_{0};
    std::mutex mutex_;
    std::map<std::string, Handler> routes_;
    std::vector<std::thread> workers_;
    std::thread acceptor_;
};

// A loopback port on which nothing listens: connecting to it is refused.
int closedLoopbackPort();

}  // namespace verrimo::test
