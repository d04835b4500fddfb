// The main window's checking of the definition text: the colours and underlines, the line that
// counts the warnings, and the switch that turns it all off.
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QMenu>
#include <QTextBlock>
#include <QTextCursor>
#include <QToolTip>
#include <algorithm>
#include <set>

#include "codepage.h"
#include "definition_check.h"
#include "widget_text.h"

#include "Unit1.h"

namespace verrimo {

void TForm1::SetUpCheck(QWidget* panel) {
    // Beside the paste button, so that the layout stays as it is whether it shows or not.
    Label_check = new ClickableLabel("Label_check", panel);
    Label_check->setGeometry(276, 360, 356, 28);
    Label_check->setStyleSheet("color: #8a4b00;");
    Label_check->hide();
    highlighter_ = new DefinitionHighlighter(Memo1);
    highlighter_->setDocument(Memo1->document());
    Memo1->viewport()->installEventFilter(this);
    Memo1->installEventFilter(this);  // for the context menu that a key asks for

    connect(highlighter_, &DefinitionHighlighter::FindingsChanged, this, &TForm1::UpdateCheckLine);
    connect(Memo2->document(), &QTextDocument::contentsChanged, this, [this] {
        if (Memo2->document()->isEmpty()) heldAfterWalk_ = false;
        UpdateCheckLine();
    });
    connect(Label_check, &ClickableLabel::clicked, this,
            [this] { guarded([this] { Label_checkClick(Label_check); }); });
}

void TForm1::AppendField(std::string_view line) {
    if (!Memo2->document()->isEmpty()) heldAfterWalk_ = true;
    AppendLine(line);
    UpdateCheckLine();
}

void TForm1::Check1Click(QObject*) {
    highlighter_->setDocument(Check1->isChecked() ? Memo1->document() : nullptr);
    UpdateCheckLine();
}

void TForm1::Label_checkClick(QObject*) {
    const int at = highlighter_->NextFinding(Memo1->textCursor().position());
    if (at < 0) return;
    QTextCursor cursor = Memo1->textCursor();
    cursor.setPosition(at);
    Memo1->setTextCursor(cursor);
    Memo1->ensureCursorVisible();
    Memo1->setFocus();
}

void TForm1::UpdateCheckLine() {
    QStringList parts;
    if (Check1->isChecked()) {
        if (const std::size_t count = highlighter_->FindingCount())
            parts << QString("警告 %1 件").arg(count);
        if (heldAfterWalk_) parts << "待避中の文字列がまだあります（上に貼り付けてください）";
    }
    Label_check->setText(parts.join("　"));
    Label_check->setVisible(!parts.isEmpty());
}

void TForm1::ShowPageFindings(const std::vector<PageFinding>& findings, SharedText from) {
    std::map<int, QStringList> byLine;
    for (const PageFinding& f : findings)
        byLine[static_cast<int>(f.line)] << QString::fromUtf8(f.message);
    highlighter_->SetPageFindings(std::move(byLine));
    pageFindings_ = findings;
    findingsFrom_ = std::move(from);
}

void TForm1::WriteLineValue(int line, std::string_view value) {
    const QTextBlock block = Memo1->document()->findBlockByNumber(line);
    if (!block.isValid() || Memo1->isReadOnly()) return;
    const std::string bytes = fromDocument(block.text());
    const LineReport report = checkLine(bytes, false, CodePage::program());
    if (report.equals.empty()) return;
    QTextCursor cursor(block);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(toDocument(bytes.substr(0, report.value.begin) + std::string(value)));
}

void TForm1::ShowDefinitionMenu(const QContextMenuEvent* event) {
    const bool byKey = event->reason() == QContextMenuEvent::Keyboard;
    const QPoint at = byKey ? Memo1->cursorRect().center() : event->pos();
    QMenu* menu = Memo1->createStandardContextMenu(at);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const int line = (byKey ? Memo1->textCursor() : Memo1->cursorForPosition(at)).blockNumber();
    // Offered only while the definition is the one the findings were made from.
    const bool current =
        Check1->isChecked() && findingsFrom_ && Memo1->Bytes() && *findingsFrom_ == *Memo1->Bytes();
    std::set<std::string> offered;
    QAction* first = menu->actions().value(0);
    const bool drifted = current && std::any_of(pageFindings_.begin(), pageFindings_.end(),
                                                [line](const PageFinding& f) {
                                                    return static_cast<int>(f.line) == line;
                                                });
    if (drifted) {
        QAction* repair = new QAction("修復案…", menu);
        repair->setObjectName("Repair1");
        connect(repair, &QAction::triggered, this, &TForm1::RepairRequested);
        menu->insertAction(first, repair);
    }
    for (const PageFinding& f : pageFindings_) {
        if (!current || static_cast<int>(f.line) != line || !f.browserValue ||
            !offered.insert(*f.browserValue).second)
            continue;
        const QString shown =
            QFontMetrics(menu->font()).elidedText(toWidget(*f.browserValue), Qt::ElideRight, 320);
        QAction* write =
            new QAction(QString("値を「%1」にする（ブラウザが送る値）").arg(shown), menu);
        connect(write, &QAction::triggered, this,
                [this, line, value = *f.browserValue] { WriteLineValue(line, value); });
        menu->insertAction(first, write);
    }
    if ((drifted || !offered.empty()) && first) menu->insertSeparator(first);
    menu->popup(event->globalPos());
}

void TForm1::ShowFindingTip(const QHelpEvent* event) {
    const QString message =
        Check1->isChecked()
            ? highlighter_->MessageAt(Memo1->cursorForPosition(event->pos()).position())
            : QString();
    if (message.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(event->globalPos(), message, Memo1->viewport());
}

}  // namespace verrimo
