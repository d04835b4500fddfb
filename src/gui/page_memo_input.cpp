// The page memo's keys, mouse, menu and input method.
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>
#include <algorithm>

#include "codepage.h"
#include "page_memo.h"

namespace verrimo {

bool TPageMemo::focusNextPrevChild(bool) {
    return false;  // Tab is a character here, as in any memo
}

void TPageMemo::keyPressEvent(QKeyEvent* event) {
    static const struct {
        QKeySequence::StandardKey move;
        QKeySequence::StandardKey select;
        Move where;
    } kMoves[] = {
        {QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar, Move::NextChar},
        {QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar, Move::PreviousChar},
        {QKeySequence::MoveToNextWord, QKeySequence::SelectNextWord, Move::NextWord},
        {QKeySequence::MoveToPreviousWord, QKeySequence::SelectPreviousWord, Move::PreviousWord},
        {QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine, Move::NextLine},
        {QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine, Move::PreviousLine},
        {QKeySequence::MoveToNextPage, QKeySequence::SelectNextPage, Move::NextPage},
        {QKeySequence::MoveToPreviousPage, QKeySequence::SelectPreviousPage, Move::PreviousPage},
        {QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine, Move::StartOfLine},
        {QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine, Move::EndOfLine},
        {QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument,
         Move::StartOfText},
        {QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument, Move::EndOfText},
    };
    for (const auto& keys : kMoves) {
        if (event->matches(keys.move) || event->matches(keys.select)) {
            MoveCaret(keys.where, event->matches(keys.select));
            if (keys.where == Move::NextPage || keys.where == Move::PreviousPage)
                verticalScrollBar()->setValue(
                    static_cast<int>(Index().Holding(View(), caret_).number) - Rows() / 2);
            return;
        }
    }
    const QString text = event->text();
    if (event->matches(QKeySequence::SelectAll))
        SelectAll();
    else if (event->matches(QKeySequence::Copy))
        Copy();
    else if (event->matches(QKeySequence::Cut))
        Cut();
    else if (event->matches(QKeySequence::Paste))
        Paste();
    else if (event->matches(QKeySequence::Undo))
        Undo();
    else if (event->matches(QKeySequence::Redo))
        Redo();
    else if (event->matches(QKeySequence::Delete))
        DeleteSelectionOr(caret_, NextCharEnd(caret_));
    else if (event->matches(QKeySequence::Backspace) || event->key() == Qt::Key_Backspace)
        DeleteSelectionOr(PreviousCharStart(caret_), caret_);
    else if (event->matches(QKeySequence::InsertParagraphSeparator) ||
             event->matches(QKeySequence::InsertLineSeparator))
        Type(QStringLiteral("\n"));
    else if (!text.isEmpty() &&
             std::all_of(text.begin(), text.end(),
                         [](QChar c) { return c.isPrint() || c == u'\t'; }) &&
             !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        Type(text);
    else
        return QAbstractScrollArea::keyPressEvent(event);
    event->accept();
}

void TPageMemo::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mousePressEvent(event);
    setFocus(Qt::MouseFocusReason);
    PlaceCaret(ByteAt(event->position().toPoint()), event->modifiers() & Qt::ShiftModifier);
    wantedX_ = XOf(Index().Holding(View(), caret_), caret_);
}

void TPageMemo::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) return QAbstractScrollArea::mouseMoveEvent(event);
    PlaceCaret(ByteAt(event->position().toPoint()), true);
}

void TPageMemo::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mouseDoubleClickEvent(event);
    const std::size_t at = ByteAt(event->position().toPoint());
    anchor_ = WordEdge(NextCharEnd(at), false);
    PlaceCaret(WordEdge(at, true, true), true);
}

QMenu* TPageMemo::ContextMenu() {
    auto* menu = new QMenu(this);
    const bool selected = caret_ != anchor_;
    // Qt's own captions, translated as in every other text of the program.
    const auto add = [this, menu](const char* caption, QKeySequence::StandardKey key, bool enabled,
                                  auto act) {
        const QString shortcut = QKeySequence(key).toString(QKeySequence::NativeText);
        QAction* action =
            menu->addAction(QCoreApplication::translate("QWidgetTextControl", caption) +
                                (shortcut.isEmpty() ? QString() : u'\t' + shortcut),
                            this, [this, act] { (this->*act)(); });
        action->setEnabled(enabled);
    };
    add("&Undo", QKeySequence::Undo, !undo_.empty(), &TPageMemo::Undo);
    add("&Redo", QKeySequence::Redo, !redo_.empty(), &TPageMemo::Redo);
    menu->addSeparator();
    add("Cu&t", QKeySequence::Cut, selected, &TPageMemo::Cut);
    add("&Copy", QKeySequence::Copy, selected, &TPageMemo::Copy);
    add("&Paste", QKeySequence::Paste, !QApplication::clipboard()->text().isEmpty(),
        &TPageMemo::Paste);
    menu->addSeparator();
    add("Select All", QKeySequence::SelectAll, !View().empty(), &TPageMemo::SelectAll);
    return menu;
}

void TPageMemo::contextMenuEvent(QContextMenuEvent* event) {
    std::unique_ptr<QMenu> menu(ContextMenu());
    menu->exec(event->globalPos());
}

void TPageMemo::inputMethodEvent(QInputMethodEvent* event) {
    // What is being composed shows at the caret until it is committed.
    preedit_ = event->preeditString();
    if (!event->commitString().isEmpty()) Type(event->commitString());
    viewport()->update();
    event->accept();
}

QVariant TPageMemo::inputMethodQuery(Qt::InputMethodQuery query) const {
    switch (query) {
        case Qt::ImEnabled:
            return true;
        case Qt::ImHints:
            return static_cast<int>(Qt::ImhMultiLine);
        case Qt::ImFont:
            return font();
        case Qt::ImCursorRectangle:
            return UnitRect(CaretUnit()).translated(viewport()->pos());
        case Qt::ImCursorPosition: {
            const LineIndex::Line line = Index().Holding(View(), caret_);
            return static_cast<int>(
                utf16Units(View().substr(line.start, caret_ - line.start), CodePage::program()));
        }
        case Qt::ImSurroundingText: {
            const LineIndex::Line line = Index().Holding(View(), caret_);
            return Shown(line.start, line.end);
        }
        default:
            return QAbstractScrollArea::inputMethodQuery(query);
    }
}

}  // namespace verrimo
