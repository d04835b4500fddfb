// Where the lines of a multi-line text start, so that a view can show a few lines of a huge text
// and answer for any place in it without a copy of the text or a list of all its lines.
//
// CR LF, a lone CR and a lone LF each end a line, and the text after the last break is a line
// too (empty when the text ends with a break), as a text control shows it. Places are counted
// in bytes and in the UTF-16 units of the text as the code page decodes it, a line break
// counting as one unit.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace verrimo {

class CodePage;

// The UTF-16 units of bytes that hold no line break.
std::size_t utf16Units(std::string_view bytes, const CodePage& cp);
// The length of the line break at i: 2 for CR LF, 1 for a lone CR or LF.
inline std::size_t lineBreakSize(std::string_view text, std::size_t i) {
    return text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1;
}

class LineIndex {
  public:
    struct Line {
        std::size_t number = 0;
        std::size_t start = 0;  // its first byte
        std::size_t end = 0;    // where its break is, or the end of the text for the last line
        std::size_t next = 0;   // where the next line starts; end for the last line
        bool Last() const { return next == end; }
    };

    // The empty text: one empty line.
    LineIndex();
    LineIndex(std::string_view text, const CodePage& cp);

    std::size_t Lines() const { return lines_; }
    std::size_t Units() const { return units_; }
    // The line of the most units, the widest one as far as units tell.
    std::size_t WidestLine() const { return widest_; }

    // The line of that number (the last one when the number is beyond it).
    Line Numbered(std::string_view text, std::size_t number) const;
    // The line that holds the byte at that place (a place in a line break belongs to its line).
    Line Holding(std::string_view text, std::size_t byte) const;
    static Line Following(std::string_view text, const Line& line);

    // The UTF-16 place of a byte place at a character boundary, and back; a unit place inside a
    // character or beyond the text gives the character's start or the text's end.
    std::size_t UnitOf(std::string_view text, const CodePage& cp, std::size_t byte) const;
    std::size_t ByteOf(std::string_view text, const CodePage& cp, std::size_t unit) const;

  private:
    static constexpr std::size_t kStride = 64;  // every kStride-th line is marked
    struct Mark {
        std::size_t byte;
        std::size_t unit;
    };
    static Line LineFrom(std::string_view text, std::size_t number, std::size_t start);
    // The last mark at or before a place, counted in the mark's field.
    std::size_t MarkBefore(std::size_t place, std::size_t Mark::*field) const;
    Line Marked(std::string_view text, std::size_t mark) const;

    std::vector<Mark> marks_;
    std::size_t lines_ = 1;
    std::size_t units_ = 0;
    std::size_t widest_ = 0;
};

}  // namespace verrimo
