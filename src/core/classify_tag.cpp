#include <array>

#include "classify_steps.h"
#include "definition.h"
#include "encode_value.h"
#include "tag_cuts.h"

namespace verrimo {

namespace {

enum class Input { Hidden, Text, Password, Submit, Checkbox };

struct InputKind {
    Input kind;
    std::string_view plain;   // type=word
    std::string_view quoted;  // type="word"
    std::string_view hintUtf8;
};

// Tested in this order.
constexpr std::array<InputKind, 5> kInputKinds = {{
    {Input::Hidden, "type=hidden", "type=\"hidden\"", "hidden　です"},
    {Input::Text, "type=text", "type=\"text\"", "文字入力　です"},
    {Input::Password, "type=password", "type=\"password\"", "何らかのPass入力です"},
    {Input::Submit, "type=submit", "type=\"submit\"", "Submitボタンです"},
    {Input::Checkbox, "type=checkbox", "type=\"checkbox\"", "チェックBOXです！"},
}};

// The kind tests look at one copy of the tag and the name cuts at another; each cut shortens
// its copy, so a later kind matches only on what an earlier one left.
struct WorkingCopies {
    std::string_view kinds;
    std::string_view names;
};

void fillInput(const InputKind& kind, WorkingCopies& work, bool getValueDefault,
               Classification& out, const ClassifyInput& in) {
    Proposal& p = out.proposal;
    p.hint = in.cp.fromUtf8(kind.hintUtf8);
    // A nameless submit button is not sent with the form: there is nothing to propose.
    if (kind.kind == Input::Submit && !holds(work.kinds, "name=")) return;

    const Cut valueCutResult = valueCut(work.kinds);
    work.kinds = valueCutResult.rest;
    const std::string value = encodeValue(valueCutResult.field, in.cp);
    const Cut nameCutResult = nameCut(work.names);
    work.names = nameCutResult.rest;

    p.name = nameCutResult.field;
    autoLookup(p, in.autoList);
    p.identity.clear();
    p.fixedValue = value;
    p.expression.clear();
    p.operand.clear();
    switch (kind.kind) {
        case Input::Hidden:
            p.expression = definition::kGetValue;
            p.operand = p.name;
            p.row = getValueDefault ? Row::Expression : Row::FixedValue;
            break;
        case Input::Text:
            p.row = Row::None;
            break;
        case Input::Password:
            p.identity = definition::kPass;
            p.row = Row::Identity;
            break;
        case Input::Submit:
            p.row = Row::FixedValue;
            break;
        case Input::Checkbox:
            p.hint2 = in.cp.fromUtf8("value値が無く、常にチェックの時はonにしてください");
            p.identity = value.empty() ? std::string("on") : value;
            p.row = Row::FixedValue;
            break;
    }
}

void fillTextarea(WorkingCopies& work, Proposal& p, const CodePage& cp) {
    p.hint = cp.fromUtf8("テキスト入力欄です");
    const Cut cut = nameCut(work.names);
    work.names = cut.rest;
    p.name = cut.field;
    p.identity.clear();
    p.fixedValue.clear();
    p.expression.clear();
    p.operand.clear();
    p.row = Row::None;
}

}  // namespace

Classification classifyTag(std::string_view tag, std::size_t index, const TagLines& required,
                           const AutoList& autoList, bool getValueDefault, Proposal current,
                           const CodePage& cp) {
    Classification out{std::move(current), index, false};
    Proposal& p = out.proposal;
    p.hint.clear();
    p.hint2.clear();
    p.autoValue.clear();
    p.autoChoices.clear();
    if (tag.empty()) {
        out.end = true;
        return out;
    }

    const ClassifyInput in{required, autoList, cp};
    if (holds(tag, "</selec") || holds(tag, "<select")) {
        gatherSelect(out, in);
        return out;
    }
    WorkingCopies work{tag, tag};
    if (holds(tag, "<input ")) {
        for (const InputKind& kind : kInputKinds)
            if (holds(work.kinds, kind.plain) || holds(work.kinds, kind.quoted))
                fillInput(kind, work, getValueDefault, out, in);
    }
    if (holds(work.kinds, "<textarea"))
        fillTextarea(work, p, cp);
    else if (holds(work.kinds, "type=radio") || holds(work.kinds, "type=\"radio\""))
        gatherRadio(out, work.names, work.kinds, in);
    return out;
}

}  // namespace verrimo
