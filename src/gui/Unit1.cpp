#include "Unit1.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QToolButton>
#include <QVBoxLayout>

#include "charset.h"
#include "exception_display.h"
#include "file_dialog.h"
#include "file_name.h"
#include "find_targets.h"
#include "make_controls.h"
#include "memo_text.h"
#include "own_texts.h"

namespace verrimo {

namespace {

// What the current-URL field shows after an extraction from pasted source (UTF-8).
constexpr std::string_view kPastedSourceUtf8 = "ソース貼り付けです";

}  // namespace

TForm1::TForm1() {
    setObjectName("Form1");
    setWindowTitle("Verrimo");
    setFormFrame(this, 640, 520);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName("MainMenu1");
    layout->setMenuBar(MainMenu1);
    File1 = MainMenu1->addMenu("ファイル");
    File1->setObjectName("File1");
    Open1 = File1->addAction("開く…");
    Open1->setObjectName("Open1");
    Open1->setShortcut(QKeySequence::Open);
    Har1 = File1->addAction("HARを読み込む…");
    Har1->setObjectName("Har1");
    Folder1 = File1->addAction("定義フォルダの点検…");
    Folder1->setObjectName("Folder1");
    Save1 = File1->addAction("名前を付けて保存…");
    Save1->setObjectName("Save1");
    Save1->setShortcut(QKeySequence::Save);
    Check1 = File1->addAction("定義の点検");
    Check1->setObjectName("Check1");
    Check1->setCheckable(true);
    Check1->setChecked(true);
    NewRoad1 = File1->addAction("新しい道順（クッキーを消す）");
    NewRoad1->setObjectName("NewRoad1");
    File1->addSeparator();
    Close1 = File1->addAction("閉じる");
    Close1->setObjectName("Close1");
    CodePage1 = MainMenu1->addMenu("文字コード");
    CodePage1->setObjectName("CodePage1");
    auto* codePages = new QActionGroup(this);
    for (const std::string_view charset : kSwitchableCharsets) {
        QAction* choice = CodePage1->addAction(QString::fromLatin1(charset));
        choice->setCheckable(true);
        codePages->addAction(choice);
        connect(choice, &QAction::triggered, this,
                [this, charset] { emit CodePageChosen(std::string(charset)); });
    }
    View1 = MainMenu1->addMenu("表示");
    View1->setObjectName("View1");
    Preview1 = View1->addAction("送信内容");
    Preview1->setObjectName("Preview1");
    Run1 = View1->addAction("試走…");
    Run1->setObjectName("Run1");
    Help1 = MainMenu1->addMenu("ヘルプ");
    Help1->setObjectName("Help1");
    About1 = Help1->addAction("バージョン情報");
    About1->setObjectName("About1");
    auto* panel = new QWidget(this);
    layout->addWidget(panel);

    Label13540 = makeLabel("Label13540", "現在表示しているＵＲＬ", panel, {8, 10, 140, 20});
    Edit_now_open = makeEdit("Edit_now_open", "", panel, {150, 8, 386, 24});
    Edit_now_open->setReadOnly(true);
    Button4 = makeButton("Button4", "読み直し", panel, {544, 7, 88, 26});
    Edit1 = makeCombo("Edit1", {}, panel, {8, 42, 440, 26});
    Button1 = makeButton("Button1", "ＵＲＬ読み込み", panel, {456, 42, 176, 26});
    Button3 = makeButton("Button3", "必要タグの記入", panel, {8, 76, 200, 28});

    Memo1 = new TMemo("Memo1", panel);
    Memo1->setGeometry(8, 112, 624, 240);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    Button2 = makeButton("Button2", "待避中の文字列を上に貼り付け", panel, {8, 360, 260, 28});

    Memo2 = new TMemo("Memo2", panel);
    Memo2->setGeometry(8, 396, 624, 94);
    Memo2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo2->setToolTip("actionの場合の「chk-moji」用です。");
    Memo2->installEventFilter(this);
    Memo2->viewport()->installEventFilter(this);
    SetUpCheck(panel);

    Label13540->setBuddy(Edit_now_open);
    Edit1->setAccessibleName("ＵＲＬ");
    Memo1->setAccessibleName("定義の本文");
    Memo2->setAccessibleName("待避中の文字列");
    // The bar's own button for the menus it has no room for.
    if (auto* more = MainMenu1->findChild<QToolButton*>())
        more->setAccessibleName("その他のメニュー");
    nameBoxEdits(this);

    setTabOrder(Button1, Memo1);
    setTabOrder(Memo1, Edit_now_open);
    setTabOrder(Edit_now_open, Edit1);
    setTabOrder(Edit1, Memo2);
    setTabOrder(Memo2, Button2);
    setTabOrder(Button2, Button3);
    setTabOrder(Button3, Button4);

    connectClick(Button1, this, &TForm1::Button1Click);
    connectClick(Button2, this, &TForm1::Button2Click);
    connectClick(Button3, this, &TForm1::Button3Click);
    connectClick(Button4, this, &TForm1::Button4Click);
    connect(Open1, &QAction::triggered, this, [this] { guarded([this] { Open1Click(Open1); }); });
    connect(Har1, &QAction::triggered, this, [this] { guarded([this] { Har1Click(Har1); }); });
    connect(Folder1, &QAction::triggered, this,
            [this] { guarded([this] { Folder1Click(Folder1); }); });
    connect(Save1, &QAction::triggered, this, [this] { guarded([this] { Save1Click(Save1); }); });
    connect(Check1, &QAction::triggered, this,
            [this] { guarded([this] { Check1Click(Check1); }); });
    connect(Close1, &QAction::triggered, this,
            [this] { guarded([this] { Close1Click(Close1); }); });
    connect(About1, &QAction::triggered, this,
            [this] { guarded([this] { About1Click(About1); }); });
    connect(Preview1, &QAction::triggered, this,
            [this] { guarded([this] { Preview1Click(Preview1); }); });
    connect(NewRoad1, &QAction::triggered, this, &TForm1::NewRoadRequested);
    connect(Run1, &QAction::triggered, this, &TForm1::TrialRunRequested);
    connect(Memo1->document(), &QTextDocument::contentsChanged, this, &TForm1::DefinitionChanged);
}

void TForm1::FormCreate() {
    const QString exe = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    programFolder_ = fileNameBytes(QFileInfo(exe).absolutePath()) + "/";
    Memo1->clear();
    Memo2->clear();
    Edit_now_open->clear();
}

void TForm1::FormShow() {
    emit Shown();
}

void TForm1::Button1Click(QObject*) {
    emit LoadRequested();
}

void TForm1::Button4Click(QObject*) {
    Edit1->SetText(Edit_now_open->Text());
    emit LoadRequested();
}

void TForm1::Button3Click(QObject*) {
    emit WalkRequested();
}

void TForm1::Button2Click(QObject*) {
    // The holding area goes in as one line, its own line breaks and all.
    Memo1->AddLine(Memo2->Text());
    Memo2->clear();
}

void TForm1::AppendLine(std::string_view line) {
    Memo1->AddLine(line);
}

void TForm1::HoldLine(std::string_view line) {
    Memo2->AddLine(line);
}

void TForm1::ReplaceTexts(std::string_view definition, std::string_view held) {
    Memo1->SetText(definition);
    Memo2->SetText(held);
}

void TForm1::OfferTargets(const std::vector<std::string>& targets, std::string_view chosen) {
    Edit1->SetItems(targets);
    Edit1->SetText(chosen);
}

void TForm1::SetCurrentUrl(std::string_view url) {
    Edit_now_open->SetText(url);
}

void TForm1::ShowPastedSource() {
    Edit_now_open->SetText(CodePage::program().fromUtf8(kPastedSourceUtf8));
}

void TForm1::RespellOwnTexts(const CodePage& from) {
    respellItems(*Edit1, kLinkSeparatorUtf8, from);
    respellText(*Edit_now_open, kPastedSourceUtf8, from);
}

void TForm1::ShowCodePage(const std::string& charset) {
    for (QAction* choice : CodePage1->actions())
        choice->setChecked(choice->text().toStdString() == charset);
}

void TForm1::About1Click(QObject*) {
    emit AboutRequested();
}

void TForm1::Preview1Click(QObject*) {
    emit PreviewRequested();
}

void TForm1::Open1Click(QObject*) {
    const QString path = fileDialog(this, QFileDialog::AcceptOpen, "開く");
    if (!path.isEmpty()) emit PageFileChosen(fileNameBytes(path));
}

void TForm1::Har1Click(QObject*) {
    const QString path = fileDialog(this, QFileDialog::AcceptOpen, "HARを読み込む",
                                    {"HAR (*.har)", "すべてのファイル (*)"});
    if (!path.isEmpty()) emit HarFileChosen(fileNameBytes(path));
}

void TForm1::Folder1Click(QObject*) {
    emit FolderCheckRequested();
}

void TForm1::Save1Click(QObject*) {
    const QString path = fileDialog(this, QFileDialog::AcceptSave, "名前を付けて保存");
    if (!path.isEmpty()) SaveDefinition(path);
}

void TForm1::SaveDefinition(const QString& path) {
    // The definition's own bytes, in the code page, undecodable ones included.
    const SharedText text = Memo1->Bytes();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(text->data(), static_cast<qint64>(text->size())) !=
            static_cast<qint64>(text->size()) ||
        !file.commit())
        throw fileNotCreated(path);
}

void TForm1::Close1Click(QObject*) {
    close();
}

void TForm1::closeEvent(QCloseEvent* event) {
    event->accept();
    QApplication::quit();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    // The holding area carries a tooltip text, but tooltips are off in this window; only the
    // warnings in the definition text explain themselves.
    if (event->type() == QEvent::ToolTip) {
        if (watched == Memo1->viewport()) ShowFindingTip(static_cast<QHelpEvent*>(event));
        return true;
    }
    if (event->type() == QEvent::ContextMenu &&
        (watched == Memo1 || watched == Memo1->viewport())) {
        ShowDefinitionMenu(static_cast<QContextMenuEvent*>(event));
        return true;
    }
    return TForm::eventFilter(watched, event);
}

}  // namespace verrimo
