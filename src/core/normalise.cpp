#include "normalise.h"

#include <exception>
#include <thread>

#include "byte_search.h"
#include "case_rewrites.h"
#include "huge_pages.h"
#include "memo_text.h"
#include "replace_text.h"

namespace verrimo {

namespace {

constexpr std::size_t npos = std::string_view::npos;

// Quotes the rest of the line that begins at restStart: a double quote there, and its closing
// quote before the rest's first space, or before its first > when it has no space.
void quoteRest(std::string& out, std::size_t restStart, const CodePage& cp) {
    const std::string_view rest = std::string_view(out).substr(restStart);
    // The test for a space is a plain byte search; the closing quote's place is found by
    // characters.
    const std::size_t close = findText(rest, rest.find(' ') == npos ? ">" : " ", 0, cp);
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
    for (std::size_t at = findByte(line, 0, '='); at != npos; at = findByte(line, at + 1, '=')) {
        if (at >= 4 && holdsAt(line, at - 4, "name")) {
            if (a.name == npos) a.name = at - 4;
            if (at + 1 < line.size() && line[at + 1] == '"') {
                a.quotedName = true;
                if (a.value != npos) break;
            }
        } else if (a.value == npos && at >= 5 && holdsAt(line, at - 5, "value")) {
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

// The lines of pageSource normalised, appended to out.
void normaliseInto(std::string& out, std::string_view pageSource, const CodePage& cp,
                   LineEnds ends) {
    forEachLine(pageSource, [&](std::string_view line) {
        const std::size_t start = out.size();
        out += line;
        rewriteCase(out.data() + start, line.size(), cp);
        quoteNameAndValue(out, start, cp);
        if (ends == LineEnds::CrLf) out += "\r\n";
    });
}

// Room for a normalised text: the quotes it gains seldom come near one byte in sixteen.
std::string textFor(std::size_t sourceSize) {
    std::string text;
    text.reserve(sourceSize + sourceSize / 16 + 2);
    adviseHugePages(text.data(), text.capacity());
    return text;
}

// Where the line that holds byte at ends; text.size() when that line runs to the end.
std::size_t afterLineBreak(std::string_view text, std::size_t at) {
    const std::size_t br = findLineBreak(text, at);
    if (br == std::string_view::npos) return text.size();
    return br + (text[br] == '\r' && br + 1 < text.size() && text[br + 1] == '\n' ? 2 : 1);
}

// Below this a second thread costs more than it saves.
constexpr std::size_t kHalvesFrom = std::size_t{4} << 20;

}  // namespace

std::string normalise(std::string_view pageSource, const CodePage& cp, LineEnds ends) {
    std::string out = textFor(pageSource.size());
    // Lines are normalised each on its own, so a big page is done in two halves at once, cut
    // after a line break.
    const std::size_t half =
        pageSource.size() >= kHalvesFrom && std::thread::hardware_concurrency() > 1
            ? afterLineBreak(pageSource, pageSource.size() / 2)
            : pageSource.size();
    if (half == pageSource.size()) {
        normaliseInto(out, pageSource, cp, ends);
        return out;
    }
    std::string second;
    std::exception_ptr failed;
    {
        const std::jthread worker([&] {
            try {
                second = textFor(pageSource.size() - half);
                normaliseInto(second, pageSource.substr(half), cp, ends);
            } catch (...) {
                failed = std::current_exception();
            }
        });
        normaliseInto(out, pageSource.substr(0, half), cp, ends);
    }
    if (failed) std::rethrow_exception(failed);
    out += second;
    return out;
}

}  // namespace verrimo
