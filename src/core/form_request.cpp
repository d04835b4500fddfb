#include "form_request.h"

#include <algorithm>
#include <map>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

#include "charset.h"
#include "definition.h"
#include "encode_value.h"
#include "form_charset.h"
#include "form_index.h"
#include "memo_text.h"
#include "url.h"

namespace verrimo {

namespace {

namespace def = definition;

std::string_view spanOf(std::string_view line, Span span) {
    return line.substr(span.begin, span.end - span.begin);
}

// The identity keyword's place among def::kIdentityKeywords; none for another word.
std::optional<std::size_t> identityKeyword(std::string_view word) {
    const auto at = std::find(def::kIdentityKeywords.begin(), def::kIdentityKeywords.end(), word);
    if (at == def::kIdentityKeywords.end()) return std::nullopt;
    return static_cast<std::size_t>(at - def::kIdentityKeywords.begin());
}

// What stands for each identity keyword, in the same order.
constexpr std::string SampleValues::*kSamples[] = {&SampleValues::id, &SampleValues::password,
                                                   &SampleValues::email};

// A field line as the checker took it apart.
struct FieldLine {
    enum Kind { Identity, Expression, Literal };
    std::string_view key;
    std::string_view value;
    Kind kind = Literal;
    std::string_view keyword;  // of an expression
    std::string_view operand;
};

FieldLine fieldLine(std::string_view line, const LineReport& report) {
    FieldLine f;
    f.key = spanOf(line, report.key);
    f.value = spanOf(line, report.value);
    const std::string_view keyword = spanOf(line, report.keyword);
    // An expression is the whole value: keyword, "[", operand, "]".
    const bool closed = report.operand.end < line.size() && line[report.operand.end] == ']' &&
                        report.operand.end + 1 == line.size();
    if (identityKeyword(f.value)) {
        f.kind = FieldLine::Identity;
    } else if (report.keyword.begin == report.value.begin && !report.keyword.empty() &&
               report.operand.begin == report.keyword.end + 1 && closed &&
               std::find(def::kExpressionKeywords.begin(), def::kExpressionKeywords.end(),
                         keyword) != def::kExpressionKeywords.end()) {
        f.kind = FieldLine::Expression;
        f.keyword = keyword;
        f.operand = spanOf(line, report.operand);
    }
    return f;
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

// The code pages a browser sends in, each made once for all the steps.
class FormCodePages {
  public:
    const CodePage* of(const std::string& charset) {
        auto [at, added] = pages_.try_emplace(charset);
        if (added) at->second = browserCodePage(charset);
        return at->second.get();
    }

  private:
    std::map<std::string, std::shared_ptr<const CodePage>> pages_;
};

// What the steps have in common: the definition, the samples and the code pages and form
// indexes made so far.
struct Definition {
    const std::vector<std::string_view>& lines;
    const std::vector<LineReport>& reports;
    const SampleValues& samples;
    const CodePage& cp;
    bool anyPage = false;  // whether any page is loaded
    FormCodePages formCps;
    std::unordered_map<const Form*, FormIndex> indexes;

    FieldLine field(std::size_t line) const { return fieldLine(lines[line], reports[line]); }
    std::string_view value(std::size_t line) const {
        return spanOf(lines[line], reports[line].value);
    }
    const FormIndex& index(const Form& form) {
        return indexes.try_emplace(&form, form).first->second;
    }
};

// The address resolved as a browser resolves it, or as written when a browser could not.
std::string resolved(std::string_view base, std::string_view reference, const CodePage& cp) {
    return resolveUrl(base, reference, cp).value_or(std::string(reference));
}

// The label a browser puts on a submit button without a value, and sends as its value; this is a
// Japanese browser's (an English one sends "Submit").
constexpr std::string_view kSubmitLabelUtf8 = "送信";

class StepBuilder {
  public:
    StepBuilder(Definition& d, const DefinitionStep& s, const std::string& referrer,
                const ReadPage* page)
        : d_(d), s_(s), referrer_(referrer), page_(page) {
        pageCp_ = page_ ? page_->forms->codePage.get() : nullptr;
        urlCp_ = pageCp_ ? pageCp_ : &d_.cp;
        const std::string_view href = page_ ? std::string_view(page_->forms->baseHref) : "";
        base_ = resolved(referrer_, href, *urlCp_);
        target_ = d_.value(s_.targetLine);
    }

    // The form of the page whose action is the target, and how many forms share that action.
    std::pair<const Form*, std::size_t> findForm() {
        if (!page_) return {nullptr, 0};
        const std::string url = resolved(base_, decodeReferences(target_, *pageCp_), *urlCp_);
        const Form* best = nullptr;
        std::size_t candidates = 0;
        Fit bestFit;
        for (const Form& f : page_->forms->forms) {
            if (actionOf(f) != url) continue;
            ++candidates;
            const Fit score = fit(f);
            if (!best || score > bestFit) best = &f, bestFit = score;
        }
        return {best, candidates};
    }

    StepRequest build(const Form* form, std::size_t sharing) {
        StepRequest r;
        r.referrerLine = s_.referrerLine;
        r.targetLine = s_.targetLine;
        r.page = page_;
        r.form = form;
        r.kind = spanOf(d_.lines[s_.targetLine], d_.reports[s_.targetLine].key);
        r.pageCheck = page_        ? PageCheck::Checked
                      : d_.anyPage ? PageCheck::NotLoaded
                                   : PageCheck::NoPages;
        if (refused(r)) return r;
        if (!referrer_.empty())
            r.headers.push_back({"Referer", referrerAddress("", referrer_, d_.cp)});
        const std::string url = form ? actionOf(*form) : resolved(base_, target_, *urlCp_);
        if (r.kind != def::kKindAction) {
            r.method = "GET";
            r.url = requestedUrl(url, pageCp_);
            return r;
        }
        if (page_ && !form)
            r.findings.push_back(
                {s_.targetLine,
                 "form-missing",
                 "対象のフォームがページにありません（送信先が変わったかもしれません）",
                 {}});
        if (sharing > 1)
            r.findings.push_back({s_.targetLine,
                                  "action-shared",
                                  "送信先が同じフォームがページに " + std::to_string(sharing) +
                                      " つあります。項目の名前が合うフォームを選びました",
                                  {}});
        if (page_ && !page_->forms->bytesCharset.empty()) {
            const std::string& declared = page_->forms->charset;
            r.findings.push_back({s_.targetLine,
                                  "page-charset",
                                  "ページの中身は " + page_->forms->bytesCharset +
                                      " のようですが、ブラウザは " + declared +
                                      " として読み、フォームを " + declared + " で送ります",
                                  {}});
        }
        r.charset = form    ? submissionCharset(form->acceptCharset, page_->forms->charset)
                    : page_ ? page_->forms->charset
                            : canonicalCharset(d_.cp.name());
        formCp_ = d_.formCps.of(r.charset);
        if (form) {
            named_ = controlsOf(d_.index(*form));
            unsent_ = unsentLines();
        }
        for (std::size_t k = 0; k < s_.fields.size(); ++k)
            if (!form || !unsent_[k]) r.fields.push_back(field(k, form, r));
        if (form) compare(*form, r);
        const bool post = form && form->method == "post";
        const bool multipart = post && form->enctype == "multipart/form-data";
        r.method = post ? "POST" : "GET";
        // Browsers say where a POST comes from: the referrer page's origin ("null" for a file).
        if (post)
            if (const std::optional<Url> from = parseUrl("", referrer_, d_.cp))
                r.headers.push_back({"Origin", from->origin().serialised()});
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
        r.url = requestedUrl(post ? url : withQuery(url, urlEncodedBody(r.fields)), pageCp_);
        return r;
    }

  private:
    // An address a browser refuses (a port past 65535, a space in the host) becomes a finding
    // on its line instead of a request.
    bool refused(StepRequest& r) const {
        const bool referrer = browserRefuses("", referrer_, d_.cp);
        if (!referrer && !browserRefuses(base_, target_, *urlCp_)) return false;
        r.findings.push_back({referrer ? s_.referrerLine : s_.targetLine,
                              "url-invalid",
                              "ブラウザが受け付けないアドレスです（ホスト名の文字やポート番号を"
                              "確かめてください）",
                              {}});
        return true;
    }

    // Where the form goes: its action resolved, or the page itself without one.
    std::string actionOf(const Form& f) const {
        return f.action.empty() ? resolved("", referrer_, *urlCp_)
                                : resolved(base_, f.action, *urlCp_);
    }

    // How well the form fits the step's fields: how many of their names it has, then how many of
    // their literals are its own values, then how few of the fields it sends the step leaves out.
    struct Fit {
        std::size_t named = 0;
        std::size_t values = 0;
        std::size_t missed = 0;
        bool operator>(const Fit& o) const {
            return std::tie(named, values, o.missed) > std::tie(o.named, o.values, missed);
        }
    };

    // The form's controls of each field line's name, each looked up once.
    std::vector<FormIndex::Named> controlsOf(const FormIndex& index) const {
        std::vector<FormIndex::Named> named;
        named.reserve(s_.fields.size());
        std::size_t next = 0;
        for (const StepField& f : s_.fields)
            named.push_back(index.named(d_.field(f.line).key, next));
        return named;
    }

    // Which of the form's controls the step names, by their place.
    static std::vector<char> namedControls(const FormIndex& index, std::size_t controls,
                                           const std::vector<FormIndex::Named>& named) {
        std::vector<char> marks(controls, 0);
        for (const FormIndex::Named& n : named)
            for (const FormControl& c : n) marks[index.place(c)] = 1;
        return marks;
    }

    // How many entries a browser may send under a name: one for each control that is not
    // disabled, one for each choice of a multiple select, one for a radio group and one for the
    // pressed button.
    static std::size_t sendable(const FormIndex::Named& named) {
        std::size_t entries = 0;
        bool radio = false, button = false;
        for (const FormControl& c : named) {
            if (c.disabled) continue;
            if (c.type == "radio")
                radio = true;
            else if (c.isButton())
                button = button || c.type == "submit" || c.type == "image";
            else if (c.type == "select-multiple")
                for (const FormOption& o : c.options) entries += !o.disabled;
            else
                ++entries;
        }
        return entries + radio + button;
    }

    // The field lines a browser sends nothing for: those for a name whose controls are all
    // disabled, and those past as many as the name has entries to send.
    std::vector<char> unsentLines() const {
        std::vector<char> unsent(s_.fields.size(), 0);
        // By name: the lines so far, and how many entries it has.
        std::unordered_map<std::string_view, std::pair<std::size_t, std::size_t>> names;
        for (std::size_t k = 0; k < s_.fields.size(); ++k) {
            if (named_[k].empty()) continue;
            auto [at, added] = names.try_emplace(d_.field(s_.fields[k].line).key, 0, 0);
            if (added) at->second.second = sendable(named_[k]);
            unsent[k] = ++at->second.first > at->second.second;
        }
        return unsent;
    }

    Fit fit(const Form& f) {
        const FormIndex& index = d_.index(f);
        const std::vector<FormIndex::Named> lineControls = controlsOf(index);
        Fit fit;
        for (std::size_t k = 0; k < s_.fields.size(); ++k) {
            const FieldLine kv = d_.field(s_.fields[k].line);
            const FormIndex::Named& named = lineControls[k];
            fit.named += !named.empty();
            if (kv.kind != FieldLine::Literal) continue;
            const std::string value = queryDecoded(kv.value);
            fit.values += std::any_of(named.begin(), named.end(), [&](const FormControl& c) {
                return c.value == value ||
                       std::any_of(c.options.begin(), c.options.end(),
                                   [&](const FormOption& o) { return o.value == value; });
            });
        }
        const std::vector<char> named = namedControls(index, f.controls.size(), lineControls);
        for (const FormEntry& e : successfulEntries(f))
            fit.missed += !named[index.place(*e.control)];
        return fit;
    }

    // The k-th field line of the step, as it is sent.
    RequestField field(std::size_t k, const Form* form, StepRequest& r) {
        const std::size_t line = s_.fields[k].line;
        const FieldLine kv = d_.field(line);
        // The definition holds the name as the page has it.
        RequestField f{line, fromPage(kv.key), {}, {}};
        if (kv.kind == FieldLine::Identity) {
            f.value = d_.samples.*kSamples[*identityKeyword(kv.value)];
            f.sampleOf = kv.value;
        } else if (kv.kind == FieldLine::Expression) {
            f.value = expressionSample(kv, form ? &named_[k] : nullptr, form, f);
        } else {
            f.value = queryDecoded(kv.value);
            if (page_ && !decodesCleanly(f.value, r.charset))
                r.findings.push_back(
                    {line,
                     "literal-charset",
                     "値のバイトが送信の文字コード（" + r.charset + "）の文字になりません",
                     {}});
        }
        f.value = crlfLineBreaks(f.value);
        return f;
    }

    // Page text as the browser sends it in the form's charset.
    std::string fromPage(std::string_view bytes) const {
        return pageCp_ && formCp_ ? inFormCharset(bytes, *pageCp_, *formCp_) : std::string(bytes);
    }

    // named: the form's controls of the line's name.
    std::string expressionSample(const FieldLine& kv, const FormIndex::Named* named,
                                 const Form* form, RequestField& f) {
        const std::string_view keyword = kv.keyword;
        const std::string_view operand = kv.operand;
        if (keyword == def::kGetValue) {
            const FormIndex::Named value = !form               ? FormIndex::Named()
                                           : operand == kv.key ? *named
                                                               : d_.index(*form).named(operand);
            // Several fields of one name give their values to their own lines in turn, as the
            // browser sends them.
            const FormControl* taken = nullptr;
            std::size_t turn = operand == kv.key ? getValues_[operand]++ : 0;
            for (const FormControl& c : value)
                if (!c.disabled && (taken = &c, turn-- == 0)) break;
            if (!taken) {
                f.sampleOf = def::expression(keyword, operand);
                return "";
            }
            return fromPage(taken->value);
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

    // A value a browser may send for a control of fixed values: what it sends, in the form's
    // charset, and the literal the walker proposes for it.
    struct Offer {
        std::string sent;
        std::string proposed;
    };

    // A field whose value the user types; its default goes as it is when left untouched.
    static bool typedInto(const FormControl& c) {
        return c.element == "input" && !c.isCheckable() && !c.isButton() && c.type != "hidden" &&
               c.type != "file";
    }

    // What a browser may send under a name: each choice of a select, each check box or radio
    // button, each submit button, a hidden field's value, the default of a field the user types
    // into. Empty for a field without a default.
    std::vector<Offer> offers(const FormIndex::Named& named) const {
        std::vector<Offer> out;
        const auto proposed = [&](const std::optional<std::string>& written) {
            return written ? encodeValue(*written, d_.cp) : std::string();
        };
        for (const FormControl& control : named) {
            const FormControl* c = &control;
            if (c->element == "select") {
                for (const FormOption& o : c->options)
                    if (!o.disabled) out.push_back({fromPage(o.value), proposed(o.written)});
            } else if (c->disabled) {
                continue;
            } else if (c->isCheckable() || c->type == "hidden" || c->type == "submit" ||
                       (typedInto(*c) && c->written)) {
                const bool label = c->type == "submit" && c->element == "input" && !c->written;
                out.push_back({label ? formText(kSubmitLabelUtf8) : fromPage(c->value),
                               proposed(c->written)});
            }
        }
        return out;
    }

    // The text after "=" that reads back as exactly these bytes, in the definition's code page:
    // the form's characters stay when the definition is in its charset.
    std::string literal(std::string_view sent, bool inChoiceList = false) const {
        std::string text = exactQueryText(sent, canonicalCharset(d_.cp.name()) == charset_);
        if (!inChoiceList) return text;
        std::string out;
        for (const char c : text) out += c == ',' ? std::string("%2C") : std::string(1, c);
        return out;
    }

    // Text of the program's own in the form's charset.
    std::string formText(std::string_view utf8) const {
        return formCp_ ? formCp_->fromUtf8(utf8) : std::string(utf8);
    }
    std::string shown(std::string_view sent) const {
        return formCp_ ? formCp_->toUtf8(sent) : std::string(sent);
    }

    // The first few values a browser sends, for a message.
    std::string quoted(std::span<const Offer> offers) const {
        constexpr std::size_t kShown = 10;
        std::string out;
        for (std::size_t i = 0; i < offers.size() && i < kShown; ++i)
            out += (i ? "・「" : "「") + shown(offers[i].sent) + "」";
        return offers.size() > kShown ? out + "…" : out;
    }

    // A literal for a control of fixed values that a browser never sends: where the walker's
    // own proposal misreads the page, the browser's value for it.
    void checkLiteral(std::size_t line, std::string_view literal, std::span<const Offer> offered,
                      bool choice, StepRequest& r) {
        const std::string value = queryDecoded(literal);
        for (const Offer& o : offered)
            if (o.sent == value) return;
        for (const Offer& o : offered)
            if (o.proposed == literal) {
                r.findings.push_back({line, "browser-value",
                                      "ブラウザはこの項目に「" + shown(o.sent) +
                                          "」を送ります（値の書き方が違います）",
                                      this->literal(o.sent)});
                return;
            }
        if (choice)
            r.findings.push_back(
                {line,
                 "value-not-offered",
                 "選択肢にない値です。ブラウザが送る値は " + quoted(offered) + " です",
                 {}});
    }

    // A choice list whose values a browser never sends, or an empty one: all the values it does.
    void checkChoices(std::size_t line, std::string_view operand, std::span<const Offer> offered,
                      StepRequest& r) {
        bool fits = !operand.empty();
        for (std::size_t at = 0; fits && at <= operand.size();) {
            const std::size_t comma = std::min(operand.find(',', at), operand.size());
            const std::string value = queryDecoded(operand.substr(at, comma - at));
            fits = std::any_of(offered.begin(), offered.end(),
                               [&](const Offer& o) { return o.sent == value; });
            at = comma + 1;
        }
        if (fits) return;
        std::string list;
        for (const Offer& o : offered) list += (list.empty() ? "" : ",") + literal(o.sent, true);
        r.findings.push_back(
            {line, "choice-list",
             std::string(operand.empty() ? "選択肢の一覧が空です"
                                         : "一覧にブラウザが送らない値があります") +
                 "。ブラウザが送る値は " + quoted(offered) + " です",
             def::expression(def::kSelect, list)});
    }

    // The kind of a field, as the findings name it.
    static std::string_view kindOf(const FormControl& c) {
        if (c.element == "select") return "select";
        if (c.element == "textarea" || typedInto(c))
            return c.type == "password" ? "password" : "text";
        return c.type;  // hidden, checkbox, radio, a button or file
    }

    // The kinds of field a line's value is written for; empty when any kind may take it.
    static std::vector<std::string_view> kindsFor(const FieldLine& kv) {
        if (kv.kind == FieldLine::Identity) return {kv.value == def::kPass ? "password" : "text"};
        if (kv.kind != FieldLine::Expression) return {};
        if (kv.keyword == def::kGetValue) return {"hidden"};
        if (kv.keyword == def::kSelect) return {"select", "radio", "checkbox"};
        return {"text", "hidden"};
    }

    static constexpr std::size_t kUnnamedShown = 5;

    // The form's fields that no line of the step names, the first few of each kind (one more
    // than are shown), in page order.
    std::vector<const FormControl*> unnamedFields(const Form& form) const {
        const FormIndex& index = d_.index(form);
        const std::vector<char> named = namedControls(index, form.controls.size(), named_);
        std::unordered_map<std::string_view, std::size_t> ofKind;
        std::unordered_set<std::string_view> names;
        std::vector<const FormControl*> fields;
        for (const FormControl& c : form.controls) {
            const std::string_view kind = kindOf(c);
            if (named[index.place(c)] || c.name.empty() || c.disabled || c.isButton() ||
                ofKind[kind] > kUnnamedShown || !names.insert(c.name).second)
                continue;
            ++ofKind[kind];
            fields.push_back(&c);
        }
        return fields;
    }

    // A line for a name the form lacks: which, and the form's fields of the kind the line is
    // written for that the step names no line for, where the field may have been renamed.
    std::string unknownField(const Form& form, const FieldLine& kv) {
        if (!unnamed_) unnamed_ = unnamedFields(form);
        const std::vector<std::string_view> kinds = kindsFor(kv);
        std::size_t shown = 0;
        std::string others;
        for (const FormControl* c : *unnamed_) {
            const std::string_view kind = kindOf(*c);
            if (!kinds.empty() && std::find(kinds.begin(), kinds.end(), kind) == kinds.end())
                continue;
            if (++shown > kUnnamedShown) {
                others += "…";
                break;
            }
            others += (others.empty() ? "" : "・") + std::string(kind) + " の項目「" +
                      pageText(c->name) + "」";
        }
        std::string message = "フォームに項目「" + pageText(kv.key) + "」がありません";
        if (!others.empty()) message += "（定義にない " + others + "がフォームにあります）";
        return message;
    }

    // What the page has that the definition does not fit.
    void compare(const Form& form, StepRequest& r) {
        charset_ = r.charset;
        const FormIndex& index = d_.index(form);
        bool buttonNamed = false;
        for (std::size_t k = 0; k < s_.fields.size(); ++k) {
            const std::size_t line = s_.fields[k].line;
            const FieldLine kv = d_.field(line);
            const FormIndex::Named& named = named_[k];
            if (named.empty()) {
                r.findings.push_back({line, "field-unknown", unknownField(form, kv), {}});
                continue;
            }
            if (unsent_[k]) {
                const std::string name = "「" + pageText(kv.key) + "」";
                if (const std::size_t entries = sendable(named); entries == 0)
                    r.findings.push_back(
                        {line,
                         "field-disabled",
                         "フォームの項目" + name +
                             "は無効（disabled）です。ブラウザはこの項目を送りません",
                         {}});
                else
                    r.findings.push_back(
                        {line,
                         "field-extra",
                         "フォームに" + name + "の項目は " + std::to_string(entries) +
                             " つ分しかありません。ブラウザはこの行の値を送りません",
                         {}});
                continue;
            }
            const FormControl& first = named.front();
            buttonNamed = buttonNamed || first.type == "submit";
            const std::vector<Offer> offered = offers(named);
            const bool choice = first.element == "select" || first.isCheckable();
            if (kv.kind == FieldLine::Expression && kv.keyword == def::kSelect && choice)
                checkChoices(line, kv.operand, offered, r);
            if (kv.kind != FieldLine::Literal) continue;
            if (first.type == "hidden")
                r.findings.push_back({line,
                                      "hidden-fixed",
                                      "hidden の項目に固定値です。ページの値が変わるなら " +
                                          def::expression(def::kGetValue, kv.key) + " が合います",
                                      {}});
            if (!offered.empty()) checkLiteral(line, kv.value, offered, choice, r);
        }
        // Each name left out is said once: the step names it from now on.
        std::vector<char> named = namedControls(index, form.controls.size(), named_);
        for (const FormEntry& e : successfulEntries(form)) {
            if (named[index.place(*e.control)]) continue;
            for (const FormControl& c : index.named(e.name)) named[index.place(c)] = 1;
            r.findings.push_back({s_.targetLine,
                                  "field-left-out",
                                  "送信される項目「" + pageText(e.name) + "」" +
                                      (e.control->type == "hidden" ? "（hidden）" : "") +
                                      "が定義にありません",
                                  {}});
        }
        std::string buttons;
        for (const FormControl& c : form.controls)
            if (c.type == "submit" && !c.name.empty() && !c.disabled)
                buttons += "「" + pageText(c.name) + "」";
        if (!buttonNamed && !buttons.empty())
            r.findings.push_back({s_.targetLine,
                                  "field-left-out",
                                  "送信ボタン" + buttons +
                                      "のどれも定義にありません（ブラウザは押したボタンの名前と値も"
                                      "送ります）",
                                  {}});
    }

    std::string pageText(std::string_view bytes) const {
        return pageCp_ ? pageCp_->toUtf8(bytes) : std::string(bytes);
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

    Definition& d_;
    const DefinitionStep& s_;
    const std::string& referrer_;
    const ReadPage* page_;
    const CodePage* pageCp_ = nullptr;  // the page's texts; none without a page
    const CodePage* urlCp_ = nullptr;   // what the addresses are read in
    const CodePage* formCp_ = nullptr;  // the form's charset; none when the program lacks it
    std::string base_;
    std::string_view target_;
    std::string charset_;
    std::vector<FormIndex::Named> named_;  // the form's controls of each field line's name
    std::vector<char> unsent_;             // each field line's: whether a browser sends nothing
    // How many of each name's own Zem-GetValue lines have taken a value so far.
    std::unordered_map<std::string_view, std::size_t> getValues_;
    // The form's fields that the step names no line for, once a line names one it lacks.
    std::optional<std::vector<const FormControl*>> unnamed_;
};

Definition definitionOf(const ParsedDefinition& definition, std::span<const ReadPage> pages,
                        const SampleValues& samples, const CodePage& cp) {
    const bool anyPage =
        std::any_of(pages.begin(), pages.end(), [](const ReadPage& p) { return p.forms; });
    return {definition.lines(), definition.report().lines, samples, cp, anyPage, {}, {}};
}

// The address of the first page that has one: what referrer lines are resolved against.
std::string firstAddress(std::span<const ReadPage> pages) {
    const auto addressed =
        std::find_if(pages.begin(), pages.end(), [](const ReadPage& p) { return !p.url.empty(); });
    return addressed == pages.end() ? "" : addressed->url;
}

// The step's request, checked against the first of the pages that is its own. written: the
// address its referrer line gives.
StepRequest requestOf(Definition& d, const DefinitionStep& s, std::string_view written,
                      const std::string& firstUrl, std::span<const ReadPage> pages) {
    const std::string referrer =
        firstUrl.empty() ? std::string(written) : resolved(firstUrl, written, d.cp);
    const ReadPage* own = nullptr;
    std::pair<const Form*, std::size_t> form{nullptr, 0};
    for (const ReadPage& page : pages) {
        if (!page.forms) continue;
        if (!page.url.empty() && resolved("", page.url, d.cp) != referrer) continue;
        form = StepBuilder(d, s, referrer, &page).findForm();
        if (!page.url.empty() || form.first) {
            own = &page;
            break;
        }
    }
    return StepBuilder(d, s, referrer, own).build(form.first, form.second);
}

}  // namespace

std::vector<StepRequest> definitionRequests(const ParsedDefinition& definition,
                                            std::span<const ReadPage> pages,
                                            const SampleValues& samples, const CodePage& cp) {
    Definition d = definitionOf(definition, pages, samples, cp);
    const std::string firstUrl = firstAddress(pages);
    std::vector<StepRequest> requests;
    for (const DefinitionStep& s : definition.steps())
        requests.push_back(requestOf(d, s, definition.referrer(s), firstUrl, pages));
    return requests;
}

StepRequest stepRequest(const ParsedDefinition& definition, std::size_t step,
                        std::string_view referrer, std::span<const ReadPage> pages,
                        const SampleValues& samples, const CodePage& cp) {
    Definition d = definitionOf(definition, pages, samples, cp);
    return requestOf(d, definition.steps().at(step), referrer, firstAddress(pages), pages);
}

SampleValues readSampleValues(std::string_view text) {
    SampleValues samples;
    for (const std::string_view line : splitLines(text)) {
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        if (const auto keyword = identityKeyword(line.substr(0, eq)))
            samples.*kSamples[*keyword] = line.substr(eq + 1);
    }
    return samples;
}

std::string referrerAddress(std::string_view base, std::string_view written, const CodePage& cp) {
    return requestedUrl(resolveUrl(base, written, cp).value_or(std::string(written)), &cp);
}

std::string curlCommand(const StepRequest& request) {
    const auto quoted = [](std::string_view text) {
        std::string out = "'";
        for (const char c : text) out += c == '\'' ? "'\\''" : std::string(1, c);
        return out + "'";
    };
    // A request refused for its address has none to give curl.
    if (request.url.empty()) return "# not sent: url-invalid";
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
