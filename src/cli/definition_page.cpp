#include "definition_page.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

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

SampleValues userSampleValues() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    const std::string folder = config && *config ? std::string(config)
                               : home            ? std::string(home) + "/.config"
                                                 : std::string();
    if (folder.empty()) return {};
    std::ifstream file(folder + "/verrimo/samples.txt", std::ios::binary);
    if (!file) return {};
    std::ostringstream text;
    text << file.rdbuf();
    return readSampleValues(text.str());
}

}  // namespace verrimo::cli
