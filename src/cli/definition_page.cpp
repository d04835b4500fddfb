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

}  // namespace verrimo::cli
