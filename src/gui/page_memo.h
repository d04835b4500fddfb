// A memo for a page's texts, its source and its tag lists, which can be tens of megabytes. It
// draws only the lines in sight, straight from the bytes it shares with the page's owner, and
// finds a line through a LineIndex: no text document holds a copy, so a page shows at once and
// nothing fills in the background. It is an ordinary editable text all the same: the user moves
// through it with the keys and the mouse, selects, copies, types, pastes and undoes, and a screen
// reader reads it through its text interface, a few lines at a time.
#pragma once

#include <QAbstractScrollArea>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "indexed_text.h"

class QMenu;

namespace verrimo {

// What a screen reader reads of a page memo (page_memo_accessible.cpp): its text interface answers
// for the units asked for, a line or a word at a time, from the memo's bytes; nothing builds the
// whole text unless a reader asks for all of it. Once per program: every page memo answers so.
void installPageMemoAccessibility();

class TPageMemo : public QAbstractScrollArea {
    Q_OBJECT

  public:
    TPageMemo(const QString& name, QWidget* parent);

    std::string Text() const { return *text_.bytes; }
    // The same bytes, without a copy.
    SharedText Bytes() const { return text_.bytes; }
    std::vector<std::string> Lines() const;
    void SetText(std::string_view bytes);
    void SetText(SharedText bytes);
    // Lines found in the program's code page.
    void SetText(IndexedText text);
    // Shows the same bytes in the program's code page.
    void Recode();

    // The text in UTF-16 units, as a screen reader reads it: each line break is one "\n".
    int UnitCount() const;
    QString UnitText(int from, int to) const;
    // The line holding a unit: its first unit, and the first of the next line (the end of the
    // text for the last line).
    std::pair<int, int> LineUnits(int unit) const;
    int CaretUnit() const;
    // The selection, first unit first; empty when nothing is selected.
    std::pair<int, int> SelectedUnits() const;
    void SelectUnits(int anchor, int caret);
    // Where a unit is drawn, and the unit drawn at a point, in the viewport.
    QRect UnitRect(int unit) const;
    int UnitAt(const QPoint& point) const;
    void ShowUnits(int from, int to);
    // Replaces the units from..to with text as if the user typed it.
    void ReplaceUnits(int from, int to, const QString& text);

    void Copy() const;
    void Cut();
    void Paste();
    void Undo();
    void Redo();
    void SelectAll();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool focusNextPrevChild(bool next) override;

  private:
    enum class Move {
        NextChar,
        PreviousChar,
        NextWord,
        PreviousWord,
        NextLine,
        PreviousLine,
        NextPage,
        PreviousPage,
        StartOfLine,
        EndOfLine,
        StartOfText,
        EndOfText
    };
    struct Edit {
        std::size_t at;
        std::string removed;
        std::string inserted;
    };
    class Walk;

    std::string_view View() const { return *text_.bytes; }
    const LineIndex& Index() const { return *text_.lines; }
    void Show(IndexedText text);
    // Puts the caret at a byte place; with extend, the selection's other end stays.
    void PlaceCaret(std::size_t byte, bool extend);
    void MoveCaret(Move move, bool extend);
    std::size_t Moved(Move move) const;
    // The next (or previous) place where a word starts, or ends with wordEnd.
    std::size_t WordEdge(std::size_t byte, bool forward, bool wordEnd = false) const;
    std::size_t PreviousCharStart(std::size_t byte) const;
    std::size_t NextCharEnd(std::size_t byte) const;
    // Replaces bytes from..to; an undoable edit is kept for Undo.
    void Replace(std::size_t from, std::size_t to, std::string inserted, bool undoable = true);
    void Type(const QString& text);
    void DeleteSelectionOr(std::size_t from, std::size_t to);
    // Tells a screen reader what an edit changed at the unit place `at`.
    void Announce(std::size_t at, const std::string& removed, const std::string& inserted);

    // Geometry: a line's characters laid out from its start.
    qreal Advance(char32_t c) const;
    qreal XOf(const LineIndex::Line& line, std::size_t byte) const;
    std::size_t ByteAtX(const LineIndex::Line& line, qreal x) const;
    std::size_t ByteAt(const QPoint& point) const;
    int Rows() const;
    void AdjustScrollBars();
    void ShowCaret();
    void MeasureWidest();
    QString Shown(std::size_t from, std::size_t to) const;
    std::size_t UnitToByte(int unit) const;
    int ByteToUnit(std::size_t byte) const;
    QMenu* ContextMenu();

    IndexedText text_;
    std::size_t caret_ = 0;
    std::size_t anchor_ = 0;
    qreal wantedX_ = 0;  // where Up and Down keep the caret
    qreal widest_ = 0;   // the widest line seen so far, in pixels
    QString preedit_;    // what an input method composes at the caret
    std::vector<Edit> undo_;
    std::vector<Edit> redo_;
    mutable std::unordered_map<char32_t, qreal> advances_;
};

}  // namespace verrimo
