#include "a11y_probe.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <cstdio>
#include <cstdlib>

namespace verrimo::bench {

namespace {

const QString kRootPath = "/org/a11y/atspi/accessible/root";
const QString kAccessible = "org.a11y.atspi.Accessible";
constexpr int kCallTimeoutMs = 120000;  // a stalled program must still be measured, not given up
constexpr qsizetype kWalkedChildren = 1000;

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "a11y probe: %s\n", what);
    std::exit(1);
}

QDBusConnection accessibilityBus() {
    const QDBusMessage reply = QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
        "org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress"));
    if (reply.type() != QDBusMessage::ReplyMessage) fail("no accessibility bus");
    const QDBusConnection bus =
        QDBusConnection::connectToBus(reply.arguments().value(0).toString(), "verrimo-a11y-probe");
    if (!bus.isConnected()) fail("cannot connect to the accessibility bus");
    return bus;
}

// Asks for every event a screen reader follows (texts, children, states, focus, windows) and
// takes them in, so that the bridge sends them as it would to one.
void listenLikeAScreenReader(const QDBusConnection& bus) {
    for (const char* events : {"object:", "window:", "focus:"}) {
        QDBusMessage registration =
            QDBusMessage::createMethodCall("org.a11y.atspi.Registry", "/org/a11y/atspi/registry",
                                           "org.a11y.atspi.Registry", "RegisterEvent");
        registration << QString(events);
        if (bus.call(registration).type() != QDBusMessage::ReplyMessage)
            fail("cannot register for events");
    }
    for (const char* kind : {"Object", "Window", "Focus"}) {
        QDBusMessage match = QDBusMessage::createMethodCall(
            "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "AddMatch");
        match << QString("type='signal',interface='org.a11y.atspi.Event.%1'").arg(kind);
        if (bus.call(match).type() != QDBusMessage::ReplyMessage) fail("cannot take events in");
    }
}

// The bus name under which this program's bridge registered with the registry.
QString programOnBus(const QDBusConnection& bus) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QDBusMessage reply = bus.call(QDBusMessage::createMethodCall(
            "org.a11y.atspi.Registry", kRootPath, kAccessible, "GetChildren"));
        if (reply.type() == QDBusMessage::ReplyMessage) {
            const auto apps = reply.arguments().value(0).value<QDBusArgument>();
            apps.beginArray();
            while (!apps.atEnd()) {
                QString name;
                QDBusObjectPath path;
                apps.beginStructure();
                apps >> name >> path;
                apps.endStructure();
                if (name != bus.baseService()) return name;
            }
            apps.endArray();
        }
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    fail("the program did not register on the accessibility bus");
}

}  // namespace

A11yProbe::A11yProbe() {
    const QDBusConnection bus = accessibilityBus();
    const QString program = programOnBus(bus);
    listenLikeAScreenReader(bus);
    thread_ = std::thread([this, bus, program] {
        QDBusMessage count = QDBusMessage::createMethodCall(
            program, kRootPath, "org.freedesktop.DBus.Properties", "Get");
        count << kAccessible << QString("ChildCount");
        while (!stop_) {
            Ask(bus, count);
            if (walk_.exchange(false)) Walk(bus, program, kRootPath);
        }
        stopped_ = true;
    });
}

QDBusMessage A11yProbe::Ask(const QDBusConnection& bus, const QDBusMessage& query) {
    {
        std::lock_guard lock(mutex_);
        pending_ = Clock::now();
        inFlight_ = true;
    }
    const QDBusMessage reply = bus.call(query, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) fail("a query failed");
    std::lock_guard lock(mutex_);
    queries_.push_back({pending_, Clock::now()});
    inFlight_ = false;
    return reply;
}

void A11yProbe::Walk(const QDBusConnection& bus, const QString& program, const QString& path) {
    const QDBusMessage reply =
        Ask(bus, QDBusMessage::createMethodCall(program, path, kAccessible, "GetChildren"));
    const auto children = reply.arguments().value(0).value<QDBusArgument>();
    QStringList paths;
    children.beginArray();
    while (!children.atEnd()) {
        QString name;
        QDBusObjectPath child;
        children.beginStructure();
        children >> name >> child;
        children.endStructure();
        paths.append(child.path());
    }
    children.endArray();
    // A screen reader reads a list's items as the user moves through them, not all at once.
    if (paths.size() > kWalkedChildren) return;
    for (const QString& child : paths) Walk(bus, program, child);
}

A11yProbe::~A11yProbe() {
    stop_ = true;
    // The query in flight is answered on this thread.
    while (!stopped_) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    thread_.join();
}

A11yProbe::Waits A11yProbe::Since(Clock::time_point from) const {
    std::lock_guard lock(mutex_);
    Waits waits;
    for (const Query& query : queries_) {
        if (query.sent < from) continue;
        if (query.answered - query.sent > waits.longest) {
            waits.longest = query.answered - query.sent;
            waits.longestSent = query.sent;
        }
        ++waits.answered;
    }
    if (inFlight_ && Clock::now() - pending_ > waits.longest) {
        waits.longest = Clock::now() - pending_;
        waits.longestSent = pending_;
    }
    return waits;
}

}  // namespace verrimo::bench
