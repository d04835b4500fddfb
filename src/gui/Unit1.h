// The main window: the definition text, the holding area, the URL box and the commands.
#pragma once

#include <QMenuBar>
#include <QPushButton>
#include <string>

#include "controls.h"
#include "form.h"
#include "forms.h"

namespace verrimo {

class TForm1 : public TForm {
    Q_OBJECT

  public:
    explicit TForm1(const Forms& forms);

    void FormCreate();
    void Button1Click(QObject* Sender);
    void Button2Click(QObject* Sender);
    void Button3Click(QObject* Sender);
    void Button4Click(QObject* Sender);
    void About1Click(QObject* Sender);
    void Close1Click(QObject* Sender);

    // The executable's folder with its trailing separator, as the file system spells it.
    const std::string& ProgramFolder() const { return programFolder_; }

    TLabel* Label13540;
    TEdit* Edit_now_open;
    QPushButton* Button4;
    TComboBox* Edit1;
    QPushButton* Button1;
    QPushButton* Button3;
    TMemo* Memo1;
    QPushButton* Button2;
    TMemo* Memo2;
    QMenuBar* MainMenu1;
    QMenu* File1;
    QAction* Close1;
    QMenu* Help1;
    QAction* About1;

  protected:
    void FormShow() override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    const Forms& forms_;
    std::string programFolder_;
};

}  // namespace verrimo
