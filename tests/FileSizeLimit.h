// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Failing writes on demand, for tests of what a full disk leaves behind. Unlike read-only
// folders this also works for root.
#if defined(__unix__) || defined(__APPLE__)
#include <csignal>
#include <sys/resource.h>
#define PADSMITH_HAS_FILE_SIZE_LIMIT 1

namespace padsmith::test {

// Makes every write beyond `bytes` fail, as a full disk does, whatever the user's rights.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limit = old_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

} // namespace padsmith::test
#endif
