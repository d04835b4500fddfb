#include "check_strings.h"

#include <algorithm>

#include "ascii_text.h"
#include "html_tags.h"
#include "memo_text.h"

namespace verrimo {

namespace {

// Longer texts are sentences that change with what was sent; the host wants a fixed mark.
constexpr std::size_t kShortChars = 30;
constexpr std::size_t kMostCandidates = 12;

bool isHeading(std::string_view tag) {
    return tag.size() == 2 && tag[0] == 'h' && tag[1] >= '1' && tag[1] <= '6';
}

class Gatherer {
  public:
    Gatherer(std::string_view previous, const CodePage& cp) : previous_(previous), cp_(cp) {}

    void tag(const HtmlTag& t) {
        const std::string_view name = t.name;
        const bool closing = name.starts_with('/');
        const std::string_view element = closing ? name.substr(1) : name;
        if (element == "script" || element == "style" || element == "textarea")
            skipped_ = !closing;
        else if (element == "title")
            inTitle_ = !closing;
        else if (isHeading(element))
            inHeading_ = !closing;
    }

    void text(std::string_view text) {
        if (skipped_) return;
        forEachLine(text, [this](std::string_view line) { piece(htmlTrimmed(line)); });
    }

    std::vector<std::string> candidates() {
        std::vector<std::string> all;
        for (std::string* first : {&title_, &heading_})
            if (!first->empty()) all.push_back(std::move(*first));
        all.insert(all.end(), std::make_move_iterator(shorts_.begin()),
                   std::make_move_iterator(shorts_.end()));
        std::vector<std::string> unique;
        for (std::string& c : all)
            if (std::find(unique.begin(), unique.end(), c) == unique.end())
                unique.push_back(std::move(c));
        std::stable_partition(unique.begin(), unique.end(),
                              [this](const std::string& c) { return !inPrevious(c); });
        if (unique.size() > kMostCandidates) unique.resize(kMostCandidates);
        return unique;
    }

  private:
    void piece(std::string_view text) {
        const std::size_t chars = cp_.decode(text).size();
        if (chars < 2) return;
        if (inTitle_) {
            if (title_.empty()) title_ = text;
            return;
        }
        if (inHeading_ && heading_.empty()) heading_ = text;
        if (chars <= kShortChars && !inPrevious(text)) shorts_.emplace_back(text);
    }

    bool inPrevious(std::string_view text) const {
        return previous_.find(text) != std::string_view::npos;
    }

    std::string_view previous_;
    const CodePage& cp_;
    bool skipped_ = false;
    bool inTitle_ = false;
    bool inHeading_ = false;
    std::string title_;
    std::string heading_;
    std::vector<std::string> shorts_;
};

}  // namespace

std::vector<std::string> checkStringCandidates(std::string_view answerPage,
                                               std::string_view previousPage, const CodePage& cp) {
    Gatherer gatherer(previousPage, cp);
    readHtml(answerPage, {[&](const HtmlTag& t) { gatherer.tag(t); },
                          [&](std::string_view text) { gatherer.text(text); }});
    return gatherer.candidates();
}

}  // namespace verrimo
