// The windows' side of the code page: texts go into widgets as Unicode and come back out as
// the very same bytes.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace verrimo {

class CodePage;

// Single-line texts.
QString toWidget(std::string_view bytes);
std::string fromWidget(const QString& text);
// The bytes of a text shown in another code page than the program's.
std::string fromWidget(const QString& text, const CodePage& cp);

// Multi-line texts for a text document: CR LF becomes a paragraph break, a lone LF a line
// separator and a lone CR its escape, so that each comes back as it went in.
QString toDocument(std::string_view bytes);
std::string fromDocument(const QString& rawText);

}  // namespace verrimo
