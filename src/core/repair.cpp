#include "repair.h"

#include <algorithm>

#include "charset.h"
#include "definition.h"
#include "encode_value.h"
#include "form_charset.h"
#include "memo_text.h"
#include "parsed_definition.h"
#include "repair_step.h"
#include "trim.h"

namespace verrimo {

namespace repairing {

namespace {

namespace def = definition;

std::string_view spanOf(std::string_view line, Span span) {
    return line.substr(span.begin, span.end - span.begin);
}

bool hasNonAscii(std::string_view bytes) {
    return std::any_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// The form the step's fields are in, on a page whose form of that action is gone: the one that
// has the most of their names, when no other has as many and it has at least half of them.
const Form* formByFields(const PageForms& page, const std::vector<FieldLine>& fields) {
    const Form* best = nullptr;
    std::size_t most = 0;
    bool tie = false;
    for (const Form& form : page.forms) {
        const FormIndex index(form);
        std::size_t found = 0;
        std::size_t next = 0;
        for (const FieldLine& f : fields) found += !index.named(f.key, next).empty();
        if (found > most) {
            best = &form, most = found, tie = false;
        } else if (found == most && found > 0) {
            tie = true;
        }
    }
    // A form that shares a name or two with the step is another form.
    return tie || most * 2 < fields.size() ? nullptr : best;
}

class DefinitionRepair {
  public:
    DefinitionRepair(const ParsedDefinition& d, std::span<const ReadPage> pages, const CodePage& cp)
        : d_(d), pages_(pages), cp_(cp), lines_(d.lines()), report_(d.report()) {
        edits_.lines.resize(lines_.size());
    }

    RepairResult run() {
        const std::vector<StepRequest> requests =
            definitionRequests(d_, pages_, SampleValues{}, cp_);
        // One request per step, in the same order.
        for (std::size_t s = 0; s < requests.size() && s < d_.steps().size(); ++s) {
            const StepRequest& r = requests[s];
            if (r.kind != def::kKindAction || r.pageCheck == PageCheck::NoPages) continue;
            repairStep(d_.steps()[s], r);
        }
        return result();
    }

  private:
    FieldLine field(std::size_t line) const {
        return fieldLine(line, lines_[line], report_.lines[line]);
    }

    void repairStep(const DefinitionStep& s, const StepRequest& r) {
        const PageForms* page = r.page ? r.page->forms.get() : nullptr;
        StepForm step{r.targetLine, {}, r.form, page, cp_, {}, true};
        for (const StepField& f : s.fields) step.fields.push_back(field(f.line));
        if (!step.form) findMoved(r, step);
        if (!step.form) {
            // A pasted page without the step's form need not be the step's page at all.
            if (r.pageCheck == PageCheck::Checked && !edits_.lines[r.targetLine].open)
                edits_.change(r.targetLine, RepairKind::NeedsYou,
                              "対象のフォームがページにありません（項目の名前でも見つかりません）");
            return;
        }
        step.charset = submissionCharset(step.form->acceptCharset, step.page->charset);
        step.sameCharset = step.charset == canonicalCharset(cp_.name());
        if (!step.sameCharset) step.sameCharset = !charsetMoved(step);
        repairFields(step, edits_);
        if (!step.sameCharset) recode(step);
    }

    // The form looked for by its fields: on the step's page, or on pasted pages.
    void findMoved(const StepRequest& r, StepForm& step) {
        for (const ReadPage& page : pages_) {
            if (!page.forms || (r.page ? &page != r.page : !page.url.empty())) continue;
            if (const Form* form = formByFields(*page.forms, step.fields)) {
                step.form = form;
                step.page = page.forms.get();
                break;
            }
        }
        if (!step.form) return;
        const std::string_view old =
            spanOf(lines_[r.targetLine], report_.lines[r.targetLine].value);
        const std::string& action = step.form->writtenAction;
        if (action == old) return;
        const std::string shown = step.page->codePage->toUtf8(action);
        if (action.empty()) {
            edits_.lines[r.targetLine].open = true;
            edits_.change(r.targetLine, RepairKind::NeedsYou,
                          "項目の名前が合うフォームには送信先（action）がありません");
            step.form = nullptr;
            return;
        }
        edits_.lines[r.targetLine].value = action;
        edits_.change(r.targetLine, RepairKind::Action,
                      "送信先が「" + cp_.toUtf8(old) + "」から「" + shown + "」に変わりました");
    }

    // The literals and choice lists that the lines still carry, for a form in another charset.
    void recode(const StepForm& step) {
        const std::string& charset = step.charset;
        for (const FieldLine& f : step.fields) {
            LineEdit& edit = edits_.lines[f.line];
            if (edit.dropped || edit.open || edit.value) continue;
            const bool choices = f.keyword == def::kSelect;
            if (!f.literal() && !choices) continue;
            const auto text = recoded(choices ? f.operand : f.value, cp_, charset);
            if (!text) continue;
            edit.value = choices ? def::expression(def::kSelect, *text) : *text;
            edits_.change(f.line, RepairKind::Charset,
                          "ページの文字コードが " + charset + " になりました。「" +
                              cp_.toUtf8(f.key) + "」の値の文字を " + charset +
                              " の %XX で書き直しました");
        }
    }

    std::string line(std::size_t i) const {
        const LineEdit& edit = edits_.lines[i];
        const std::string_view text = lines_[i];
        if (!edit.key && !edit.value) return std::string(text);
        const LineReport& report = report_.lines[i];
        const std::string_view key = trimmed(spanOf(text, report.key));
        const std::size_t keyBegin = key.empty() ? report.key.begin : key.data() - text.data();
        const std::size_t keyEnd = keyBegin + key.size();
        std::string out(text.substr(0, keyBegin));
        out += edit.key ? std::string_view(*edit.key) : key;
        out += text.substr(keyEnd, report.value.begin - keyEnd);
        out += edit.value ? std::string_view(*edit.value) : spanOf(text, report.value);
        return out;
    }

    RepairResult result() {
        RepairResult r;
        for (std::size_t i = 0; i < lines_.size(); ++i) {
            if (!edits_.lines[i].dropped) appendLine(r.text, line(i));
            for (const std::string& added : edits_.lines[i].added) appendLine(r.text, added);
        }
        r.changes = std::move(edits_.changes);
        std::stable_sort(
            r.changes.begin(), r.changes.end(),
            [](const RepairChange& a, const RepairChange& b) { return a.line < b.line; });
        return r;
    }

    const ParsedDefinition& d_;
    std::span<const ReadPage> pages_;
    const CodePage& cp_;
    const std::vector<std::string_view>& lines_;
    const DefinitionReport& report_;
    Edits edits_;
};

}  // namespace

FieldLine fieldLine(std::size_t line, std::string_view text, const LineReport& report) {
    FieldLine f;
    f.line = line;
    f.key = trimmed(spanOf(text, report.key));
    f.value = spanOf(text, report.value);
    f.identity = def::isIdentityKeyword(f.value);
    const std::string_view keyword = spanOf(text, report.keyword);
    f.keywordFirst = !keyword.empty() && report.keyword.begin == report.value.begin;
    const bool whole = !keyword.empty() && report.keyword.begin == report.value.begin &&
                       report.operand.begin == report.keyword.end + 1 &&
                       report.operand.end + 1 == text.size() && text.back() == ']';
    if (whole && std::find(def::kExpressionKeywords.begin(), def::kExpressionKeywords.end(),
                           keyword) != def::kExpressionKeywords.end()) {
        f.keyword = keyword;
        f.operand = spanOf(text, report.operand);
    }
    return f;
}

std::optional<std::string> recoded(std::string_view literal, const CodePage& cp,
                                   const std::string& charset) {
    if (!hasNonAscii(literal) || !decodesCleanly(literal, canonicalCharset(cp.name())) ||
        (charset == "UTF-8" && decodesCleanly(literal, charset)))
        return std::nullopt;
    const std::shared_ptr<const CodePage> to = browserCodePage(charset);
    if (!to) return std::nullopt;
    return pageLiteral(inFormCharset(literal, cp, *to), false);
}

std::string StepForm::inCharset(std::string_view literal) const {
    if (sameCharset || charset.empty()) return std::string(literal);
    return recoded(literal, cp, charset).value_or(std::string(literal));
}

std::string walkerChoices(const FormIndex::Named& named, const CodePage& pageCp) {
    std::string list;
    const auto add = [&](const std::optional<std::string>& written) {
        if (!written || written->empty()) return;
        if (!list.empty()) list += ',';
        list += encodeValue(*written, pageCp);
    };
    const FormControl& first = named.front();
    if (first.element == "select") {
        for (const FormOption& o : first.options) add(o.written);
        return list;
    }
    for (const FormControl& c : named)
        if (c.type == "radio") add(c.written);
    return list;
}

std::string pageLiteral(std::string_view pageBytes, bool sameCharset) {
    if (sameCharset) return std::string(pageBytes);
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : pageBytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            out += c;
        } else {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 15];
        }
    }
    return out;
}

std::string shownName(std::string_view name, const PageForms& page) {
    return page.codePage->toUtf8(name);
}

}  // namespace repairing

bool RepairResult::changed() const {
    return !changes.empty();
}

bool RepairResult::needsUser() const {
    return std::any_of(changes.begin(), changes.end(),
                       [](const RepairChange& c) { return c.needsUser; });
}

RepairResult repairDefinition(const ParsedDefinition& definition, std::span<const ReadPage> pages,
                              const CodePage& cp) {
    return repairing::DefinitionRepair(definition, pages, cp).run();
}

std::string_view repairKindId(RepairKind kind) {
    switch (kind) {
        case RepairKind::Renamed:
            return "renamed";
        case RepairKind::Added:
            return "added";
        case RepairKind::Removed:
            return "removed";
        case RepairKind::Action:
            return "action";
        case RepairKind::Choices:
            return "choices";
        case RepairKind::Charset:
            return "charset";
        case RepairKind::SubmitRenamed:
            return "submit-renamed";
        case RepairKind::NeedsYou:
            return "needs-you";
    }
    return "needs-you";
}

}  // namespace verrimo
