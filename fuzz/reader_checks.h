// What the fuzz targets of the running group's readers check of every result: a refusal is one
// line and a figure read is never negative. A broken rule ends the run, so that the fuzzer keeps
// the input.
#ifndef FUZZ_READER_CHECKS_H_
#define FUZZ_READER_CHECKS_H_

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

namespace fuzz {

// Whether `result` (a reader's StatusOr) holds a reading; when it does not, its message must be
// one line that is not empty.
template <typename Result>
bool IsReading(const Result& result) {
    if (result.ok()) {
        return true;
    }
    const std::string& error = result.status().message();
    if (error.empty() || error.find('\n') != std::string::npos) {
        std::abort();
    }
    return false;
}

inline void CheckNotNegative(const std::optional<int64_t>& figure) {
    if (figure && *figure < 0) {
        std::abort();
    }
}

}  // namespace fuzz

#endif  // FUZZ_READER_CHECKS_H_
