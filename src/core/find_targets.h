// The action and link finder, the extraction's last step. Tag lists are memo-held texts (lines
// separated by CR LF).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "codepage.h"

namespace verrimo {

// The target between the form actions and the links (UTF-8).
inline constexpr std::string_view kLinkSeparatorUtf8 = "＝ここから下が通常リンクタグからの抽出＝";

struct FinderResult {
    std::string referrer;              // the referrer field
    std::vector<std::string> targets;  // the target box's items
    std::string target;                // the target box's text
    std::string kind;                  // the kind box's text
};

// Lists the form actions and links as targets. target and kind are the boxes' texts before the
// run: the target text is set only while it is empty, the kind only when an action is found.
FinderResult findTargets(std::string_view urlBox, std::string_view requiredTags,
                         std::string_view linkTags, std::string target, std::string kind,
                         const CodePage& cp);

}  // namespace verrimo
