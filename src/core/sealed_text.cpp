#include "sealed_text.h"

#include <random>

#include "wipe_text.h"

namespace verrimo {

SealedText::SealedText(std::string& plain) : pad_(plain.size(), '\0'), sealed_(plain) {
    std::random_device random;
    for (std::size_t i = 0; i < plain.size(); ++i) {
        pad_[i] = static_cast<char>(random());
        sealed_[i] = static_cast<char>(sealed_[i] ^ pad_[i]);
    }
    wipeText(plain);
}

SealedText::~SealedText() {
    wipeText(pad_);
    wipeText(sealed_);
}

std::string SealedText::open() const {
    std::string plain(sealed_.size(), '\0');
    for (std::size_t i = 0; i < plain.size(); ++i)
        plain[i] = static_cast<char>(sealed_[i] ^ pad_[i]);
    return plain;
}

}  // namespace verrimo
