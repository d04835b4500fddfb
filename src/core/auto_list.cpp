#include "auto_list.h"

#include <limits>
#include <stdexcept>

#include "memo_text.h"

namespace verrimo {

namespace {

std::string_view valueOf(std::string_view line) {
    return line.substr(line.find('=') + 1);
}

}  // namespace

std::vector<std::string_view> autoListLines(std::string_view text) {
    std::vector<std::string_view> lines = splitLines(text);
    std::erase_if(lines, [](std::string_view line) { return line.starts_with('#'); });
    return lines;
}

AutoList::AutoList(std::string text) : text_(std::make_unique<const std::string>(std::move(text))) {
    if (text_->size() > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("auto list of 4 GiB or more");
    lines_ = autoListLines(*text_);
    index_ = KeySuffixIndex(lines_);
}

std::string AutoList::memoText() const {
    return joinLines(lines_);
}

std::vector<std::string_view> AutoList::values(std::string_view name) const {
    // The index knows keys between two "=", so it cannot answer for these.
    if (name.empty() || name.find('=') != std::string_view::npos) return scannedValues(name);
    std::vector<std::string_view> values;
    for (const std::uint32_t line : index_.linesWithKey(name))
        values.push_back(valueOf(lines_[line]));
    return values;
}

std::vector<std::string_view> AutoList::scannedValues(std::string_view name) const {
    const std::string key = std::string(name) + "=";
    std::vector<std::string_view> values;
    for (const std::string_view line : lines_)
        if (line.find(key) != std::string_view::npos) values.push_back(valueOf(line));
    return values;
}

}  // namespace verrimo
