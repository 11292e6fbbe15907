#pragma once

#include <QString>
#include <atomic>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>

namespace planning {

// One computation on a thread of its own, for a window that stays responsive meanwhile: the
// job reports how far it is (0 to 1, and what it does), the window polls that from its timer,
// and a cancel reaches the job through the flag it is given. The job's results go wherever the
// job writes them; the window reads them only once finished() holds and collect() has joined.
class Background {
public:
    using Report = std::function<void(double, const QString&)>;
    using Job = std::function<void(const std::atomic<bool>& cancel, const Report& report)>;

    Background() = default;
    ~Background();
    Background(const Background&) = delete;
    Background& operator=(const Background&) = delete;

    // Starts the job; one at a time.
    void start(Job job);
    bool running() const { return worker_.joinable(); }
    // Whether the job has returned (or thrown).
    bool finished() const { return done_; }
    void cancel() { cancel_ = true; }
    bool cancelled() const { return cancel_; }
    std::pair<double, QString> progress() const;
    // Waits for the job and rethrows what it threw.
    void collect();

private:
    std::thread worker_;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> done_{false};
    mutable std::mutex mutex_;
    double fraction_ = 0;
    QString what_;
    std::exception_ptr error_;
};

} // namespace planning
