#include "definition_folder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QHideEvent>
#include <QUrl>

#include "codepage.h"
#include "exception_display.h"
#include "file_dialog.h"
#include "file_name.h"
#include "make_controls.h"
#include "off_thread.h"
#include "widget_text.h"

namespace verrimo {

namespace {

// The roles of the list's items besides the text shown.
constexpr int kSortRole = Qt::UserRole;
constexpr int kStateRole = Qt::UserRole + 1;  // what the filter matches

// A definition far bigger than any written by hand is no definition.
constexpr qint64 kMostDefinitionBytes = 1 << 20;

// The filter's choices: the text shown and the state key it keeps.
struct StateFilter {
    const char* text;
    const char* key;
};
constexpr StateFilter kFilters[] = {{"すべて", ""},
                                    {"ずれています", "drifted"},
                                    {"読めません", "unread"},
                                    {"未点検", "unchecked"},
                                    {"合っています", "fits"}};

// Where the state sorts: what needs the user first.
int stateRank(const char* key) {
    for (int i = 1; i < static_cast<int>(std::size(kFilters)); ++i)
        if (std::string_view(kFilters[i].key) == key) return i;
    return 0;
}

QString timeText(const QDateTime& at) {
    return at.toLocalTime().toString("yyyy-MM-dd HH:mm:ss");
}

// The findings that say the definition no longer fits, apart from those about the fetch.
HistoryCheck historyCheckOf(const LiveCheck& check) {
    HistoryCheck h;
    h.at = QDateTime::currentDateTimeUtc();
    for (const PageFinding& f : check.findings)
        if (f.rule != "page-not-fetched" && f.rule != "page-cut")
            h.findings.push_back({f.line, f.rule, f.message});
    if (!h.findings.empty()) {
        h.state = CheckState::Drifted;
    } else if (check.notFetched) {
        h.state = CheckState::Unread;
        h.detail = check.status != 0 && (check.status < 200 || check.status > 299)
                       ? QString("HTTP %1").arg(check.status)
                   : check.status != 0 ? QString("途中で切れています")
                                       : QString("応答がありません");
    }
    return h;
}

QString stateText(const HistoryCheck& h) {
    switch (h.state) {
        case CheckState::Fits:
            return "合っています";
        case CheckState::Drifted:
            return QString("ずれています (%1)").arg(h.findings.size());
        case CheckState::Unread:
            return QString("読めません (%1)").arg(h.detail);
    }
    return {};
}

const char* stateKey(CheckState state) {
    return state == CheckState::Fits ? "fits" : state == CheckState::Drifted ? "drifted" : "unread";
}

QString driftText(const Drift& drift) {
    if (drift.driftedSince) return timeText(*drift.driftedSince) + " からずれています";
    if (drift.lastFitted) return timeText(*drift.lastFitted) + " に合っていました";
    return {};
}

QStandardItem* folderItem(const QString& text, const QVariant& sortKey) {
    auto* made = new QStandardItem(text);
    made->setEditable(false);
    made->setData(sortKey, kSortRole);
    return made;
}

}  // namespace

DefinitionFolder::DefinitionFolder(std::function<SampleValues()> samples,
                                   std::function<FetchOptions()> fetch)
    : samples_(std::move(samples)), fetch_(std::move(fetch)) {
    setObjectName("DefinitionFolder");
    setWindowTitle("定義フォルダの点検");
    setFormFrame(this, 720, 560);

    Label_folder = makeLabel("Label_folder", "フォルダを選んでください", this, {8, 10, 496, 20});
    Button_folder = makeButton("Button_folder", "フォルダを選ぶ…", this, {512, 6, 200, 28});
    Button_check = makeButton("Button_check", "点検", this, {8, 40, 96, 28});
    Button_cancel = makeButton("Button_cancel", "キャンセル", this, {112, 40, 96, 28});
    Progress = new QProgressBar(this);
    Progress->setObjectName("Progress");
    Progress->setGeometry(216, 44, 496, 20);
    Progress->setFormat("%v / %m");
    Progress->setAccessibleName("点検の進み具合");
    Label_filter = makeLabel("Label_filter", "表示", this, {8, 78, 40, 20});
    CB_filter = new QComboBox(this);
    CB_filter->setObjectName("CB_filter");
    CB_filter->setGeometry(48, 74, 160, 26);
    for (const StateFilter& f : kFilters) CB_filter->addItem(f.text, QString(f.key));
    CB_filter->setAccessibleName("表示する状態");
    Label_filter->setBuddy(CB_filter);
    Label_summary = makeLabel("Label_summary", "", this, {216, 78, 496, 20});

    model_ = new QStandardItemModel(0, 5, this);
    model_->setHorizontalHeaderLabels({"ファイル", "サイト", "手順", "状態", "履歴"});
    shown_ = new QSortFilterProxyModel(this);
    shown_->setSourceModel(model_);
    shown_->setSortRole(kSortRole);
    shown_->setFilterRole(kStateRole);
    shown_->setFilterKeyColumn(State);
    List_definitions = new QTreeView(this);
    List_definitions->setObjectName("List_definitions");
    List_definitions->setGeometry(8, 106, 704, 280);
    List_definitions->setModel(shown_);
    List_definitions->setRootIsDecorated(false);
    List_definitions->setSortingEnabled(true);
    List_definitions->sortByColumn(File, Qt::AscendingOrder);
    List_definitions->setSelectionBehavior(QAbstractItemView::SelectRows);
    List_definitions->setEditTriggers(QAbstractItemView::NoEditTriggers);
    List_definitions->header()->resizeSection(File, 140);
    List_definitions->header()->resizeSection(Site, 120);
    List_definitions->header()->resizeSection(Steps, 40);
    List_definitions->header()->resizeSection(State, 130);
    List_definitions->setAccessibleName("フォルダの定義（ダブルクリックで開きます）");
    List_definitions->header()->setAccessibleName("定義の列");
    Memo_history = new QPlainTextEdit(this);
    Memo_history->setObjectName("Memo_history");
    Memo_history->setGeometry(8, 392, 704, 124);
    Memo_history->setReadOnly(true);
    Memo_history->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo_history->setAccessibleName("選んだ定義の点検の履歴");
    Button_close = makeButton("Button_close", "閉じる", this, {616, 524, 96, 28});

    setTabOrder(Button_folder, Button_check);
    setTabOrder(Button_check, Button_cancel);
    setTabOrder(Button_cancel, CB_filter);
    setTabOrder(CB_filter, List_definitions);
    setTabOrder(List_definitions, Memo_history);
    setTabOrder(Memo_history, Button_close);

    connectClick(Button_folder, this, &DefinitionFolder::Button_folderClick);
    connectClick(Button_check, this, &DefinitionFolder::Button_checkClick);
    connectClick(Button_cancel, this, &DefinitionFolder::Button_cancelClick);
    connectClick(Button_close, this, &DefinitionFolder::Button_closeClick);
    connect(CB_filter, &QComboBox::currentIndexChanged, this, [this] {
        const QString key = CB_filter->currentData().toString();
        shown_->setFilterRegularExpression(key.isEmpty() ? QString() : "^" + key + "$");
    });
    connect(List_definitions->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { ShowCurrentHistory(); });
    // A double click, or Enter.
    connect(List_definitions, &QTreeView::activated, this, [this](const QModelIndex& at) {
        const int row = shown_->mapToSource(at).row();
        if (row >= 0) emit DefinitionOpened(fileNameBytes(entries_[row].path));
    });
    ShowState();
}

DefinitionFolder::~DefinitionFolder() {
    Cancel();
    if (worker_.joinable()) worker_.join();
}

void DefinitionFolder::Button_folderClick(QObject*) {
    if (checking_) return;
    const QString folder = folderDialog(this, "定義のフォルダ");
    if (!folder.isEmpty()) ShowFolder(folder);
}

void DefinitionFolder::Open() {
    Show();
    if (folder_.isEmpty()) Button_folderClick(Button_folder);
}

void DefinitionFolder::ShowFolder(const QString& folder) {
    if (checking_) return;
    const QDir dir(folder);
    if (!dir.exists()) throw fileNotOpened(folder);
    if (!history_) history_ = std::make_unique<CheckHistory>(CheckHistory::DefaultFile());
    // Read off the window thread: a folder on a slow disk keeps the windows painted.
    std::vector<std::pair<QString, std::string>> files;
    runOffWindowThread(
        [&] {
            for (const QFileInfo& file :
                 dir.entryInfoList(QDir::Files | QDir::Readable, QDir::Name)) {
                if (file.size() > kMostDefinitionBytes) continue;
                QFile in(file.absoluteFilePath());
                if (!in.open(QIODevice::ReadOnly)) continue;
                const QByteArray bytes = in.readAll();
                files.emplace_back(file.absoluteFilePath(), bytes.toStdString());
            }
        },
        [] {});
    const CodePage& cp = CodePage::program();
    entries_.clear();
    model_->removeRows(0, model_->rowCount());
    for (auto& [path, text] : files) {
        Entry e{path, parseDefinition(std::move(text), cp)};
        const DefinitionReport& report = e.definition->report();
        const std::string referrer = firstReferrer(*e.definition);
        // Only what has a referrer can be checked against its page.
        if (referrer.empty()) continue;
        const auto steps =
            std::count_if(report.lines.begin(), report.lines.end(),
                          [](const LineReport& l) { return l.shape == LineShape::Referrer; });
        const QString site = QUrl(toWidget(referrer)).authority();
        const QString name = QFileInfo(e.path).fileName();
        QList<QStandardItem*> row{folderItem(name, name), folderItem(site, site),
                                  folderItem(QString::number(steps), static_cast<int>(steps)),
                                  folderItem("未点検", stateRank("unchecked")),
                                  folderItem({}, QString())};
        row[State]->setData("unchecked", kStateRole);
        model_->appendRow(row);
        entries_.push_back(std::move(e));
        ShowRowHistory(entries_.size() - 1);
    }
    folder_ = dir.absolutePath();
    Label_folder->setText(QDir::toNativeSeparators(folder_));
    Progress->setRange(0, static_cast<int>(entries_.size()));
    Progress->setValue(0);
    Memo_history->clear();
    ShowSummary();
    ShowState();
}

void DefinitionFolder::Button_checkClick(QObject*) {
    if (checking_ || entries_.empty()) return;
    if (worker_.joinable()) worker_.join();
    cancel_ = false;
    checking_ = true;
    Progress->setValue(0);
    ShowState();
    std::vector<std::shared_ptr<const ParsedDefinition>> definitions;
    for (const Entry& e : entries_) definitions.push_back(e.definition);
    worker_ =
        std::thread([this, definitions = std::move(definitions), samples = samples_(),
                     fetch = liveFetchOptions(fetch_()), cpName = CodePage::program().name()] {
            const LiveDownload download = [this](const std::string& url, const FetchOptions& o) {
                return downloadPage(
                    url, [this](std::size_t) { return !cancel_; }, o);
            };
            checkEachLive(
                definitions.size(),
                [&](std::size_t i) {
                    LiveCheck check;
                    try {
                        // The windows' code page object is theirs alone.
                        const CodePage cp(cpName);
                        check = checkDefinitionLive(*definitions[i], cp, fetch, download, samples,
                                                    false);
                    } catch (const std::exception& e) {
                        check = {{{0, "page-not-fetched", e.what()}}, true, 0};
                    }
                    // What a cancel cut short says nothing of the definition.
                    if (cancel_) return;
                    QMetaObject::invokeMethod(
                        this, [this, i, check] { Checked(i, check); }, Qt::QueuedConnection);
                },
                &cancel_);
            QMetaObject::invokeMethod(
                this, [this] { Ended(); }, Qt::QueuedConnection);
        });
}

void DefinitionFolder::Checked(std::size_t row, const LiveCheck& check) {
    if (row >= entries_.size()) return;
    HistoryCheck h = historyCheckOf(check);
    const std::string& text = entries_[row].definition->text();
    h.hash = QCryptographicHash::hash(QByteArrayView(text.data(), qsizetype(text.size())),
                                      QCryptographicHash::Sha256);
    history_->Record(entries_[row].path, h);
    QStandardItem* state = model_->item(static_cast<int>(row), State);
    state->setText(stateText(h));
    state->setData(stateKey(h.state), kStateRole);
    state->setData(stateRank(stateKey(h.state)) * 1000 - static_cast<int>(h.findings.size()),
                   kSortRole);
    ShowRowHistory(row);
    Progress->setValue(Progress->value() + 1);
    ShowSummary();
    const QModelIndex current = shown_->mapToSource(List_definitions->currentIndex());
    if (current.isValid() && static_cast<std::size_t>(current.row()) == row) ShowCurrentHistory();
}

void DefinitionFolder::Ended() {
    if (worker_.joinable()) worker_.join();
    checking_ = false;
    ShowState();
    ShowSummary();
}

void DefinitionFolder::Cancel() {
    cancel_ = true;
}

void DefinitionFolder::ShowState() {
    Button_folder->setEnabled(!checking_);
    Button_check->setEnabled(!checking_ && !entries_.empty());
    Button_cancel->setEnabled(checking_);
}

void DefinitionFolder::ShowRowHistory(std::size_t row) {
    const Drift drift = driftOf(history_->Checks(entries_[row].path));
    QStandardItem* cell = model_->item(static_cast<int>(row), History);
    cell->setText(driftText(drift));
    cell->setData(drift.driftedSince ? drift.driftedSince->toMSecsSinceEpoch()
                  : drift.lastFitted ? -drift.lastFitted->toMSecsSinceEpoch()
                                     : 0,
                  kSortRole);
}

void DefinitionFolder::ShowCurrentHistory() {
    const QModelIndex at = shown_->mapToSource(List_definitions->currentIndex());
    if (!at.isValid()) {
        Memo_history->clear();
        return;
    }
    const std::vector<HistoryCheck> checks = history_->Checks(entries_[at.row()].path);
    const Drift drift = driftOf(checks);
    QStringList lines;
    if (!history_->Error().isEmpty()) lines << "履歴を開けません: " + history_->Error();
    if (drift.lastFitted) lines << "最後に合っていた点検: " + timeText(*drift.lastFitted);
    if (drift.driftedSince) {
        lines << "ずれ始めた点検: " + timeText(*drift.driftedSince);
        if (drift.editedSince) lines << "合っていたときから定義ファイルも書き換えられています";
        lines << "合っていたときから変わったこと:";
        for (const auto& [f, since] : drift.findings)
            lines << QString("  %1 行目: %2（%3 から）")
                         .arg(f.line + 1)
                         .arg(QString::fromStdString(f.message), timeText(since));
    }
    if (!checks.empty() && checks.back().state == CheckState::Unread)
        lines << "最後の点検 " + timeText(checks.back().at) + ": 読めません (" +
                     checks.back().detail + ")";
    if (checks.empty()) lines << "まだ点検していません";
    Memo_history->setPlainText(lines.join("\n"));
}

void DefinitionFolder::ShowSummary() {
    int drifted = 0, unread = 0, fits = 0;
    for (int row = 0; row < model_->rowCount(); ++row) {
        const QString key = model_->item(row, State)->data(kStateRole).toString();
        drifted += key == "drifted";
        unread += key == "unread";
        fits += key == "fits";
    }
    Label_summary->setText(QString("%1 件: ずれています %2、読めません %3、合っています %4")
                               .arg(model_->rowCount())
                               .arg(drifted)
                               .arg(unread)
                               .arg(fits));
}

void DefinitionFolder::Button_cancelClick(QObject*) {
    if (!checking_) return;
    Cancel();
    Button_cancel->setEnabled(false);
}

void DefinitionFolder::Button_closeClick(QObject*) {
    Close();
}

void DefinitionFolder::hideEvent(QHideEvent* event) {
    // Checks nobody sees go no further.
    if (checking_) Cancel();
    TForm::hideEvent(event);
}

}  // namespace verrimo
