// The lines of a plug-in definition and the keywords they use. Every piece is taken verbatim:
// nothing here escapes or checks what the user typed.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace verrimo::definition {

// The keys of the referrer and check-string lines.
inline constexpr std::string_view kReferrerKey = "Zem-Referer";
inline constexpr std::string_view kCheckStringKey = "chk-moji";

// Kinds of the target line, as the action entry dialog offers them.
inline constexpr std::string_view kKindOpen = "Zem-Open";
inline constexpr std::string_view kKindFasy = "Zem-Fasy";
inline constexpr std::array<std::string_view, 3> kTargetKinds = {"action", kKindOpen, kKindFasy};
// The kind box's text before the user chooses (UTF-8; "choose").
inline constexpr std::string_view kKindChooseUtf8 = "選択";
// The one kind whose dash and check-string lines wait in the holding area.
inline constexpr std::string_view kKindAction = "action";

// Identity keywords: a value the plug-in fills in from the user's own data.
inline constexpr std::string_view kId = "Zem-ID";
inline constexpr std::string_view kPass = "Zem-Pass";
inline constexpr std::string_view kEmail = "Zem-email";
inline constexpr std::array<std::string_view, 3> kIdentityKeywords = {kId, kPass, kEmail};
inline constexpr bool isIdentityKeyword(std::string_view word) {
    return word == kId || word == kPass || word == kEmail;
}

// Expression keywords: the value is the keyword with an operand in brackets.
inline constexpr std::string_view kRandom = "Zem-Random";
inline constexpr std::string_view kGetValue = "Zem-GetValue";
inline constexpr std::string_view kZip = "Zem-Zip";
inline constexpr std::string_view kKeyCode = "Zem-KeyCode";
inline constexpr std::string_view kSelect = "Zem-Select";
inline constexpr std::string_view kRmoji = "Zem-Rmoji";
inline constexpr std::array<std::string_view, 6> kExpressionKeywords = {
    kRandom, kGetValue, kZip, kKeyCode, kSelect, kRmoji};

// Every word of the host's that begins with "Zem-".
inline constexpr std::array<std::string_view, 12> kHostKeywords = {
    kReferrerKey, kKindOpen, kKindFasy, kId,      kPass,   kEmail,
    kRandom,      kGetValue, kZip,      kKeyCode, kSelect, kRmoji};
// The prefix those words share.
inline constexpr std::string_view kHostKeywordPrefix = "Zem-";

// Operand parts the value expression assistant offers.
inline constexpr std::array<std::string_view, 9> kRandomFirst = {
    "0", "a", "A", "a,0", "A,0", "1-12", "1-28", "50-80", "1950-1980"};
inline constexpr std::array<std::string_view, 6> kRandomSecond = {"1",   "1-10", "4-6",
                                                                  "5-8", "5-10", "8-15"};
inline constexpr std::array<std::string_view, 3> kZipParts = {"5", "5,3", "3,4"};
inline constexpr std::array<std::string_view, 2> kKeyCodeFirst = {"1", "2"};

inline constexpr std::string_view kDashLine = "-";

std::string referrerLine(std::string_view referrer);
std::string targetLine(std::string_view kind, std::string_view target);
std::string checkStringLine(std::string_view checkString);
std::string fieldLine(std::string_view name, std::string_view value);
// An expression value: keyword, "[", operand, "]".
std::string expression(std::string_view keyword, std::string_view operand);
// The operand of "Zem-Random": first part, ":", second part.
std::string randomOperand(std::string_view first, std::string_view second);
// The operand of "Zem-KeyCode": first part, ",", an image source.
std::string keyCodeOperand(std::string_view first, std::string_view source);

// Whether the dash and check-string lines of a target of this kind go to the holding area
// (the kind is exactly "action") rather than to the definition text.
bool checkLinesWait(std::string_view kind);

}  // namespace verrimo::definition
