#pragma once

#include <QtGlobal>

#ifndef Q_OS_WIN
#include <csignal>
#include <sys/resource.h>
#endif

namespace test {

// A real write failure on demand: while it lives, no file of this process may grow beyond bytes
// (writes beyond fail with EFBIG, as on a full disk), whoever runs the test. POSIX only; where
// it is missing, available() is false and the test skips.
class FileSizeLimit {
public:
    explicit FileSizeLimit(long bytes) {
#ifndef Q_OS_WIN
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limit = old_;
        limit.rlim_cur = static_cast<rlim_t>(bytes);
        ok_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
#else
        Q_UNUSED(bytes);
#endif
    }
    ~FileSizeLimit() {
#ifndef Q_OS_WIN
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
#endif
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool available() const {
        return ok_;
    }

private:
    bool ok_ = false;
#ifndef Q_OS_WIN
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
#endif
};

} // namespace test
