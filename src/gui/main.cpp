#include <unistd.h>

#include <QApplication>
#include <QLoggingCategory>
#include <cstdlib>

#include "application.h"
#include "exception_display.h"
#include "quit_on_signal.h"

int main(int argc, char* argv[]) {
    // The embedded browser refuses to start as root with its sandbox on.
    if (geteuid() == 0) setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    // The browser engine lists its start-up flags as information; they mean nothing to a user.
    QLoggingCategory::setFilterRules("qt.webenginecontext.info=false");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    // The title of the taskbar entry and of the error box; not set as the display name, which
    // window systems would append to every window's caption.
    QApplication::setApplicationName("Verrimo");
    verrimo::quitOnTerminationSignals();
    try {
        verrimo::Application windows;
        windows.Start();
        app.exec();
    } catch (const std::exception& error) {
        verrimo::showException(error);
    }
    return 0;
}
