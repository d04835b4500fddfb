// A form as the user filled it in and submitted it in the page viewer, and what the walker
// makes of it: the recorded form's lines of the required-tag list, and proposals filled from
// what the user did.
#pragma once

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "classify.h"
#include "codepage.h"

namespace verrimo {

// One control of the submitted form. Texts are in the program's code page.
struct RecordedControl {
    std::string name{};
    std::string type{};  // lower case, as the browser names it: "text", "select-one", "submit", ...
    std::string value{};   // as submitted; a select's first selected option's value
    bool changed = false;  // the user changed it from its default
    bool checked = false;  // a check box or radio button checked; a select with an option chosen

    bool isButton() const;
};

struct FormRecording {
    std::size_t formIndex = 0;  // among the page's forms, from 0
    std::string action{};
    std::string method{};
    std::string enctype{};
    std::string acceptCharset{};
    std::vector<RecordedControl> controls{};  // in document order
    std::optional<std::size_t> submitter{};   // into controls; none when no button sent the form
    std::string submitterText{};              // what the button used shows

    // The controls sent as fields: every one but the buttons.
    std::size_t fieldCount() const;
    // Overwrites every value before the recording goes, so that no typed password outlives it.
    void wipe();
    // Every text, read in from, written again in to: what the user typed keeps its characters.
    void recode(const CodePage& from, const CodePage& to);
};

// The lines of the required-tag list from the recorded form's <form line through its last
// control line; none when the list has no such form.
struct LineRange {
    std::size_t begin = 0;
    std::size_t end = 0;  // one past the last line
};
std::optional<LineRange> recordedFormLines(const TagLines& lines, std::size_t formIndex);

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

// The target the action entry dialog offers for the recorded form: the action of its <form line
// as the finder takes it, or the recorded action when the line has none.
std::string recordedTarget(const TagLines& lines, const FormRecording& recording);

// Whether the text looks like an e-mail address: one @ between a local part and a dotted domain.
bool isEmailAddress(std::string_view text);

// Fills what the recording knows into the classification of the tag at line `at` of the
// recorded form, whose <form line is at formBegin; a tag the recording does not hold keeps the
// classifier's proposal. The typed password is never copied into the proposal.
void applyRecording(Classification& out, std::string_view tag, std::size_t at,
                    std::size_t formBegin, const TagLines& lines, const FormRecording& recording,
                    const CodePage& cp);

}  // namespace verrimo
