// A form as the user filled it in and submitted it in the page viewer, and what the walker
// makes of it: the recorded form's lines of the required-tag list, and proposals filled from
// what the user did.
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "classify.h"
#include "codepage.h"
#include "form_request.h"
#include "page_forms.h"

namespace verrimo {

// One control of the submitted form.
struct RecordedControl {
    std::string name{};  // in the program's code page
    std::string type{};  // lower case, as the browser names it: "text", "select-one", "submit", ...
    // UTF-8, as the browser holds it, so that no typed character is lost to the code page; a
    // select's first selected option's value. A password's is never recorded.
    std::string value{};
    bool changed = false;  // the user changed it from its default
    bool checked = false;  // a check box or radio button checked; a select with an option chosen

    bool isButton() const;
};

// What the user did: the page's forms say the rest.
struct FormRecording {
    std::size_t formIndex = 0;  // among the forms the browser built from the page, from 0
    std::string action{};       // the form's, for a target when its line is not found
    std::vector<RecordedControl> controls{};  // in document order
    std::optional<std::size_t> submitter{};   // into controls; none when no button sent the form
    std::string submitterText{};              // what the button used shows

    // The controls sent as fields: every one but the buttons.
    std::size_t fieldCount() const;
    // Overwrites every value before the recording goes.
    void wipe();
    // The texts in the program's code page, read in from, written again in to.
    void recode(const CodePage& from, const CodePage& to);
};

struct LineRange {
    std::size_t begin = 0;
    std::size_t end = 0;  // one past the last line
};

// The lines of the required-tag list that hold the formIndex-th form a browser builds from the
// page: from its start tag's line to the next form's, without the lines after its last control.
// pieces is the page as the viewer's browser shows it, one piece a line, of which the list
// holds some in their order; a <form in a comment, a script or a text area is no form. None when
// the list holds no line of the form, or no longer holds the pieces in their order.
std::optional<LineRange> recordedFormLines(std::string_view pieces, const TagLines& lines,
                                           std::size_t formIndex, const CodePage& cp);

// The required-tag list cut off after the recorded form: a walk over it ends with the form.
class FormTagLines : public TagLines {
  public:
    FormTagLines(const TagLines& all, std::size_t end) : all_(all), end_(end) {}
    std::size_t count() const override { return std::min(end_, all_.count()); }
    std::string line(std::size_t index) const override {
        return index < end_ ? all_.line(index) : std::string();
    }

  private:
    const TagLines& all_;
    std::size_t end_;
};

// A recorded form as the walk takes it.
struct RecordedForm {
    std::shared_ptr<const FormRecording> recording;
    LineRange lines;      // of the required-tag list
    std::string charset;  // the values are sent in: the form's submission charset
    std::shared_ptr<const CodePage> charsetCp;  // that charset as browsers write it
};

// The recording's form: its lines as recordedFormLines finds them, and its charset from the
// page's forms (forms, of a page in pageCharset), as the requests of a definition take it; none
// when the lines are not found.
std::optional<RecordedForm> findRecordedForm(std::shared_ptr<const FormRecording> recording,
                                             std::string_view pieces, const TagLines& lines,
                                             const std::vector<Form>& forms,
                                             const std::string& pageCharset, const CodePage& cp);

// The target the action entry dialog offers for the recorded form: the action of its <form line
// as the finder takes it, or the recorded action when the line is not found or has none.
std::string recordedTarget(const TagLines& lines, const std::optional<RecordedForm>& form,
                           const FormRecording& recording);

// Whether the line of the required-tag list starts a control of its own.
bool isFieldTag(std::string_view line);

// Whether the text looks like an e-mail address: one @ between a local part and a dotted domain.
bool isEmailAddress(std::string_view text);

// The literal that, read as query text, gives back exactly the bytes a browser sends for the
// text (UTF-8) in a form of that charset: line breaks as CR LF, a character the charset lacks as
// "&#N;". The charset's own characters stand as they are when it is the program's code page
// (own), so that the line reads right; otherwise its bytes are escaped.
std::string recordedLiteral(std::string_view text, const CodePage& charsetCp, bool own);

// Fills what the recording knows into the classification of the tag at line `at` of the recorded
// form; a line the recording holds nothing for (the form's start, closing tags, a control not
// sent) selects no row. The typed password is never copied into the proposal, and an identity
// keyword that the classifier proposes stays selected. cp: the program's code page.
void applyRecording(Classification& out, std::string_view tag, std::size_t at,
                    const TagLines& lines, const RecordedForm& form, const CodePage& cp);

// Zem-ID and Zem-email of a step sent from the recorded form take what the user typed into the
// field of each in the recording (a field the step names, in the form's charset), as the
// browser sent it. The password is never taken: the recording holds none. Returns the keywords
// that took a typed value.
std::vector<std::string_view> useTypedIdentities(const StepRequest& step, const RecordedForm& form,
                                                 SampleValues& samples, const CodePage& cp);

}  // namespace verrimo
