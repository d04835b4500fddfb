// Byte strings of every value, repeatable from a seed, for round-trip tests.
#pragma once

#include <cstddef>
#include <random>
#include <string>

namespace verrimo::test {

inline std::string randomBytes(std::size_t size, unsigned seed) {
    std::mt19937 gen(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string s(size, '\0');
    for (auto& c : s) c = static_cast<char>(byte(gen));
    return s;
}

}  // namespace verrimo::test
