#include "request_text.h"

#include <map>
#include <memory>
#include <vector>

#include "definition.h"
#include "form_charset.h"
#include "url.h"

namespace verrimo {

namespace {

// The code pages of the forms' charsets, each made once: steps mostly share one.
class FormCodePages {
  public:
    explicit FormCodePages(const CodePage& fallback) : fallback_(fallback) {}

    // The charset's, or the fallback when the program cannot read it.
    const CodePage& of(const std::string& charset) {
        auto [at, added] = pages_.try_emplace(charset);
        if (added) at->second = browserCodePage(charset);
        return at->second ? *at->second : fallback_;
    }

  private:
    const CodePage& fallback_;
    std::map<std::string, std::shared_ptr<const CodePage>> pages_;
};

// A value on one line: its own line breaks shown as a sign.
std::string oneLine(std::string_view utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (utf8[i] == '\r' || utf8[i] == '\n') {
            out += "↵";
            if (utf8[i] == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') ++i;
        } else {
            out += utf8[i];
        }
    }
    return out;
}

bool urlEncoded(const StepRequest& r) {
    for (const auto& [name, value] : r.headers)
        if (name == "Content-Type") return value == "application/x-www-form-urlencoded";
    return true;  // a GET's query
}

FieldView fieldView(const RequestField& f, bool encoded, const CodePage& cp,
                    const CodePage& formCp) {
    FieldView view{oneLine(formCp.toUtf8(f.name)), oneLine(formCp.toUtf8(f.value)), {}};
    if (!f.sampleOf.empty()) {
        // The keyword without its operand, which the definition line shows.
        const std::string_view keyword =
            std::string_view(f.sampleOf).substr(0, f.sampleOf.find('['));
        view.value += "（サンプル：" + cp.toUtf8(keyword) + "）";
    }
    view.sent = encoded ? formUrlEncoded(f.name) + "=" + formUrlEncoded(f.value)
                        : oneLine(formCp.toUtf8(f.name + "=" + f.value));
    return view;
}

// The body split at its line breaks (CR LF), each line read in the form's charset.
std::vector<std::string> bodyLines(std::string_view body, const CodePage& formCp) {
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < body.size();) {
        const std::size_t end = body.find("\r\n", start);
        lines.push_back(formCp.toUtf8(body.substr(start, end - start)));
        start = end == std::string_view::npos ? body.size() : end + 2;
    }
    return lines;
}

StepView stepView(const StepRequest& r, const CodePage& cp, const CodePage& formCp) {
    StepView view;
    view.heading = "■ " + std::to_string(r.targetLine + 1) + " 行目　" + cp.toUtf8(r.kind);
    view.request.push_back(r.method + " " + formCp.toUtf8(r.url));
    for (const auto& [name, value] : r.headers)
        view.request.push_back(name + ": " + cp.toUtf8(value));
    const bool encoded = urlEncoded(r);
    bool sampled = false;
    for (const RequestField& f : r.fields) {
        view.fields.push_back(fieldView(f, encoded, cp, formCp));
        sampled = sampled || !f.sampleOf.empty();
    }
    view.hasBody = r.method == "POST";
    view.body = bodyLines(r.body, formCp);
    if (r.pageNotLoaded) view.notes.push_back("このステップのページは読み込まれていません");
    if (sampled)
        view.notes.push_back(
            "※ サンプルは見本の値です。実際の送信ではホストがそのキーワードの値を入れます。");
    for (const PageFinding& f : r.findings)
        view.notes.push_back("！ " + std::to_string(f.line + 1) + " 行目: " + f.message);
    return view;
}

}  // namespace

std::string noRequestsText() {
    return "送信する手順がありません（" + std::string(definition::kReferrerKey) +
           " の行とその後の送信先の行が要ります）。";
}

std::vector<StepView> requestViews(std::span<const StepRequest> requests, const CodePage& cp) {
    FormCodePages formCps(cp);
    std::vector<StepView> views;
    views.reserve(requests.size());
    for (const StepRequest& r : requests) views.push_back(stepView(r, cp, formCps.of(r.charset)));
    return views;
}

std::string curlText(std::span<const StepRequest> requests, const CodePage& cp) {
    FormCodePages formCps(cp);
    std::string out;
    for (const StepRequest& r : requests)
        out += formCps.of(r.charset).toUtf8(curlCommand(r)) + "\n";
    return out;
}

}  // namespace verrimo
