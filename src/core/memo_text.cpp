#include "memo_text.h"

namespace verrimo {

std::string lineAddition(std::string_view tail, std::string_view line) {
    const bool atLineStart = tail.empty() || tail.back() == '\n' || tail.back() == '\r';
    std::string added;
    added.reserve(line.size() + 2);
    if (atLineStart) {
        added.append(line).append("\r\n");
    } else {
        added.append("\r\n").append(line);
    }
    return added;
}

void addLine(std::string& text, std::string_view line) {
    text += lineAddition(text, line);
}

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    forEachLine(text, [&](std::string_view line) { lines.push_back(line); });
    return lines;
}

std::string crLfLines(std::string_view text) {
    std::size_t size = 0;
    forEachLine(text, [&](std::string_view line) { size += line.size() + 2; });
    std::string joined;
    joined.reserve(size);
    forEachLine(text, [&](std::string_view line) { appendLine(joined, line); });
    return joined;
}

std::string fileText(std::string_view text) {
    std::string file;
    file.reserve(text.size());
    bool first = true;
    for (const auto line : splitLines(text)) {
        if (!first) file += "\r\n";
        file += line;
        first = false;
    }
    return file;
}

}  // namespace verrimo
