// The auto list: the lines of auto.txt without its comments, and the values it stores for a
// field name.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "key_suffix_index.h"

namespace verrimo {

// The lines of an auto.txt text without those beginning with "#". The views point into text.
std::vector<std::string_view> autoListLines(std::string_view text);

class AutoList {
  public:
    AutoList() : AutoList(std::string()) {}
    // Takes the bytes of auto.txt and indexes its lines once, so that a lookup costs no scan.
    explicit AutoList(std::string text);

    const std::vector<std::string_view>& lines() const { return lines_; }
    // The lines as the walker's auto-list box holds them, each followed by CR LF.
    std::string memoText() const;

    // What the walker offers for a field name: for every line, in order, that holds name followed
    // by "=" anywhere (also inside a longer word: "id=" is in "userid=x"), the text after the
    // line's first "=".
    std::vector<std::string_view> values(std::string_view name) const;
    // The same by reading every line.
    std::vector<std::string_view> scannedValues(std::string_view name) const;

  private:
    std::unique_ptr<const std::string> text_;  // on the heap: the views stay valid on a move
    std::vector<std::string_view> lines_;
    KeySuffixIndex index_;
};

}  // namespace verrimo
