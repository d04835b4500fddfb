#include "repair_dialog.h"

#include <QHeaderView>
#include <QTextBlock>

#include "make_controls.h"
#include "widget_text.h"

namespace verrimo {

namespace {

const QColor kRemovedColour(255, 224, 224);
const QColor kAddedColour(220, 245, 220);
const QColor kNeedsYouColour(255, 240, 200);

QString repairKindText(RepairKind kind) {
    switch (kind) {
        case RepairKind::Renamed:
            return "名前の変更";
        case RepairKind::Added:
            return "項目の追加";
        case RepairKind::Removed:
            return "項目の削除";
        case RepairKind::Action:
            return "送信先";
        case RepairKind::Choices:
            return "選択肢";
        case RepairKind::Charset:
            return "文字コード";
        case RepairKind::SubmitRenamed:
            return "送信ボタン";
        case RepairKind::NeedsYou:
            return "要確認";
    }
    return {};
}

// Whole lines of a text box coloured: lines [begin, end) of the document.
void colourLines(QList<QTextEdit::ExtraSelection>& marks, QPlainTextEdit* memo, std::size_t begin,
                 std::size_t end, const QColor& colour) {
    for (std::size_t line = begin; line < end; ++line) {
        const QTextBlock block = memo->document()->findBlockByNumber(static_cast<int>(line));
        if (!block.isValid()) break;
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(block);
        mark.format.setBackground(colour);
        mark.format.setProperty(QTextFormat::FullWidthSelection, true);
        marks << mark;
    }
}

QPlainTextEdit* makeSideMemo(const QString& name, const QString& accessible, QWidget* parent,
                             QRect place) {
    auto* memo = new QPlainTextEdit(parent);
    memo->setObjectName(name);
    memo->setGeometry(place);
    memo->setReadOnly(true);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setAccessibleName(accessible);
    return memo;
}

}  // namespace

RepairDialog::RepairDialog() {
    setObjectName("RepairDialog");
    setWindowTitle("修復案");
    setFormFrame(this, 760, 560);

    Label_intro = makeLabel("Label_intro", "", this, {8, 6, 744, 36});
    Label_intro->setWordWrap(true);
    Label_old = makeLabel("Label_old", "今の定義", this, {8, 46, 368, 20});
    Memo_old = makeSideMemo("Memo_old", "今の定義", this, {8, 68, 368, 280});
    Label_new =
        makeLabel("Label_new", "修復後の定義（チェックした変更）", this, {384, 46, 368, 20});
    Memo_new = makeSideMemo("Memo_new", "修復後の定義", this, {384, 68, 368, 280});
    Label_old->setBuddy(Memo_old);
    Label_new->setBuddy(Memo_new);
    List_changes = new QTreeWidget(this);
    List_changes->setObjectName("List_changes");
    List_changes->setGeometry(8, 356, 744, 156);
    List_changes->setRootIsDecorated(false);
    List_changes->setHeaderLabels({"行", "種類", "説明"});
    List_changes->header()->setStretchLastSection(true);
    List_changes->setAccessibleName("変更（チェックした変更を書き込みます）");
    List_changes->header()->setAccessibleName("変更の列");
    Button_all = makeButton("Button_all", "すべて適用", this, {384, 522, 120, 28});
    Button_chosen = makeButton("Button_chosen", "選んだ変更を適用", this, {512, 522, 144, 28});
    Button_cancel = makeButton("Button_cancel", "キャンセル", this, {664, 522, 88, 28});

    setTabOrder(List_changes, Memo_old);
    setTabOrder(Memo_old, Memo_new);
    setTabOrder(Memo_new, Button_all);
    setTabOrder(Button_all, Button_chosen);
    setTabOrder(Button_chosen, Button_cancel);

    connect(List_changes, &QTreeWidget::itemChanged, this,
            [this](QTreeWidgetItem* row) { RowTicked(row); });
    connectClick(Button_all, this, &RepairDialog::Button_allClick);
    connectClick(Button_chosen, this, &RepairDialog::Button_chosenClick);
    connectClick(Button_cancel, this, &RepairDialog::Button_cancelClick);
}

void RepairDialog::ShowRepair(std::string old, RepairResult repair) {
    old_ = std::move(old);
    repair_ = std::move(repair);
    oldLines_ = linePieces(old_);
    newLines_ = linePieces(repair_.text);
    hunks_ = pairLines(oldLines_, newLines_, diffLines(oldLines_, newLines_));
    std::vector<std::size_t> lines;
    for (const RepairChange& c : repair_.changes) lines.push_back(c.line);
    hunkOfRow_ = hunksOfLines(hunks_, lines);
    // A hunk no change names is still one to take.
    std::vector<bool> named(hunks_.size(), false);
    for (const auto& h : hunkOfRow_)
        if (h) named[*h] = true;

    const QSignalBlocker quiet(List_changes);
    List_changes->clear();
    const auto addRow = [this](std::size_t line, const QString& kind, const QString& message,
                               std::optional<std::size_t> hunk, bool needsUser) {
        auto* row = new QTreeWidgetItem(List_changes);
        row->setText(Line, QString::number(line + 1));
        row->setText(Kind, kind);
        row->setText(Message, message);
        row->setToolTip(Message, message);
        // Only what the repair can write is ticked; what needs the user is theirs to write.
        if (hunk && !needsUser)
            row->setCheckState(Line, Qt::Checked);
        else
            row->setFlags(row->flags() & ~Qt::ItemIsUserCheckable);
        if (needsUser)
            for (int c = Line; c <= Message; ++c) row->setBackground(c, kNeedsYouColour);
    };
    for (std::size_t i = 0; i < repair_.changes.size(); ++i) {
        const RepairChange& c = repair_.changes[i];
        addRow(c.line, c.needsUser ? "要確認" : repairKindText(c.kind),
               QString::fromStdString(c.message), hunkOfRow_[i], c.needsUser);
    }
    for (std::size_t h = 0; h < hunks_.size(); ++h)
        if (!named[h]) {
            hunkOfRow_.push_back(h);
            addRow(hunks_[h].fromBegin, "書き換え", "そのほかの書き換え", h, false);
        }
    List_changes->resizeColumnToContents(Line);
    List_changes->resizeColumnToContents(Kind);

    std::size_t needsYou = 0;
    for (const RepairChange& c : repair_.changes) needsYou += c.needsUser;
    Label_intro->setText(
        QString("変更 %1 件、あなたが決めること %2 件。チェックした変更だけを定義に書き込みます"
                "（「すべて適用」か「選んだ変更を適用」を押すまで定義は変わりません）。")
            .arg(repair_.changes.size() - needsYou)
            .arg(needsYou));
    Memo_old->setPlainText(toDocument(old_));
    QList<QTextEdit::ExtraSelection> marks;
    for (const RepairChange& c : repair_.changes)
        if (c.needsUser) colourLines(marks, Memo_old, c.line, c.line + 1, kNeedsYouColour);
    for (const LineHunk& h : hunks_)
        colourLines(marks, Memo_old, h.fromBegin, h.fromEnd, kRemovedColour);
    Memo_old->setExtraSelections(marks);
    ShowChosen();
    List_changes->setCurrentItem(List_changes->topLevelItem(0));
}

std::vector<bool> RepairDialog::Taken() const {
    std::vector<bool> taken(hunks_.size(), false);
    for (std::size_t i = 0; i < hunkOfRow_.size(); ++i) {
        const QTreeWidgetItem* row = List_changes->topLevelItem(static_cast<int>(i));
        if (hunkOfRow_[i] && (row->flags() & Qt::ItemIsUserCheckable) &&
            row->checkState(Line) == Qt::Checked)
            taken[*hunkOfRow_[i]] = true;
    }
    return taken;
}

void RepairDialog::ShowChosen() {
    const std::vector<bool> taken = Taken();
    Memo_new->setPlainText(toDocument(applyHunks(oldLines_, newLines_, hunks_, taken)));
    // Where each taken hunk's lines stand in the text as chosen.
    QList<QTextEdit::ExtraSelection> marks;
    std::size_t shift = 0;  // lines the hunks before have added, less those they removed
    for (std::size_t h = 0; h < hunks_.size(); ++h) {
        if (!taken[h]) continue;
        const std::size_t begin = hunks_[h].fromBegin + shift;
        const std::size_t added = hunks_[h].toEnd - hunks_[h].toBegin;
        colourLines(marks, Memo_new, begin, begin + added, kAddedColour);
        shift = shift + added - (hunks_[h].fromEnd - hunks_[h].fromBegin);
    }
    Memo_new->setExtraSelections(marks);
    Button_chosen->setEnabled(std::find(taken.begin(), taken.end(), true) != taken.end());
    Button_all->setEnabled(!hunks_.empty());
}

void RepairDialog::RowTicked(QTreeWidgetItem* row) {
    const auto at = static_cast<std::size_t>(List_changes->indexOfTopLevelItem(row));
    if (at >= hunkOfRow_.size() || !hunkOfRow_[at]) return;
    const QSignalBlocker quiet(List_changes);
    for (std::size_t i = 0; i < hunkOfRow_.size(); ++i) {
        QTreeWidgetItem* other = List_changes->topLevelItem(static_cast<int>(i));
        if (i != at && hunkOfRow_[i] == hunkOfRow_[at] &&
            (other->flags() & Qt::ItemIsUserCheckable))
            other->setCheckState(Line, row->checkState(Line));
    }
    ShowChosen();
}

void RepairDialog::Button_allClick(QObject*) {
    emit RepairAccepted(repair_.text);
    accept();
}

void RepairDialog::Button_chosenClick(QObject*) {
    emit RepairAccepted(applyHunks(oldLines_, newLines_, hunks_, Taken()));
    accept();
}

void RepairDialog::Button_cancelClick(QObject*) {
    reject();
}

}  // namespace verrimo
