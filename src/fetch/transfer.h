// What one download gathers while libcurl runs it: the body, the answers and how it stopped.
#pragma once

#include <curl/curl.h>

#include <chrono>
#include <cstddef>
#include <exception>
#include <string>

namespace verrimo {

struct Transfer {
    using Clock = std::chrono::steady_clock;

    Transfer(CURL* curl, std::size_t maxBytes) : curl(curl), maxBytes(maxBytes) {}

    CURL* curl;
    std::size_t maxBytes;
    std::string body;
    Clock::time_point lastByte;  // of the body; the start of the transfer before the first
    long answers = 0;            // final (not 1xx) answers whose headers ended, redirects included
    bool cut = false;            // the body reached maxBytes and the rest was refused
    std::exception_ptr failure;  // thrown in a callback; must not cross libcurl
};

// Has the transfer's handle write the body and report the headers into transfer.
void receiveInto(Transfer& transfer);

}  // namespace verrimo
