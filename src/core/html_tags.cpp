#include "html_tags.h"

#include "ascii_text.h"

namespace verrimo {

namespace {

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

class Reader {
  public:
    explicit Reader(std::string_view page) : page_(page) {}

    // The tag whose "<" is at pos_; pos_ ends after its ">" (or at the end of the page).
    HtmlTag tag() {
        HtmlTag t;
        t.at = pos_++;
        if (page_[pos_] == '/') {
            t.name += '/';
            ++pos_;
        }
        while (pos_ < page_.size() && !isHtmlSpace(page_[pos_]) && page_[pos_] != '/' &&
               page_[pos_] != '>')
            t.name += asciiLower(page_[pos_++]);
        for (;;) {
            while (pos_ < page_.size() && (isHtmlSpace(page_[pos_]) || page_[pos_] == '/')) ++pos_;
            if (pos_ >= page_.size()) return t;
            if (page_[pos_] == '>') {
                ++pos_;
                return t;
            }
            t.attributes.push_back(attribute());
        }
    }

    std::size_t pos_ = 0;
    std::string_view page_;

  private:
    Attribute attribute() {
        Attribute a;
        // The first character of a name may be "=", as browsers take it.
        do a.name += asciiLower(page_[pos_++]);
        while (pos_ < page_.size() && !isHtmlSpace(page_[pos_]) && page_[pos_] != '/' &&
               page_[pos_] != '>' && page_[pos_] != '=');
        std::size_t at = pos_;
        while (at < page_.size() && isHtmlSpace(page_[at])) ++at;
        if (at >= page_.size() || page_[at] != '=') return a;
        pos_ = at + 1;
        while (pos_ < page_.size() && isHtmlSpace(page_[pos_])) ++pos_;
        if (pos_ >= page_.size()) return a;
        const char quote = page_[pos_];
        if (quote == '"' || quote == '\'') {
            const std::size_t end = page_.find(quote, pos_ + 1);
            const std::size_t stop = end == std::string_view::npos ? page_.size() : end;
            a.value = page_.substr(pos_ + 1, stop - pos_ - 1);
            pos_ = end == std::string_view::npos ? stop : stop + 1;
        } else {
            const std::size_t start = pos_;
            while (pos_ < page_.size() && !isHtmlSpace(page_[pos_]) && page_[pos_] != '>') ++pos_;
            a.value = page_.substr(start, pos_ - start);
        }
        return a;
    }
};

// Where the text of a raw-text element ends: at its end tag, in any letter case.
std::size_t rawTextEnd(std::string_view page, std::size_t from, std::string_view name) {
    for (std::size_t at = page.find("</", from); at != std::string_view::npos;
         at = page.find("</", at + 2)) {
        std::size_t k = 0;
        while (k < name.size() && at + 2 + k < page.size() &&
               asciiLower(page[at + 2 + k]) == name[k])
            ++k;
        const std::size_t after = at + 2 + k;
        if (k == name.size() && (after == page.size() || isHtmlSpace(page[after]) ||
                                 page[after] == '>' || page[after] == '/'))
            return at;
    }
    return page.size();
}

}  // namespace

const Attribute* HtmlTag::find(std::string_view attribute) const {
    for (const Attribute& a : attributes)
        if (a.name == attribute) return &a;
    return nullptr;
}

void readHtml(std::string_view page, const HtmlVisitor& visit) {
    Reader r(page);
    std::size_t textStart = 0;
    const auto text = [&](std::size_t end) {
        if (end > textStart && visit.text) visit.text(page.substr(textStart, end - textStart));
    };
    while (r.pos_ < page.size()) {
        const std::size_t lt = page.find('<', r.pos_);
        if (lt == std::string_view::npos || lt + 1 >= page.size()) break;
        const char next = page[lt + 1];
        if (page.substr(lt, 4) == "<!--") {
            text(lt);
            const std::size_t end = page.find("-->", lt + 4);
            r.pos_ = textStart = end == std::string_view::npos ? page.size() : end + 3;
            continue;
        }
        if (next == '!' || next == '?') {  // a doctype or the like
            text(lt);
            const std::size_t end = page.find('>', lt);
            r.pos_ = textStart = end == std::string_view::npos ? page.size() : end + 1;
            continue;
        }
        if (!isLetter(next) && !(next == '/' && lt + 2 < page.size() && isLetter(page[lt + 2]))) {
            r.pos_ = lt + 1;  // a "<" that opens no tag is text
            continue;
        }
        text(lt);
        r.pos_ = lt;
        const HtmlTag tag = r.tag();
        if (visit.tag) visit.tag(tag);
        if (visit.done && visit.done()) return;
        textStart = r.pos_;
        if (tag.name == "script" || tag.name == "style" || tag.name == "textarea" ||
            tag.name == "title") {
            const std::size_t end = rawTextEnd(page, r.pos_, tag.name);
            text(end);
            r.pos_ = textStart = end;
        }
    }
    text(page.size());
}

}  // namespace verrimo
