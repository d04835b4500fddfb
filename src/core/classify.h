// The tag classifier of the tag walker.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "codepage.h"

namespace verrimo {

class AutoList;

// The walker's rows, in their order on the window; None when no row is selected. The numbers
// are the ones the command-line tool prints.
enum class Row { None = 0, Identity = 1, FixedValue = 2, Expression = 3, Auto = 4 };

// The walker's proposal: the field's name, the kind hints, the value of each row and the
// selected row. Every member has a default, so that a proposal can be written naming only what
// it sets.
struct Proposal {
    std::string hint{};
    std::string hint2{};
    std::string name{};
    std::string identity{};    // identity keyword (or a check box's value)
    std::string fixedValue{};  // literal, as the definition line takes it
    std::string expression{};  // expression keyword
    std::string operand{};     // the expression's operand
    std::string autoValue{};   // from the auto list
    std::vector<std::string> autoChoices{};
    Row row = Row::None;

    bool operator==(const Proposal&) const = default;
};

// The required-tag list as the walker reads it, line by line; an index past the end is empty.
class TagLines {
  public:
    virtual ~TagLines() = default;
    virtual std::size_t count() const = 0;
    virtual std::string line(std::size_t index) const = 0;
};

class VectorTagLines : public TagLines {
  public:
    explicit VectorTagLines(std::vector<std::string_view> lines) : lines_(std::move(lines)) {}
    std::size_t count() const override { return lines_.size(); }
    std::string line(std::size_t index) const override {
        return index < lines_.size() ? std::string(lines_[index]) : std::string();
    }

  private:
    std::vector<std::string_view> lines_;
};

struct Classification {
    Proposal proposal;
    std::size_t index = 0;  // the walker's current line index afterwards
    bool end = false;       // the walk is over: the walker closes
};

// Classifies the tag text loaded at index. Fields that the tag's kind leaves alone keep what
// current held.
Classification classifyTag(std::string_view tag, std::size_t index, const TagLines& required,
                           const AutoList& autoList, bool getValueDefault, Proposal current,
                           const CodePage& cp);

}  // namespace verrimo
