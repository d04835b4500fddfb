#include "own_texts.h"

#include <algorithm>

namespace verrimo {

void respellItems(TComboBox& box, std::string_view utf8, const CodePage& from) {
    const std::string old = from.fromUtf8(utf8);
    std::vector<std::string> items = box.Items();
    if (std::find(items.begin(), items.end(), old) == items.end()) return;
    std::replace(items.begin(), items.end(), old, CodePage::program().fromUtf8(utf8));
    box.SetItems(items);
}

}  // namespace verrimo
