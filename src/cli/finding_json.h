// A finding on a definition as one JSON object: {"file","line","column","rule","message"}, the
// file and the column only where they are known.
#pragma once

#include <cstdint>
#include <string_view>

#include "json.h"

namespace verrimo::cli {

struct FindingJson {
    std::string_view file;    // empty: not written
    std::size_t line = 0;     // from 0; written from 1
    std::int64_t column = 0;  // from 1; 0: not written
    std::string_view rule;
    std::string_view message;  // UTF-8
};

inline void writeFinding(JsonWriter& w, const FindingJson& f) {
    w.beginObject();
    if (!f.file.empty()) {
        w.key("file");
        w.string(f.file);
    }
    w.key("line");
    w.number(static_cast<std::int64_t>(f.line + 1));
    if (f.column > 0) {
        w.key("column");
        w.number(f.column);
    }
    w.key("rule");
    w.string(f.rule);
    w.key("message");
    w.string(f.message);
    w.endObject();
}

}  // namespace verrimo::cli
