#include "quit_on_signal.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>

namespace verrimo {

namespace {

int wakeFds[2] = {-1, -1};

// Only what is safe in a signal handler: a byte down a socket that the event loop watches.
void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t sent = write(wakeFds[0], &byte, 1);
}

}  // namespace

void quitOnTerminationSignals() {
    if (wakeFds[0] >= 0 || socketpair(AF_UNIX, SOCK_STREAM, 0, wakeFds) != 0) return;
    auto* notifier = new QSocketNotifier(wakeFds[1], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [] {
        char byte;
        [[maybe_unused]] const ssize_t got = read(wakeFds[1], &byte, 1);
        QCoreApplication::quit();
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGHUP, SIGINT}) sigaction(signal, &action, nullptr);
}

}  // namespace verrimo
