// Texts of an answer page that the host can look for to tell that a step went through.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "codepage.h"

namespace verrimo {

// The answer's title, its first heading, and short texts of it that the previous page (the one
// the step was sent from) does not hold, such as 確認, 完了 or ありがとうございました. Both pages
// and the candidates are text in cp; each candidate stands in the answer's source as it is.
// Best first: candidates the previous page lacks come before those it holds too; none twice.
std::vector<std::string> checkStringCandidates(std::string_view answerPage,
                                               std::string_view previousPage, const CodePage& cp);

}  // namespace verrimo
