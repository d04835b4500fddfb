// File names as the program holds them (the file system's bytes) and as Qt takes them, and the
// two errors the program raises about files.
#pragma once

#include <QFile>
#include <QString>
#include <string>
#include <string_view>

#include "exception_display.h"

namespace verrimo {

inline QString fileName(std::string_view path) {
    return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

inline std::string fileNameBytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

inline UserError fileNotCreated(const QString& path) {
    return UserError("ファイル " + path.toStdString() + " を作成できません");
}

inline UserError fileNotOpened(const QString& path) {
    return UserError("ファイル " + path.toStdString() + " は開けません");
}

}  // namespace verrimo
