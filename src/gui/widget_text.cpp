#include "widget_text.h"

#include "codepage.h"

namespace verrimo {

namespace {

constexpr char32_t kParagraph = 0x2029;
constexpr char32_t kLineSeparator = 0x2028;

QString fromUtf32(const std::u32string& text) {
    return QString::fromUcs4(text.data(), static_cast<qsizetype>(text.size()));
}

std::u32string toUtf32(const QString& text) {
    std::u32string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out.push_back(QChar::surrogateToUcs4(c, text[i + 1]));
            ++i;
        } else {
            out.push_back(c.unicode());
        }
    }
    return out;
}

}  // namespace

QString toWidget(std::string_view bytes) {
    return fromUtf32(CodePage::program().decode(bytes));
}

std::string fromWidget(const QString& text) {
    return fromWidget(text, CodePage::program());
}

std::string fromWidget(const QString& text, const CodePage& cp) {
    return cp.encode(toUtf32(text));
}

QString toDocument(std::string_view bytes) {
    std::u32string text = CodePage::program().decode(bytes);
    std::size_t out = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            c = '\n';  // the document's own paragraph break
            ++i;
        } else if (c == '\n') {
            c = kLineSeparator;
        } else if (c == '\r') {
            c = CodePage::kEscapeBase + '\r';
        }
        text[out++] = c;
    }
    text.resize(out);
    return fromUtf32(text);
}

std::string fromDocument(const QString& rawText) {
    std::u32string text = toUtf32(rawText);
    std::u32string unfolded;
    unfolded.reserve(text.size() + text.size() / 16);
    for (char32_t c : text) {
        if (c == kParagraph || c == '\n') {
            unfolded += U"\r\n";
        } else if (c == kLineSeparator) {
            unfolded += U'\n';
        } else {
            unfolded += c;
        }
    }
    return CodePage::program().encode(unfolded);
}

}  // namespace verrimo
