// Standard output through one buffer, with every failed write noticed.
#pragma once

#include <cstring>
#include <memory>
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
    explicit Output(int fd) : fd_(fd), data_(new char[kSize]), capacity_(kSize) {}
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    void write(std::string_view bytes) {
        char* at = room(bytes.size());
        std::memcpy(at, bytes.data(), bytes.size());
        commit(at + bytes.size());
    }
    void put(char c) {
        char* at = room(1);
        *at = c;
        commit(at + 1);
    }
    // Where to write at least n more bytes; commit(end) then keeps what was written before end.
    char* room(std::size_t n) {
        if (capacity_ - size_ < n) makeRoom(n);
        return data_.get() + size_;
    }
    void commit(const char* end) { size_ = static_cast<std::size_t>(end - data_.get()); }

    // Writes out what the buffer holds; throws WriteError or OutputClosed.
    void flush();

  private:
    static constexpr std::size_t kSize = 1 << 16;

    // Writes the buffer out, and makes it bigger when n bytes would still not fit.
    void makeRoom(std::size_t n);

    int fd_;
    std::unique_ptr<char[]> data_;
    std::size_t capacity_;
    std::size_t size_ = 0;
};

}  // namespace verrimo::cli
