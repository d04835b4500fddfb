// A secret kept between its uses xor'ed with a random pad, so that its plain bytes are in memory
// only while a use runs.
#pragma once

#include <string>

namespace verrimo {

class SealedText {
  public:
    SealedText() = default;
    // Seals plain, which is wiped.
    explicit SealedText(std::string& plain);
    SealedText(const SealedText&) = default;
    SealedText& operator=(const SealedText&) = default;
    ~SealedText();

    bool empty() const { return sealed_.empty(); }
    // The plain bytes, which the caller wipes once used.
    std::string open() const;

  private:
    std::string pad_;
    std::string sealed_;
};

}  // namespace verrimo
