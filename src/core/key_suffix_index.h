// Which lines hold a given name right before an "=". Every piece of a line that ends at an "="
// and begins after the one before it (or at the line's start) is a key; a name stands before an
// "=" exactly when some key ends with it. The keys are kept reversed and sorted, so the keys
// ending with a name are one prefix range, found by binary search.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace verrimo {

class KeySuffixIndex {
  public:
    KeySuffixIndex() = default;
    // Lines of fewer than 2^32 bytes in all.
    explicit KeySuffixIndex(const std::vector<std::string_view>& lines);

    // The positions of the lines holding name followed by "=", ascending and each once. name
    // must be non-empty and hold no "=".
    std::vector<std::uint32_t> linesWithKey(std::string_view name) const;

  private:
    struct Key {
        // The first sixteen bytes of the reversed key, zero-padded, so that most comparisons
        // need not read reversed_.
        std::uint64_t head;
        std::uint64_t tail;
        std::uint32_t offset;  // into reversed_
        std::uint32_t size;
        std::uint32_t line;
    };

    std::string_view reversedKey(const Key& key) const {
        return std::string_view(reversed_).substr(key.offset, key.size);
    }
    bool before(const Key& a, const Key& b) const;
    // Writes the line's keys into reversed_ from used on; returns the new end.
    std::size_t addKeys(std::string_view line, std::uint32_t id, std::size_t used);

    std::string reversed_;   // the keys of all lines, each reversed, one after the other
    std::vector<Key> keys_;  // sorted by reversed key
};

}  // namespace verrimo
