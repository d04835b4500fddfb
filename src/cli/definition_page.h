// The page a definition was written for, read for its requests and findings.
#pragma once

#include <optional>
#include <string>

#include "extract_page.h"
#include "form_request.h"
#include "sample_file.h"

namespace verrimo::cli {

struct DefinitionPage {
    PageReading reading;
    RequestPage page;  // points into reading
};

// Reads the page (a file, or "-" for standard input) through the one door, with its forms;
// warns on standard error as the extraction does. The page is not to be moved once made.
std::unique_ptr<DefinitionPage> readDefinitionPage(const std::string& path,
                                                   const CodePage& programCp);

}  // namespace verrimo::cli
