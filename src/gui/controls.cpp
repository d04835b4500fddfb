#include "controls.h"

#include <QCompleter>
#include <QTextBlock>
#include <QTextCursor>
#include <climits>

#include "memo_text.h"
#include "widget_text.h"

namespace verrimo {

TLabel::TLabel(const QString& name, const QString& caption, QWidget* parent)
    : QLabel(caption, parent) {
    setObjectName(name);
    setTextFormat(Qt::PlainText);
}

std::string TLabel::Text() const {
    return fromWidget(text());
}

void TLabel::SetText(std::string_view bytes) {
    setText(toWidget(bytes));
}

TEdit::TEdit(const QString& name, QWidget* parent) : QLineEdit(parent) {
    setObjectName(name);
    setMaxLength(INT_MAX);  // a long tag must not be cut
}

std::string TEdit::Text() const {
    return fromWidget(text());
}

void TEdit::SetText(std::string_view bytes) {
    setText(toWidget(bytes));
}

TComboBox::TComboBox(const QString& name, QWidget* parent) : QComboBox(parent) {
    setObjectName(name);
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);  // Enter must not add the typed text to the list
    lineEdit()->setMaxLength(INT_MAX);
    // Completion may finish a word but never change the letter case of what was typed.
    completer()->setCaseSensitivity(Qt::CaseSensitive);
    setMaxVisibleItems(20);
}

std::string TComboBox::Text() const {
    return fromWidget(currentText());
}

void TComboBox::SetText(std::string_view bytes) {
    setEditText(toWidget(bytes));
}

std::vector<std::string> TComboBox::Items() const {
    std::vector<std::string> items;
    items.reserve(static_cast<std::size_t>(count()));
    for (int i = 0; i < count(); ++i) items.push_back(fromWidget(itemText(i)));
    return items;
}

void TComboBox::SetItems(const std::vector<std::string>& items) {
    // Replacing the list leaves the typed text as it is.
    const QString text = currentText();
    QStringList list;
    list.reserve(static_cast<qsizetype>(items.size()));
    for (const auto& item : items) list.append(toWidget(item));
    clear();
    addItems(list);
    setEditText(text);
}

void TComboBox::AddItem(std::string_view bytes) {
    const QString text = currentText();
    addItem(toWidget(bytes));
    setEditText(text);
}

TMemo::TMemo(const QString& name, QWidget* parent) : QPlainTextEdit(parent) {
    setObjectName(name);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setUndoRedoEnabled(true);
}

std::string TMemo::Text() const {
    return fromDocument(document()->toRawText());
}

void TMemo::SetText(std::string_view bytes) {
    setPlainText(toDocument(bytes));
}

std::vector<std::string> TMemo::Lines() const {
    const std::string text = Text();
    std::vector<std::string> lines;
    for (auto line : splitLines(text)) lines.emplace_back(line);
    return lines;
}

void TMemo::AddLine(std::string_view line) {
    // The rule looks only at how the text ends.
    const QString lastBlock = document()->lastBlock().text();
    const std::string tail = !lastBlock.isEmpty()           ? fromDocument(lastBlock.right(1))
                             : document()->blockCount() > 1 ? "\r\n"
                                                            : "";
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(toDocument(lineAddition(tail, line)));
}

}  // namespace verrimo
