#include "page_fetch.h"

#include <QFile>
#include <fstream>

#include "Unit1.h"
#include "Unit2.h"
#include "download_progress.h"
#include "exception_display.h"
#include "fetch.h"
#include "memo_text.h"

namespace verrimo {

void FetchPage(const Forms& forms) {
    TForm2& viewer = *forms.Form2;
    viewer.Memo1->clear();
    viewer.Memo2->clear();
    viewer.Memo_href->clear();
    viewer.Memo_img->clear();
    FetchResult page;
    {
        DownloadProgress progress(forms.Form1);
        page = downloadPage(forms.Form1->Edit1->Text(), progress.callback(), viewer.fetchOptions);
    }
    viewer.ExtractTags(pageSourceFromBody(page.body));
    ShowPageCopy(forms);
}

void ShowPageCopy(const Forms& forms) {
    const std::string path = forms.Form1->ProgramFolder() + "temp.html";
    const std::string source = fileText(forms.Form2->Memo1->Text());
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(source.data(), static_cast<std::streamsize>(source.size()));
    file.close();
    if (file.fail()) {
        const QString shown = QFile::decodeName(QByteArray(path.data(), path.size()));
        throw UserError("ファイル " + shown.toUtf8().toStdString() + " を作成できません");
    }
    forms.Form2->Navigate(path);
}

}  // namespace verrimo
