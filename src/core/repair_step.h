// The pieces of a repair: what it does to each line, and how one step's field lines are matched
// to the controls of its form as the page has them now.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "codepage.h"
#include "definition_check.h"
#include "form_index.h"
#include "page_forms.h"
#include "repair_change.h"

namespace verrimo::repairing {

// What the repair does to one line of the old definition.
struct LineEdit {
    std::optional<std::string> key;    // the field's new name
    std::optional<std::string> value;  // the new text after "="
    bool dropped = false;
    bool open = false;               // left as it was for the user
    std::vector<std::string> added;  // new lines right after it, in page order
};

struct Edits {
    std::vector<LineEdit> lines;  // one per line of the old definition
    std::vector<RepairChange> changes;

    void change(std::size_t line, RepairKind kind, std::string message) {
        changes.push_back({line, kind, std::move(message), kind == RepairKind::NeedsYou});
    }
};

// A field line of the old definition as the checker took it apart.
struct FieldLine {
    std::size_t line = 0;
    std::string_view key;  // without the blanks around it
    std::string_view value;
    std::string_view keyword;  // of an expression that is the whole value; empty otherwise
    std::string_view operand;
    bool identity = false;      // Zem-ID, Zem-Pass or Zem-email
    bool keywordFirst = false;  // the value begins with a word of the host's, whole or not

    bool literal() const { return !identity && !keywordFirst; }
};
FieldLine fieldLine(std::size_t line, std::string_view text, const LineReport& report);

// One step with the form it was matched to.
struct StepForm {
    std::size_t targetLine = 0;
    std::vector<FieldLine> fields;
    const Form* form = nullptr;
    const PageForms* page = nullptr;
    const CodePage& cp;   // the definition's
    std::string charset;  // what the form sends in
    // The definition's literals are in that charset: it is the definition's, or the values the
    // form offers say so.
    bool sameCharset = true;

    // A literal or choice list of the definition as it sends the same characters in charset.
    std::string inCharset(std::string_view literal) const;
};

// The field lines matched to the form's controls: kept, renamed, dropped, added, and what the
// page does not decide named as the user's.
void repairFields(const StepForm& step, Edits& edits);

// What the walker writes after "=" for the control's choices: the values of a select's options
// or of a radio group, each non-empty one encoded, in page order, joined by ",".
// Whether the step's literals and choice lists were written for another charset than the one
// the form sends in now: of those the form still offers, more once re-encoded than as written;
// with none of them to tell, true.
bool charsetMoved(const StepForm& step);

// named: a select, or the controls of a radio group.
std::string walkerChoices(const FormIndex::Named& named, const CodePage& pageCp);

// Page text as the definition holds it: as it is in the definition's charset, else each byte
// past ASCII as "%XX".
std::string pageLiteral(std::string_view pageBytes, bool sameCharset);

// A literal written in the definition's charset cp, as another charset sends the same
// characters: each character past ASCII as the "%XX" of its bytes there. None for text that is
// not the definition's, or that reads as UTF-8 already for a UTF-8 form.
std::optional<std::string> recoded(std::string_view literal, const CodePage& cp,
                                   const std::string& charset);

// The UTF-8 of page text, for a message.
std::string shownName(std::string_view name, const PageForms& page);

}  // namespace verrimo::repairing
