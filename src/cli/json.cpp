#include "json.h"

namespace verrimo {

void JsonWriter::beforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!empty_.empty()) {
        if (!empty_.back()) out_ += ',';
        empty_.back() = false;
    }
}

void JsonWriter::beginObject() {
    beforeValue();
    out_ += '{';
    empty_.push_back(true);
}

void JsonWriter::endObject() {
    out_ += '}';
    empty_.pop_back();
}

void JsonWriter::beginArray() {
    beforeValue();
    out_ += '[';
    empty_.push_back(true);
}

void JsonWriter::endArray() {
    out_ += ']';
    empty_.pop_back();
}

void JsonWriter::key(std::string_view utf8) {
    beforeValue();
    quoted(utf8);
    out_ += ':';
    afterKey_ = true;
}

void JsonWriter::string(std::string_view utf8) {
    beforeValue();
    quoted(utf8);
}

void JsonWriter::stringArray(const std::vector<std::string>& utf8) {
    beginArray();
    for (const auto& s : utf8) string(s);
    endArray();
}

void JsonWriter::number(std::int64_t value) {
    beforeValue();
    out_ += std::to_string(value);
}

void JsonWriter::boolean(bool value) {
    beforeValue();
    out_ += value ? "true" : "false";
}

void JsonWriter::null() {
    beforeValue();
    out_ += "null";
}

void JsonWriter::quoted(std::string_view utf8) {
    static constexpr char kHex[] = "0123456789abcdef";
    out_ += '"';
    for (const char c : utf8) {
        const auto b = static_cast<unsigned char>(c);
        switch (c) {
            case '"':
                out_ += "\\\"";
                break;
            case '\\':
                out_ += "\\\\";
                break;
            case '\b':
                out_ += "\\b";
                break;
            case '\f':
                out_ += "\\f";
                break;
            case '\n':
                out_ += "\\n";
                break;
            case '\r':
                out_ += "\\r";
                break;
            case '\t':
                out_ += "\\t";
                break;
            default:
                if (b < 0x20) {
                    out_ += "\\u00";
                    out_ += kHex[b >> 4];
                    out_ += kHex[b & 0xF];
                } else {
                    out_ += c;
                }
        }
    }
    out_ += '"';
}

}  // namespace verrimo
