#include "definition.h"

namespace verrimo::definition {

namespace {
std::string join(std::string_view a, std::string_view b, std::string_view c = {},
                 std::string_view d = {}) {
    std::string s;
    s.reserve(a.size() + b.size() + c.size() + d.size());
    s.append(a).append(b).append(c).append(d);
    return s;
}
}  // namespace

std::string referrerLine(std::string_view referrer) {
    return join(kReferrerKey, "=", referrer);
}

std::string targetLine(std::string_view kind, std::string_view target) {
    return join(kind, "=", target);
}

std::string checkStringLine(std::string_view checkString) {
    return join(kCheckStringKey, "=", checkString);
}

std::string fieldLine(std::string_view name, std::string_view value) {
    return join(name, "=", value);
}

std::string expression(std::string_view keyword, std::string_view operand) {
    return join(keyword, "[", operand, "]");
}

std::string randomOperand(std::string_view first, std::string_view second) {
    return join(first, ":", second);
}

std::string keyCodeOperand(std::string_view first, std::string_view source) {
    return join(first, ",", source);
}

bool checkLinesWait(std::string_view kind) {
    return kind == kKindAction;
}

}  // namespace verrimo::definition
