#include "line_index.h"

#include <algorithm>

#include "byte_search.h"
#include "codepage.h"
#include "memo_text.h"

namespace verrimo {

namespace {

std::string_view bytesOf(std::string_view text, const LineIndex::Line& line) {
    return text.substr(line.start, line.end - line.start);
}

}  // namespace

std::size_t utf16Units(std::string_view bytes, const CodePage& cp) {
    std::size_t units = 0;
    for (std::size_t i = 0; i < bytes.size();) {
        // At a character's start, a byte under 0x80 is a character of one byte and one unit:
        // ASCII goes eight bytes at a time.
        if (i + 8 <= bytes.size() && (loadWord(bytes.data() + i) & kHighs) == 0) {
            units += 8;
            i += 8;
        } else if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            ++units;
            ++i;
        } else {
            char32_t c;
            i += cp.decodeAt(bytes, i, c);
            units += c >= 0x10000 ? 2 : 1;
        }
    }
    return units;
}

LineIndex::LineIndex() : marks_{{0, 0}} {}

LineIndex::LineIndex(std::string_view text, const CodePage& cp) : lines_(0) {
    std::size_t widestUnits = 0;
    for (Line line = LineFrom(text, 0, 0);; line = Following(text, line)) {
        if (line.number % kStride == 0) marks_.push_back({line.start, units_});
        const std::size_t units = utf16Units(bytesOf(text, line), cp);
        if (units > widestUnits) {
            widestUnits = units;
            widest_ = line.number;
        }
        units_ += units;
        ++lines_;
        if (line.Last()) break;
        ++units_;  // the break
    }
}

LineIndex::Line LineIndex::LineFrom(std::string_view text, std::size_t number, std::size_t start) {
    const std::size_t at = findLineBreak(text, start);
    if (at == std::string_view::npos) return {number, start, text.size(), text.size()};
    return {number, start, at, at + lineBreakSize(text, at)};
}

LineIndex::Line LineIndex::Following(std::string_view text, const Line& line) {
    return LineFrom(text, line.number + 1, line.next);
}

LineIndex::Line LineIndex::Numbered(std::string_view text, std::size_t number) const {
    number = std::min(number, lines_ - 1);
    Line line = Marked(text, number / kStride);
    while (line.number < number) line = Following(text, line);
    return line;
}

std::size_t LineIndex::MarkBefore(std::size_t place, std::size_t Mark::*field) const {
    const auto after =
        std::upper_bound(marks_.begin(), marks_.end(), place,
                         [field](std::size_t p, const Mark& mark) { return p < mark.*field; });
    return static_cast<std::size_t>(after - marks_.begin()) - 1;
}

LineIndex::Line LineIndex::Marked(std::string_view text, std::size_t mark) const {
    return LineFrom(text, mark * kStride, marks_[mark].byte);
}

LineIndex::Line LineIndex::Holding(std::string_view text, std::size_t byte) const {
    Line line = Marked(text, MarkBefore(byte, &Mark::byte));
    while (!line.Last() && byte >= line.next) line = Following(text, line);
    return line;
}

std::size_t LineIndex::UnitOf(std::string_view text, const CodePage& cp, std::size_t byte) const {
    const std::size_t mark = MarkBefore(byte, &Mark::byte);
    Line line = Marked(text, mark);
    std::size_t unit = marks_[mark].unit;
    while (!line.Last() && byte >= line.next) {
        unit += utf16Units(bytesOf(text, line), cp) + 1;
        line = Following(text, line);
    }
    return unit + utf16Units(text.substr(line.start, std::min(byte, line.end) - line.start), cp);
}

std::size_t LineIndex::ByteOf(std::string_view text, const CodePage& cp, std::size_t unit) const {
    const std::size_t mark = MarkBefore(unit, &Mark::unit);
    Line line = Marked(text, mark);
    std::size_t at = marks_[mark].unit;
    for (;;) {
        const std::size_t units = utf16Units(bytesOf(text, line), cp);
        if (line.Last() || unit <= at + units) break;
        at += units + 1;
        line = Following(text, line);
    }
    const std::string_view bytes = bytesOf(text, line);
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        char32_t c;
        const std::size_t size = cp.decodeAt(bytes, pos, c);
        const std::size_t units = c >= 0x10000 ? 2 : 1;
        if (at + units > unit) break;
        at += units;
        pos += size;
    }
    return line.start + pos;
}

}  // namespace verrimo
