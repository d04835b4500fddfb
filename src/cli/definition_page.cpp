#include "definition_page.h"

#include "commands.h"
#include "extract_page.h"
#include "extraction_json.h"
#include "input.h"

namespace verrimo::cli {

ReadPage readDefinitionPage(const std::string& path, std::string url, const CodePage& programCp) {
    PageReading reading =
        readPage({readInput(path)}, programCp, {.pageCodePage = pageCodePage(), .forms = true});
    warn(reading.warnings, "page", programCp);
    return {std::move(reading.forms), std::move(url)};
}

std::string firstReferrer(const ParsedDefinition& definition) {
    const std::vector<LineReport>& lines = definition.report().lines;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i].shape == LineShape::Referrer) return std::string(definition.value(i));
    return {};
}

}  // namespace verrimo::cli
