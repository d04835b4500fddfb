#include "definition_page.h"

#include "commands.h"
#include "extraction_json.h"
#include "input.h"

namespace verrimo::cli {

std::unique_ptr<DefinitionPage> readDefinitionPage(const std::string& path,
                                                   const CodePage& programCp) {
    auto read = std::make_unique<DefinitionPage>();
    read->reading =
        readPage({readInput(path)}, programCp, {.pageCodePage = pageCodePage(), .forms = true});
    warn(read->reading.warnings, "page", programCp);
    read->page = requestPageOf(read->reading);
    return read;
}

}  // namespace verrimo::cli
