// A page memo as a screen reader reads it: installPageMemoAccessibility of page_memo.h.
#include <QAccessibleWidget>
#include <QTextBoundaryFinder>

#include "page_memo.h"

namespace verrimo {

namespace {

class PageMemoAccessible : public QAccessibleWidget,
                           public QAccessibleTextInterface,
                           public QAccessibleEditableTextInterface {
  public:
    explicit PageMemoAccessible(TPageMemo* memo)
        : QAccessibleWidget(memo, QAccessible::EditableText) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
        if (type == QAccessible::EditableTextInterface)
            return static_cast<QAccessibleEditableTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.multiLine = true;
        state.editable = true;
        state.selectableText = true;
        return state;
    }

    using QAccessibleWidget::text;

    // The text.
    int characterCount() const override { return Memo()->UnitCount(); }
    QString text(int start, int end) const override {
        return Memo()->UnitText(Clamped(start), Clamped(end));
    }
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundary, int* start,
                         int* end) const override {
        const auto [from, to] = Segment(Clamped(offset), boundary);
        *start = from;
        *end = to;
        return Memo()->UnitText(from, to);
    }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundary, int* start,
                             int* end) const override {
        const int at = Segment(Clamped(offset), boundary).first;
        if (at == 0) {
            *start = *end = 0;
            return QString();
        }
        return textAtOffset(at - 1, boundary, start, end);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundary, int* start,
                            int* end) const override {
        const int at = Segment(Clamped(offset), boundary).second;
        if (at >= characterCount()) {
            *start = *end = characterCount();
            return QString();
        }
        return textAtOffset(at, boundary, start, end);
    }
    QString attributes(int offset, int* start, int* end) const override {
        // One run without attributes: the whole text.
        Q_UNUSED(offset);
        *start = 0;
        *end = characterCount();
        return QString();
    }

    // The caret and the selection.
    int cursorPosition() const override { return Memo()->CaretUnit(); }
    void setCursorPosition(int position) override {
        Memo()->SelectUnits(Clamped(position), Clamped(position));
    }
    int selectionCount() const override {
        const auto [from, to] = Memo()->SelectedUnits();
        return from == to ? 0 : 1;
    }
    void selection(int index, int* start, int* end) const override {
        const auto [from, to] = Memo()->SelectedUnits();
        const bool some = index == 0 && from != to;
        *start = some ? from : -1;
        *end = some ? to : -1;
    }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int index) override {
        if (index == 0) setCursorPosition(cursorPosition());
    }
    void setSelection(int index, int start, int end) override {
        if (index == 0) Memo()->SelectUnits(Clamped(start), Clamped(end));
    }

    // Where the characters are drawn.
    QRect characterRect(int offset) const override {
        const QRect shown = Memo()->UnitRect(Clamped(offset));
        return QRect(Memo()->viewport()->mapToGlobal(shown.topLeft()), shown.size());
    }
    int offsetAtPoint(const QPoint& point) const override {
        return Memo()->UnitAt(Memo()->viewport()->mapFromGlobal(point));
    }
    void scrollToSubstring(int start, int end) override {
        Memo()->ShowUnits(Clamped(start), Clamped(end));
    }

    // Edits, as if typed.
    void deleteText(int start, int end) override { replaceText(start, end, QString()); }
    void insertText(int offset, const QString& text) override { replaceText(offset, offset, text); }
    void replaceText(int start, int end, const QString& text) override {
        Memo()->ReplaceUnits(Clamped(start), Clamped(end), text);
    }

  private:
    TPageMemo* Memo() const { return static_cast<TPageMemo*>(widget()); }
    int Clamped(int unit) const {
        return unit < 0 ? characterCount() : std::min(unit, characterCount());
    }

    // The character, word or line (for a sentence and a paragraph too) around a unit: its
    // first unit and the one after it.
    std::pair<int, int> Segment(int unit, QAccessible::TextBoundaryType boundary) const {
        const int count = characterCount();
        if (boundary == QAccessible::NoBoundary) return {0, count};
        const auto [lineStart, lineEnd] = Memo()->LineUnits(unit);
        if (boundary != QAccessible::CharBoundary && boundary != QAccessible::WordBoundary)
            return {lineStart, lineEnd};
        const QString line = Memo()->UnitText(lineStart, lineEnd);
        const QTextBoundaryFinder::BoundaryType type = boundary == QAccessible::CharBoundary
                                                           ? QTextBoundaryFinder::Grapheme
                                                           : QTextBoundaryFinder::Word;
        QTextBoundaryFinder finder(type, line);
        finder.setPosition(unit - lineStart);
        if (!finder.isAtBoundary()) finder.toPreviousBoundary();
        const qsizetype from = std::max<qsizetype>(finder.position(), 0);
        const qsizetype to = finder.toNextBoundary();
        return {lineStart + static_cast<int>(from),
                to < 0 ? lineEnd : std::min(lineStart + static_cast<int>(to), count)};
    }
};

QAccessibleInterface* pageMemoFactory(const QString& className, QObject* object) {
    if (className != QLatin1String("verrimo::TPageMemo")) return nullptr;
    return new PageMemoAccessible(static_cast<TPageMemo*>(object));
}

}  // namespace

void installPageMemoAccessibility() {
    static const bool installed = (QAccessible::installFactory(pageMemoFactory), true);
    (void)installed;
}

}  // namespace verrimo
