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

// Where the rest after an unquoted name= begins; npos when there is none. Any name=" on the line
// counts as quoted, even in another tag than the first name=.
std::size_t unquotedName(std::string_view line) {
    if (line.find("name=\"") != std::string_view::npos) return std::string_view::npos;
    const auto at = line.find("name=");
    return at == std::string_view::npos ? at : at + 5;
}

// The same for value=; only the character after the first value= decides whether it is quoted.
std::size_t unquotedValue(std::string_view line) {
    const auto at = line.find("value=");
    if (at == std::string_view::npos) return at;
    const std::size_t restStart = at + 6;
    if (restStart < line.size() && line[restStart] == '"') return std::string_view::npos;
    return restStart;
}

void appendValueQuoted(std::string& out, std::string_view line, const CodePage& cp) {
    const std::size_t rest = unquotedValue(line);
    if (rest == std::string_view::npos)
        out += line;
    else
        out += quoteRest(line, rest, cp);
}

}  // namespace

std::string normalise(std::string_view pageSource, const CodePage& cp) {
    return quoteNamesAndValues(applyCaseRewrites(pageSource, cp), cp);
}

std::string quoteNamesAndValues(std::string_view rewritten, const CodePage& cp) {
    std::string out;
    out.reserve(rewritten.size() + rewritten.size() / 16);
    // Every line of the rewritten text ends with CR LF and holds no other line break.
    for (std::size_t from = 0; from < rewritten.size();) {
        const std::size_t end = rewritten.find('\r', from);
        const std::string_view line = rewritten.substr(from, end - from);
        const std::size_t nameRest = unquotedName(line);
        if (nameRest == std::string_view::npos)
            appendValueQuoted(out, line, cp);
        else
            appendValueQuoted(out, quoteRest(line, nameRest, cp), cp);
        out += "\r\n";
        from = end + 2;
    }
    return out;
}

}  // namespace verrimo
