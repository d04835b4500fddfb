// A members' form of three steps and its end, as Japanese sites build one, served on 127.0.0.1:
// a login that sets a cookie, an input form whose token changes on every load, a confirmation
// page that carries the values in hidden fields with a token of its own, and a completion page.
// Each POST is answered with a 303 to the next page. A request without the cookie, or with a
// token that is not the one last handed out, gets an error page (200, as such sites answer); a
// wrong user or password gets the login form again.
#pragma once

#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "http_test_server.h"

namespace verrimo::test {

class RoadSite {
  public:
    enum class Charset { ShiftJis, Utf8 };

    static constexpr std::string_view kLoginPage = "/login.html";
    static constexpr std::string_view kLogin = "/login.cgi";
    static constexpr std::string_view kInputPage = "/input.html";
    static constexpr std::string_view kConfirm = "/confirm.cgi";
    static constexpr std::string_view kConfirmPage = "/confirm.html";
    static constexpr std::string_view kComplete = "/complete.cgi";
    static constexpr std::string_view kCompletePage = "/complete.html";

    // What the login accepts.
    static constexpr std::string_view kUser = "taro";
    static constexpr std::string_view kPassword = "hunter2&s3cret";

    explicit RoadSite(Charset charset);

    Charset charset() const { return charset_; }
    std::string url(std::string_view path) const { return server_.url(path); }
    // UTF-8 text as the site writes it: Shift_JIS (the Windows code page) or UTF-8.
    std::string bytes(std::string_view utf8) const;

    // The definition a user writes for the road, in CP932 with CR LF line ends: the login with
    // Zem-ID and Zem-Pass, the input form with its token from the page and a name, a kind and a
    // comment of its own, the confirmation with every hidden field from the page; each step with
    // a check string of the page it leads to.
    std::string definition() const;
    // The values the definition enters, in the site's charset, as the completion must see them.
    std::map<std::string, std::string> enteredValues() const;

    // The site changes: the confirmation page names a hidden field otherwise (and the
    // completion expects the new name); a page answers 404.
    void renameConfirmField(const std::string& from, const std::string& to);
    void removePage(std::string_view path);
    // The password the login accepts instead of kPassword.
    void setPassword(std::string password);
    // A hostile site: path answers this, whatever it is sent (the request is counted all the
    // same).
    void answerInstead(std::string_view path, Response response);

    // Every request the site saw, in order.
    std::vector<Request> requests() const;
    // Every request with the answer it got and when it came, in order.
    struct Exchange {
        Request request;
        Response response;
        std::chrono::system_clock::time_point received;
    };
    std::vector<Exchange> exchanges() const;
    std::size_t count(std::string_view method) const;
    // Why requests were refused, in order; empty when every one was accepted.
    std::vector<std::string> refusals() const;
    // The values the completion accepted, by field name; empty until the road reached its end.
    std::map<std::string, std::string> completed() const;

  private:
    struct Session {
        std::string inputToken;
        std::string confirmToken;
        std::map<std::string, std::string> values;  // entered, as posted
        bool complete = false;
    };

    Response answer(const std::string& path, const Request& request);
    Response page(std::string_view title, std::string_view html) const;
    // The login form, with the error above it.
    Response loginPage(std::string_view error) const;
    Response refuse(const std::string& why);
    Response seeOther(std::string_view path) const;
    Response login(const Request& request);
    Response inputPage(Session& session);
    Response confirm(Session& session, const Request& request);
    Response confirmPage(Session& session);
    Response complete(Session& session, const Request& request);
    Session* sessionOf(const Request& request);

    Charset charset_;
    mutable std::mutex mutex_;
    std::vector<Request> requests_;
    std::vector<Exchange> exchanges_;
    std::vector<std::string> refusals_;
    std::map<std::string, Session> sessions_;
    std::map<std::string, std::string> completed_;
    std::map<std::string, std::string> renamed_;  // confirmation field names
    std::vector<std::string> removed_;
    std::map<std::string, Response> instead_;
    std::string password_{kPassword};
    int counter_ = 0;
    HttpTestServer server_;  // last: stops before the state it serves goes
};

}  // namespace verrimo::test
