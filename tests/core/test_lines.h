// Builders of data-file lines for core tests, with fields at their columns, and a file source
// that serves files from memory.
#ifndef TESTS_CORE_TEST_LINES_H_
#define TESTS_CORE_TEST_LINES_H_

#include <cstring>
#include <map>
#include <string>
#include <string_view>

#include "file_source.h"

namespace core::testing {

// Pads or cuts `text` to start at 1-based column `column` of `line`.
inline void PutAt(std::string& line, size_t column, std::string_view text) {
    if (line.size() < column - 1 + text.size()) {
        line.resize(column - 1 + text.size(), ' ');
    }
    line.replace(column - 1, text.size(), text);
}

// A BPS record for `pool` (pool name at columns 21-28).
inline std::string BpsLine(std::string_view pool) {
    std::string line = "BPS";
    PutAt(line, 21, pool);
    PutAt(line, 29, " ");
    return line;
}

// A BPD record: kind flag at column 29, object name at columns 30-56.
inline std::string BpdLine(std::string_view name, char kind = 'T') {
    std::string line = "BPD";
    PutAt(line, 29, std::string(1, kind));
    PutAt(line, 30, name);
    PutAt(line, 57, " ");
    return line;
}

inline constexpr std::string_view kHeader = "LOOMSTEAD STATISTICS ENV=TEST";

class MemoryFileSource : public FileSource {
public:
    void Add(const std::string& path, std::string bytes) { m_files[path] = std::move(bytes); }
    void Fail(const std::string& path, FileErrorReason reason) { m_failures[path] = reason; }

    std::optional<FileErrorReason> Read(const std::string& path, FileContents& out) const override {
        if (const auto f = m_failures.find(path); f != m_failures.end()) {
            return f->second;
        }
        const auto it = m_files.find(path);
        if (it == m_files.end()) {
            return FileErrorReason::kNotFound;
        }
        if (it->second.empty()) {
            return FileErrorReason::kEmpty;
        }
        out = FileContents::Copy(it->second);
        return std::nullopt;
    }

private:
    std::map<std::string, std::string> m_files;
    std::map<std::string, FileErrorReason> m_failures;
};

// Joins lines with CR LF, as the data files end them.
inline std::string Crlf(std::initializer_list<std::string_view> lines) {
    std::string out;
    for (const auto line : lines) {
        out.append(line);
        out.append("\r\n");
    }
    return out;
}

}  // namespace core::testing

#endif  // TESTS_CORE_TEST_LINES_H_
