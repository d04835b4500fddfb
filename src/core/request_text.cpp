#include "request_text.h"

#include <map>
#include <memory>
#include <vector>

#include "definition.h"
#include "form_charset.h"

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

void appendStep(std::string& out, const StepRequest& r, const CodePage& cp,
                const CodePage& formCp) {
    out += "■ " + std::to_string(r.targetLine + 1) + " 行目　" + cp.toUtf8(r.kind) + "\n";
    out += r.method + " " + formCp.toUtf8(r.url) + "\n";
    for (const auto& [name, value] : r.headers) out += name + ": " + cp.toUtf8(value) + "\n";
    if (!r.fields.empty()) out += "\n";
    bool sampled = false;
    for (const RequestField& f : r.fields) {
        out += oneLine(formCp.toUtf8(f.name)) + "=" + oneLine(formCp.toUtf8(f.value));
        if (!f.sampleOf.empty()) {
            // The keyword without its operand, which the definition line shows.
            const std::string_view keyword =
                std::string_view(f.sampleOf).substr(0, f.sampleOf.find('['));
            out += "（サンプル：" + cp.toUtf8(keyword) + "）";
            sampled = true;
        }
        out += "\n";
    }
    if (sampled)
        out += "※ サンプルは見本の値です。実際の送信ではホストがそのキーワードの値を入れます。\n";
    for (const PageFinding& f : r.findings)
        out += "！ " + std::to_string(f.line + 1) + " 行目: " + f.message + "\n";
}

}  // namespace

std::string requestText(std::span<const StepRequest> requests, const CodePage& cp) {
    if (requests.empty())
        return "送信する手順がありません（" + std::string(definition::kReferrerKey) +
               " の行とその後の送信先の行が要ります）。\n";
    FormCodePages formCps(cp);
    std::string out;
    for (const StepRequest& r : requests) {
        if (!out.empty()) out += "\n";
        appendStep(out, r, cp, formCps.of(r.charset));
    }
    return out;
}

std::string curlText(std::span<const StepRequest> requests, const CodePage& cp) {
    FormCodePages formCps(cp);
    std::string out;
    for (const StepRequest& r : requests)
        out += formCps.of(r.charset).toUtf8(curlCommand(r)) + "\n";
    return out;
}

}  // namespace verrimo
