#include "load_progress.h"

namespace verrimo {

namespace {

QString receivedText(std::size_t received) {
    return QString("ページを読み込んでいます（%L1 バイト受信）")
        .arg(static_cast<qulonglong>(received));
}

}  // namespace

LoadProgress::LoadProgress(QWidget* parent, LoadStatus& status)
    : status_(status), dialog_(parent), label_(new QLabel(receivedText(0))) {
    dialog_.setObjectName("DownloadProgress");
    dialog_.setWindowTitle("Verrimo");
    dialog_.setWindowModality(Qt::ApplicationModal);
    // The status line takes the focus when the window appears: a key meant for the window
    // below must not press Cancel, and a screen reader reads the status first.
    label_->setFocusPolicy(Qt::StrongFocus);
    dialog_.setLabel(label_);
    cancel_ = new QPushButton("キャンセル");
    cancel_->setAutoDefault(false);
    dialog_.setCancelButton(cancel_);
    label_->setFocus();
    dialog_.setRange(0, 0);
    dialog_.setAutoReset(false);
    dialog_.setAutoClose(false);
    dialog_.setMinimumDuration(500);
    dialog_.setValue(0);  // starts the clock after which the window appears
    QObject::connect(&dialog_, &QProgressDialog::canceled, &dialog_,
                     [this] { status_.cancelled = true; });
    QObject::connect(&poll_, &QTimer::timeout, &dialog_, [this] { Update(); });
    poll_.start(100);
}

void LoadProgress::Update() {
    if (status_.extracting) {
        label_->setText("タグを抽出しています");
        cancel_->setEnabled(false);
    } else {
        label_->setText(receivedText(status_.received));
    }
}

}  // namespace verrimo
