// Builders of data-file lines and pool rows for tests, with fields at their columns, and a file
// source that serves files from memory.
#ifndef TESTS_CORE_TEST_LINES_H_
#define TESTS_CORE_TEST_LINES_H_

#include <algorithm>
#include <map>
#include <string>
#include <string_view>

#include "core/io/file_source.h"
#include "core/tables.h"

namespace core::testing {

// `line` with `text` at 1-based column `column`, padded with blanks as needed.
inline std::string Put(std::string line, size_t column, std::string_view text) {
    if (line.size() < column - 1 + text.size()) {
        line.resize(column - 1 + text.size(), ' ');
    }
    line.replace(column - 1, text.size(), text);
    return line;
}

// A BPS record: pool name at columns 21-28, VP size at 34, HP size at 50, ratio denominator at 67
// and numerator at 349. Empty statistics are left out.
inline std::string BpsLine(std::string_view pool, std::string_view vp = "",
                           std::string_view hp = "", std::string_view numerator = "",
                           std::string_view denominator = "") {
    std::string line = Put(Put("BPS", 21, pool), 29, " ");
    const std::pair<size_t, std::string_view> fields[] = {
        {34, vp}, {50, hp}, {67, denominator}, {349, numerator}};
    for (const auto& [column, text] : fields) {
        line = text.empty() ? line : Put(line, column, text);
    }
    return line;
}

// A BPD record: kind at column 29, object name at 30-56, statistic A at 57 and B at 339.
inline std::string BpdLine(std::string_view name, char kind = 'T', std::string_view a = "",
                           std::string_view b = "") {
    std::string line = Put(Put(Put("BPD", 29, std::string(1, kind)), 30, name), 57, a);
    return b.empty() ? line : Put(line, 339, b);
}

inline PoolRow Row(std::string pool, std::optional<int32_t> start, std::optional<int32_t> end,
                   int32_t bpsLine = -1, int32_t fileNo = 0) {
    PoolRow row;
    row.FileNo = fileNo;
    row.BPool = std::move(pool);
    row.StartObjectIndex = start;
    row.EndObjectIndex = end;
    row.bpsLineIndex = bpsLine;
    return row;
}

inline constexpr std::string_view kHeader = "LOOMSTEAD STATISTICS ENV=TEST";

// Joins lines with CR LF, as the data files end them.
inline std::string Crlf(std::initializer_list<std::string_view> lines) {
    std::string out;
    for (const auto line : lines) {
        out.append(line).append("\r\n");
    }
    return out;
}

class MemoryFileSource : public FileSource {
public:
    void Add(const std::string& path, std::string bytes) { m_files[path] = std::move(bytes); }
    void Fail(const std::string& path, FileErrorReason reason) { m_failures[path] = reason; }

    std::optional<FileErrorReason> Read(const std::string& path, FileContents& out) const override {
        if (const auto f = m_failures.find(path); f != m_failures.end()) {
            return f->second;
        }
        const auto it = m_files.find(path);
        if (it == m_files.end() || it->second.empty()) {
            return it == m_files.end() ? FileErrorReason::kNotFound : FileErrorReason::kEmpty;
        }
        out = FileContents::Copy(it->second);
        return std::nullopt;
    }

    // When set, files arrive in pieces of this many bytes, as from a reader with a small buffer.
    size_t pieceBytes = 0;

    std::optional<FileErrorReason> ReadPieces(const std::string& path,
                                              FileReceiver& receiver) const override {
        FileContents whole;
        if (pieceBytes == 0 || Read(path, whole)) {
            return FileSource::ReadPieces(path, receiver);
        }
        if (!receiver.Opened(whole.size)) {
            return std::nullopt;
        }
        for (size_t at = 0; at < whole.size; at += pieceBytes) {
            const size_t n = std::min(pieceBytes, whole.size - at);
            if (!receiver.Piece(std::string_view(whole.data() + at, n))) {
                break;
            }
        }
        return std::nullopt;
    }

private:
    std::map<std::string, std::string> m_files;
    std::map<std::string, FileErrorReason> m_failures;
};

}  // namespace core::testing

#endif  // TESTS_CORE_TEST_LINES_H_
