#include "char_converter.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>
#include <unordered_map>

namespace verrimo {

namespace {

// An iconv conversion, closed with its owner.
class Iconv {
  public:
    Iconv(const std::string& to, const std::string& from)
        : cd_(iconv_open(to.c_str(), from.c_str())) {}
    ~Iconv() {
        if (opened()) iconv_close(cd_);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    bool opened() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }

  private:
    iconv_t cd_;
};

class IconvConverter : public CharConverter {
  public:
    explicit IconvConverter(const std::string& name)
        : toUnicode_("UTF-32LE", name), fromUnicode_(name, "UTF-32LE") {
        // An empty name would open the locale's charset, which is no charset's code page.
        if (name.empty() || !toUnicode_.opened() || !fromUnicode_.opened())
            throw std::runtime_error("unknown code page: " + name);
    }

    char32_t read(std::string_view bytes) override {
        iconv(toUnicode_.get(), nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(bytes.data());
        std::size_t inLeft = bytes.size();
        unsigned char buf[16];
        char* out = reinterpret_cast<char*>(buf);
        std::size_t outLeft = sizeof buf;
        if (iconv(toUnicode_.get(), &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1))
            return errno == EINVAL ? kIncomplete : kInvalid;
        if (sizeof buf - outLeft != 4) return kInvalid;
        return buf[0] | buf[1] << 8 | buf[2] << 16 | static_cast<char32_t>(buf[3]) << 24;
    }

    bool write(char32_t c, std::string& out) override {
        auto cached = written_.find(c);
        if (cached == written_.end()) {
            iconv(fromUnicode_.get(), nullptr, nullptr, nullptr, nullptr);
            unsigned char in4[4] = {
                static_cast<unsigned char>(c), static_cast<unsigned char>(c >> 8),
                static_cast<unsigned char>(c >> 16), static_cast<unsigned char>(c >> 24)};
            char* in = reinterpret_cast<char*>(in4);
            std::size_t inLeft = 4;
            char buf[16];
            char* outp = buf;
            std::size_t outLeft = sizeof buf;
            std::string bytes;
            if (iconv(fromUnicode_.get(), &in, &inLeft, &outp, &outLeft) !=
                static_cast<std::size_t>(-1))
                bytes.assign(buf, sizeof buf - outLeft);
            cached = written_.emplace(c, std::move(bytes)).first;
        }
        out += cached->second;
        return !cached->second.empty();
    }

  private:
    Iconv toUnicode_;
    Iconv fromUnicode_;
    std::unordered_map<char32_t, std::string> written_;
};

}  // namespace

std::unique_ptr<CharConverter> iconvConverter(const std::string& name) {
    return std::make_unique<IconvConverter>(name);
}

}  // namespace verrimo
