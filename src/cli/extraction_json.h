// The extraction of a page as one JSON line, for the commands that extract pages.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "codepage.h"
#include "extract_page.h"
#include "output.h"

namespace verrimo {

// Reads the page (in the code page given, or with --codepage auto in its own) and writes the
// extract command's {"source","required","images","links","referrer","targets","target","kind"}
// and a line break, every text decoded from the code page it was read in; then the reading's
// warnings on standard error.
void printExtraction(cli::Output& out, PageInput page, const CodePage& programCp);

// One line on standard error for each warning of a reading of the page, the definition, ...
void warn(const std::vector<ReadingWarning>& warnings, std::string_view what,
          const CodePage& programCp);

}  // namespace verrimo
