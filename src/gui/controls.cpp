// The byte-string controls: each converts at the widget boundary, and a memo fills its document
// with a big text a slice at a time.
#include "controls.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QCompleter>
#include <QElapsedTimer>
#include <QPointer>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <algorithm>
#include <climits>
#include <deque>
#include <optional>

#include "item_list_accessible.h"
#include "memo_text.h"
#include "widget_text.h"

namespace verrimo {

TLabel::TLabel(const QString& name, const QString& caption, QWidget* parent)
    : QLabel(caption, parent) {
    setObjectName(name);
    setTextFormat(Qt::PlainText);
}

std::string TLabel::Text() const {
    return fromWidget(text());
}

void TLabel::SetText(std::string_view bytes) {
    holdsBytes_ = true;
    setText(toWidget(bytes));
}

void TLabel::Recode(const CodePage& from) {
    if (holdsBytes_) SetText(fromWidget(text(), from));
}

TEdit::TEdit(const QString& name, QWidget* parent) : QLineEdit(parent) {
    setObjectName(name);
    setMaxLength(INT_MAX);  // a long tag must not be cut
}

std::string TEdit::Text() const {
    return fromWidget(text());
}

void TEdit::SetText(std::string_view bytes) {
    setText(toWidget(bytes));
}

void TEdit::Recode(const CodePage& from) {
    SetText(fromWidget(text(), from));
}

// The item list as bytes; an item is converted the first time it is shown or searched.
class ByteListModel : public QAbstractListModel {
  public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(items_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
        std::optional<QString>& shown = shown_[static_cast<std::size_t>(index.row())];
        if (!shown) shown = toWidget(items_[static_cast<std::size_t>(index.row())]);
        return *shown;
    }
    const std::vector<std::string>& Items() const { return items_; }
    void SetItems(std::vector<std::string> items) {
        beginResetModel();
        items_ = std::move(items);
        shown_.assign(items_.size(), std::nullopt);
        endResetModel();
    }

  private:
    std::vector<std::string> items_;
    mutable std::vector<std::optional<QString>> shown_;
};

TComboBox::TComboBox(const QString& name, QWidget* parent)
    : QComboBox(parent), items_(new ByteListModel(this)) {
    setObjectName(name);
    setModel(items_);
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);  // Enter must not add the typed text to the list
    lineEdit()->setMaxLength(INT_MAX);
    // Completion may finish a word but never change the letter case of what was typed.
    completer()->setCaseSensitivity(Qt::CaseSensitive);
    setMaxVisibleItems(20);
    installItemListAccessibility();
}

std::string TComboBox::Text() const {
    return fromWidget(currentText());
}

void TComboBox::SetText(std::string_view bytes) {
    setEditText(toWidget(bytes));
}

std::vector<std::string> TComboBox::Items() const {
    return items_->Items();
}

void TComboBox::SetItems(std::vector<std::string> items) {
    // Replacing the list leaves the typed text as it is.
    const QString text = currentText();
    items_->SetItems(std::move(items));
    setEditText(text);
}

void TComboBox::Recode(const CodePage& from) {
    // The items keep their bytes and are shown again in the program's code page.
    const std::string text = fromWidget(currentText(), from);
    SetItems(Items());
    SetText(text);
}

void keepControlBytes(const QWidget* window) {
    for (const TMemo* memo : window->findChildren<TMemo*>()) memo->KeepBytes();
}

void recodeControls(QWidget* window, const CodePage& from) {
    const auto own = [window](QWidget* control) { return control->window() == window; };
    for (TLabel* label : window->findChildren<TLabel*>())
        if (own(label)) label->Recode(from);
    for (TEdit* edit : window->findChildren<TEdit*>())
        if (own(edit)) edit->Recode(from);
    for (TComboBox* box : window->findChildren<TComboBox*>())
        if (own(box)) box->Recode(from);
    for (TMemo* memo : window->findChildren<TMemo*>())
        if (own(memo)) memo->Recode();
}

namespace {

// Texts up to this size go into the document at once, as any small page does.
constexpr std::size_t kFillAtOnce = 1u << 20;
// A hidden control fills in the background only up to this size; beyond it, when first shown.
constexpr std::size_t kFillWhileHidden = 16u << 20;
// About this much text per slice, cut after a line break: some milliseconds of work.
constexpr std::size_t kSlice = 48u << 10;
// What one turn of the event loop may spend on filling, over all memos together.
constexpr int kTurnBudgetMs = 12;

// Where the slice from `from` ends: after the last line break within kSlice bytes, or after the
// first one beyond when a single line is longer.
std::size_t sliceEnd(std::string_view text, std::size_t from) {
    if (text.size() - from <= kSlice) return text.size();
    const std::size_t cut = text.rfind('\n', from + kSlice);
    if (cut != std::string_view::npos && cut >= from) return cut + 1;
    const std::size_t next = text.find('\n', from + kSlice);
    return next == std::string_view::npos ? text.size() : next + 1;
}

}  // namespace

// The memos that wait for the rest of their text, filled in turn: one turn of the event loop
// fills one of them for a few milliseconds, however many wait.
class FillQueue {
  public:
    static void Add(TMemo* memo) {
        FillQueue& queue = instance();
        if (std::find(queue.memos_.begin(), queue.memos_.end(), memo) == queue.memos_.end())
            queue.memos_.push_back(memo);
        queue.timer()->start();
    }
    static void Remove(TMemo* memo) {
        auto& memos = instance().memos_;
        memos.erase(std::remove(memos.begin(), memos.end(), memo), memos.end());
    }

  private:
    static FillQueue& instance() {
        static FillQueue queue;
        return queue;
    }

    QTimer* timer() {
        if (!timer_) {
            timer_ = new QTimer(qApp);
            timer_->setInterval(0);
            QObject::connect(timer_, &QTimer::timeout, [this] { Turn(); });
        }
        return timer_;
    }

    void Turn() {
        if (memos_.empty()) {
            timer_->stop();
            return;
        }
        TMemo* memo = memos_.front();
        memos_.pop_front();
        if (memo->FillSlices(kTurnBudgetMs))
            memo->StopFill();
        else
            memos_.push_back(memo);
    }

    std::deque<TMemo*> memos_;
    QPointer<QTimer> timer_;
};

TMemo::~TMemo() {
    FillQueue::Remove(this);
}

TMemo::TMemo(const QString& name, QWidget* parent) : QPlainTextEdit(parent) {
    setObjectName(name);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setUndoRedoEnabled(true);
    bytes_ = shareText({});
    connect(document(), &QTextDocument::contentsChange, this, &TMemo::OnContentsChange);
}

void TMemo::OnContentsChange() {
    if (programmatic_) return;
    // Whatever changed the document, the document is now the text; a fill would mix the two.
    if (Filling()) {
        fillEnd_ = filled_;
        StopFill();
    }
    stale_ = true;
}

SharedText TMemo::Bytes() const {
    if (stale_) {
        bytes_ = shareText(fromDocument(document()->toRawText()));
        stale_ = false;
    }
    return bytes_;
}

std::string TMemo::Text() const {
    return *Bytes();
}

void TMemo::SetText(std::string_view bytes) {
    SetText(shareText(std::string(bytes)));
}

void TMemo::SetText(SharedText bytes) {
    if (Filling()) StopFill();
    bytes_ = std::move(bytes);
    stale_ = false;
    programmatic_ = true;
    if (bytes_->size() <= kFillAtOnce) {
        setPlainText(toDocument(*bytes_));
        filled_ = fillEnd_ = bytes_->size();
    } else {
        setPlainText(QString());
        filled_ = 0;
        fillEnd_ = bytes_->size();
    }
    programmatic_ = false;
    if (Filling() && (isVisible() || fillEnd_ <= kFillWhileHidden)) StartFill();
}

void TMemo::showEvent(QShowEvent* event) {
    QPlainTextEdit::showEvent(event);
    if (Filling() && !fillRunning_) StartFill();
}

void TMemo::StartFill() {
    fillRunning_ = true;
    fillReadOnly_ = isReadOnly();
    setReadOnly(true);
    document()->setUndoRedoEnabled(false);
    FillQueue::Add(this);
}

bool TMemo::FillSlices(int budgetMs) {
    QElapsedTimer clock;
    clock.start();
    const std::string_view text = *bytes_;
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    programmatic_ = true;
    while (filled_ < fillEnd_ && (budgetMs < 0 || clock.elapsed() < budgetMs)) {
        const std::size_t end = sliceEnd(text, filled_);
        cursor.insertText(toDocument(text.substr(filled_, end - filled_)));
        filled_ = end;
    }
    programmatic_ = false;
    return !Filling();
}

void TMemo::StopFill() {
    FillQueue::Remove(this);
    if (!fillRunning_) return;
    fillRunning_ = false;
    setReadOnly(fillReadOnly_);
    document()->setUndoRedoEnabled(true);
}

std::vector<std::string> TMemo::Lines() const {
    const SharedText text = Bytes();
    std::vector<std::string> lines;
    for (auto line : splitLines(*text)) lines.emplace_back(line);
    return lines;
}

void TMemo::AddLine(std::string_view line) {
    if (Filling()) {
        FillSlices(-1);
        StopFill();
    }
    // The rule looks only at how the text ends.
    const QString lastBlock = document()->lastBlock().text();
    const std::string tail = !lastBlock.isEmpty()           ? fromDocument(lastBlock.right(1))
                             : document()->blockCount() > 1 ? "\r\n"
                                                            : "";
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    programmatic_ = true;
    cursor.insertText(toDocument(lineAddition(tail, line)));
    programmatic_ = false;
    stale_ = true;
}

}  // namespace verrimo
