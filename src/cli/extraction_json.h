// The extraction of a page as one JSON line, for the commands that extract pages.
#pragma once

#include <string>
#include <string_view>

#include "codepage.h"
#include "output.h"
#include "scan.h"

namespace verrimo {

// Runs the extract command's steps on the page source with urlBox as the URL box's text (both in
// the code page) and writes {"source","required","images","links","referrer","targets",
// "target","kind"} and a line break, every text decoded from the code page.
void printExtraction(cli::Output& out, std::string pageSource, std::string_view urlBox,
                     const CodePage& cp);

// One line on standard error when the scanner's cycle limit left the end of the page out.
void warnWhenCut(const ScanResult& lists);

}  // namespace verrimo
