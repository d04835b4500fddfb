#include "form_recording.h"

#include <algorithm>
#include <array>

#include "definition.h"
#include "encode_value.h"
#include "tag_cuts.h"

namespace verrimo {

namespace {

constexpr std::array<std::string_view, 4> kButtonTypes = {"submit", "image", "reset", "button"};

bool holdsType(std::string_view tag, std::string_view type) {
    const std::string plain = "type=" + std::string(type);
    const std::string quoted = "type=\"" + std::string(type) + "\"";
    return holds(tag, plain) || holds(tag, quoted);
}

bool isButtonTag(std::string_view tag) {
    return holds(tag, "<input ") &&
           std::any_of(kButtonTypes.begin(), kButtonTypes.end(),
                       [&](std::string_view t) { return holdsType(tag, t); });
}

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

void propose(Proposal& p, std::string_view value, const CodePage& cp) {
    p.fixedValue = encodeValue(value, cp);
    p.row = Row::FixedValue;
}

}  // namespace

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
    for (std::string* text : {&action, &method, &enctype, &acceptCharset, &submitterText})
        again(*text);
    for (RecordedControl& control : controls) {
        again(control.name);
        again(control.type);
        again(control.value);
    }
}

std::optional<LineRange> recordedFormLines(const TagLines& lines, std::size_t formIndex) {
    const std::size_t count = lines.count();
    std::size_t forms = 0;
    std::size_t begin = 0;
    while (begin < count && !(holds(lines.line(begin), "<form") && forms++ == formIndex)) ++begin;
    if (begin == count) return std::nullopt;
    std::size_t end = begin + 1;
    while (end < count && !holds(lines.line(end), "<form")) ++end;
    while (end > begin + 1 && !isControlTag(lines.line(end - 1))) --end;
    return LineRange{begin, end};
}

std::string recordedTarget(const TagLines& lines, const FormRecording& recording) {
    const auto range = recordedFormLines(lines, recording.formIndex);
    const std::string line = range ? lines.line(range->begin) : std::string();
    return holds(line, "action=") ? std::string(attributeCut(line, "action=").field)
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

void applyRecording(Classification& out, std::string_view tag, std::size_t at,
                    std::size_t formBegin, const TagLines& lines, const FormRecording& recording,
                    const CodePage& cp) {
    if (!holds(tag, "<input ") && !holds(tag, "<select") && !holds(tag, "<textarea")) return;
    Proposal& p = out.proposal;
    const bool button = isButtonTag(tag);
    // A button not used to send the form gives no line, whatever the step before proposed.
    if (button) p.row = Row::None;
    if (!holds(tag, "name=")) return;
    const std::string_view name = nameCut(tag).field;
    const RecordedControl* control = recordedFor(name, at, formBegin, lines, recording);
    if (!control) return;
    // A kind the classifier has no row for (e-mail, number, ...) starts from an empty proposal.
    if (p.hint.empty()) p = Proposal{.name = std::string(name)};

    if (button) {
        // An image button sends its click's coordinates, which no line can hold.
        if (recording.submitter && &recording.controls[*recording.submitter] == control &&
            control->type != "image")
            propose(p, control->value, cp);
        return;
    }
    if (control->type == "password") {
        p.identity = definition::kPass;
        p.row = Row::Identity;
    } else if (control->type == "radio") {
        if (const RecordedControl* chosen = checkedRadio(name, recording))
            propose(p, chosen->value, cp);
    } else if (control->type == "checkbox") {
        if (control->checked) {
            propose(p, control->value, cp);
        } else {
            p.hint2 = cp.fromUtf8("記録では未選択");
            p.row = Row::None;
        }
    } else if (control->type.starts_with("select")) {
        if (control->checked) propose(p, control->value, cp);
    } else if (control->changed) {
        propose(p, control->value, cp);
        if (isEmailAddress(control->value)) p.identity = definition::kEmail;
    }
}

}  // namespace verrimo
