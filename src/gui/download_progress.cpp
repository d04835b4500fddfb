#include "download_progress.h"

#include <QCoreApplication>
#include <QEventLoop>

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
        // Until the window is up and holds the input, no click may start another command.
        QCoreApplication::processEvents(dialog_.isVisible() ? QEventLoop::AllEvents
                                                            : QEventLoop::ExcludeUserInputEvents);
        return !dialog_.wasCanceled();
    };
}

}  // namespace verrimo
