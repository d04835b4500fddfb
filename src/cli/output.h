// Standard output through one buffer, with every failed write noticed.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace verrimo::cli {

// A write to standard output failed (a full disk, an I/O error); what() names the cause.
struct WriteError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The reader of standard output went away (a closed pipe): the rest is of no use to anyone.
struct OutputClosed : std::exception {};

class Output {
  public:
    explicit Output(int fd) : fd_(fd) { buffer_.reserve(kFlushAt + kFlushAt / 4); }
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    void write(std::string_view bytes) {
        buffer_ += bytes;
        if (buffer_.size() >= kFlushAt) flush();
    }
    void put(char c) {
        buffer_ += c;
        if (buffer_.size() >= kFlushAt) flush();
    }
    // The buffer to append to directly; call written() after.
    std::string& buffer() { return buffer_; }
    void written() {
        if (buffer_.size() >= kFlushAt) flush();
    }

    // Writes out what the buffer holds; throws WriteError or OutputClosed.
    void flush();

  private:
    static constexpr std::size_t kFlushAt = 1 << 16;

    int fd_;
    std::string buffer_;
};

}  // namespace verrimo::cli
