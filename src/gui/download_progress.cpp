#include "download_progress.h"

#include <QCoreApplication>

namespace verrimo {

namespace {

QString receivedText(std::size_t received) {
    return QString("ページを読み込んでいます（%L1 バイト受信）")
        .arg(static_cast<qulonglong>(received));
}

}  // namespace

DownloadProgress::DownloadProgress(QWidget* parent)
    : dialog_(receivedText(0), "キャンセル", 0, 0, parent) {
    dialog_.setObjectName("DownloadProgress");
    dialog_.setWindowTitle("Verrimo");
    dialog_.setWindowModality(Qt::ApplicationModal);
    dialog_.setMinimumDuration(500);
    dialog_.setValue(0);  // starts the clock after which the window appears
}

FetchProgress DownloadProgress::callback() {
    return [this](std::size_t received) {
        dialog_.setLabelText(receivedText(received));
        QCoreApplication::processEvents();
        return !dialog_.wasCanceled();
    };
}

}  // namespace verrimo
