// The page fetcher: the page named by the URL box goes into the page viewer, and the viewer's
// browser shows a copy of its source.
#pragma once

#include "forms.h"

namespace verrimo {

// Downloads the URL box's page into the page source, extracts its tags and shows its copy.
// A failed or cut-short download says nothing: the steps after it run on what was read.
void FetchPage(const Forms& forms);

// Writes the page source to temp.html in the program folder and shows that file in the
// browser. Throws UserError when the file cannot be created.
void ShowPageCopy(const Forms& forms);

}  // namespace verrimo
