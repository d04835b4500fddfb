// The file dialog of 開く… and 名前を付けて保存…, and the folder dialog of 定義フォルダの点検….
#pragma once

#include <QFileDialog>
#include <QString>

namespace verrimo {

// Asks for a file to open or to save; empty when the user cancels. filters: the kinds of file
// offered, when not the pages (to open) or the definitions (to save).
QString fileDialog(QWidget* parent, QFileDialog::AcceptMode mode, const QString& caption,
                   const QStringList& filters = {});

// Asks for a folder; empty when the user cancels.
QString folderDialog(QWidget* parent, const QString& caption);

}  // namespace verrimo
