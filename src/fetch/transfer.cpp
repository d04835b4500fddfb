#include "transfer.h"

#include <algorithm>
#include <string_view>

namespace verrimo {
namespace {

std::size_t onBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto& transfer = *static_cast<Transfer*>(user);
    const std::size_t length = size * count;
    try {
        if (length > 0) transfer.lastByte = Transfer::Clock::now();
        const std::size_t room = transfer.maxBytes - transfer.body.size();
        transfer.body.append(data, std::min(length, room));
        if (length <= room) return length;
        transfer.cut = true;
    } catch (...) {
        transfer.failure = std::current_exception();
    }
    return 0;
}

std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* user) {
    auto& transfer = *static_cast<Transfer*>(user);
    const std::string_view line(data, size * count);
    if (line != "\r\n" && line != "\n") return size * count;
    long status = 0;
    curl_easy_getinfo(transfer.curl, CURLINFO_RESPONSE_CODE, &status);
    if (status >= 200) ++transfer.answers;
    // The body grows in one buffer: room for all of it at once when its size is known, and for
    // the line break that ends it as a page source, which would otherwise move it once more.
    curl_off_t length = -1;
    curl_easy_getinfo(transfer.curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    try {
        if (length > 0)
            transfer.body.reserve(std::min(static_cast<std::size_t>(length), transfer.maxBytes) +
                                  2);
    } catch (...) {
        transfer.failure = std::current_exception();
        return 0;
    }
    return size * count;
}

}  // namespace

void receiveInto(Transfer& transfer) {
    curl_easy_setopt(transfer.curl, CURLOPT_WRITEFUNCTION, &onBody);
    curl_easy_setopt(transfer.curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(transfer.curl, CURLOPT_HEADERFUNCTION, &onHeader);
    curl_easy_setopt(transfer.curl, CURLOPT_HEADERDATA, &transfer);
}

}  // namespace verrimo
