#include "form_request.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "charset.h"
#include "definition.h"
#include "definition_check.h"
#include "form_charset.h"
#include "html_tags.h"
#include "memo_text.h"
#include "origin.h"
#include "url.h"

namespace verrimo {

namespace {

namespace def = definition;

struct KeyValue {
    std::string_view key;
    std::string_view value;
};

KeyValue keyValue(std::string_view line) {
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return {line, {}};
    return {line.substr(0, eq), line.substr(eq + 1)};
}

// The keyword and operand of an expression value; none for another value.
std::optional<std::pair<std::string_view, std::string_view>> expressionOf(std::string_view value) {
    if (value.empty() || value.back() != ']') return std::nullopt;
    const std::size_t open = value.find('[');
    if (open == std::string_view::npos) return std::nullopt;
    for (const std::string_view keyword : def::kExpressionKeywords)
        if (value.substr(0, open) == keyword)
            return std::pair{keyword, value.substr(open + 1, value.size() - open - 2)};
    return std::nullopt;
}

// A value's line breaks as browsers send them: each CR, LF or CR LF as CR LF. Neither byte is
// part of another character in the charsets a form goes out in.
std::string crlfLineBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') {
            out += text[i];
            continue;
        }
        out += "\r\n";
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    }
    return out;
}

struct StepLines {
    std::size_t referrer = 0;
    std::size_t target = 0;
    std::vector<std::size_t> fields;
};

std::vector<StepLines> stepsOf(const std::vector<LineShape>& shapes) {
    constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::vector<StepLines> steps;
    std::size_t referrer = kNone;  // a referrer line still waiting for its target
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        if (shapes[i] == LineShape::Referrer) {
            referrer = i;
        } else if (shapes[i] == LineShape::Target && referrer != kNone) {
            steps.push_back({referrer, i, {}});
            referrer = kNone;
        } else if (shapes[i] == LineShape::Field && !steps.empty() && referrer == kNone) {
            steps.back().fields.push_back(i);
        }
    }
    return steps;
}

// What the page's values are text in: its own charset, whatever code page the page was read
// in; that code page when the program cannot read the charset.
std::shared_ptr<const CodePage> pageTextOf(const RequestPage& page) {
    if (!page.codePage) return nullptr;
    if (auto own = browserCodePage(page.charset)) return own;
    return {std::shared_ptr<const CodePage>(), page.codePage};
}

class StepBuilder {
  public:
    StepBuilder(const std::vector<std::string_view>& lines, const RequestPage& page,
                const SampleValues& samples)
        : lines_(lines), page_(page), pageText_(pageTextOf(page)), samples_(samples) {}

    StepRequest build(const StepLines& s) {
        StepRequest r;
        r.referrerLine = s.referrer;
        r.targetLine = s.target;
        const std::string referrer =
            page_.pageUrl.empty() ? std::string(keyValue(lines_[s.referrer]).value)
                                  : resolveUrl(page_.pageUrl, keyValue(lines_[s.referrer]).value);
        const KeyValue target = keyValue(lines_[s.target]);
        r.kind = target.key;
        const std::string base = resolveUrl(referrer, page_.baseHref);
        const std::string url = resolveUrl(base, target.value);
        if (!referrer.empty()) r.headers.push_back({"Referer", referrer});
        if (r.kind != def::kKindAction) {
            r.method = "GET";
            r.url = requestedUrl(url, pageText_.get());
            return r;
        }
        const Form* form = findForm(base, url, s);
        if (page_.forms && !form)
            r.findings.push_back(
                {s.target, "form-missing",
                 "対象のフォームがページにありません（送信先が変わったかもしれません）"});
        r.charset = form ? submissionCharset(form->acceptCharset, page_.charset) : page_.charset;
        const auto formCp = browserCodePage(r.charset);
        for (const std::size_t line : s.fields)
            r.fields.push_back(field(line, form, formCp.get(), r));
        if (form) compare(*form, s, r);
        const bool post = form && form->method == "post";
        const bool multipart = post && form->enctype == "multipart/form-data";
        r.method = post ? "POST" : "GET";
        // Browsers say where a POST comes from: the referrer page's origin ("null" for a file).
        if (post)
            if (std::string origin = serializedOrigin(referrer); !origin.empty())
                r.headers.push_back({"Origin", std::move(origin)});
        if (multipart) {
            r.body = multipartBody(r.fields);
            r.headers.insert(
                r.headers.begin(),
                {"Content-Type", "multipart/form-data; boundary=" + std::string(kPreviewBoundary)});
        } else if (post && form->enctype == "text/plain") {
            for (const RequestField& f : r.fields) r.body += f.name + "=" + f.value + "\r\n";
            r.headers.insert(r.headers.begin(), {"Content-Type", "text/plain"});
        } else if (post) {
            r.body = urlEncodedBody(r.fields);
            r.headers.insert(r.headers.begin(),
                             {"Content-Type", "application/x-www-form-urlencoded"});
        }
        r.url =
            requestedUrl(post ? url : withQuery(url, urlEncodedBody(r.fields)), pageText_.get());
        return r;
    }

  private:
    // The form whose action is the target; of several, the one holding most of the step's fields.
    const Form* findForm(const std::string& base, const std::string& url, const StepLines& s) {
        const Form* best = nullptr;
        std::size_t bestCount = 0;
        if (!page_.forms) return nullptr;
        for (const Form& f : *page_.forms) {
            if (resolveUrl(base, f.action) != url) continue;
            std::size_t count = 0;
            for (const std::size_t line : s.fields)
                count += control(f, keyValue(lines_[line]).key) != nullptr;
            if (!best || count > bestCount) best = &f, bestCount = count;
        }
        return best;
    }

    static const FormControl* control(const Form& f, std::string_view name) {
        for (const FormControl& c : f.controls)
            if (c.name == name) return &c;
        return nullptr;
    }

    RequestField field(std::size_t line, const Form* form, const CodePage* formCp, StepRequest& r) {
        const KeyValue kv = keyValue(lines_[line]);
        // The definition holds the name as the page has it.
        RequestField f{line, fromPage(kv.key, formCp), {}, {}};
        const std::string_view v = kv.value;
        if (v == def::kId || v == def::kPass || v == def::kEmail) {
            f.value = v == def::kId     ? samples_.id
                      : v == def::kPass ? samples_.password
                                        : samples_.email;
            f.sampleOf = v;
        } else if (const auto e = expressionOf(v)) {
            f.value = expressionSample(e->first, e->second, form, formCp, f);
        } else {
            f.value = queryDecoded(v);
            if (!decodesCleanly(f.value, r.charset))
                r.findings.push_back(
                    {line, "literal-charset",
                     "値のバイトが送信の文字コード（" + r.charset + "）の文字になりません"});
        }
        f.value = crlfLineBreaks(f.value);
        return f;
    }

    // Page text as the browser sends it in the form's charset.
    std::string fromPage(std::string_view bytes, const CodePage* formCp) const {
        return pageText_ && formCp ? inFormCharset(bytes, *pageText_, *formCp) : std::string(bytes);
    }

    std::string expressionSample(std::string_view keyword, std::string_view operand,
                                 const Form* form, const CodePage* formCp, RequestField& f) {
        if (keyword == def::kGetValue) {
            const FormControl* c = form ? control(*form, operand) : nullptr;
            if (!c) {
                f.sampleOf = def::expression(keyword, operand);
                return "";
            }
            return fromPage(c->value, formCp);
        }
        f.sampleOf = def::expression(keyword, operand);
        if (keyword == def::kSelect) return queryDecoded(operand.substr(0, operand.find(',')));
        if (keyword == def::kRandom) {
            const std::string_view first = operand.substr(0, operand.find(':'));
            const std::size_t dash = first.find('-');
            if (dash != std::string_view::npos) return std::string(first.substr(0, dash));
        }
        return "sample";
    }

    // What the page has that the definition does not fit.
    void compare(const Form& form, const StepLines& s, StepRequest& r) {
        std::vector<std::string_view> names;
        for (const std::size_t line : s.fields) {
            const KeyValue kv = keyValue(lines_[line]);
            names.push_back(kv.key);
            const FormControl* c = control(form, kv.key);
            if (!c) {
                r.findings.push_back(
                    {line, "field-unknown", "フォームにこの名前の項目がありません"});
                continue;
            }
            const bool literal = kv.value != def::kId && kv.value != def::kPass &&
                                 kv.value != def::kEmail && !expressionOf(kv.value);
            if (!literal) continue;
            if (c->type == "hidden")
                r.findings.push_back({line, "hidden-fixed",
                                      "hidden の項目に固定値です。ページの値が変わるなら " +
                                          def::expression(def::kGetValue, kv.key) + " が合います"});
            if (c->element == "select" || c->type == "radio") {
                const std::string value = queryDecoded(kv.value);
                if (!offered(form, *c, value))
                    r.findings.push_back({line, "value-not-offered", "選択肢にない値です"});
            }
        }
        for (const FormEntry& e : successfulEntries(form)) {
            if (std::find(names.begin(), names.end(), e.name) != names.end()) continue;
            names.push_back(e.name);
            const std::string name = pageText_ ? pageText_->toUtf8(e.name) : e.name;
            r.findings.push_back({s.target, "field-left-out",
                                  "送信される項目「" + name + "」" +
                                      (e.control->type == "hidden" ? "（hidden）" : "") +
                                      "が定義にありません"});
        }
    }

    static bool offered(const Form& form, const FormControl& c, std::string_view value) {
        if (c.element == "select")
            return std::any_of(c.options.begin(), c.options.end(),
                               [&](const FormOption& o) { return o.value == value; });
        return std::any_of(form.controls.begin(), form.controls.end(), [&](const FormControl& o) {
            return o.type == "radio" && o.name == c.name && o.value == value;
        });
    }

    static std::string urlEncodedBody(const std::vector<RequestField>& fields) {
        std::string body;
        for (const RequestField& f : fields) {
            if (!body.empty()) body += '&';
            body += formUrlEncoded(f.name) + "=" + formUrlEncoded(f.value);
        }
        return body;
    }

    static std::string multipartBody(const std::vector<RequestField>& fields) {
        const auto escaped = [](std::string_view name) {
            std::string out;
            for (const char c : name)
                out += c == '"' ? "%22" : c == '\r' ? "%0D" : c == '\n' ? "%0A" : std::string(1, c);
            return out;
        };
        std::string body;
        for (const RequestField& f : fields)
            body += "--" + std::string(kPreviewBoundary) +
                    "\r\nContent-Disposition: form-data; name=\"" + escaped(f.name) + "\"\r\n\r\n" +
                    f.value + "\r\n";
        return body + "--" + std::string(kPreviewBoundary) + "--\r\n";
    }

    const std::vector<std::string_view>& lines_;
    const RequestPage& page_;
    std::shared_ptr<const CodePage> pageText_;
    const SampleValues& samples_;
};

}  // namespace

RequestPage requestPageOf(const PageReading& reading, std::string pageUrl) {
    return {&reading.forms, std::move(pageUrl), reading.baseHref, reading.codePage.get(),
            reading.charset};
}

std::vector<StepRequest> definitionRequests(std::string_view definition, const RequestPage& page,
                                            const SampleValues& samples, const CodePage& cp) {
    const std::vector<std::string_view> lines = splitLines(definition);
    const std::vector<LineShape> shapes = checkDefinition(definition, cp).shapes;
    RequestPage known = page;
    if (known.charset.empty()) known.charset = canonicalCharset(cp.name());
    const RequestPage none{nullptr, known.pageUrl, {}, nullptr, known.charset};
    std::vector<StepRequest> requests;
    for (const StepLines& s : stepsOf(shapes)) {
        const bool first = requests.empty();
        requests.push_back(StepBuilder(lines, first ? known : none, samples).build(s));
        requests.back().pageNotLoaded = !first && page.forms;
    }
    return requests;
}

SampleValues readSampleValues(std::string_view text) {
    SampleValues samples;
    for (const std::string_view line : splitLines(text)) {
        const KeyValue kv = keyValue(line);
        std::string* value = kv.key == def::kId      ? &samples.id
                             : kv.key == def::kPass  ? &samples.password
                             : kv.key == def::kEmail ? &samples.email
                                                     : nullptr;
        if (value) *value = kv.value;
    }
    return samples;
}

std::string curlCommand(const StepRequest& request) {
    const auto quoted = [](std::string_view text) {
        std::string out = "'";
        for (const char c : text) out += c == '\'' ? "'\\''" : std::string(1, c);
        return out + "'";
    };
    // --globoff and --url: no address can be read as a glob ("[1-3]", "{a,b}") or an option.
    std::string command = "curl --globoff";
    if (request.method != "GET") command += " -X " + request.method;
    command += " --url " + quoted(request.url);
    const bool multipart = !request.headers.empty() &&
                           request.headers.front().second.starts_with("multipart/form-data");
    for (const auto& [name, value] : request.headers)
        if (!(multipart && name == "Content-Type")) command += " -H " + quoted(name + ": " + value);
    if (multipart) {
        // curl makes the boundary up itself, as a browser does.
        for (const RequestField& f : request.fields)
            command += " --form-string " + quoted(f.name + "=" + f.value);
    } else if (request.method == "POST") {
        command += " --data-raw " + quoted(request.body);
    }
    return command;
}

}  // namespace verrimo
