#include "http_test_server.h"

#include <arpa/inet.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace verrimo::test {
namespace {

// No single wait of a connection lasts longer than this, so a forgotten client cannot hang a test.
constexpr int kWaitMs = 60'000;
constexpr std::size_t kMaxRequestHead = 64 * 1024;

bool sendAll(int fd, std::string_view data, const StopSignal& stop) {
    while (!data.empty()) {
        const ssize_t sent = send(fd, data.data(), data.size(), MSG_NOSIGNAL);
        if (sent > 0) {
            data.remove_prefix(static_cast<std::size_t>(sent));
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            if (!waitFor(fd, POLLOUT, stop, kWaitMs)) return false;
        } else if (errno != EINTR) {
            return false;
        }
    }
    return true;
}

// The request head up to its blank line, and whatever came after it in the same reads; empty
// when the client hangs up or the server stops.
std::string readHead(int fd, const StopSignal& stop) {
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos) {
        if (head.size() > kMaxRequestHead || !waitFor(fd, POLLIN, stop, kWaitMs)) return {};
        const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
        if (got == 0 || (got < 0 && errno != EINTR && errno != EAGAIN)) return {};
        if (got > 0) head.append(buffer, static_cast<std::size_t>(got));
    }
    return head;
}

Request parseHead(std::string_view head) {
    Request request;
    std::size_t end = head.find("\r\n");
    const std::string_view first = head.substr(0, end);
    const std::size_t space = first.find(' ');
    request.method = first.substr(0, space);
    if (space != std::string_view::npos) {
        const std::string_view rest = first.substr(space + 1);
        request.target = rest.substr(0, rest.find(' '));
    }
    while (end != std::string_view::npos) {
        const std::size_t start = end + 2;
        end = head.find("\r\n", start);
        const std::string_view line = head.substr(start, end - start);
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        std::string_view value = line.substr(colon + 1);
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
            value.remove_prefix(1);
        request.headers.emplace_back(line.substr(0, colon), value);
    }
    return request;
}

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// The request's body: what came after its head, completed up to its Content-Length.
std::string readBody(int fd, std::string body, const Request& request, const StopSignal& stop) {
    const std::string length = request.header("Content-Length");
    const std::size_t wanted = length.empty() ? 0 : std::stoul(length);
    char buffer[4096];
    while (body.size() < wanted && waitFor(fd, POLLIN, stop, kWaitMs)) {
        const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
        if (got == 0 || (got < 0 && errno != EINTR && errno != EAGAIN)) break;
        if (got > 0) body.append(buffer, static_cast<std::size_t>(got));
    }
    return body.substr(0, wanted);
}

const char* reason(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 301:
            return "Moved Permanently";
        case 302:
            return "Found";
        case 303:
            return "See Other";
        case 307:
            return "Temporary Redirect";
        case 404:
            return "Not Found";
        case 500:
            return "Internal Server Error";
        default:
            return "Status";
    }
}

std::string responseHead(const Response& response) {
    std::string head =
        "HTTP/1.1 " + std::to_string(response.status) + " " + reason(response.status) + "\r\n";
    bool hasLength = false;
    for (const auto& [name, value] : response.headers) {
        head += name + ": " + value + "\r\n";
        hasLength = hasLength || sameName(name, "Content-Length");
    }
    if (!hasLength) head += "Content-Length: " + std::to_string(response.body.size()) + "\r\n";
    head += "Connection: close\r\n\r\n";
    return head;
}

// Holds a stalled answer open until the client gives up or the server stops.
void holdUntilHangUp(int fd, const StopSignal& stop) {
    char buffer[512];
    while (waitFor(fd, POLLIN, stop, kWaitMs)) {
        const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
        if (got == 0 || (got < 0 && errno != EINTR && errno != EAGAIN)) return;
    }
}

// Sends the body a byte at a time; stops early when the client hangs up or sends anything.
void sendSlowly(int fd, std::string_view body, std::chrono::milliseconds gap,
                const StopSignal& stop) {
    for (const char byte : body) {
        if (!sendAll(fd, std::string_view(&byte, 1), stop)) return;
        pollfd fds[2] = {{fd, POLLIN, 0}, {stop.fd(), POLLIN, 0}};
        if (poll(fds, 2, static_cast<int>(gap.count())) != 0) return;
    }
}

}  // namespace

std::string Request::header(std::string_view name) const {
    for (const auto& [key, value] : headers) {
        if (sameName(key, name)) return value;
    }
    return {};
}

HttpTestServer::HttpTestServer() : listenFd_(loopbackListener(port_)) {
    acceptor_ = std::thread([this] { acceptLoop(); });
}

HttpTestServer::~HttpTestServer() {
    stop_.raise();
    acceptor_.join();
    for (std::thread& worker : workers_) worker.join();
    close(listenFd_);
}

void HttpTestServer::route(const std::string& path, Response response) {
    route(path, [response = std::move(response)](const Request&) { return response; });
}

void HttpTestServer::route(const std::string& path, Handler handler) {
    const std::lock_guard lock(mutex_);
    routes_[path] = std::move(handler);
}

void HttpTestServer::redirect(const std::string& path, const std::string& location, int status) {
    route(path, Response{status, {{"Location", location}}, "moved\n", std::nullopt});
}

void HttpTestServer::trickle(const std::string& path, std::string body,
                             std::chrono::milliseconds gap) {
    route(path, Response{200, {}, std::move(body), std::nullopt, gap});
}

std::string HttpTestServer::baseUrl() const {
    return "http://127.0.0.1:" + std::to_string(port_);
}

std::string HttpTestServer::url(std::string_view path) const {
    return baseUrl() + std::string(path);
}

HttpTestServer::Handler HttpTestServer::handlerFor(const std::string& target) {
    const std::lock_guard lock(mutex_);
    const auto found = routes_.find(target.substr(0, target.find('?')));
    if (found != routes_.end()) return found->second;
    return [](const Request&) {
        return Response{404, {{"Content-Type", "text/plain"}}, "not found\n", std::nullopt};
    };
}

void HttpTestServer::acceptLoop() {
    for (int fd; (fd = acceptUnlessStopped(listenFd_, stop_, true)) >= 0;) {
        ++connections_;
        const std::lock_guard lock(mutex_);
        workers_.emplace_back([this, fd] { serve(fd); });
    }
}

void HttpTestServer::serve(int fd) {
    const std::string head = readHead(fd, stop_);
    if (!head.empty()) {
        const std::size_t headEnd = head.find("\r\n\r\n") + 4;
        Request request = parseHead(std::string_view(head).substr(0, headEnd));
        request.body = readBody(fd, head.substr(headEnd), request, stop_);
        Response response;
        try {
            response = handlerFor(request.target)(request);
        } catch (const std::exception& error) {
            response = Response{500, {}, error.what(), std::nullopt};
        }
        std::string_view body = response.body;
        if (response.stallAfter) body = body.substr(0, *response.stallAfter);
        const bool headSent = sendAll(fd, responseHead(response), stop_);
        if (headSent && response.trickleGap)
            sendSlowly(fd, body, *response.trickleGap, stop_);
        else if (headSent && sendAll(fd, body, stop_) && response.stallAfter)
            holdUntilHangUp(fd, stop_);
    }
    shutdown(fd, SHUT_WR);
    close(fd);
}

int closedLoopbackPort() {
    sockaddr_in address;
    close(boundLoopbackSocket(address));
    return ntohs(address.sin_port);
}

}  // namespace verrimo::test
