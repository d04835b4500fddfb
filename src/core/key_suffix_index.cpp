#include "key_suffix_index.h"

#include <algorithm>

namespace verrimo {

namespace {

constexpr std::size_t kWord = 8;

// Eight bytes from start, big-endian so that comparing words compares the bytes in order; bytes
// past the end count as zero, which never puts a text after a longer one it begins.
std::uint64_t wordAt(std::string_view text, std::size_t start) {
    std::uint64_t word = 0;
    for (std::size_t i = start; i < start + kWord; ++i)
        word = word << 8 | (i < text.size() ? static_cast<unsigned char>(text[i]) : 0u);
    return word;
}

}  // namespace

KeySuffixIndex::KeySuffixIndex(const std::vector<std::string_view>& lines) {
    // Room for every key at once: a key ends at each "=".
    std::size_t bytes = 0;
    std::size_t marks = 0;
    for (const std::string_view line : lines) {
        bytes += line.size();
        marks += static_cast<std::size_t>(std::count(line.begin(), line.end(), '='));
    }
    reversed_.resize(bytes);
    keys_.reserve(marks);
    std::size_t used = 0;
    for (std::size_t id = 0; id < lines.size(); ++id)
        used = addKeys(lines[id], static_cast<std::uint32_t>(id), used);
    reversed_.resize(used);
    std::sort(keys_.begin(), keys_.end(),
              [this](const Key& a, const Key& b) { return before(a, b); });
}

bool KeySuffixIndex::before(const Key& a, const Key& b) const {
    if (a.head != b.head) return a.head < b.head;
    if (a.tail != b.tail) return a.tail < b.tail;
    // Equal first sixteen bytes: a key that short is the other's beginning.
    if (a.size <= 2 * kWord || b.size <= 2 * kWord) return a.size < b.size;
    return reversedKey(a).substr(2 * kWord) < reversedKey(b).substr(2 * kWord);
}

std::size_t KeySuffixIndex::addKeys(std::string_view line, std::uint32_t id, std::size_t used) {
    std::size_t start = 0;
    for (std::size_t eq = line.find('='); eq != std::string_view::npos;
         start = eq + 1, eq = line.find('=', start)) {
        // An empty key ends with no name that can be looked up.
        if (eq == start) continue;
        std::reverse_copy(line.begin() + start, line.begin() + eq, reversed_.begin() + used);
        const std::string_view key = std::string_view(reversed_).substr(used, eq - start);
        keys_.push_back({wordAt(key, 0), wordAt(key, kWord), static_cast<std::uint32_t>(used),
                         static_cast<std::uint32_t>(key.size()), id});
        used += key.size();
    }
    return used;
}

std::vector<std::uint32_t> KeySuffixIndex::linesWithKey(std::string_view name) const {
    const std::string reversedName(name.rbegin(), name.rend());
    const auto first = std::lower_bound(
        keys_.begin(), keys_.end(), reversedName,
        [this](const Key& key, const std::string& value) { return reversedKey(key) < value; });
    const auto last = std::partition_point(first, keys_.end(), [&](const Key& key) {
        return reversedKey(key).starts_with(reversedName);
    });
    std::vector<std::uint32_t> lines;
    lines.reserve(static_cast<std::size_t>(last - first));
    for (auto key = first; key != last; ++key) lines.push_back(key->line);
    std::sort(lines.begin(), lines.end());
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    return lines;
}

}  // namespace verrimo
