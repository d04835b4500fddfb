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
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
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
