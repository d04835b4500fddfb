// Batches handed from one thread to another in order, with a bound on how many wait.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>

namespace verrimo::cli {

template <typename Batch>
class HandOver {
  public:
    explicit HandOver(std::size_t bound) : bound_(bound) {}

    // Waits while the queue is full; false when the taker has stopped taking.
    bool give(Batch batch) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return stopped_ || batches_.size() < bound_; });
        if (stopped_) return false;
        batches_.push_back(std::move(batch));
        changed_.notify_all();
        return true;
    }
    // Waits for the next batch; nothing once the giver has finished and all are taken.
    std::optional<Batch> take() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return finished_ || !batches_.empty(); });
        if (batches_.empty()) return std::nullopt;
        Batch batch = std::move(batches_.front());
        batches_.pop_front();
        changed_.notify_all();
        return batch;
    }
    // The giver has given its last batch.
    void finish() {
        std::lock_guard lock(mutex_);
        finished_ = true;
        changed_.notify_all();
    }
    // The taker takes no more: a waiting give returns false.
    void stop() {
        std::lock_guard lock(mutex_);
        stopped_ = true;
        changed_.notify_all();
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Batch> batches_;
    std::size_t bound_;
    bool finished_ = false;
    bool stopped_ = false;
};

}  // namespace verrimo::cli
