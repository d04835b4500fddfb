#include "definition_highlighter.h"

#include <QTextBlock>
#include <QTextBlockUserData>
#include <QTextCursor>
#include <QTextDocument>
#include <vector>

#include "codepage.h"
#include "definition_check.h"
#include "widget_text.h"

namespace verrimo {

namespace {

// A block's state: bit 0 says that a target line is due after the line; the bits above, how far
// below a field line the next line is (see linesAfterField).
constexpr int kTargetExpected = 1;

int stateOf(bool targetExpected, std::size_t after) {
    return (targetExpected ? kTargetExpected : 0) | static_cast<int>(after) << 1;
}

std::size_t afterOf(int state) {
    return state < 0 ? 0 : static_cast<std::size_t>(state) >> 1;
}

struct Mark {
    int start;
    int length;
    QString message;
};

// A line's warnings in its own characters. The document deletes it with the line, and the
// count of the whole document follows.
class LineFindings : public QTextBlockUserData {
  public:
    LineFindings(std::shared_ptr<std::size_t> total, std::vector<Mark> marks, bool missingTarget,
                 bool split)
        : marks(std::move(marks)),
          missingTarget(missingTarget),
          split(split),
          total_(std::move(total)) {
        *total_ += this->marks.size();
    }
    ~LineFindings() override { *total_ -= marks.size(); }

    const std::vector<Mark> marks;
    const bool missingTarget;
    const bool split;  // a line without "=" between two field lines

  private:
    std::shared_ptr<std::size_t> total_;
};

const LineFindings* findingsOf(const QTextBlock& block) {
    return static_cast<const LineFindings*>(block.userData());
}

LineShape shapeOf(const QTextBlock& block, bool targetExpected, const CodePage& cp) {
    return checkLine(fromDocument(block.text()), targetExpected, cp).shape;
}

// Whether the first line after the referrer line that is not empty is a target line.
bool targetFollows(const QTextBlock& referrer, const CodePage& cp) {
    for (QTextBlock next = referrer.next(); next.isValid(); next = next.next()) {
        const LineShape shape = shapeOf(next, true, cp);
        if (shape != LineShape::Empty) return shape == LineShape::Target;
    }
    return false;
}

bool between(LineShape shape) {
    return shape == LineShape::Other || shape == LineShape::Empty;
}

// The first line from `from` on that is neither empty nor without "=", looking at most `lines`
// lines ahead; an invalid block when there is none so near.
QTextBlock afterRun(QTextBlock from, std::size_t lines, const CodePage& cp) {
    for (; from.isValid() && lines > 0; from = from.next(), --lines)
        if (!between(shapeOf(from, false, cp))) return from;
    return {};
}

// Whether a line without "=", `after` lines below a field line, stands before another field
// line with at most kLongestSplit lines between them.
bool splitsFields(const QTextBlock& block, std::size_t after, const CodePage& cp) {
    if (after == 0) return false;
    const QTextBlock end = afterRun(block.next(), kLongestSplit - after + 1, cp);
    return end.isValid() && shapeOf(end, false, cp) == LineShape::Field;
}

// The smallest start of a warning of the line after the document position `after`; -1 when
// there is none.
int firstMarkAfter(const QTextBlock& block, int after) {
    int first = -1;
    if (const LineFindings* findings = findingsOf(block))
        for (const Mark& mark : findings->marks) {
            const int at = block.position() + mark.start;
            if (at > after && (first < 0 || at < first)) first = at;
        }
    return first;
}

QTextCharFormat coloured(const char* colour) {
    QTextCharFormat format;
    format.setForeground(QColor(colour));
    return format;
}

}  // namespace

DefinitionHighlighter::DefinitionHighlighter(QObject* parent) : QSyntaxHighlighter(parent) {
    formats_[Keyword] = coloured("#1f4e9c");
    formats_[Key] = coloured("#7b2d8e");
    formats_[Equals] = coloured("#808080");
    formats_[Value] = coloured("#2b6a2b");
    formats_[Operand] = coloured("#0b7c7c");
    formats_[HeldLine] = coloured("#9a5b00");
    for (int role = 0; role < kRoles; ++role) {
        underlined_[role] = formats_[role];
        underlined_[role].setUnderlineStyle(QTextCharFormat::WaveUnderline);
        underlined_[role].setUnderlineColor(QColor("#d01010"));
    }
    report_.setSingleShot(true);
    report_.setInterval(0);
    connect(&report_, &QTimer::timeout, this, [this] {
        if (*total_ == reported_) return;
        reported_ = *total_;
        emit FindingsChanged();
    });
}

void DefinitionHighlighter::highlightBlock(const QString& text) {
    const CodePage& cp = CodePage::program();
    const std::string bytes = fromDocument(text);
    const int previous = previousBlockState();
    const bool targetExpected = previous >= 0 && (previous & kTargetExpected);
    const std::size_t after = afterOf(previous);
    const LineReport line = checkLine(bytes, targetExpected, cp);
    const QTextBlock block = currentBlock();
    std::vector<Finding> findings = line.findings;
    const bool missing = line.shape == LineShape::Referrer && !targetFollows(block, cp);
    if (missing) findings.push_back(missingTarget(0, bytes));
    const bool split = line.shape == LineShape::Other && splitsFields(block, after, cp);
    if (split) findings = {splitLine(0, bytes)};

    const int size = static_cast<int>(text.size());
    const auto at = [&](std::size_t offset) {
        return std::min(
            size, static_cast<int>(toDocument(std::string_view(bytes).substr(0, offset)).size()));
    };
    std::vector<Role> roles(static_cast<std::size_t>(size), Plain);
    const auto paint = [&](Span span, Role role) {
        for (int i = at(span.begin), end = at(span.end); i < end; ++i) roles[i] = role;
    };
    const bool keywordKey = line.shape == LineShape::Referrer || line.shape == LineShape::Target;
    paint(line.key, keywordKey ? Keyword : Key);
    paint(line.equals, Equals);
    paint(line.value, Value);
    paint(line.keyword, Keyword);
    paint(line.operand, Operand);
    if (line.shape == LineShape::Dash || line.shape == LineShape::CheckString)
        paint({0, bytes.size()}, HeldLine);

    std::vector<bool> wavy(roles.size(), false);
    std::vector<Mark> marks;
    for (const Finding& f : findings) {
        const int start = at(f.span.begin);
        const int end = std::min(size, std::max(at(f.span.end), start + 1));
        for (int i = start; i < end; ++i) wavy[i] = true;
        marks.push_back({start, end - start, QString::fromUtf8(f.message)});
    }
    if (const auto page = pageFindings_.find(block.blockNumber()); page != pageFindings_.end())
        for (const QString& message : page->second) {
            for (int i = 0; i < size; ++i) wavy[i] = true;
            marks.push_back({0, std::max(size, 1), message});
        }
    for (int i = 0; i < size;) {
        int j = i + 1;
        while (j < size && roles[j] == roles[i] && wavy[j] == wavy[i]) ++j;
        if (roles[i] != Plain || wavy[i])
            setFormat(i, j - i, wavy[i] ? underlined_[roles[i]] : formats_[roles[i]]);
        i = j;
    }

    setCurrentBlockUserData(
        marks.empty() ? nullptr : new LineFindings(total_, std::move(marks), missing, split));
    setCurrentBlockState(
        stateOf(expectsTarget(line.shape, targetExpected), linesAfterField(line.shape, after)));
    if (targetExpected) RecheckReferrer(block);
    RecheckSplits(block, line.shape, after);
    ReportLater();
}

void DefinitionHighlighter::RecheckSplits(const QTextBlock& block, LineShape shape,
                                          std::size_t after) {
    // Only a line that follows a run of empty lines and lines without "=" below a field line
    // (the line above is two or more lines below it) has such lines to recheck.
    if (after <= 1) return;
    const CodePage& cp = CodePage::program();
    // The end of the run that this line belongs to or ends, and how far it is.
    std::size_t distance = 0;
    QTextBlock end = block;
    if (between(shape))
        for (end = block.next(), distance = 1;
             end.isValid() && distance <= kLongestSplit + 1 && between(shapeOf(end, false, cp));
             end = end.next())
            ++distance;
    const bool fieldAfter = end.isValid() && distance <= kLongestSplit + 1 &&
                            (end == block ? shape : shapeOf(end, false, cp)) == LineShape::Field;
    for (QTextBlock b = block.previous(); b.isValid() && ++distance <= kLongestSplit + 1;
         b = b.previous()) {
        const LineShape shape = shapeOf(b, false, cp);
        if (!between(shape)) break;
        if (shape != LineShape::Other) continue;
        const std::size_t after = afterOf(b.previous().userState());
        const bool split = fieldAfter && after > 0 && after + distance - 1 <= kLongestSplit;
        const LineFindings* findings = findingsOf(b);
        if ((findings && findings->split) == split) continue;
        // Not from inside the colouring of this line: once it is done.
        const QTextCursor where(b);
        QMetaObject::invokeMethod(
            this,
            [this, where] {
                if (document() == where.document()) rehighlightBlock(where.block());
            },
            Qt::QueuedConnection);
    }
}

void DefinitionHighlighter::RecheckReferrer(const QTextBlock& block) {
    const CodePage& cp = CodePage::program();
    QTextBlock referrer = block.previous();
    while (referrer.isValid() && shapeOf(referrer, true, cp) == LineShape::Empty)
        referrer = referrer.previous();
    if (!referrer.isValid()) return;
    const LineFindings* findings = findingsOf(referrer);
    const bool marked = findings && findings->missingTarget;
    if (marked == !targetFollows(referrer, cp)) return;
    // Not from inside the colouring of this line: once it is done.
    const QTextCursor where(referrer);
    QMetaObject::invokeMethod(
        this,
        [this, where] {
            if (document() == where.document()) rehighlightBlock(where.block());
        },
        Qt::QueuedConnection);
}

void DefinitionHighlighter::SetPageFindings(std::map<int, QStringList> findings) {
    if (findings == pageFindings_) return;
    std::swap(findings, pageFindings_);
    if (!document()) return;
    // The lines that had findings and those that have them now.
    findings.insert(pageFindings_.begin(), pageFindings_.end());
    for (const auto& [line, messages] : findings)
        if (const QTextBlock block = document()->findBlockByNumber(line); block.isValid())
            rehighlightBlock(block);
}

void DefinitionHighlighter::ReportLater() {
    if (!report_.isActive()) report_.start();
}

QString DefinitionHighlighter::MessageAt(int position) const {
    if (!document()) return {};
    const QTextBlock block = document()->findBlock(position);
    const LineFindings* findings = findingsOf(block);
    if (!findings) return {};
    QStringList messages;
    const int offset = position - block.position();
    for (const Mark& mark : findings->marks)
        if (offset >= mark.start && offset < mark.start + mark.length) messages << mark.message;
    return messages.join('\n');
}

int DefinitionHighlighter::NextFinding(int position) const {
    if (!document() || *total_ == 0) return -1;
    const QTextBlock from = document()->findBlock(position);
    for (QTextBlock block = from; block.isValid(); block = block.next())
        if (const int at = firstMarkAfter(block, position); at >= 0) return at;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        if (const int at = firstMarkAfter(block, -1); at >= 0) return at;
        if (block == from) break;
    }
    return -1;
}

}  // namespace verrimo
