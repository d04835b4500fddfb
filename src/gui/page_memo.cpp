#include "page_memo.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QFontMetricsF>
#include <QPainter>
#include <QScrollBar>
#include <QTextBoundaryFinder>
#include <algorithm>
#include <cmath>

#include "codepage.h"
#include "memo_text.h"
#include "widget_text.h"

namespace verrimo {

namespace {

constexpr int kMargin = 4;      // around the text, as a text document leaves
constexpr qreal kTabStop = 80;  // between tab stops, as a text control has them
// A text the program sets is announced to a screen reader only up to this size; a page's
// megabytes would keep the reader busy for nothing.
constexpr std::size_t kAnnounced = 64u << 10;

// Bytes as a screen reader and the clipboard get them: each line break one "\n".
QString asRead(std::string_view bytes) {
    QString text;
    std::size_t start = 0;
    for (std::size_t at = findLineBreak(bytes, 0); at != std::string_view::npos;
         at = findLineBreak(bytes, start)) {
        text += toWidget(bytes.substr(start, at - start));
        text += u'\n';
        start = at + lineBreakSize(bytes, at);
    }
    return text + toWidget(bytes.substr(start));
}

// What the user typed or pasted, as the memo's bytes: every kind of line break CR LF, as a
// text document makes it.
std::string typedBytes(const QString& text) {
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(u'\r', u'\n');
    lines.replace(QChar(QChar::LineSeparator), u'\n');
    return fromDocument(lines);
}

// The drawn font: without kerning, each character is as wide as its own advance, so that the
// places summed character by character are where the painter puts them.
QFont drawnFont(QFont font) {
    font.setKerning(false);
    return font;
}

}  // namespace

// Steps through a line's characters from its start: the byte place, the x and the width of
// each, tabs set at their stops.
class TPageMemo::Walk {
  public:
    Walk(const TPageMemo& memo, const LineIndex::Line& line)
        : memo_(memo),
          bytes_(memo.View().substr(line.start, line.end - line.start)),
          start_(line.start) {
        Read();
    }
    bool AtEnd() const { return pos_ >= bytes_.size(); }
    // The current character's first byte; the line's end once past its last character.
    std::size_t Byte() const { return start_ + pos_; }
    qreal X() const { return x_; }
    qreal Width() const { return width_; }
    char32_t Char() const { return char_; }
    void Next() {
        pos_ += size_;
        x_ += width_;
        Read();
    }

  private:
    void Read() {
        if (AtEnd()) {
            size_ = 0;
            width_ = 0;
            return;
        }
        size_ = CodePage::program().decodeAt(bytes_, pos_, char_);
        width_ = char_ == '\t' ? kTabStop - std::fmod(x_, kTabStop) : memo_.Advance(char_);
    }

    const TPageMemo& memo_;
    std::string_view bytes_;
    std::size_t start_;
    std::size_t pos_ = 0;
    std::size_t size_ = 0;
    qreal x_ = 0;
    qreal width_ = 0;
    char32_t char_ = 0;
};

TPageMemo::TPageMemo(const QString& name, QWidget* parent)
    : QAbstractScrollArea(parent), text_{shareText({}), std::make_shared<const LineIndex>()} {
    setObjectName(name);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    installPageMemoAccessibility();
    AdjustScrollBars();
}

std::vector<std::string> TPageMemo::Lines() const {
    std::vector<std::string> lines;
    for (const auto line : splitLines(View())) lines.emplace_back(line);
    return lines;
}

void TPageMemo::SetText(std::string_view bytes) {
    SetText(shareText(std::string(bytes)));
}

void TPageMemo::SetText(SharedText bytes) {
    Show(indexText(std::move(bytes), CodePage::program()));
}

void TPageMemo::SetText(IndexedText text) {
    Show(std::move(text));
}

void TPageMemo::Recode() {
    SetText(Bytes());
}

void TPageMemo::Show(IndexedText text) {
    const SharedText old = std::exchange(text_, std::move(text)).bytes;
    caret_ = anchor_ = 0;
    wantedX_ = 0;
    undo_.clear();
    redo_.clear();
    MeasureWidest();
    AdjustScrollBars();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    viewport()->update();
    if (!QAccessible::isActive()) return;
    if (!old->empty() && old->size() <= kAnnounced) {
        QAccessibleTextRemoveEvent removed(this, 0, asRead(*old));
        QAccessible::updateAccessibility(&removed);
    }
    if (!View().empty() && View().size() <= kAnnounced) {
        QAccessibleTextInsertEvent inserted(this, 0, asRead(View()));
        QAccessible::updateAccessibility(&inserted);
    }
    QAccessibleTextCursorEvent moved(this, 0);
    QAccessible::updateAccessibility(&moved);
}

// Places in UTF-16 units.

int TPageMemo::UnitCount() const {
    return static_cast<int>(Index().Units());
}

std::size_t TPageMemo::UnitToByte(int unit) const {
    return Index().ByteOf(View(), CodePage::program(), static_cast<std::size_t>(std::max(unit, 0)));
}

int TPageMemo::ByteToUnit(std::size_t byte) const {
    return static_cast<int>(Index().UnitOf(View(), CodePage::program(), byte));
}

QString TPageMemo::Shown(std::size_t from, std::size_t to) const {
    return asRead(View().substr(from, to - from));
}

QString TPageMemo::UnitText(int from, int to) const {
    if (to <= from) return QString();
    return Shown(UnitToByte(from), UnitToByte(to));
}

std::pair<int, int> TPageMemo::LineUnits(int unit) const {
    const LineIndex::Line line = Index().Holding(View(), UnitToByte(unit));
    return {ByteToUnit(line.start), line.Last() ? ByteToUnit(line.end) : ByteToUnit(line.next)};
}

int TPageMemo::CaretUnit() const {
    return ByteToUnit(caret_);
}

std::pair<int, int> TPageMemo::SelectedUnits() const {
    if (caret_ == anchor_) {
        const int caret = CaretUnit();
        return {caret, caret};
    }
    return {ByteToUnit(std::min(caret_, anchor_)), ByteToUnit(std::max(caret_, anchor_))};
}

void TPageMemo::SelectUnits(int anchor, int caret) {
    anchor_ = UnitToByte(anchor);
    PlaceCaret(UnitToByte(caret), true);
}

QRect TPageMemo::UnitRect(int unit) const {
    const std::size_t byte = UnitToByte(unit);
    const LineIndex::Line line = Index().Holding(View(), byte);
    Walk walk(*this, line);
    while (!walk.AtEnd() && walk.Byte() < byte) walk.Next();
    const int height = fontMetrics().lineSpacing();
    const int row = static_cast<int>(line.number) - verticalScrollBar()->value();
    const qreal width = walk.AtEnd() ? Advance(' ') : walk.Width();
    return QRect(kMargin - horizontalScrollBar()->value() + qRound(walk.X()),
                 kMargin + row * height, std::max(1, qRound(width)), height);
}

int TPageMemo::UnitAt(const QPoint& point) const {
    return ByteToUnit(ByteAt(point));
}

void TPageMemo::ShowUnits(int from, int) {
    const LineIndex::Line line = Index().Holding(View(), UnitToByte(from));
    const int number = static_cast<int>(line.number);
    QScrollBar* rows = verticalScrollBar();
    if (number < rows->value() || number >= rows->value() + Rows()) rows->setValue(number);
}

void TPageMemo::ReplaceUnits(int from, int to, const QString& text) {
    Replace(UnitToByte(std::min(from, to)), UnitToByte(std::max(from, to)), typedBytes(text));
}

// The caret and the selection.

void TPageMemo::PlaceCaret(std::size_t byte, bool extend) {
    const bool hadSelection = caret_ != anchor_;
    caret_ = byte;
    if (!extend) anchor_ = byte;
    ShowCaret();
    viewport()->update();
    if (!QAccessible::isActive()) return;
    QAccessibleTextCursorEvent moved(this, CaretUnit());
    QAccessible::updateAccessibility(&moved);
    if (hadSelection || caret_ != anchor_) {
        const auto [from, to] = SelectedUnits();
        QAccessibleTextSelectionEvent selected(this, from, to);
        QAccessible::updateAccessibility(&selected);
    }
}

void TPageMemo::MoveCaret(Move move, bool extend) {
    const bool vertical = move == Move::NextLine || move == Move::PreviousLine ||
                          move == Move::NextPage || move == Move::PreviousPage;
    if (!extend && caret_ != anchor_ && (move == Move::NextChar || move == Move::PreviousChar)) {
        // An arrow ends a selection at its side.
        PlaceCaret(move == Move::NextChar ? std::max(caret_, anchor_) : std::min(caret_, anchor_),
                   false);
    } else {
        PlaceCaret(Moved(move), extend);
    }
    if (!vertical) wantedX_ = XOf(Index().Holding(View(), caret_), caret_);
}

std::size_t TPageMemo::Moved(Move move) const {
    const LineIndex::Line line = Index().Holding(View(), caret_);
    const auto lineAway = [&](long rows) {
        const long number = std::clamp(static_cast<long>(line.number) + rows, 0L,
                                       static_cast<long>(Index().Lines()) - 1);
        return ByteAtX(Index().Numbered(View(), static_cast<std::size_t>(number)), wantedX_);
    };
    switch (move) {
        case Move::NextChar:
            return NextCharEnd(caret_);
        case Move::PreviousChar:
            return PreviousCharStart(caret_);
        case Move::NextWord:
            return WordEdge(caret_, true);
        case Move::PreviousWord:
            return WordEdge(caret_, false);
        case Move::NextLine:
            return lineAway(1);
        case Move::PreviousLine:
            return lineAway(-1);
        case Move::NextPage:
            return lineAway(Rows());
        case Move::PreviousPage:
            return lineAway(-Rows());
        case Move::StartOfLine:
            return line.start;
        case Move::EndOfLine:
            return line.end;
        case Move::StartOfText:
            return 0;
        case Move::EndOfText:
            return View().size();
    }
    return caret_;
}

std::size_t TPageMemo::NextCharEnd(std::size_t byte) const {
    const LineIndex::Line line = Index().Holding(View(), byte);
    if (byte >= line.end) return line.Last() ? line.end : line.next;
    char32_t c;
    return byte + CodePage::program().decodeAt(View().substr(0, line.end), byte, c);
}

std::size_t TPageMemo::PreviousCharStart(std::size_t byte) const {
    const LineIndex::Line line = Index().Holding(View(), byte);
    if (byte <= line.start)
        return line.number == 0 ? 0 : Index().Numbered(View(), line.number - 1).end;
    Walk walk(*this, line);
    std::size_t start = line.start;
    for (; !walk.AtEnd() && walk.Byte() < byte; walk.Next()) start = walk.Byte();
    return start;
}

std::size_t TPageMemo::WordEdge(std::size_t byte, bool forward, bool wordEnd) const {
    const LineIndex::Line line = Index().Holding(View(), byte);
    if (forward && byte >= line.end) return line.Last() ? line.end : line.next;
    if (!forward && byte <= line.start) return PreviousCharStart(byte);
    // The line's characters, and the byte where each unit's character starts.
    QString text;
    std::vector<std::size_t> starts;
    for (Walk walk(*this, line); !walk.AtEnd(); walk.Next()) {
        text += QChar::fromUcs4(walk.Char());
        starts.resize(static_cast<std::size_t>(text.size()), walk.Byte());
    }
    starts.push_back(line.end);
    const auto unit = static_cast<qsizetype>(std::lower_bound(starts.begin(), starts.end(), byte) -
                                             starts.begin());
    QTextBoundaryFinder words(QTextBoundaryFinder::Word, text);
    words.setPosition(unit);
    // A word move stops where a word starts (or ends), or at the line's ends.
    const auto stop = wordEnd ? QTextBoundaryFinder::EndOfItem : QTextBoundaryFinder::StartOfItem;
    qsizetype at = unit;
    do {
        at = forward ? words.toNextBoundary() : words.toPreviousBoundary();
    } while (at > 0 && at < text.size() && !(words.boundaryReasons() & stop));
    if (at < 0) at = forward ? text.size() : 0;
    return starts[static_cast<std::size_t>(at)];
}

void TPageMemo::SelectAll() {
    anchor_ = 0;
    PlaceCaret(View().size(), true);
}

// Edits.

void TPageMemo::Replace(std::size_t from, std::size_t to, std::string inserted, bool undoable) {
    const std::string_view old = View();
    std::string removed(old.substr(from, to - from));
    if (removed.empty() && inserted.empty()) return;
    const std::size_t at =
        QAccessible::isActive() ? Index().UnitOf(old, CodePage::program(), from) : 0;
    std::string edited;
    edited.reserve(old.size() - removed.size() + inserted.size());
    edited.append(old.substr(0, from)).append(inserted).append(old.substr(to));
    text_ = indexText(shareText(std::move(edited)), CodePage::program());
    if (undoable) {
        undo_.push_back({from, removed, inserted});
        redo_.clear();
    }
    MeasureWidest();
    AdjustScrollBars();
    Announce(at, removed, inserted);
    PlaceCaret(from + inserted.size(), false);
    wantedX_ = XOf(Index().Holding(View(), caret_), caret_);
}

void TPageMemo::Announce(std::size_t at, const std::string& removed, const std::string& inserted) {
    if (!QAccessible::isActive()) return;
    const int position = static_cast<int>(at);
    if (inserted.empty()) {
        QAccessibleTextRemoveEvent event(this, position, asRead(removed));
        QAccessible::updateAccessibility(&event);
    } else if (removed.empty()) {
        QAccessibleTextInsertEvent event(this, position, asRead(inserted));
        QAccessible::updateAccessibility(&event);
    } else {
        QAccessibleTextUpdateEvent event(this, position, asRead(removed), asRead(inserted));
        QAccessible::updateAccessibility(&event);
    }
}

void TPageMemo::Type(const QString& text) {
    Replace(std::min(caret_, anchor_), std::max(caret_, anchor_), typedBytes(text));
}

void TPageMemo::DeleteSelectionOr(std::size_t from, std::size_t to) {
    if (caret_ != anchor_)
        Replace(std::min(caret_, anchor_), std::max(caret_, anchor_), {});
    else if (from < to)
        Replace(from, to, {});
}

void TPageMemo::Copy() const {
    if (caret_ != anchor_)
        QApplication::clipboard()->setText(
            Shown(std::min(caret_, anchor_), std::max(caret_, anchor_)));
}

void TPageMemo::Cut() {
    Copy();
    DeleteSelectionOr(caret_, caret_);
}

void TPageMemo::Paste() {
    const QString text = QApplication::clipboard()->text();
    if (!text.isEmpty()) Type(text);
}

void TPageMemo::Undo() {
    if (undo_.empty()) return;
    Edit edit = std::move(undo_.back());
    undo_.pop_back();
    Replace(edit.at, edit.at + edit.inserted.size(), edit.removed, false);
    redo_.push_back(std::move(edit));
}

void TPageMemo::Redo() {
    if (redo_.empty()) return;
    Edit edit = std::move(redo_.back());
    redo_.pop_back();
    Replace(edit.at, edit.at + edit.removed.size(), edit.inserted, false);
    undo_.push_back(std::move(edit));
}

// Geometry.

qreal TPageMemo::Advance(char32_t c) const {
    const auto found = advances_.find(c);
    if (found != advances_.end()) return found->second;
    const qreal width =
        QFontMetricsF(drawnFont(font())).horizontalAdvance(QString::fromUcs4(&c, 1));
    advances_.emplace(c, width);
    return width;
}

qreal TPageMemo::XOf(const LineIndex::Line& line, std::size_t byte) const {
    Walk walk(*this, line);
    while (!walk.AtEnd() && walk.Byte() < byte) walk.Next();
    return walk.X();
}

std::size_t TPageMemo::ByteAtX(const LineIndex::Line& line, qreal x) const {
    Walk walk(*this, line);
    while (!walk.AtEnd() && walk.X() + walk.Width() / 2 < x) walk.Next();
    return walk.Byte();
}

std::size_t TPageMemo::ByteAt(const QPoint& point) const {
    // Above the view, the line before the first in sight, so that a drag scrolls up.
    const int row =
        point.y() < 0 ? -1 : std::max(0, (point.y() - kMargin) / fontMetrics().lineSpacing());
    const long number = std::max(0L, static_cast<long>(verticalScrollBar()->value()) + row);
    const LineIndex::Line line = Index().Numbered(View(), static_cast<std::size_t>(number));
    return ByteAtX(line, point.x() - kMargin + horizontalScrollBar()->value());
}

int TPageMemo::Rows() const {
    return std::max(1, (viewport()->height() - kMargin) / fontMetrics().lineSpacing());
}

void TPageMemo::MeasureWidest() {
    // A line of megabytes is measured in part, and the rest reckoned as wide a byte.
    constexpr std::size_t kMeasured = 64u << 10;
    const LineIndex::Line line = Index().Numbered(View(), Index().WidestLine());
    Walk walk(*this, line);
    while (!walk.AtEnd() && walk.Byte() < line.start + kMeasured) walk.Next();
    const std::size_t measured = walk.Byte() - line.start;
    widest_ = measured == 0 ? 0 : walk.X() * static_cast<qreal>(line.end - line.start) / measured;
}

void TPageMemo::AdjustScrollBars() {
    const int rows = Rows();
    QScrollBar* vertical = verticalScrollBar();
    vertical->setRange(0, std::max(0, static_cast<int>(Index().Lines()) - rows));
    vertical->setPageStep(rows);
    vertical->setSingleStep(1);
    QScrollBar* horizontal = horizontalScrollBar();
    const int width = viewport()->width();
    const int widest = static_cast<int>(std::min<qreal>(std::ceil(widest_), 1 << 30));
    horizontal->setRange(0, std::max(0, widest + 2 * kMargin + 1 - width));
    horizontal->setPageStep(width);
    horizontal->setSingleStep(std::max(1, fontMetrics().averageCharWidth() * 2));
}

void TPageMemo::ShowCaret() {
    const LineIndex::Line line = Index().Holding(View(), caret_);
    const int number = static_cast<int>(line.number);
    QScrollBar* vertical = verticalScrollBar();
    if (number < vertical->value())
        vertical->setValue(number);
    else if (number >= vertical->value() + Rows())
        vertical->setValue(number - Rows() + 1);
    const qreal x = XOf(line, caret_);
    if (x > widest_) {
        widest_ = x;
        AdjustScrollBars();
    }
    QScrollBar* horizontal = horizontalScrollBar();
    const int seen = viewport()->width() - 2 * kMargin;
    if (x < horizontal->value())
        horizontal->setValue(static_cast<int>(x) - seen / 4);
    else if (x > horizontal->value() + seen)
        horizontal->setValue(static_cast<int>(x) - seen * 3 / 4);
}

// Drawing.

void TPageMemo::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    painter.setFont(drawnFont(font()));
    const QFontMetricsF metrics(painter.font());
    const int height = fontMetrics().lineSpacing();
    const qreal left = kMargin - horizontalScrollBar()->value();
    const qreal right = viewport()->width();
    const std::size_t from = std::min(caret_, anchor_);
    const std::size_t to = std::max(caret_, anchor_);
    const QPalette& colours = palette();
    const bool caretShown = hasFocus();
    qreal widest = widest_;
    LineIndex::Line line = Index().Numbered(View(), verticalScrollBar()->value());
    for (int top = kMargin; top < event->rect().bottom(); top += height) {
        const qreal baseline = top + metrics.ascent();
        // The characters left of the view are only counted; those in it are drawn in runs of
        // one colour between tabs.
        Walk walk(*this, line);
        while (!walk.AtEnd() && left + walk.X() + walk.Width() < 0) walk.Next();
        QString run;
        qreal runX = 0;
        bool runSelected = false;
        const auto drawRun = [&] {
            if (run.isEmpty()) return;
            painter.setPen(colours.color(runSelected ? QPalette::HighlightedText : QPalette::Text));
            painter.drawText(QPointF(runX, baseline), run);
            run.clear();
        };
        qreal caretX = -1;
        for (; !walk.AtEnd() && left + walk.X() < right; walk.Next()) {
            const qreal x = left + walk.X();
            const bool selected = walk.Byte() >= from && walk.Byte() < to;
            if (selected)
                painter.fillRect(QRectF(x, top, walk.Width(), height), colours.highlight());
            if (walk.Byte() == caret_) caretX = x;
            if (walk.Char() == '\t' || selected != runSelected) drawRun();
            if (walk.Char() == '\t') continue;
            if (run.isEmpty()) {
                runX = x;
                runSelected = selected;
            }
            run += QChar::fromUcs4(walk.Char());
        }
        drawRun();
        if (walk.AtEnd()) {
            const qreal end = left + walk.X();
            // A selected line break shows as a space's width.
            if (!line.Last() && line.end >= from && line.end < to)
                painter.fillRect(QRectF(end, top, Advance(' '), height), colours.highlight());
            if (caret_ == line.end) caretX = end;
        }
        widest = std::max(widest, walk.X());
        if (caretShown && caretX >= 0 && !preedit_.isEmpty()) {
            const QRectF composed(caretX, top, metrics.horizontalAdvance(preedit_), height);
            painter.fillRect(composed, colours.base());
            painter.setPen(colours.color(QPalette::Text));
            painter.drawText(QPointF(caretX, baseline), preedit_);
            painter.drawLine(composed.bottomLeft(), composed.bottomRight());
            caretX = composed.right();
        }
        if (caretShown && caretX >= 0)
            painter.fillRect(QRectF(caretX, top, 1, height), colours.text());
        if (line.Last()) break;
        line = LineIndex::Following(View(), line);
    }
    if (widest > widest_) {
        // A line wider than any measured so far: the scroll range follows once this is drawn.
        widest_ = widest;
        QMetaObject::invokeMethod(
            this, [this] { AdjustScrollBars(); }, Qt::QueuedConnection);
    }
}

void TPageMemo::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    AdjustScrollBars();
}

void TPageMemo::scrollContentsBy(int, int) {
    viewport()->update();
}

void TPageMemo::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        advances_.clear();
        MeasureWidest();
        AdjustScrollBars();
    }
}

void TPageMemo::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void TPageMemo::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

}  // namespace verrimo
