// The charsets a form's values go out in, and page text carried over into them, as browsers
// read and write the Japanese charsets; where browsers differ from the plain code pages is
// known from submitting forms in one.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "codepage.h"

namespace verrimo {

// The code page a browser reads and writes the charset in; none when the program cannot read
// it.
std::shared_ptr<const CodePage> browserCodePage(std::string_view charset);

// The form's accept-charset when it names one the program knows, else the page's; a UTF-16 one
// goes out as UTF-8, as browsers send it.
std::string submissionCharset(std::string_view acceptCharset, const std::string& pageCharset);

// Text in one charset as a browser submits it in another: a character the other lacks becomes
// the numeric reference "&#N;". A decimal reference in the text is the character the page
// referred to (see decodeReferences). Both code pages are browserCodePage's.
std::string inFormCharset(std::string_view bytes, const CodePage& from, const CodePage& to);

}  // namespace verrimo
