// Texts held by a multi-line text control: lines separated by CR LF.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "byte_search.h"

namespace verrimo {

// Appends line S: after the text when it is empty or ends with a line break, S and CR LF;
// otherwise CR LF and S.
void addLine(std::string& text, std::string_view line);
// What addLine appends to a text that ends with tail.
std::string lineAddition(std::string_view tail, std::string_view line);

// The lines of a text: CR LF, a lone CR and a lone LF each end a line; a line break at the very
// end adds no empty line. The views point into text.
std::vector<std::string_view> splitLines(std::string_view text);
// The first CR or LF at or after from; npos when there is none. Eight bytes at a time.
inline std::size_t findLineBreak(std::string_view text, std::size_t from) {
    std::size_t i = from;
    for (; i + 8 <= text.size(); i += 8) {
        const std::uint64_t word = loadWord(text.data() + i);
        if ((zeroBytes(word ^ (kOnes * '\r')) | zeroBytes(word ^ (kOnes * '\n'))) != 0) break;
    }
    for (; i < text.size(); ++i)
        if (text[i] == '\r' || text[i] == '\n') return i;
    return std::string_view::npos;
}

// The same lines handed to visit one by one, without gathering them.
template <typename Visit>
void forEachLine(std::string_view text, Visit visit) {
    std::size_t start = 0;
    for (std::size_t i = findLineBreak(text, 0); i != std::string_view::npos;
         i = findLineBreak(text, start)) {
        visit(text.substr(start, i - start));
        start = i + (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1);
    }
    if (start < text.size()) visit(text.substr(start));
}

// Appends the line and CR LF.
inline void appendLine(std::string& text, std::string_view line) {
    text += line;
    // Two pushes stay inline, where an append of two bytes calls memcpy.
    text.push_back('\r');
    text.push_back('\n');
}

// The whole text of a list of lines: each line followed by CR LF.
template <typename Lines>
std::string joinLines(const Lines& lines) {
    std::string text;
    std::size_t size = 0;
    for (const auto& line : lines) size += std::string_view(line).size() + 2;
    text.reserve(size);
    for (const auto& line : lines) appendLine(text, line);
    return text;
}

// joinLines(splitLines(text)), without the list of lines in between.
std::string crLfLines(std::string_view text);

// The text as a file holds it: the lines with CR LF between them and nothing after the last,
// so that a text of one empty line is an empty file.
std::string fileText(std::string_view text);

}  // namespace verrimo
