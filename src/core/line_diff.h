// The lines two texts differ in, as hunks that can be taken one by one: so that a proposed text
// can be accepted change by change.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace verrimo {

// The text's lines, each with its own line break (the last one may have none); joined again
// they are the text.
std::vector<std::string_view> linePieces(std::string_view text);

// Lines [fromBegin, fromEnd) of the old text become lines [toBegin, toEnd) of the new one.
struct LineHunk {
    std::size_t fromBegin = 0, fromEnd = 0;
    std::size_t toBegin = 0, toEnd = 0;
    bool operator==(const LineHunk&) const = default;
};

// The fewest lines removed and added that make `to` of `from`, in order, neighbours merged;
// time grows with the lines times the lines that differ.
std::vector<LineHunk> diffLines(std::span<const std::string_view> from,
                                std::span<const std::string_view> to);

// `from` with the hunks whose `take` is set made as in `to`, the others left as they were.
std::string applyHunks(std::span<const std::string_view> from, std::span<const std::string_view> to,
                       std::span<const LineHunk> hunks, const std::vector<bool>& take);

// Whether a definition line of the old text and one of the new are the same line rewritten: the
// same key, the same value, or the value naming the new key where it named the old one.
bool sameLineRewritten(std::string_view from, std::string_view to);

// The hunks cut finer where old and new lines pair up as the same line rewritten (in order): each
// such pair a hunk of its own, the lines between them hunks of their own; so that a line renamed
// beside a line added can be taken without it.
std::vector<LineHunk> pairLines(std::span<const std::string_view> from,
                                std::span<const std::string_view> to,
                                std::span<const LineHunk> hunks);

// For each of the old text's lines given, the hunk that concerns it: the one whose old lines hold
// it, else the one that adds lines right after it; none when no hunk does.
std::vector<std::optional<std::size_t>> hunksOfLines(std::span<const LineHunk> hunks,
                                                     std::span<const std::size_t> lines);

}  // namespace verrimo
