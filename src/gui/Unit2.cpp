#include "Unit2.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <algorithm>

#include "charset.h"
#include "file_name.h"
#include "form_recording.h"
#include "make_controls.h"
#include "submission_recorder.h"

namespace verrimo {

namespace {

TPageMemo* listMemo(const QString& name, QWidget* parent, QRect place) {
    auto* memo = new TPageMemo(name, parent);
    memo->setGeometry(place);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    return memo;
}

// The file of a page dropped on the window: one local file.
QString droppedFile(const QMimeData* mime) {
    const QList<QUrl> urls = mime->urls();
    return urls.size() == 1 && urls.front().isLocalFile() ? urls.front().toLocalFile() : QString();
}

QWidget* tabSheet(const QString& name, QTabWidget* pages, const QString& caption) {
    auto* sheet = new QWidget;
    sheet->setObjectName(name);
    pages->addTab(sheet, caption);
    return sheet;
}

// The scratch copy is a stranger's page: it may show its remote images and styles, but runs no
// script and reads no local file. Nothing of it is kept, so no load can show a stale copy.
QWebEngineProfile* browserProfile(QObject* parent) {
    auto* profile = new QWebEngineProfile(parent);  // no storage name: off the record
    profile->setHttpCacheType(QWebEngineProfile::NoCache);
    QWebEngineSettings* settings = profile->settings();
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, true);
    return profile;
}

// A bar below the pages, in a quiet colour, hidden until it has something to say.
QWidget* quietBar(const QString& name, QWidget* parent) {
    auto* bar = new QWidget(parent);
    bar->setObjectName(name);
    bar->setAutoFillBackground(true);
    QPalette quiet = bar->palette();
    quiet.setColor(QPalette::Window, QColor(255, 248, 220));
    bar->setPalette(quiet);
    bar->hide();
    return bar;
}

}  // namespace

TForm2::TForm2() {
    setObjectName("Form2");
    setWindowTitle("タグ＆簡易ブラウザ");
    setFormFrame(this, 720, 560);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName("PageControl1");
    PageControl1->setGeometry(4, 4, 712, 552);
    TabSheet1 = tabSheet("TabSheet1", PageControl1, "\u3000\u3000\u3000html表示\u3000\u3000\u3000");
    TabSheet2 =
        tabSheet("TabSheet2", PageControl1, "\u3000\u3000\u3000htmlソース\u3000\u3000\u3000");
    TabSheet3 = tabSheet("TabSheet3", PageControl1,
                         "\u3000\u3000\u3000\u3000必要なタグ\u3000\u3000\u3000\u3000");

    Label1 = makeLabel("Label1", "ボタンなどは指示がなければ押さないでください。", TabSheet1,
                       {8, 6, 690, 18});
    profile_ = browserProfile(this);
    CppWebBrowser1 = new QWebEngineView(TabSheet1);
    CppWebBrowser1->setObjectName("CppWebBrowser1");
    CppWebBrowser1->setAccessibleName("html表示");
    CppWebBrowser1->installEventFilter(this);  // names any surface it makes to draw its pages
    CppWebBrowser1->setPage(new HoldingPage(profile_, CppWebBrowser1));
    recorder_ = new SubmissionRecorder(CppWebBrowser1->page());
    connect(recorder_, &SubmissionRecorder::Recorded, this, &TForm2::FormRecorded);
    CppWebBrowser1->setGeometry(4, 28, 698, 490);
    // The browser's surface is made now, before the window is first shown; made at the first
    // load, it would have the window rebuilt.
    CppWebBrowser1->setHtml(QString());

    Memo1 = listMemo("Memo1", TabSheet2, {4, 4, 698, 476});
    Button1 = makeButton("Button1", "ソースをクリア", TabSheet2, {4, 488, 160, 28});
    Button2 = makeButton("Button2", "タグ抽出", TabSheet2, {542, 488, 160, 28});

    Label2 = makeLabel("Label2", "必要と思われるタグです", TabSheet3, {8, 4, 690, 18});
    Memo2 = listMemo("Memo2", TabSheet3, {4, 24, 698, 200});
    Label4 = makeLabel("Label4", "画像タグの抽出", TabSheet3, {8, 230, 690, 18});
    Memo_img = listMemo("Memo_img", TabSheet3, {4, 250, 698, 120});
    Label3 = makeLabel("Label3", "通常のリンクタグの抽出", TabSheet3, {8, 376, 690, 18});
    Memo_href = listMemo("Memo_href", TabSheet3, {4, 396, 698, 122});

    Label_charset = new QLabel(this);
    Label_charset->setObjectName("Label_charset");
    Label_charset->setGeometry(480, 6, 232, 20);
    Label_charset->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Panel_charset = quietBar("Panel_charset", this);
    Label_offer = new QLabel(Panel_charset);
    Label_offer->setObjectName("Label_offer");
    Label_offer->setGeometry(8, 6, 500, 20);
    Button_charset = makeButton("Button_charset", "", Panel_charset, {512, 3, 200, 26});
    Button_charset->setAutoDefault(false);
    Button_charset->setAccessibleName("ページの文字コードで表示する");
    connect(Button_charset, &QPushButton::clicked, this, [this] { emit CodePageChosen(offered_); });
    Panel_record = quietBar("Panel_record", this);
    Label_record = makeLabel("Label_record", "", Panel_record, {8, 6, 500, 20});
    Button_send = makeButton("Button_send", "送信して次へ", Panel_record, {516, 3, 112, 26});
    Button_send->setAutoDefault(false);
    Button_send->setAccessibleName("記録した送信を送って次のページへ");
    connect(Button_send, &QPushButton::clicked, this, [this] { emit SendRequested(); });
    Button_discard = makeButton("Button_discard", "破棄", Panel_record, {632, 3, 80, 26});
    Button_discard->setAutoDefault(false);
    Button_discard->setAccessibleName("記録を破棄");
    connect(Button_discard, &QPushButton::clicked, this, [this] {
        EmptyPageFields();
        emit RecordingDiscarded();
    });

    PageControl1->setAccessibleName("表示の切り替え");
    Memo1->setAccessibleName("htmlソース");
    Label2->setBuddy(Memo2);
    Label4->setBuddy(Memo_img);
    Label3->setBuddy(Memo_href);

    PageControl1->setCurrentWidget(TabSheet3);

    // A page file dropped anywhere on the window is opened, also over the texts and the browser.
    setAcceptDrops(true);
    CppWebBrowser1->setAcceptDrops(false);
    for (TPageMemo* memo : {Memo1, Memo2, Memo_img, Memo_href})
        memo->viewport()->installEventFilter(this);

    connectClick(Button1, this, &TForm2::Button1Click);
    connectClick(Button2, this, &TForm2::Button2Click);
}

TForm2::~TForm2() {
    // The page has to go before the profile it uses.
    delete CppWebBrowser1;
}

void TForm2::RecodeTexts(const CodePage& from) {
    TForm::RecodeTexts(from);
    for (TPageMemo* memo : {Memo1, Memo2, Memo_img, Memo_href}) memo->Recode();
}

void TForm2::FormCreate() {
    ClearLists(true);
}

void TForm2::Button1Click(QObject*) {
    Memo1->SetText(std::string_view());
}

void TForm2::Button2Click(QObject*) {
    emit ExtractRequested();
}

void TForm2::ShowExtraction(IndexedText source, IndexedText required, IndexedText images,
                            IndexedText links) {
    Memo1->SetText(std::move(source));
    Memo2->SetText(std::move(required));
    Memo_img->SetText(std::move(images));
    Memo_href->SetText(std::move(links));
}

void TForm2::ClearLists(bool withSource) {
    if (withSource) Memo1->SetText(std::string_view());
    Memo2->SetText(std::string_view());
    Memo_href->SetText(std::string_view());
    Memo_img->SetText(std::string_view());
}

void TForm2::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TForm2::dropEvent(QDropEvent* event) {
    const QString file = droppedFile(event->mimeData());
    if (file.isEmpty()) return;
    event->acceptProposedAction();
    // Opened once the drop is over: the load turns the event loop, which a drop must not wait on.
    QTimer::singleShot(0, this, [this, path = fileNameBytes(file)] { emit PageFileDropped(path); });
}

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
    // The surface takes the keys for the page, so a screen reader meets it by the browser's name.
    if (watched == CppWebBrowser1 && event->type() == QEvent::ChildAdded) {
        if (auto* surface = qobject_cast<QWidget*>(static_cast<QChildEvent*>(event)->child()))
            surface->setAccessibleName(CppWebBrowser1->accessibleName());
    }
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove ||
        event->type() == QEvent::Drop) {
        auto* drop = static_cast<QDropEvent*>(event);
        if (!droppedFile(drop->mimeData()).isEmpty()) {
            if (event->type() == QEvent::Drop)
                dropEvent(drop);
            else
                drop->acceptProposedAction();
            return true;
        }
    }
    return TForm::eventFilter(watched, event);
}

void TForm2::ShowCharset(const std::string& pageCharset, const std::string& codePageCharset) {
    Label_charset->setText(
        pageCharset.empty() ? QString() : "文字コード: " + QString::fromStdString(pageCharset));
    const bool switchable = std::find(kSwitchableCharsets.begin(), kSwitchableCharsets.end(),
                                      pageCharset) != kSwitchableCharsets.end();
    const bool offer = switchable && pageCharset != codePageCharset;
    offered_ = offer ? pageCharset : std::string();
    if (offer) {
        const QString name = QString::fromStdString(pageCharset);
        Label_offer->setText("このページは " + name + " で書かれています。");
        Button_charset->setText(name + " で表示する");
    }
    Panel_charset->setVisible(offer);
    PlaceBars();
}

void TForm2::ShowRecording(const FormRecording* recording) {
    if (recording) {
        const CodePage& cp = CodePage::program();
        const std::string button =
            recording->submitter
                ? cp.fromUtf8("送信ボタン「") + recording->submitterText + cp.fromUtf8("」")
                : cp.fromUtf8("送信ボタンなし");
        Label_record->SetText(cp.fromUtf8("記録しました: ") +
                              std::to_string(recording->fieldCount()) + cp.fromUtf8(" 項目、") +
                              button);
        Button_send->show();
        Button_discard->show();
    }
    Panel_record->setVisible(recording != nullptr);
    PlaceBars();
}

void TForm2::EnableSend(bool enabled) {
    Button_send->setEnabled(enabled);
}

void TForm2::ShowSent(std::string_view text) {
    Label_record->SetText(text);
    Button_send->hide();
    Button_discard->hide();
    Panel_record->show();
    PlaceBars();
}

void TForm2::PlaceBars() {
    int bottom = 560;
    for (QWidget* bar : {Panel_charset, Panel_record}) {
        if (bar->isHidden()) continue;
        bar->setGeometry(0, bottom, 720, 32);
        bottom += 32;
    }
    setFixedSize(720, bottom);
}

void TForm2::ShowRequiredTags() {
    PageControl1->setCurrentWidget(TabSheet3);
}

void TForm2::EmptyPageFields() {
    recorder_->EmptyFields();
}

void TForm2::Navigate(const std::string& path) {
    // "file://" and the absolute path; a '#', '?' or '%' in the folder's name stays part of the
    // path instead of ending it.
    CppWebBrowser1->load(QUrl::fromLocalFile(fileName(path)));
}

}  // namespace verrimo
