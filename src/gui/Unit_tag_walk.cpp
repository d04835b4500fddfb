// The walker's handlers: the auto list, the walk through the required-tag list, accepting and
// skipping.
#include <QFile>
#include <limits>

#include "Unit_tag.h"
#include "codepage.h"
#include "file_name.h"
#include "walk.h"

namespace verrimo {

void TForm_tag::FormCreate(const std::string& path) {
    Memo1->SetText(std::string_view());
    autoList_ = AutoList();
    QFile file(fileName(path));
    const bool opened = file.open(QIODevice::ReadOnly);
    const QByteArray text = opened ? file.readAll() : QByteArray();
    if (!opened || file.error() != QFileDevice::NoError) throw fileNotOpened(file.fileName());
    // The list is read and indexed once; the hidden memo holds it as the lines that remain.
    autoList_ = AutoList(std::string(text.data(), static_cast<std::size_t>(text.size())));
    Memo1->SetText(autoList_.memoText());
}

void TForm_tag::FormShow() {
    recordedForm_ = recording_;
    line_ = recordedForm_ ? recordedForm_->lines.begin : 0;
    LoadAndClassify();
}

void TForm_tag::UseRecording(std::optional<RecordedForm> form) {
    recording_ = std::move(form);
    recordedForm_.reset();
}

void TForm_tag::Button1Click(QObject*) {
    if (const auto line = acceptedLine(CurrentProposal())) emit LineAccepted(*line);
    Step();
}

void TForm_tag::Button3Click(QObject*) {
    Step();
}

void TForm_tag::Button5Click(QObject*) {
    emit AssistantRequested();
}

void TForm_tag::Button2Click(QObject*) {
    Close();
}

void TForm_tag::SetExpression(std::string_view keyword, const std::optional<std::string>& operand) {
    if (operand) Edit_zem->SetText(*operand);
    CB1->SetText(keyword);
    SelectRow(Row::Expression);
}

void TForm_tag::Step() {
    ++line_;
    LoadAndClassify();
}

void TForm_tag::LoadAndClassify() {
    // The list is asked for at every step: the user may have loaded another page meanwhile.
    const TagLines& all = tags_();
    const FormTagLines required(
        all, recordedForm_ ? recordedForm_->lines.end : std::numeric_limits<std::size_t>::max());
    Label_nowLine->SetText(std::to_string(line_));
    Edit_read->SetText(required.line(line_));

    const std::string tag = Edit_read->Text();
    Classification result = classifyTag(tag, line_, required, autoList_, CB_GV->isChecked(),
                                        CurrentProposal(), CodePage::program());
    if (recordedForm_ && !result.end)
        applyRecording(result, tag, line_, required, *recordedForm_, CodePage::program());
    ShowProposal(result.proposal);
    line_ = result.index;
    Label_nowLine->SetText(std::to_string(line_));
    if (!result.end) return;
    if (recordedForm_) emit RecordedFormWalked();
    Close();
}

Proposal TForm_tag::CurrentProposal() const {
    Proposal p;
    p.hint = Label_hint->Text();
    p.hint2 = Label_hint2->Text();
    p.name = Edit_name->Text();
    p.identity = CB2->Text();
    p.fixedValue = Edit_val->Text();
    p.expression = CB1->Text();
    p.operand = Edit_zem->Text();
    p.autoValue = CB3->Text();
    p.autoChoices = CB3->Items();
    p.row = SelectedRow();
    return p;
}

void TForm_tag::ShowProposal(const Proposal& p) {
    Label_hint->SetText(p.hint);
    Label_hint2->SetText(p.hint2);
    Edit_name->SetText(p.name);
    CB2->SetText(p.identity);
    Edit_val->SetText(p.fixedValue);
    CB1->SetText(p.expression);
    Edit_zem->SetText(p.operand);
    CB3->SetItems(p.autoChoices);
    CB3->SetText(p.autoValue);
    SelectRow(p.row);
}

}  // namespace verrimo
