#include "definition_page.h"

#include "commands.h"
#include "extract_page.h"
#include "extraction_json.h"
#include "input.h"
#include "memo_text.h"

namespace verrimo::cli {

ReadPage readDefinitionPage(const std::string& path, std::string url, const CodePage& programCp) {
    PageReading reading =
        readPage({readInput(path)}, programCp, {.pageCodePage = pageCodePage(), .forms = true});
    warn(reading.warnings, "page", programCp);
    return {std::move(reading.forms), std::move(url)};
}

std::string firstReferrer(std::string_view text, const DefinitionReport& report) {
    for (std::size_t i = 0; i < report.lines.size(); ++i)
        if (report.lines[i].shape == LineShape::Referrer) {
            const Span value = report.lines[i].value;
            return std::string(splitLines(text)[i].substr(value.begin, value.end - value.begin));
        }
    return {};
}

}  // namespace verrimo::cli
