// Memory of the HAR reader on a file with one huge string: a page, then an image whose base64
// text is 1 GiB (or the MiB given as the first argument), then a form's post. The file is made
// as it is read, so that only the reader holds memory; the peak resident size is reported with
// its ratio to the string's size. Run by hand: har_bench [MiB].
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <istream>
#include <streambuf>
#include <string>

#include "har.h"

namespace {

// The file's bytes: head, then `size` base64 digits, then tail, in chunks.
class GeneratedHar : public std::streambuf {
  public:
    GeneratedHar(std::string head, std::size_t size, std::string tail)
        : head_(std::move(head)), tail_(std::move(tail)), size_(size), chunk_(1 << 16, 'Q') {}

  protected:
    int_type underflow() override {
        if (part_ == 0) {
            part_ = 1;
            return give(head_.data(), head_.size());
        }
        if (part_ == 1 && given_ < size_) {
            const std::size_t n = std::min(chunk_.size(), size_ - given_);
            given_ += n;
            return give(chunk_.data(), n);
        }
        if (part_ == 1) {
            part_ = 2;
            return give(tail_.data(), tail_.size());
        }
        return traits_type::eof();
    }

  private:
    int_type give(char* data, std::size_t n) {
        setg(data, data, data + n);
        return traits_type::to_int_type(*data);
    }

    std::string head_, tail_;
    std::size_t size_;
    std::string chunk_;
    int part_ = 0;
    std::size_t given_ = 0;
};

long peakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t mib = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1024;
    const std::size_t size = mib << 20;
    const std::string page =
        R"({"_resourceType":"document","request":{"method":"GET","url":"http://h/f.html",)"
        R"("headers":[]},"response":{"status":200,"content":{"mimeType":"text/html",)"
        R"("text":"<form action=in method=post><input name=a></form>"}}})";
    const std::string head =
        R"({"log":{"version":"1.2","entries":[)" + page +
        R"(,{"request":{"method":"GET","url":"http://h/big.png","headers":[]},)"
        R"("response":{"status":200,"content":{"mimeType":"image/png",)"
        R"("encoding":"base64","text":")";
    const std::string tail =
        R"("}}},{"_resourceType":"document","request":{"method":"POST","url":"http://h/in",)"
        R"("headers":[],"postData":{"mimeType":"application/x-www-form-urlencoded",)"
        R"("text":"a=1"}},"response":{"status":200,"content":{"mimeType":"text/html"}}}]}})";
    const long before = peakKiB();
    GeneratedHar file(head, size, tail);
    std::istream in(&file);
    const verrimo::Har har = verrimo::readHar(in);
    const long peak = peakKiB();
    std::printf(
        "string %zu MiB, %zu entries, %zu documents: peak resident %.1f MB (%.1f MB "
        "before reading), %.4f of the string\n",
        mib, har.entries, har.documents.size(), peak / 1024.0, before / 1024.0,
        static_cast<double>(peak) * 1024 / static_cast<double>(size));
    return har.documents.size() == 2 && peak < 100 * 1024 ? 0 : 1;
}
