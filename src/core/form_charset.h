// The charsets a form's values go out in, and page text carried over into them, as browsers
// re-encode it; where browsers differ from the code pages is known from submitting forms.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "codepage.h"

namespace verrimo {

// The code page a browser reads and writes the charset (any label of it) in, as CodePage opens
// it; none when the program cannot read it.
std::shared_ptr<const CodePage> browserCodePage(std::string_view charset);

// The form's accept-charset when it names one the program knows, else the page's; a UTF-16 one
// goes out as UTF-8, as browsers send it.
std::string submissionCharset(std::string_view acceptCharset, const std::string& pageCharset);

// Page text in one charset as a browser submits it in another, or in the same: each character
// as the browser reads it (CodePage::browserDecode) and writes it, so that CP932's NEC-selected
// IBM kanji (ED40…) go as the IBM rows (FA5C…); a character the form's charset lacks, or that
// EUC-JP has only in JIS X 0212, becomes the numeric reference "&#N;". In another charset, a
// decimal reference in the text is the character the page referred to (see decodeReferences).
std::string inFormCharset(std::string_view bytes, const CodePage& from, const CodePage& to);

// What the user typed (UTF-8) as a browser submits it in a form of that charset: a character
// it lacks becomes "&#N;", and a typed "&#N;" stays the text it is.
std::string typedInCharset(std::string_view utf8, const CodePage& to);

}  // namespace verrimo
