// The page viewer: the page as the browser shows it, its source, and the tags taken from it.
#pragma once

#include <QPushButton>
#include <QTabWidget>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <string>
#include <string_view>

#include "controls.h"
#include "fetch.h"
#include "form.h"
#include "forms.h"

namespace verrimo {

class TForm2 : public TForm {
    Q_OBJECT

  public:
    explicit TForm2(const Forms& forms);
    ~TForm2() override;

    void FormCreate();
    void Button1Click(QObject* Sender);
    void Button2Click(QObject* Sender);

    // The normaliser and the scanner on a page source: the page source becomes its pieces, one
    // per line, and the three lists are rebuilt from it. A downloaded page goes straight in, so
    // that a huge page fills the source page once, not twice.
    void ExtractTags(std::string_view pageSource);

    // Shows the file at this absolute path, read afresh even when it is already shown.
    void Navigate(const std::string& path);

    // How pages are downloaded into this window; the defaults suit any real site.
    FetchOptions fetchOptions;

    QTabWidget* PageControl1;
    QWidget* TabSheet1;
    QWidget* TabSheet2;
    QWidget* TabSheet3;
    TLabel* Label1;
    QWebEngineView* CppWebBrowser1;
    TMemo* Memo1;
    QPushButton* Button1;
    QPushButton* Button2;
    TLabel* Label2;
    TMemo* Memo2;
    TLabel* Label4;
    TMemo* Memo_img;
    TLabel* Label3;
    TMemo* Memo_href;

  private:
    const Forms& forms_;
    QWebEngineProfile* profile_;
};

}  // namespace verrimo
