#include "json.h"

#include <algorithm>
#include <array>

#include "memo_text.h"

namespace verrimo {

namespace {

// Per byte: the escape JSON needs for it, empty when the byte stands for itself.
const std::array<std::string, 256>& escapes() {
    static const std::array<std::string, 256> table = [] {
        static constexpr char kHex[] = "0123456789abcdef";
        std::array<std::string, 256> t;
        for (int b = 0; b < 0x20; ++b) t[b] = std::string("\\u00") + kHex[b >> 4] + kHex[b & 0xF];
        t['"'] = "\\\"";
        t['\\'] = "\\\\";
        t['\b'] = "\\b";
        t['\f'] = "\\f";
        t['\n'] = "\\n";
        t['\r'] = "\\r";
        t['\t'] = "\\t";
        return t;
    }();
    return table;
}

// Per byte: whether it goes into a JSON string as it is.
const std::array<bool, 256>& plainBytes() {
    static const std::array<bool, 256> table = [] {
        std::array<bool, 256> t;
        for (int b = 0; b < 256; ++b) t[b] = escapes()[b].empty();
        return t;
    }();
    return table;
}

}  // namespace

void JsonWriter::raw(std::string_view text) {
    out_.write(text);
}

void JsonWriter::beforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!empty_.empty()) {
        if (!empty_.back()) out_.put(',');
        empty_.back() = false;
    }
}

void JsonWriter::beginObject() {
    beforeValue();
    out_.put('{');
    empty_.push_back(true);
}

void JsonWriter::endObject() {
    out_.put('}');
    empty_.pop_back();
}

void JsonWriter::beginArray() {
    beforeValue();
    out_.put('[');
    empty_.push_back(true);
}

void JsonWriter::endArray() {
    out_.put(']');
    empty_.pop_back();
}

void JsonWriter::key(std::string_view utf8) {
    beforeValue();
    quoted(utf8);
    out_.put(':');
    afterKey_ = true;
}

void JsonWriter::string(std::string_view utf8) {
    beforeValue();
    quoted(utf8);
}

void JsonWriter::string(std::string_view bytes, const CodePage& cp) {
    // One pass: runs of ASCII that neither the decoding nor the quoting changes are copied as
    // they are, everything else is decoded and escaped on the way.
    if (plainFor_ != &cp) {
        for (int b = 0; b < 256; ++b)
            plain_[b] = plainBytes()[b] && cp.standsForItself(static_cast<unsigned char>(b));
        plainFor_ = &cp;
    }
    beforeValue();
    std::string& out = out_.buffer();
    out += '"';
    for (std::size_t i = 0; i < bytes.size();) {
        std::size_t run = i;
        while (run < bytes.size() && plain_[static_cast<unsigned char>(bytes[run])]) ++run;
        out.append(bytes, i, run - i);
        if (run == bytes.size()) break;
        char32_t c;
        i = run + cp.decodeAt(bytes, run, c);
        if (c < 0x80 && !plainBytes()[c])
            out += escapes()[c];
        else
            CodePage::appendCodePoint(c, out);
    }
    out += '"';
    out_.written();
}

void JsonWriter::lines(std::string_view memoText, const CodePage& cp) {
    beginArray();
    forEachLine(memoText, [&](std::string_view line) { string(line, cp); });
    endArray();
}

void JsonWriter::number(std::int64_t value) {
    beforeValue();
    raw(std::to_string(value));
}

void JsonWriter::boolean(bool value) {
    beforeValue();
    raw(value ? "true" : "false");
}

void JsonWriter::null() {
    beforeValue();
    raw("null");
}

void JsonWriter::quoted(std::string_view utf8) {
    const auto& isPlain = plainBytes();
    std::string& out = out_.buffer();
    out += '"';
    std::size_t plain = 0;  // start of the bytes not yet copied
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (isPlain[b]) continue;
        out.append(utf8, plain, i - plain);
        out += escapes()[b];
        plain = i + 1;
    }
    out.append(utf8, plain);
    out += '"';
    out_.written();
}

}  // namespace verrimo
