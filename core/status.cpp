#include "core/status.h"

#include <string>

namespace core {

std::string Status::ToString() const {
    if (ok()) {
        return "OK";
    }
    std::string text;
    if (!m_path.empty()) {
        text = m_path;
        if (m_line > 0) {
            text += ':' + std::to_string(m_line);
        }
        text += ": ";
    } else if (m_line > 0) {
        text = "line " + std::to_string(m_line) + ": ";
    }
    return text + m_message;
}

const char* StatusCodeName(StatusCode code) {
    switch (code) {
        case StatusCode::kOk:
            return "OK";
        case StatusCode::kNotFound:
            return "NOT_FOUND";
        case StatusCode::kIoError:
            return "IO_ERROR";
        case StatusCode::kInvalidData:
            return "INVALID_DATA";
        case StatusCode::kInvalidArgument:
            return "INVALID_ARGUMENT";
        case StatusCode::kCancelled:
            return "CANCELLED";
        case StatusCode::kNewerVersion:
            return "NEWER_VERSION";
    }
    return "UNKNOWN";
}

}  // namespace core
