#include "unified_diff.h"

#include <algorithm>
#include <optional>
#include <span>
#include <vector>

namespace verrimo::cli {

namespace {

// The lines of a text, each with its line break (CR LF, LF or CR) when it has one.
std::vector<std::string_view> linesWithBreaks(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        lines.push_back(text.substr(start, i + 1 - start));
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

enum class Op : char { Keep = ' ', Remove = '-', Add = '+' };

// The shortest edit script (Myers): the ops that turn a into b, in order; none when it takes
// more than maxChanges. The work and the memory grow with the lines times the changes.
std::optional<std::vector<Op>> shortestScript(std::span<const std::string_view> a,
                                              std::span<const std::string_view> b,
                                              std::ptrdiff_t maxChanges) {
    const auto n = static_cast<std::ptrdiff_t>(a.size());
    const auto m = static_cast<std::ptrdiff_t>(b.size());
    const std::ptrdiff_t max = n + m;
    std::vector<std::ptrdiff_t> v(2 * max + 2, 0);
    std::vector<std::vector<std::ptrdiff_t>> trace;
    const auto at = [&](std::ptrdiff_t k) -> std::ptrdiff_t& { return v[k + max + 1]; };
    for (std::ptrdiff_t d = 0; d <= std::min(max, maxChanges); ++d) {
        // Only the diagonals that step d can have reached: its memory grows with d, not n + m.
        trace.emplace_back(v.begin() + (max + 1 - d), v.begin() + (max + 2 + d));
        for (std::ptrdiff_t k = -d; k <= d; k += 2) {
            std::ptrdiff_t x =
                k == -d || (k != d && at(k - 1) < at(k + 1)) ? at(k + 1) : at(k - 1) + 1;
            std::ptrdiff_t y = x - k;
            while (x < n && y < m && a[x] == b[y]) ++x, ++y;
            at(k) = x;
            if (x >= n && y >= m) {
                std::vector<Op> ops;
                for (std::ptrdiff_t e = d; e > 0; --e) {
                    const std::vector<std::ptrdiff_t>& p = trace[e];
                    const auto prev = [&](std::ptrdiff_t kk) { return p[kk + e]; };
                    const std::ptrdiff_t kk = x - y;
                    const bool down = kk == -e || (kk != e && prev(kk - 1) < prev(kk + 1));
                    const std::ptrdiff_t pk = down ? kk + 1 : kk - 1;
                    const std::ptrdiff_t px = prev(pk);
                    const std::ptrdiff_t py = px - pk;
                    while (x > px && y > py) ops.push_back(Op::Keep), --x, --y;
                    ops.push_back(down ? Op::Add : Op::Remove);
                    x = px, y = py;
                }
                while (x > 0 && y > 0) ops.push_back(Op::Keep), --x, --y;
                std::reverse(ops.begin(), ops.end());
                return ops;
            }
        }
    }
    return std::nullopt;
}

// The ops that turn a into b: the lines both begin and end with kept, the rest by the shortest
// script, or, when that takes too many changes, all removed and all added.
std::vector<Op> editScript(const std::vector<std::string_view>& a,
                           const std::vector<std::string_view>& b) {
    constexpr std::ptrdiff_t kMostChanges = 2000;
    std::size_t head = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head]) ++head;
    std::size_t tail = 0;
    while (tail < a.size() - head && tail < b.size() - head &&
           a[a.size() - 1 - tail] == b[b.size() - 1 - tail])
        ++tail;
    const std::span<const std::string_view> am(a.data() + head, a.size() - head - tail);
    const std::span<const std::string_view> bm(b.data() + head, b.size() - head - tail);
    std::vector<Op> ops(head, Op::Keep);
    if (const auto middle = shortestScript(am, bm, kMostChanges)) {
        ops.insert(ops.end(), middle->begin(), middle->end());
    } else {
        ops.insert(ops.end(), am.size(), Op::Remove);
        ops.insert(ops.end(), bm.size(), Op::Add);
    }
    ops.insert(ops.end(), tail, Op::Keep);
    return ops;
}

void writeLine(std::string& out, char op, std::string_view line) {
    out += op;
    out += line;
    if (line.empty() || (line.back() != '\n' && line.back() != '\r'))
        out += "\n\\ No newline at end of file\n";
}

}  // namespace

std::string unifiedDiff(std::string_view path, std::string_view before, std::string_view after) {
    constexpr std::size_t kContext = 3;
    const std::vector<std::string_view> a = linesWithBreaks(before);
    const std::vector<std::string_view> b = linesWithBreaks(after);
    const std::vector<Op> ops = editScript(a, b);
    // Where each op stands in a and in b.
    std::vector<std::size_t> ai(ops.size() + 1), bi(ops.size() + 1);
    for (std::size_t i = 0; i < ops.size(); ++i) {
        ai[i + 1] = ai[i] + (ops[i] != Op::Add);
        bi[i + 1] = bi[i] + (ops[i] != Op::Remove);
    }
    std::string out;
    for (std::size_t i = 0; i < ops.size();) {
        if (ops[i] == Op::Keep) {
            ++i;
            continue;
        }
        // A hunk: from kContext before this change to kContext after the last change that lies
        // within twice the context of the one before it.
        const std::size_t begin = i - std::min(i, kContext);
        std::size_t end = i;
        for (std::size_t keeps = 0; end < ops.size() && keeps <= 2 * kContext; ++end)
            keeps = ops[end] == Op::Keep ? keeps + 1 : 0;
        std::size_t last = end;
        while (last > i && ops[last - 1] == Op::Keep) --last;
        end = std::min(ops.size(), last + kContext);
        if (out.empty()) out = "--- " + std::string(path) + "\n+++ " + std::string(path) + "\n";
        const std::size_t aCount = ai[end] - ai[begin], bCount = bi[end] - bi[begin];
        out += "@@ -" + std::to_string(ai[begin] + (aCount ? 1 : 0)) + "," +
               std::to_string(aCount) + " +" + std::to_string(bi[begin] + (bCount ? 1 : 0)) + "," +
               std::to_string(bCount) + " @@\n";
        for (std::size_t j = begin; j < end; ++j)
            writeLine(out, static_cast<char>(ops[j]), ops[j] == Op::Add ? b[bi[j]] : a[ai[j]]);
        i = end;
    }
    return out;
}

}  // namespace verrimo::cli
