#include "road_site.h"

#include <iconv.h>

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace verrimo::test {
namespace {

// UTF-8 text in another charset; throws when a character does not fit.
std::string converted(std::string_view utf8, const char* to) {
    const iconv_t cd = iconv_open(to, "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open failed");
    std::string out(utf8.size() * 4, '\0');
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* at = out.data();
    std::size_t outLeft = out.size();
    const std::size_t done = iconv(cd, &in, &inLeft, &at, &outLeft);
    iconv_close(cd);
    if (done == static_cast<std::size_t>(-1)) throw std::runtime_error("iconv failed");
    out.resize(out.size() - outLeft);
    return out;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string formDecoded(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            out += ' ';
        } else if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
                   hexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// An application/x-www-form-urlencoded body by field name; a name given twice keeps its last.
std::map<std::string, std::string> formFields(std::string_view body) {
    std::map<std::string, std::string> fields;
    while (!body.empty()) {
        const std::size_t amp = body.find('&');
        const std::string_view pair = body.substr(0, amp);
        const std::size_t eq = pair.find('=');
        fields[formDecoded(pair.substr(0, eq))] =
            eq == std::string_view::npos ? std::string() : formDecoded(pair.substr(eq + 1));
        body = amp == std::string_view::npos ? std::string_view() : body.substr(amp + 1);
    }
    return fields;
}

// Query text that decodes to exactly these bytes: all but the unreserved ones escaped.
std::string queryText(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        const bool plain = (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') ||
                           (b >= '0' && b <= '9') || b == '-' || b == '.' || b == '_' || b == '~';
        if (plain)
            out += c;
        else
            out += {'%', kHex[b >> 4], kHex[b & 15]};
    }
    return out;
}

std::string escaped(std::string_view text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string cookieValue(const std::string& header, std::string_view name) {
    const std::string key = std::string(name) + "=";
    for (std::size_t at = 0; at < header.size();) {
        while (at < header.size() && (header[at] == ' ' || header[at] == ';')) ++at;
        const std::size_t end = std::min(header.find(';', at), header.size());
        if (header.compare(at, key.size(), key) == 0)
            return header.substr(at + key.size(), end - at - key.size());
        at = end;
    }
    return {};
}

constexpr std::string_view kEnteredName = "山田 太郎";
constexpr std::string_view kEnteredKind = "o";
constexpr std::string_view kEnteredComment = "よろしく & お願いします";

}  // namespace

RoadSite::RoadSite(Charset charset) : charset_(charset) {
    for (const std::string_view path :
         {kLoginPage, kLogin, kInputPage, kConfirm, kConfirmPage, kComplete, kCompletePage})
        server_.route(std::string(path), [this, path = std::string(path)](const Request& r) {
            const auto received = std::chrono::system_clock::now();
            Response response = answer(path, r);
            const std::lock_guard lock(mutex_);
            exchanges_.push_back({r, response, received});
            return response;
        });
}

std::string RoadSite::bytes(std::string_view utf8) const {
    return charset_ == Charset::Utf8 ? std::string(utf8) : converted(utf8, "CP932");
}

std::map<std::string, std::string> RoadSite::enteredValues() const {
    return {{"name", bytes(kEnteredName)},
            {"kind", std::string(kEnteredKind)},
            {"comment", bytes(kEnteredComment)}};
}

std::string RoadSite::definition() const {
    const std::map<std::string, std::string> values = enteredValues();
    const std::string text =
        "Zem-Referer=" + url(kLoginPage) + "\r\naction=" + url(kLogin) +
        "\r\nuser=Zem-ID\r\npass=Zem-Pass\r\n-\r\nchk-moji=お問い合わせ入力\r\n"
        "Zem-Referer=" +
        url(kInputPage) + "\r\naction=" + url(kConfirm) +
        "\r\ntoken=Zem-GetValue[token]\r\nname=" + queryText(values.at("name")) +
        "\r\nkind=" + values.at("kind") + "\r\ncomment=" + queryText(values.at("comment")) +
        "\r\n-\r\nchk-moji=入力内容の確認\r\n"
        "Zem-Referer=" +
        url(kConfirmPage) + "\r\naction=" + url(kComplete) +
        "\r\ntoken2=Zem-GetValue[token2]\r\nname=Zem-GetValue[name]\r\nkind=Zem-GetValue[kind]"
        "\r\ncomment=Zem-GetValue[comment]\r\n-\r\nchk-moji=ありがとうございました\r\n";
    return converted(text, "CP932");
}

void RoadSite::renameConfirmField(const std::string& from, const std::string& to) {
    const std::lock_guard lock(mutex_);
    renamed_[from] = to;
}

void RoadSite::removePage(std::string_view path) {
    const std::lock_guard lock(mutex_);
    removed_.emplace_back(path);
}

void RoadSite::setPassword(std::string password) {
    const std::lock_guard lock(mutex_);
    password_ = std::move(password);
}

void RoadSite::answerInstead(std::string_view path, Response response) {
    const std::lock_guard lock(mutex_);
    instead_[std::string(path)] = std::move(response);
}

std::vector<Request> RoadSite::requests() const {
    const std::lock_guard lock(mutex_);
    return requests_;
}

std::vector<RoadSite::Exchange> RoadSite::exchanges() const {
    const std::lock_guard lock(mutex_);
    return exchanges_;
}

std::size_t RoadSite::count(std::string_view method) const {
    const std::lock_guard lock(mutex_);
    std::size_t n = 0;
    for (const Request& r : requests_) n += r.method == method;
    return n;
}

std::vector<std::string> RoadSite::refusals() const {
    const std::lock_guard lock(mutex_);
    return refusals_;
}

std::map<std::string, std::string> RoadSite::completed() const {
    const std::lock_guard lock(mutex_);
    return completed_;
}

Response RoadSite::answer(const std::string& path, const Request& request) {
    const std::lock_guard lock(mutex_);
    requests_.push_back(request);
    for (const std::string& gone : removed_)
        if (gone == path) return Response{404, {{"Content-Type", "text/plain"}}, "not found\n", {}};
    if (const auto hostile = instead_.find(path); hostile != instead_.end()) return hostile->second;
    const bool post = request.method == "POST";
    if (path == kLoginPage) return loginPage("");
    if (path == kLogin) return post ? login(request) : refuse("login: not a POST");
    Session* session = sessionOf(request);
    if (!session) return refuse(path + ": no session cookie");
    if (path == kInputPage) return inputPage(*session);
    if (path == kConfirm) return post ? confirm(*session, request) : refuse("confirm: not a POST");
    if (path == kConfirmPage) return confirmPage(*session);
    if (path == kComplete)
        return post ? complete(*session, request) : refuse("complete: not a POST");
    if (!session->complete) return refuse("completion page before the completion");
    return page("完了", "<h1>送信完了</h1>\n<p>ありがとうございました。</p>");
}

Response RoadSite::page(std::string_view title, std::string_view html) const {
    const std::string name = charset_ == Charset::Utf8 ? "UTF-8" : "Shift_JIS";
    const std::string text =
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
        "charset=" +
        name + "\">\n<title>" + std::string(title) + "</title></head>\n<body>\n" +
        std::string(html) + "\n</body></html>\n";
    return Response{200, {{"Content-Type", "text/html; charset=" + name}}, bytes(text), {}};
}

Response RoadSite::loginPage(std::string_view error) const {
    return page("ログイン", "<h1>会員ログイン</h1>\n" + std::string(error) +
                                "<form action=\"login.cgi\" method=\"post\">\n"
                                "<input type=\"text\" name=\"user\">\n"
                                "<input type=\"password\" name=\"pass\">\n"
                                "<input type=\"submit\" value=\"ログイン\">\n</form>");
}

Response RoadSite::refuse(const std::string& why) {
    refusals_.push_back(why);
    return page("エラー", "<h1>エラー</h1>\n<p>もう一度最初からやり直してください。</p>");
}

Response RoadSite::seeOther(std::string_view path) const {
    // Relative, as such scripts write it.
    return Response{303, {{"Location", std::string(path.substr(1))}}, "", {}};
}

RoadSite::Session* RoadSite::sessionOf(const Request& request) {
    const auto found = sessions_.find(cookieValue(request.header("Cookie"), "sid"));
    return found == sessions_.end() ? nullptr : &found->second;
}

Response RoadSite::login(const Request& request) {
    const auto fields = formFields(request.body);
    const auto field = [&](const char* name) {
        const auto f = fields.find(name);
        return f == fields.end() ? std::string() : f->second;
    };
    if (field("user") != kUser || field("pass") != password_) {
        // As such sites answer: the form again, with a word above it.
        refusals_.push_back("login: wrong user or password");
        return loginPage("<p>IDまたはパスワードが違います。</p>\n");
    }
    const std::string id = "s" + std::to_string(++counter_);
    sessions_[id];
    Response response = seeOther(kInputPage);
    response.headers.emplace_back("Set-Cookie", "sid=" + id + "; Path=/; HttpOnly");
    return response;
}

Response RoadSite::inputPage(Session& session) {
    session.inputToken = "in" + std::to_string(++counter_);
    return page("お問い合わせ",
                "<h1>お問い合わせ入力</h1>\n<form action=\"confirm.cgi\" method=\"post\">\n"
                "<input type=\"hidden\" name=\"token\" value=\"" +
                    session.inputToken +
                    "\">\n"
                    "<input type=\"text\" name=\"name\" value=\"\">\n<select name=\"kind\">\n"
                    "<option value=\"q\">質問</option>\n<option value=\"o\">ご意見</option>\n"
                    "</select>\n<textarea name=\"comment\"></textarea>\n"
                    "<input type=\"submit\" value=\"確認画面へ\">\n</form>");
}

Response RoadSite::confirm(Session& session, const Request& request) {
    auto fields = formFields(request.body);
    const std::string token = fields["token"];
    // A token serves once: the next load of the form hands out another.
    if (token.empty() || token != std::exchange(session.inputToken, std::string()))
        return refuse("confirm: stale token");
    session.values.clear();
    for (const char* name : {"name", "kind", "comment"}) session.values[name] = fields[name];
    return seeOther(kConfirmPage);
}

Response RoadSite::confirmPage(Session& session) {
    if (session.values.empty()) return refuse("confirmation page before the input");
    session.confirmToken = "cf" + std::to_string(++counter_);
    std::string hidden =
        "<input type=\"hidden\" name=\"token2\" value=\"" + session.confirmToken + "\">\n";
    std::string shown;
    for (const auto& [name, value] : session.values) {
        const auto renamed = renamed_.find(name);
        const std::string sent = renamed == renamed_.end() ? name : renamed->second;
        hidden +=
            "<input type=\"hidden\" name=\"" + sent + "\" value=\"" + escaped(value) + "\">\n";
        shown += "<tr><th>" + name + "</th><td>" + escaped(value) + "</td></tr>\n";
    }
    // The values are the site's bytes already: the frame is converted alone.
    Response response = page("確認",
                             "<h1>入力内容の確認</h1>\n<table>\nVALUES</table>\n"
                             "<form action=\"complete.cgi\" method=\"post\">\nHIDDEN"
                             "<input type=\"submit\" value=\"送信する\">\n</form>");
    response.body.replace(response.body.find("HIDDEN"), 6, hidden);
    response.body.replace(response.body.find("VALUES"), 6, shown);
    return response;
}

Response RoadSite::complete(Session& session, const Request& request) {
    auto fields = formFields(request.body);
    if (fields["token2"].empty() ||
        fields["token2"] != std::exchange(session.confirmToken, std::string()))
        return refuse("complete: stale token");
    std::map<std::string, std::string> values;
    for (const auto& [name, value] : session.values) {
        const auto renamed = renamed_.find(name);
        const std::string sent = renamed == renamed_.end() ? name : renamed->second;
        if (!fields.contains(sent) || fields[sent] != value)
            return refuse("complete: " + sent + " is not what was entered");
        values[name] = value;
    }
    session.complete = true;
    completed_ = values;
    return seeOther(kCompletePage);
}

}  // namespace verrimo::test
