// The main window's checking of the definition text: the colours and underlines, the line that
// counts the warnings, and the switch that turns it all off.
#include <QHelpEvent>
#include <QTextCursor>
#include <QToolTip>

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

void TForm1::ShowPageFindings(const std::vector<PageFinding>& findings) {
    std::map<int, QStringList> byLine;
    for (const PageFinding& f : findings)
        byLine[static_cast<int>(f.line)] << QString::fromUtf8(f.message);
    highlighter_->SetPageFindings(std::move(byLine));
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
