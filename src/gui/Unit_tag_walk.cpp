// The walker's handlers: the auto list, the walk through the required-tag list, accepting and
// skipping.
#include <QFile>
#include <charconv>

#include "Unit1.h"
#include "Unit2.h"
#include "Unit_gv.h"
#include "Unit_tag.h"
#include "codepage.h"
#include "exception_display.h"
#include "memo_text.h"
#include "walk.h"

namespace verrimo {

void TForm_tag::FormCreate() {
    const std::string path = forms_.Form1->ProgramFolder() + "auto.txt";
    Memo1->clear();
    QFile file(QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size()))));
    const bool opened = file.open(QIODevice::ReadOnly);
    const QByteArray text = opened ? file.readAll() : QByteArray();
    if (!opened || file.error() != QFileDevice::NoError)
        throw UserError("ファイル " + file.fileName().toStdString() + " は開けません");
    Memo1->SetText(joinLines(autoListLines(std::string_view(text.data(), text.size()))));
}

void TForm_tag::FormShow() {
    Label_nowLine->SetText("0");
    LoadAndClassify();
}

void TForm_tag::Button1Click(QObject*) {
    if (const auto line = acceptedLine(CurrentProposal())) forms_.Form1->Memo1->AddLine(*line);
    Step();
}

void TForm_tag::Button3Click(QObject*) {
    Step();
}

void TForm_tag::Button5Click(QObject*) {
    forms_.Form4->ShowModal();
}

void TForm_tag::Button2Click(QObject*) {
    Close();
}

std::size_t TForm_tag::LineIndex() const {
    // Only the walker writes this caption, always as a decimal number.
    const std::string caption = Label_nowLine->Text();
    std::size_t index = 0;
    std::from_chars(caption.data(), caption.data() + caption.size(), index);
    return index;
}

void TForm_tag::Step() {
    Label_nowLine->SetText(std::to_string(LineIndex() + 1));
    LoadAndClassify();
}

void TForm_tag::LoadAndClassify() {
    // The list is read afresh at every step: the user may have loaded another page meanwhile.
    const std::string source = forms_.Form2->Memo2->Text();
    const VectorTagLines required(splitLines(source));
    const std::size_t index = LineIndex();
    Edit_read->SetText(required.line(index));

    const std::string autoText = Memo1->Text();
    const Classification result =
        classifyTag(Edit_read->Text(), index, required, splitLines(autoText), CB_GV->isChecked(),
                    CurrentProposal(), CodePage::program());
    ShowProposal(result.proposal);
    Label_nowLine->SetText(std::to_string(result.index));
    if (result.end) Close();
}

Proposal TForm_tag::CurrentProposal() const {
    Proposal p;
    p.hint = Label_hint->Text();
    p.hint2 = Label_hint2->Text();
    p.name = Edit_name->Text();
    p.cb2 = CB2->Text();
    p.val = Edit_val->Text();
    p.cb1 = CB1->Text();
    p.zem = Edit_zem->Text();
    p.cb3 = CB3->Text();
    p.cb3Items = CB3->Items();
    p.row = SelectedRow();
    return p;
}

void TForm_tag::ShowProposal(const Proposal& p) {
    Label_hint->SetText(p.hint);
    Label_hint2->SetText(p.hint2);
    Edit_name->SetText(p.name);
    CB2->SetText(p.cb2);
    Edit_val->SetText(p.val);
    CB1->SetText(p.cb1);
    Edit_zem->SetText(p.zem);
    CB3->SetItems(p.cb3Items);
    CB3->SetText(p.cb3);
    SelectRow(p.row);
}

}  // namespace verrimo
