// The window shown while a load takes a moment: the bytes received, then the extraction, and a
// Cancel button for the download.
#pragma once

#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <atomic>
#include <cstddef>

namespace verrimo {

// What the load's worker reports; read by the window thread.
struct LoadStatus {
    std::atomic<std::size_t> received{0};
    std::atomic<bool> extracting{false};
    std::atomic<bool> cancelled{false};
};

// Appears half a second after it is made, modal, and is gone when it is destroyed.
class LoadProgress {
  public:
    LoadProgress(QWidget* parent, LoadStatus& status);

    QWidget* window() { return &dialog_; }

  private:
    void Update();

    LoadStatus& status_;
    QProgressDialog dialog_;
    QLabel* label_;
    QPushButton* cancel_;
    QTimer poll_;
};

}  // namespace verrimo
