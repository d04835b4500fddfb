// The steps found in a HAR file: the user ticks those to keep, may choose each one's check
// string, and adds their lines to the definition.
#pragma once

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <string>
#include <vector>

#include "controls.h"
#include "form.h"
#include "har_road.h"

namespace verrimo {

class HarRoadDialog : public TModalForm {
    Q_OBJECT

  public:
    HarRoadDialog();

    void Button_addClick(QObject* Sender);
    void Button_closeClick(QObject* Sender);

    // The steps of the file named, every one ticked, the first one current.
    void ShowSteps(const QString& fileName, std::vector<HarStep> steps);

    // The list's columns.
    enum Column { Number, Method, Address, Fields, ReferrerPage };

    TLabel* Label_file;
    QTreeWidget* List_steps;
    TLabel* Label_notes;
    TLabel* Label_check;
    TComboBox* CB_check;
    TLabel* Label_lines;
    QPlainTextEdit* Memo_lines;
    QPushButton* Button_add;
    QPushButton* Button_close;

  signals:
    // The ticked steps, in the file's order, with the check strings chosen.
    void StepsChosen(const std::vector<HarStep>& steps);

  private:
    // The step whose notes and check string are shown; none when the list is empty.
    std::optional<std::size_t> Current() const;
    void ShowCurrent();
    void ShowLines();
    std::vector<std::size_t> Ticked() const;

    std::vector<HarStep> steps_;
};

}  // namespace verrimo
