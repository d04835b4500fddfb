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
    read->page = {&read->reading.forms,
                  {},
                  read->reading.baseHref,
                  read->reading.codePage.get(),
                  read->reading.charset};
    return read;
}

}  // namespace verrimo::cli
