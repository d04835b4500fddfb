#include "form_recording.h"

#include <algorithm>
#include <array>

#include "charset.h"
#include "definition.h"
#include "form_charset.h"
#include "memo_text.h"
#include "tag_cuts.h"
#include "url.h"

namespace verrimo {

namespace {

constexpr std::array<std::string_view, 4> kButtonTypes = {"submit", "image", "reset", "button"};

// A line that the walker can turn into a field line.
bool isControlTag(std::string_view line) {
    return holds(line, "<input ") || holds(line, "<select") || holds(line, "</selec") ||
           holds(line, "<option") || holds(line, "<textarea") || holds(line, "</textarea");
}

bool namedControl(std::string_view line, std::string_view name) {
    return isControlTag(line) && holds(line, "name=") && nameCut(line).field == name;
}

// The recorded control for the tag: the one of the same name that comes as often before it in
// the recording as lines of that name come before the tag in the form.
const RecordedControl* recordedFor(std::string_view name, std::size_t at, std::size_t formBegin,
                                   const TagLines& lines, const FormRecording& recording) {
    std::size_t earlier = 0;
    for (std::size_t i = formBegin; i < at; ++i)
        if (namedControl(lines.line(i), name)) ++earlier;
    for (const RecordedControl& control : recording.controls)
        if (control.name == name && earlier-- == 0) return &control;
    return nullptr;
}

const RecordedControl* checkedRadio(std::string_view name, const FormRecording& recording) {
    for (const RecordedControl& control : recording.controls)
        if (control.name == name && control.type == "radio" && control.checked) return &control;
    return nullptr;
}

// Line breaks as a browser sends them: each CR, LF or CR LF as CR LF.
std::string sentLineBreaks(std::string_view text) {
    std::string out = crLfLines(text);  // ends every line, the last one too
    if (!text.empty() && text.back() != '\r' && text.back() != '\n') out.resize(out.size() - 2);
    return out;
}

}  // namespace

bool isFieldTag(std::string_view line) {
    return holds(line, "<input ") || holds(line, "<select") || holds(line, "<textarea");
}

bool RecordedControl::isButton() const {
    return std::find(kButtonTypes.begin(), kButtonTypes.end(), type) != kButtonTypes.end();
}

std::size_t FormRecording::fieldCount() const {
    return static_cast<std::size_t>(std::count_if(
        controls.begin(), controls.end(), [](const RecordedControl& c) { return !c.isButton(); }));
}

void FormRecording::wipe() {
    for (RecordedControl& control : controls) {
        // Written through volatile, so that the stores are not dropped as dead ones.
        volatile char* byte = control.value.data();
        for (std::size_t i = 0; i < control.value.size(); ++i) byte[i] = '\0';
        control.value.clear();
    }
    controls.clear();
    submitter.reset();
}

void FormRecording::recode(const CodePage& from, const CodePage& to) {
    const auto again = [&](std::string& text) { text = to.encode(from.decode(text)); };
    for (std::string* text : {&action, &submitterText}) again(*text);
    for (RecordedControl& control : controls) {
        again(control.name);
        again(control.type);
    }
}

std::optional<LineRange> recordedFormLines(std::string_view pieces, const TagLines& lines,
                                           std::size_t formIndex, const CodePage& cp) {
    const std::vector<Form> forms = readPageForms(pieces, cp).forms;
    if (formIndex >= forms.size()) return std::nullopt;
    const std::size_t startAt = forms[formIndex].at;
    const std::size_t nextAt =
        formIndex + 1 < forms.size() ? forms[formIndex + 1].at : std::string_view::npos;
    // Each line of the list is the first piece after the one before that equals it: the scanner
    // sorts equal pieces alike, so no earlier equal piece was left out of the list. The form
    // begins with the first line from its start tag's piece on (a <FORM is not in the list).
    const std::size_t count = lines.count();
    std::optional<std::size_t> begin;
    std::size_t end = count;
    std::size_t next = 0;
    std::string wanted = lines.line(next);
    forEachLine(pieces, [&](std::string_view piece) {
        if (next >= count || piece != wanted) return;
        const auto at = static_cast<std::size_t>(piece.data() - pieces.data());
        if (!begin && at + piece.size() >= startAt) begin = next;
        if (at >= nextAt && end == count) end = next;
        wanted = lines.line(++next);
    });
    if (!begin || end <= *begin) return std::nullopt;
    while (end > *begin + 1 && !isControlTag(lines.line(end - 1))) --end;
    return LineRange{*begin, end};
}

std::optional<RecordedForm> findRecordedForm(std::shared_ptr<const FormRecording> recording,
                                             std::string_view pieces, const TagLines& lines,
                                             const std::vector<Form>& forms,
                                             const std::string& pageCharset, const CodePage& cp) {
    const auto range = recordedFormLines(pieces, lines, recording->formIndex, cp);
    if (!range) return std::nullopt;
    const std::size_t index = recording->formIndex;
    std::string charset =
        submissionCharset(index < forms.size() ? forms[index].acceptCharset : "", pageCharset);
    auto charsetCp = browserCodePage(charset);
    if (!charsetCp) {
        // A charset the program cannot write: what browsers fall back to.
        charset = "UTF-8";
        charsetCp = browserCodePage(charset);
    }
    return RecordedForm{std::move(recording), *range, std::move(charset), std::move(charsetCp)};
}

std::string recordedTarget(const TagLines& lines, const std::optional<RecordedForm>& form,
                           const FormRecording& recording) {
    const std::string line = form ? lines.line(form->lines.begin) : std::string();
    return holds(line, "<form") && holds(line, "action=")
               ? std::string(attributeCut(line, "action=").field)
               : recording.action;
}

bool isEmailAddress(std::string_view text) {
    const std::size_t at = text.find('@');
    if (at == std::string_view::npos || at == 0 || text.find('@', at + 1) != std::string_view::npos)
        return false;
    if (text.find_first_of(" \t\r\n\"<>,;") != std::string_view::npos) return false;
    const std::string_view domain = text.substr(at + 1);
    const std::size_t dot = domain.find('.');
    return dot != std::string_view::npos && dot != 0 && domain.back() != '.';
}

std::string recordedLiteral(std::string_view text, const CodePage& charsetCp, bool own) {
    return exactQueryText(typedInCharset(sentLineBreaks(text), charsetCp), own);
}

void applyRecording(Classification& out, std::string_view tag, std::size_t at,
                    const TagLines& lines, const RecordedForm& form, const CodePage& cp) {
    const FormRecording& recording = *form.recording;
    Proposal& p = out.proposal;
    const std::string_view name = nameCut(tag).field;
    const RecordedControl* control = isFieldTag(tag) && holds(tag, "name=")
                                         ? recordedFor(name, at, form.lines.begin, lines, recording)
                                         : nullptr;
    if (!control) {
        // The recording says nothing here: no line, whatever an earlier tag proposed.
        p.row = Row::None;
        return;
    }
    // A kind the classifier has no row for (e-mail, number, ...) starts from an empty proposal.
    if (p.hint.empty()) p = Proposal{.name = std::string(name)};
    // An identity keyword stays chosen: the host fills in the user's own, not the typed one.
    const bool identity = p.row == Row::Identity && definition::isIdentityKeyword(p.identity);
    const bool own = codePageFor(form.charset) == cp.name();
    const auto propose = [&](std::string_view value) {
        p.fixedValue = recordedLiteral(value, *form.charsetCp, own);
        p.row = identity ? Row::Identity : Row::FixedValue;
    };

    if (control->isButton()) {
        // An image button sends its click's coordinates, which no line can hold.
        const bool used =
            recording.submitter && &recording.controls[*recording.submitter] == control;
        if (used && control->type != "image")
            propose(control->value);
        else
            p.row = Row::None;
    } else if (control->type == "password") {
        p.identity = definition::kPass;
        p.row = Row::Identity;
    } else if (control->type == "radio") {
        if (const RecordedControl* chosen = checkedRadio(name, recording)) propose(chosen->value);
    } else if (control->type == "checkbox") {
        if (control->checked) {
            propose(control->value);
        } else {
            p.hint2 = cp.fromUtf8("記録では未選択");
            p.row = Row::None;
        }
    } else if (control->type.starts_with("select")) {
        if (control->checked) propose(control->value);
    } else if (control->changed) {
        propose(control->value);
        if (!identity && isEmailAddress(control->value)) p.identity = definition::kEmail;
    }
}

std::vector<std::string_view> useTypedIdentities(const StepRequest& step, const RecordedForm& form,
                                                 SampleValues& samples, const CodePage& cp) {
    struct Typed {
        std::string_view keyword;
        std::string SampleValues::*value;
    };
    static constexpr Typed kTyped[] = {{definition::kId, &SampleValues::id},
                                       {definition::kEmail, &SampleValues::email}};
    const auto typedInto = [&](std::string_view name) -> const RecordedControl* {
        for (const RecordedControl& c : form.recording->controls)
            if (c.changed && !c.isButton() && c.type != "password" && c.type != "checkbox" &&
                c.type != "radio" && typedInCharset(cp.toUtf8(c.name), *form.charsetCp) == name)
                return &c;
        return nullptr;
    };
    std::vector<std::string_view> taken;
    for (const Typed& t : kTyped) {
        const RecordedControl* typed = nullptr;
        for (const RequestField& f : step.fields)
            if (f.sampleOf == t.keyword && (typed = typedInto(f.name))) break;
        if (!typed) continue;
        samples.*t.value = typedInCharset(sentLineBreaks(typed->value), *form.charsetCp);
        taken.push_back(t.keyword);
    }
    return taken;
}

}  // namespace verrimo
