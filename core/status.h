// One way for core to fail: a Status says whether a call worked and, when not, what kind of
// failure it was, one sentence for a person, the file it is about and the line in it. A
// StatusOr<T> is the value of a call that also returns something, or the Status of its failure.
#ifndef CORE_STATUS_H_
#define CORE_STATUS_H_

#include <cassert>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace core {

enum class StatusCode {
    kOk,
    kNotFound,         // the file (or what was asked for) does not exist
    kIoError,          // the file exists but could not be read or written
    kInvalidData,      // the file was read, but what it holds cannot be used
    kInvalidArgument,  // the input is not of the kind asked for at all (not a plan, say)
    kCancelled,        // the user ended the operation
    kNewerVersion,     // written by a newer version of the program
};

class [[nodiscard]] Status {
public:
    // Success: code kOk, everything else empty.
    Status() = default;

    // A failure. REQUIRES: code != kOk. `message` is one UTF-8 sentence without a line break
    // that does not repeat the path; `path` is the file as the caller gave it (the file
    // system's bytes, not necessarily UTF-8), empty when no file is concerned; `line` is
    // 1-based, 0 when none applies. `detail` is the failing layer's own finer reason, for the
    // callers that tell such reasons apart (an errno, a file reader's reason); 0 when none.
    Status(StatusCode code, std::string message, std::string path = {}, int64_t line = 0,
           int detail = 0)
        : m_code(code),
          m_message(std::move(message)),
          m_path(std::move(path)),
          m_line(line),
          m_detail(detail) {
        assert(code != StatusCode::kOk);
    }

    bool ok() const { return m_code == StatusCode::kOk; }
    StatusCode code() const { return m_code; }
    // Empty for success.
    const std::string& message() const { return m_message; }
    const std::string& path() const { return m_path; }
    int64_t line() const { return m_line; }
    int detail() const { return m_detail; }

    // "OK" for success; otherwise "<path>:<line>: <message>", the line left out (with its
    // colon) when 0, "line <line>: <message>" without a path, the bare message with neither.
    // Bytes of the path are copied as they are.
    std::string ToString() const;

    friend bool operator==(const Status&, const Status&) = default;

private:
    StatusCode m_code = StatusCode::kOk;
    std::string m_message;
    std::string m_path;
    int64_t m_line = 0;
    int m_detail = 0;
};

// "OK", "NOT_FOUND", "IO_ERROR", "INVALID_DATA", "INVALID_ARGUMENT", "CANCELLED",
// "NEWER_VERSION": for logs and test output, never for a person.
const char* StatusCodeName(StatusCode code);

// A value, or the non-ok Status that says why there is none.
template <class T>
class [[nodiscard]] StatusOr {
public:
    // Holds `value`; status() is ok.
    StatusOr(T value) : m_value(std::move(value)) {}  // NOLINT: implicit, as a return value
    // Holds no value. REQUIRES: !status.ok().
    StatusOr(Status status) : m_status(std::move(status)) {  // NOLINT: implicit, as above
        assert(!m_status.ok());
    }

    bool ok() const { return m_value.has_value(); }
    // Ok when a value is held.
    const Status& status() const& { return m_status; }

    // REQUIRES: ok().
    const T& value() const& {
        assert(ok());
        return *m_value;
    }
    T& value() & {
        assert(ok());
        return *m_value;
    }
    T&& value() && {
        assert(ok());
        return std::move(*m_value);
    }
    const T& operator*() const& { return value(); }
    T& operator*() & { return value(); }
    T&& operator*() && { return std::move(*this).value(); }
    const T* operator->() const { return &value(); }
    T* operator->() { return &value(); }

private:
    Status m_status;
    std::optional<T> m_value;
};

}  // namespace core

#endif  // CORE_STATUS_H_
