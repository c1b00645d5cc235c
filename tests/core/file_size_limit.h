// A full disk for the tests: a limit on the size of the files this process writes, for as long
// as the guard lives. A write past it fails with EFBIG ("File too large") instead of killing
// the process.
#ifndef TESTS_CORE_FILE_SIZE_LIMIT_H_
#define TESTS_CORE_FILE_SIZE_LIMIT_H_

#include <sys/resource.h>

#include <csignal>

namespace core::testing {

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) : m_oldHandler(std::signal(SIGXFSZ, SIG_IGN)) {
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit small = m_old;
        small.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    void (*m_oldHandler)(int);
    rlimit m_old{};
};

}  // namespace core::testing

#endif  // TESTS_CORE_FILE_SIZE_LIMIT_H_
