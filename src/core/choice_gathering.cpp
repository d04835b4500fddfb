#include "classify_steps.h"
#include "definition.h"
#include "encode_value.h"
#include "replace_text.h"
#include "tag_cuts.h"

namespace verrimo {

namespace {

void proposeChoices(Classification& out, std::string list, std::size_t lastLine) {
    Proposal& p = out.proposal;
    p.operand = std::move(list);
    p.identity.clear();
    p.expression = definition::kSelect;
    p.fixedValue.clear();
    p.row = Row::Expression;
    out.index = lastLine;
}

}  // namespace

void gatherSelect(Classification& out, const ClassifyInput& in) {
    Proposal& p = out.proposal;
    p.hint = in.cp.fromUtf8("select　です");
    std::string list;
    // Without a closing line the element ends behind the last line taken; starting here keeps
    // the index from going back when the tag is not the list's line.
    std::size_t lastTaken = out.index;
    for (std::size_t i = out.index; i < in.required.count(); ++i) {
        const std::string line = in.required.line(i);
        if (holds(line, "<select")) {
            p.name = quotedCut(line);
            autoLookup(p, in.autoList);
            list.clear();
            lastTaken = i;
        } else if (holds(line, "<option")) {
            const std::string value = encodeValue(quotedCut(line), in.cp);
            // An empty value never starts the list; one further on leaves ",," behind.
            if (!list.empty()) list += ',';
            list += value;
            lastTaken = i;
        } else if (holds(line, "</selec")) {
            lastTaken = i;
            break;
        }
    }
    proposeChoices(out, replaceText(list, ",,", "", Replace::Every, in.cp), lastTaken);
}

void gatherRadio(Classification& out, std::string_view names, std::string_view values,
                 const ClassifyInput& in) {
    Proposal& p = out.proposal;
    p.hint = in.cp.fromUtf8("ラジオボタン　です");
    p.name = nameCut(names).field;
    std::string list = encodeValue(valueCut(values).field, in.cp);
    std::size_t last = out.index;
    for (std::size_t i = out.index + 1; i < in.required.count(); ++i) {
        const std::string line = in.required.line(i);
        // Any line that carries the group's name joins it, whatever its kind.
        if (nameCut(line).field != p.name) break;
        list += ',';
        list += encodeValue(valueCut(line).field, in.cp);
        last = i;
    }
    proposeChoices(out, std::move(list), last);
    autoLookup(p, in.autoList);
}

}  // namespace verrimo
