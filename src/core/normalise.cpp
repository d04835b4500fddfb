#include "normalise.h"

#include "case_rewrites.h"
#include "replace_text.h"

namespace verrimo {

namespace {

// The line as head (through the =), a double quote, and the rest with its closing quote put
// before its first space, or before its first > when it has no space.
std::string quoteRest(std::string_view line, std::size_t restStart, const CodePage& cp) {
    const std::string_view rest = line.substr(restStart);
    // The test for a space is a plain byte search; the replacement walks by characters.
    const std::string changed = rest.find(' ') == std::string_view::npos
                                    ? replaceText(rest, ">", "\">", Replace::First, cp)
                                    : replaceText(rest, " ", "\" ", Replace::First, cp);
    std::string out;
    out.reserve(line.size() + 2);
    out.append(line.substr(0, restStart));
    out += '"';
    out += changed;
    return out;
}

// Any name=" on the line counts as quoted, even in another tag than the first name=.
std::string quoteName(std::string line, const CodePage& cp) {
    if (line.find("name=\"") != std::string::npos) return line;
    const auto at = line.find("name=");
    if (at == std::string::npos) return line;
    return quoteRest(line, at + 5, cp);
}

// Only the character after the first value= decides whether it is quoted.
std::string quoteValue(std::string line, const CodePage& cp) {
    const auto at = line.find("value=");
    if (at == std::string::npos) return line;
    const std::size_t restStart = at + 6;
    if (restStart < line.size() && line[restStart] == '"') return line;
    return quoteRest(line, restStart, cp);
}

}  // namespace

std::string normalise(std::string_view pageSource, const CodePage& cp) {
    const std::string rewritten = applyCaseRewrites(pageSource, cp);
    std::string out;
    out.reserve(rewritten.size() + rewritten.size() / 16);
    // Every line of the rewritten text ends with CR LF and holds no other line break.
    for (std::size_t from = 0; from < rewritten.size();) {
        const std::size_t end = rewritten.find('\r', from);
        out += quoteValue(quoteName(rewritten.substr(from, end - from), cp), cp);
        out += "\r\n";
        from = end + 2;
    }
    return out;
}

}  // namespace verrimo
