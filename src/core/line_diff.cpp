#include "line_diff.h"

#include <algorithm>
#include <utility>

namespace verrimo {

std::vector<std::string_view> linePieces(std::string_view text) {
    std::vector<std::string_view> pieces;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::size_t length = end == std::string_view::npos ? text.size() : end + 1;
        pieces.push_back(text.substr(0, length));
        text.remove_prefix(length);
    }
    return pieces;
}

std::vector<LineHunk> diffLines(std::span<const std::string_view> from,
                                std::span<const std::string_view> to) {
    // Myers' greedy search for the shortest edit script, keeping each round's furthest reaches
    // to walk the path back: time and memory grow with the lines times the edits at most.
    const auto n = static_cast<std::ptrdiff_t>(from.size());
    const auto m = static_cast<std::ptrdiff_t>(to.size());
    const std::ptrdiff_t offset = n + m + 1;
    std::vector<std::ptrdiff_t> reach(static_cast<std::size_t>(2 * offset + 1), 0);
    std::vector<std::vector<std::ptrdiff_t>> rounds;
    const auto at = [offset](std::ptrdiff_t k) { return static_cast<std::size_t>(k + offset); };
    bool found = false;
    for (std::ptrdiff_t d = 0; d <= n + m && !found; ++d) {
        for (std::ptrdiff_t k = -d; k <= d; k += 2) {
            std::ptrdiff_t x = (k == -d || (k != d && reach[at(k - 1)] < reach[at(k + 1)]))
                                   ? reach[at(k + 1)]
                                   : reach[at(k - 1)] + 1;
            std::ptrdiff_t y = x - k;
            while (x < n && y < m &&
                   from[static_cast<std::size_t>(x)] == to[static_cast<std::size_t>(y)])
                ++x, ++y;
            reach[at(k)] = x;
            if (x >= n && y >= m) found = true;
        }
        // Only the diagonals this round reached, -d to d.
        rounds.emplace_back(reach.begin() + static_cast<std::ptrdiff_t>(at(-d)),
                            reach.begin() + static_cast<std::ptrdiff_t>(at(d)) + 1);
    }
    // Back from the end: each round one line removed or added, then the lines both share.
    std::vector<std::pair<bool, std::ptrdiff_t>> edits;  // (removed, line), last first
    std::ptrdiff_t x = n, y = m;
    for (auto d = static_cast<std::ptrdiff_t>(rounds.size()) - 1; d > 0; --d) {
        const std::vector<std::ptrdiff_t>& round = rounds[static_cast<std::size_t>(d - 1)];
        const auto before = [&round, d](std::ptrdiff_t k) {
            return round[static_cast<std::size_t>(k + d - 1)];
        };
        const std::ptrdiff_t k = x - y;
        const bool down = k == -d || (k != d && before(k - 1) < before(k + 1));
        const std::ptrdiff_t previousK = down ? k + 1 : k - 1;
        const std::ptrdiff_t previousX = before(previousK);
        const std::ptrdiff_t previousY = previousX - previousK;
        x = down ? previousX : previousX + 1;
        y = down ? previousY + 1 : previousY;
        edits.emplace_back(!down, down ? y - 1 : x - 1);
        x = previousX;
        y = previousY;
    }
    std::reverse(edits.begin(), edits.end());
    // The edits in order, those that touch merged into hunks.
    std::vector<LineHunk> hunks;
    x = 0;
    y = 0;
    for (const auto& [removed, line] : edits) {
        // Lines both share up to this edit.
        const std::ptrdiff_t shared = removed ? line - x : line - y;
        const bool joins = !hunks.empty() && shared == 0;
        x += shared;
        y += shared;
        if (!joins)
            hunks.push_back({std::size_t(x), std::size_t(x), std::size_t(y), std::size_t(y)});
        if (removed)
            hunks.back().fromEnd = std::size_t(++x);
        else
            hunks.back().toEnd = std::size_t(++y);
    }
    return hunks;
}

std::string applyHunks(std::span<const std::string_view> from, std::span<const std::string_view> to,
                       std::span<const LineHunk> hunks, const std::vector<bool>& take) {
    std::string text;
    std::size_t line = 0;
    for (std::size_t h = 0; h < hunks.size(); ++h) {
        for (; line < hunks[h].fromBegin; ++line) text += from[line];
        if (h < take.size() && take[h]) {
            for (std::size_t i = hunks[h].toBegin; i < hunks[h].toEnd; ++i) text += to[i];
            line = hunks[h].fromEnd;
        }
    }
    for (; line < from.size(); ++line) text += from[line];
    return text;
}

namespace {

// The line without its line break, cut at its first "=".
std::pair<std::string_view, std::string_view> keyAndValue(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return {line, {}};
    return {line.substr(0, eq), line.substr(eq + 1)};
}

}  // namespace

bool sameLineRewritten(std::string_view from, std::string_view to) {
    const auto [oldKey, oldValue] = keyAndValue(from);
    const auto [newKey, newValue] = keyAndValue(to);
    if (oldKey == newKey || (!oldValue.empty() && oldValue == newValue)) return true;
    std::string named(oldValue);
    if (oldKey.empty()) return false;
    for (std::size_t at = 0; (at = named.find(oldKey, at)) != std::string::npos;
         at += newKey.size())
        named.replace(at, oldKey.size(), newKey);
    return !named.empty() && named == newValue;
}

std::vector<LineHunk> pairLines(std::span<const std::string_view> from,
                                std::span<const std::string_view> to,
                                std::span<const LineHunk> hunks) {
    std::vector<LineHunk> finer;
    const auto add = [&finer](LineHunk h) {
        if (h.fromBegin != h.fromEnd || h.toBegin != h.toEnd) finer.push_back(h);
    };
    for (const LineHunk& h : hunks) {
        std::size_t x = h.fromBegin, y = h.toBegin;  // what is not yet in a finer hunk
        for (std::size_t o = h.fromBegin; o < h.fromEnd; ++o)
            for (std::size_t n = y; n < h.toEnd; ++n)
                if (sameLineRewritten(from[o], to[n])) {
                    add({x, o, y, n});
                    add({o, o + 1, n, n + 1});
                    x = o + 1;
                    y = n + 1;
                    break;
                }
        add({x, h.fromEnd, y, h.toEnd});
    }
    return finer;
}

std::vector<std::optional<std::size_t>> hunksOfLines(std::span<const LineHunk> hunks,
                                                     std::span<const std::size_t> lines) {
    std::vector<std::optional<std::size_t>> found(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::size_t line = lines[i];
        // The hunks are in order: the first that ends past the line.
        const auto h = std::partition_point(
            hunks.begin(), hunks.end(), [line](const LineHunk& k) { return k.fromEnd <= line; });
        if (h == hunks.end()) continue;
        const bool holds = h->fromBegin <= line;
        const bool addsAfter = h->fromBegin == line + 1 && h->toEnd > h->toBegin;
        if (holds || addsAfter) found[i] = static_cast<std::size_t>(h - hunks.begin());
    }
    return found;
}

}  // namespace verrimo
