// The window shown while a page downloads: the bytes received so far, and a Cancel button.
#pragma once

#include <QProgressDialog>

#include "fetch.h"

namespace verrimo {

// Modal for as long as it lives. It appears only when a download takes a moment, and keeps the
// windows painted while the download runs.
class DownloadProgress {
  public:
    explicit DownloadProgress(QWidget* parent);

    // Updates the window; false once the user has pressed Cancel.
    FetchProgress callback();

  private:
    QProgressDialog dialog_;
};

}  // namespace verrimo
