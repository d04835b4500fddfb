// A screen reader's view of this process: a thread that keeps asking the program's accessible
// root for its child count over the accessibility bus, and notes how long each answer took.
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace verrimo::bench {

class A11yProbe {
  public:
    using Clock = std::chrono::steady_clock;

    // Finds the accessibility bus and this program on it; exits the process when either is
    // missing after some seconds. Needs the QApplication, on a display whose bridge is on.
    A11yProbe();
    ~A11yProbe();

    // The longest wait of a query sent from `from` on (one unanswered yet counts until now), and
    // how many of them were answered.
    struct Waits {
        Clock::duration longest{};
        Clock::time_point longestSent{};  // when the query that waited longest was sent
        std::size_t answered = 0;
    };
    Waits Since(Clock::time_point from) const;
    // Reads the program's whole tree of accessibles once, as a screen reader does when a window
    // comes up, between two of its queries.
    void WalkTree() { walk_ = true; }

  private:
    // Sends the query and notes how long its answer took.
    QDBusMessage Ask(const QDBusConnection& bus, const QDBusMessage& query);
    void Walk(const QDBusConnection& bus, const QString& program, const QString& path);

    struct Query {
        Clock::time_point sent;
        Clock::time_point answered;
    };

    std::vector<Query> queries_;
    Clock::time_point pending_{};  // when the query in flight was sent
    bool inFlight_ = false;
    mutable std::mutex mutex_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> stopped_{false};
    std::atomic<bool> walk_{false};
    std::thread thread_;
};

}  // namespace verrimo::bench
