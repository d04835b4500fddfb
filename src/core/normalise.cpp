#include "normalise.h"

#include <cstring>

#include "case_rewrites.h"
#include "huge_pages.h"
#include "memo_text.h"

namespace verrimo {

namespace {

constexpr std::size_t npos = std::string_view::npos;

// The first c at or after from, walking by characters: a lead byte and the byte after it,
// whatever that is, make one character.
std::size_t findByChars(std::string_view text, std::size_t from, char c, const CodePage& cp) {
    for (std::size_t i = from; i < text.size();) {
        const char b = text[i];
        if (b == c) return i;
        i += cp.isLeadByte(static_cast<unsigned char>(b)) ? 2 : 1;
    }
    return npos;
}

// Quotes the rest of the line that begins at restStart: a double quote there, and its closing
// quote before the rest's first space, or before its first > when it has no space.
void quoteRest(std::string& out, std::size_t restStart, const CodePage& cp) {
    const std::string_view rest = std::string_view(out).substr(restStart);
    // The test for a space is a plain byte search; the closing quote's place is found by
    // characters.
    const std::size_t close =
        rest.find(' ') == npos ? findByChars(rest, 0, '>', cp) : findByChars(rest, 0, ' ', cp);
    if (close != npos) out.insert(restStart + close, 1, '"');
    out.insert(restStart, 1, '"');
}

// Where name= and value= stand on a line, found in one walk over its equals signs.
struct Assignments {
    std::size_t name = npos;   // the first name=
    bool quotedName = false;   // some name=" on the line
    std::size_t value = npos;  // the first value=
};

Assignments assignments(std::string_view line) {
    Assignments a;
    for (const char* eq = static_cast<const char*>(std::memchr(line.data(), '=', line.size())); eq;
         eq = static_cast<const char*>(
             std::memchr(eq + 1, '=', line.size() - (eq + 1 - line.data())))) {
        const std::size_t at = static_cast<std::size_t>(eq - line.data());
        if (at >= 4 && line.compare(at - 4, 4, "name") == 0) {
            if (a.name == npos) a.name = at - 4;
            if (at + 1 < line.size() && line[at + 1] == '"') {
                a.quotedName = true;
                if (a.value != npos) break;
            }
        } else if (a.value == npos && at >= 5 && line.compare(at - 5, 5, "value") == 0) {
            a.value = at - 5;
            if (a.quotedName) break;
        }
    }
    return a;
}

// Quotes the first name= of the line that begins at lineStart when no name=" stands on it, then
// the first value= of what that gives when the character after it is not a double quote.
void quoteNameAndValue(std::string& out, std::size_t lineStart, const CodePage& cp) {
    Assignments a = assignments(std::string_view(out).substr(lineStart));
    if (a.name != npos && !a.quotedName) {
        quoteRest(out, lineStart + a.name + 5, cp);
        // The closing quote may now follow the first value=.
        a.value = std::string_view(out).substr(lineStart).find("value=");
    }
    if (a.value == npos) return;
    const std::size_t rest = lineStart + a.value + 6;
    if (rest < out.size() && out[rest] == '"') return;
    quoteRest(out, rest, cp);
}

}  // namespace

std::string normalise(std::string_view pageSource, const CodePage& cp, LineEnds ends) {
    std::string out;
    out.reserve(pageSource.size() + pageSource.size() / 16 + 2);
    adviseHugePages(out.data(), out.capacity());
    forEachLine(pageSource, [&](std::string_view line) {
        const std::size_t start = out.size();
        out += line;
        rewriteCase(out.data() + start, line.size(), cp);
        quoteNameAndValue(out, start, cp);
        if (ends == LineEnds::CrLf) out += "\r\n";
    });
    return out;
}

}  // namespace verrimo
