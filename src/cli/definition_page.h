// The page a definition was written for, read for its requests and findings.
#pragma once

#include <string>
#include <string_view>

#include "form_request.h"
#include "parsed_definition.h"

namespace verrimo::cli {

// Reads the page (a file, or "-" for standard input) through the one door, with its forms, as
// loaded from url; warns on standard error as the extraction does.
ReadPage readDefinitionPage(const std::string& path, std::string url, const CodePage& programCp);

// The value of the definition's first referrer line; empty when it has none.
std::string firstReferrer(const ParsedDefinition& definition);

}  // namespace verrimo::cli
