// What the window tests share: byte strings, the scratch file, error boxes and the browser.
#pragma once

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "codepage.h"

namespace verrimo::test {

inline QByteArray bytes(const std::string& text) {
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

// A text in the program's code page.
inline std::string programText(std::string_view utf8) {
    return CodePage::program().fromUtf8(utf8);
}

// Lines of a memo, each given in UTF-8.
inline std::vector<std::string> programLines(std::initializer_list<const char*> utf8) {
    std::vector<std::string> lines;
    for (const char* line : utf8) lines.push_back(programText(line));
    return lines;
}

// The entry the finder puts between the form actions and the links.
inline constexpr const char* kSeparator = "＝ここから下が通常リンクタグからの抽出＝";

inline QByteArray fileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return bytes(content.str());
}

// Puts a folder where the scratch file goes, so that the file cannot be created.
inline bool blockFile(const std::string& path) {
    QFile::remove(QString::fromStdString(path));
    return QDir().mkdir(QString::fromStdString(path));
}

// Presses OK on every error box that comes up while it lives, keeping the messages.
class ErrorBoxes {
  public:
    ErrorBoxes() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            messages << box->text();
            QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
        });
        timer_.start(20);
    }

    QStringList messages;

  private:
    QTimer timer_;
};

// Whether the browser comes to show a page whose text contains needle.
inline bool browserShows(QWebEngineView* view, const QString& needle) {
    return QTest::qWaitFor(
        [&] {
            auto text = std::make_shared<QString>();
            auto done = std::make_shared<bool>(false);
            view->page()->toPlainText([text, done](const QString& shown) {
                *text = shown;
                *done = true;
            });
            return QTest::qWaitFor([done] { return *done; }, 5000) && text->contains(needle);
        },
        30000);
}

template <typename Test>
int runWindowTest(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setApplicationName("Verrimo");
    Test test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace verrimo::test
