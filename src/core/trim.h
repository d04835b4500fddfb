// Trimming: every leading and trailing byte with a code from 0 to 32 goes; a full-width space,
// being two other bytes, stays.
#pragma once

#include <string_view>

namespace verrimo {

inline std::string_view trimmed(std::string_view s) {
    std::size_t begin = 0;
    std::size_t end = s.size();
    while (begin < end && static_cast<unsigned char>(s[begin]) <= 32) ++begin;
    while (end > begin && static_cast<unsigned char>(s[end - 1]) <= 32) --end;
    return s.substr(begin, end - begin);
}

}  // namespace verrimo
