#include "application.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>

#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"
#include "Unit_about.h"
#include "Unit_gv.h"
#include "Unit_tag.h"
#include "exception_display.h"

namespace verrimo {

void Application::SetUiFont() {
    QFont font({"IPAPGothic", "IPA Pゴシック", "IPAGothic", "Noto Sans CJK JP", "VL PGothic",
                "sans-serif"});
    font.setPixelSize(12);
    QApplication::setFont(font);
}

Application::Application() {
    SetUiFont();
    if (qtTexts_.load("qtbase_ja", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts_);
    form1_ = std::make_unique<TForm1>(forms_);
    forms_.Form1 = form1_.get();
    guarded([this] { form1_->FormCreate(); });
    form2_ = std::make_unique<TForm2>(forms_);
    forms_.Form2 = form2_.get();
    guarded([this] { form2_->FormCreate(); });
    form3_ = std::make_unique<TForm3>(forms_);
    forms_.Form3 = form3_.get();
    formTag_ = std::make_unique<TForm_tag>(forms_);
    forms_.Form_tag = formTag_.get();
    guarded([this] { formTag_->FormCreate(); });
    form4_ = std::make_unique<TForm4>(forms_, formTag_.get());
    forms_.Form4 = form4_.get();
    aboutBox_ = std::make_unique<TAboutBox>();
    forms_.AboutBox = aboutBox_.get();
}

Application::~Application() = default;

void Application::Start() {
    form1_->Show();
}

}  // namespace verrimo
