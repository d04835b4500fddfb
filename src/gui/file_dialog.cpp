#include "file_dialog.h"

namespace verrimo {

QString fileDialog(QWidget* parent, QFileDialog::AcceptMode mode, const QString& caption,
                   const QStringList& filters) {
    QFileDialog dialog(parent, caption);
    dialog.setObjectName("FileDialog");
    dialog.setAcceptMode(mode);
    // Qt's own dialog: the same on every desktop, and in Japanese like the windows.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (mode == QFileDialog::AcceptOpen) dialog.setFileMode(QFileDialog::ExistingFile);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    else if (mode == QFileDialog::AcceptOpen)
        dialog.setNameFilters({"HTML (*.html *.htm)", "すべてのファイル (*)"});
    else
        dialog.setNameFilters({"テキスト (*.txt)", "すべてのファイル (*)"});
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

QString folderDialog(QWidget* parent, const QString& caption) {
    QFileDialog dialog(parent, caption);
    dialog.setObjectName("FolderDialog");
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

}  // namespace verrimo
