// Overwriting a secret before its memory goes back.
#pragma once

#include <string.h>

#include <string>
#include <utility>

namespace verrimo {

// Zeroes every byte of the text, then empties it.
inline void wipeText(std::string& text) {
    // Written through volatile, so that the stores are not dropped as dead ones.
    volatile char* byte = text.data();
    for (std::size_t i = 0; i < text.size(); ++i) byte[i] = '\0';
    text.clear();
}

// Zeroes the stack below the caller, where the frames of the calls that handled a secret were:
// a short string keeps its bytes there, not on the heap.
[[gnu::noinline]] inline void wipeStackBelow() {
    char area[256 * 1024];
    explicit_bzero(area, sizeof area);
}

// Runs the wipe when the scope ends, however it ends: also when a callback throws.
template <typename Wipe>
class WipeAtEnd {
  public:
    explicit WipeAtEnd(Wipe wipe) : wipe_(std::move(wipe)) {}
    ~WipeAtEnd() { wipe_(); }
    WipeAtEnd(const WipeAtEnd&) = delete;
    WipeAtEnd& operator=(const WipeAtEnd&) = delete;

  private:
    Wipe wipe_;
};

}  // namespace verrimo
