// libFuzzer target: any bytes as a HAR file through the reader and the road finder. Input that
// is no HAR file must be named, never crash; every step found must read as a step of a
// definition, one line each with no control byte, and never carry a password field's value.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "definition.h"
#include "har_road.h"
#include "memo_text.h"

namespace {

using namespace verrimo;

void require(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "broken: %s\n", what);
    std::abort();
}

void checkStep(const HarStep& s, std::size_t pages) {
    const std::vector<std::string> lines = stepLines(s);
    const std::size_t head = s.referrer.empty() ? 1 : 2;  // no empty referrer line
    require(lines.size() == s.fields.size() + head + 2,
            "a step is its fields and three or four lines");
    require(s.referrer.empty() || lines[0].starts_with("Zem-Referer="),
            "a step begins with its referrer");
    require(lines[head - 1].starts_with("action="), "then its target");
    require(!s.fields.empty() || !s.notes.empty(), "a step without fields says why");
    require(lines[lines.size() - 2] == definition::kDashLine, "the dash line comes last but one");
    require(lines.back().starts_with("chk-moji="), "the check string comes last");
    for (const std::string& line : lines)
        for (const char c : line)
            require(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F,
                    "a line holds no line break or other control");
    for (const std::string& field : s.fields)
        require(field.find('=') != std::string::npos, "a field line has a name and a value");
    require(!s.referrerPage || *s.referrerPage < pages, "a step's page is one of the road's");
    require(!s.answerPage || *s.answerPage < pages, "a step's answer is one of the road's");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const CodePage cp("CP932");
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Har har;
    try {
        har = readHar(text, {.maxText = 4096});
    } catch (const HarError& e) {
        require(e.offset <= size + 1, "the error names a byte of the input");
        return 0;
    }
    require(har.documents.size() <= har.entries, "documents are among the entries");
    const HarRoad road = findRoad(har, cp);
    std::string joined;
    std::vector<std::size_t> all;
    for (std::size_t i = 0; i < road.steps.size(); ++i) {
        checkStep(road.steps[i], road.pages.size());
        for (const std::string& line : stepLines(road.steps[i])) appendLine(joined, line);
        all.push_back(i);
    }
    require(roadDefinition(road, all) == joined, "the definition is the steps' lines");
    return 0;
}
