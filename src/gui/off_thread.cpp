#include "off_thread.h"

#include <QEventLoop>
#include <exception>
#include <thread>

namespace verrimo {

void runOffWindowThread(const std::function<void()>& work, const std::function<void()>& stop) {
    QEventLoop loop;
    std::exception_ptr failure;
    bool done = false;  // written by the worker before its quit reaches the loop
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(
            &loop,
            [&] {
                done = true;
                loop.quit();
            },
            Qt::QueuedConnection);
    });
    while (!done) {
        loop.exec();
        if (!done) {
            stop();
            break;
        }
    }
    worker.join();
    if (failure) std::rethrow_exception(failure);
}

}  // namespace verrimo
