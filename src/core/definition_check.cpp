#include "definition_check.h"

#include <algorithm>

#include "definition.h"
#include "memo_text.h"
#include "trim.h"

namespace verrimo {

namespace {

namespace rule {
constexpr std::string_view kTargetKind = "target-kind";
constexpr std::string_view kUnknownKeyword = "unknown-keyword";
constexpr std::string_view kExpression = "expression";
constexpr std::string_view kBlankAroundEquals = "blank-around-equals";
constexpr std::string_view kReferrerWithoutTarget = "referrer-without-target";
constexpr std::string_view kUnknownShape = "unknown-shape";
constexpr std::string_view kSplitLine = "split-line";
}  // namespace rule

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool isWordByte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_';
}

// Where the word that starts at `from` ends.
std::size_t wordEnd(std::string_view s, std::size_t from) {
    while (from < s.size() && isWordByte(s[from])) ++from;
    return from;
}

// The first (or, with last, the final) byte c in s that is a character of its own and not
// the second byte of a double-byte character, searching from `from`; npos when there is none.
std::size_t findChar(std::string_view s, char c, const CodePage& cp, std::size_t from = 0,
                     bool last = false) {
    std::size_t found = std::string_view::npos;
    for (std::size_t i = from; i < s.size(); ++i) {
        if (s[i] == c) {
            found = i;
            if (!last) break;
        } else if (cp.isLeadByte(static_cast<unsigned char>(s[i]))) {
            ++i;
        }
    }
    return found;
}

template <typename List>
bool contains(const List& list, std::string_view word) {
    return std::find(list.begin(), list.end(), word) != list.end();
}

void warn(LineReport& report, Span span, std::string_view rule, std::string_view message) {
    report.findings.push_back({0, span, rule, message});
}

// A word beginning with "Zem-" at `at`: becomes the line's keyword, and is checked against the
// host's list. Returns whether it was one of the host's words.
bool takeKeyword(LineReport& report, std::string_view line, std::size_t at) {
    if (line.substr(at, definition::kHostKeywordPrefix.size()) != definition::kHostKeywordPrefix)
        return true;
    report.keyword = {at, wordEnd(line, at)};
    if (contains(definition::kHostKeywords,
                 line.substr(at, report.keyword.end - report.keyword.begin)))
        return true;
    warn(report, report.keyword, rule::kUnknownKeyword, "Zem- で始まる語がキーワードにありません");
    return false;
}

// An expression after a keyword: its operand, and a missing "]" or text after the last one.
void takeExpression(LineReport& report, std::string_view line, const CodePage& cp) {
    const std::size_t open = report.keyword.end;
    if (report.keyword.empty() || open >= line.size() || line[open] != '[') return;
    const std::size_t close = findChar(line, ']', cp, open + 1, true);
    if (close == std::string_view::npos) {
        report.operand = {open + 1, line.size()};
        warn(report, {open, line.size()}, rule::kExpression, "式を閉じる「]」がありません");
        return;
    }
    report.operand = {open + 1, close};
    if (close + 1 < line.size())
        warn(report, {close + 1, line.size()}, rule::kExpression, "式の「]」の後に文字があります");
}

LineShape shapeOfKey(std::string_view key, bool targetExpected) {
    if (key == definition::kReferrerKey) return LineShape::Referrer;
    if (key == definition::kCheckStringKey) return LineShape::CheckString;
    if (targetExpected || contains(definition::kTargetKinds, key)) return LineShape::Target;
    return LineShape::Field;
}

}  // namespace

LineReport checkLine(std::string_view line, bool targetExpected, const CodePage& cp) {
    LineReport report;
    if (trimmed(line).empty()) return report;
    if (line == definition::kDashLine) {
        report.shape = LineShape::Dash;
        return report;
    }
    const std::size_t eq = findChar(line, '=', cp);
    if (eq == std::string_view::npos) {
        report.shape = LineShape::Other;
        warn(report, {0, line.size()}, rule::kUnknownShape, "定義の行の形になっていません");
        return report;
    }
    report.key = {0, eq};
    report.equals = {eq, eq + 1};
    report.value = {eq + 1, line.size()};

    std::size_t blanksBegin = eq;
    while (blanksBegin > 0 && isBlank(line[blanksBegin - 1])) --blanksBegin;
    std::size_t blanksEnd = eq + 1;
    while (blanksEnd < line.size() && isBlank(line[blanksEnd])) ++blanksEnd;
    if (blanksEnd - blanksBegin > 1)
        warn(report, {blanksBegin, blanksEnd}, rule::kBlankAroundEquals,
             "「=」の前後に空白があります");

    const std::string_view key = trimmed(line.substr(0, eq));
    const std::size_t keyBegin =
        key.empty() ? 0 : static_cast<std::size_t>(key.data() - line.data());
    report.shape = shapeOfKey(key, targetExpected);
    const bool knownKey = takeKeyword(report, line, keyBegin);
    if (report.shape == LineShape::Target && knownKey && !contains(definition::kTargetKinds, key))
        warn(report, key.empty() ? report.equals : Span{keyBegin, keyBegin + key.size()},
             rule::kTargetKind, "対象の種類は action・Zem-Open・Zem-Fasy のどれかです");
    // Only a field's value may be a keyword; URLs and check strings are the user's text.
    if (report.shape == LineShape::Field && report.keyword.empty()) {
        takeKeyword(report, line, blanksEnd);
        takeExpression(report, line, cp);
    }
    return report;
}

bool expectsTarget(LineShape shape, bool targetExpected) {
    return shape == LineShape::Referrer || (shape == LineShape::Empty && targetExpected);
}

Finding missingTarget(std::size_t line, std::string_view text) {
    return {line,
            {0, text.size()},
            rule::kReferrerWithoutTarget,
            "参照元の行の後に対象の行がありません"};
}

std::size_t linesAfterField(LineShape shape, std::size_t after) {
    if (shape == LineShape::Field) return 1;
    const bool between = shape == LineShape::Other || shape == LineShape::Empty;
    return between && after > 0 && after <= kLongestSplit ? after + 1 : 0;
}

Finding splitLine(std::size_t line, std::string_view text) {
    return {line,
            {0, text.size()},
            rule::kSplitLine,
            "「=」のない行が項目の行の間にあります（値の改行で行が分かれたのかもしれません）"};
}

DefinitionReport checkDefinition(const std::vector<std::string_view>& lines, const CodePage& cp) {
    DefinitionReport report;
    report.lines.reserve(lines.size());
    bool targetExpected = false;
    std::size_t referrer = 0;
    std::size_t after = 0;  // how far below a field line this line is
    // The lines without "=" since the last field line, with where their finding is.
    std::vector<std::pair<std::size_t, std::size_t>> unshaped;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        LineReport line = checkLine(lines[i], targetExpected, cp);
        if (targetExpected && line.shape != LineShape::Empty && line.shape != LineShape::Target)
            report.findings.push_back(missingTarget(referrer, lines[referrer]));
        if (line.shape == LineShape::Other && after > 0)
            unshaped.push_back({i, report.findings.size()});
        if (line.shape == LineShape::Field && after > 0)
            for (const auto& [at, finding] : unshaped)
                report.findings[finding] = splitLine(at, lines[at]);
        after = linesAfterField(line.shape, after);
        if (after <= 1) unshaped.clear();
        for (Finding& f : line.findings) {
            f.line = i;
            report.findings.push_back(f);
        }
        line.findings.clear();
        if (line.shape == LineShape::Referrer) referrer = i;
        targetExpected = expectsTarget(line.shape, targetExpected);
        report.lines.push_back(std::move(line));
    }
    if (targetExpected) report.findings.push_back(missingTarget(referrer, lines[referrer]));
    std::stable_sort(report.findings.begin(), report.findings.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
    return report;
}

DefinitionReport checkDefinition(std::string_view text, const CodePage& cp) {
    return checkDefinition(splitLines(text), cp);
}

}  // namespace verrimo
