#include "planning/Background.h"

namespace planning {

Background::~Background() {
    cancel_ = true;
    if (worker_.joinable())
        worker_.join();
}

void Background::start(Job job) {
    if (worker_.joinable())
        worker_.join();
    cancel_ = false;
    done_ = false;
    fraction_ = 0;
    what_.clear();
    error_ = nullptr;
    worker_ = std::thread([this, job = std::move(job)] {
        try {
            job(cancel_, [this](double fraction, const QString& what) {
                const std::lock_guard lock(mutex_);
                fraction_ = fraction;
                if (!what.isEmpty())
                    what_ = what;
            });
        } catch (...) {
            const std::lock_guard lock(mutex_);
            error_ = std::current_exception();
        }
        done_ = true;
    });
}

std::pair<double, QString> Background::progress() const {
    const std::lock_guard lock(mutex_);
    return {fraction_, what_};
}

void Background::collect() {
    if (worker_.joinable())
        worker_.join();
    std::exception_ptr error;
    {
        const std::lock_guard lock(mutex_);
        error = std::exchange(error_, nullptr);
    }
    if (error)
        std::rethrow_exception(error);
}

} // namespace planning
