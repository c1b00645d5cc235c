#include "core/loader.h"

#include <algorithm>
#include <cassert>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <new>
#include <unordered_set>
#include <utility>

#include "core/io/files_ahead.h"
#include "core/io/line_scanner.h"
#include "core/pool_rows.h"
#include "core/record_layouts.h"
#include "core/tables.h"
#include "core/text.h"

namespace core {
namespace {

constexpr size_t kRowKeyCharacters = 60;
constexpr uint64_t kProgressStep = 256 * 1024;

// The pool names of one load: the first spelling of each name (letter case ignored), put in
// alphabetical order once at the end rather than one insertion at a time, which would move the
// list for every name of a file with many thousand pools.
class PoolNameCollector {
public:
    // The BPS line's trimmed pool name, unless an equal name (letter case ignored) came first.
    void AddPoolName(std::string_view bpsLine) {
        const std::string_view name = Trim(ExtractField(bpsLine, BPSLayout, bps_field::kPoolName));
        if (m_seen.insert(FoldedCase(name)).second) {
            m_names.emplace_back(name);
        }
    }

    // lstPools becomes the names collected, in alphabetical order.
    void Store(CoreTables& tables) {
        std::stable_sort(
            m_names.begin(), m_names.end(),
            [](const std::string& a, const std::string& b) { return CompareIgnoreCase(a, b) < 0; });
        tables.lstPools = std::move(m_names);
        m_names.clear();
    }

private:
    std::unordered_set<std::string> m_seen;
    std::vector<std::string> m_names;
};

}  // namespace

Status LoadFailure(std::string path, FileErrorReason reason, int64_t line) {
    std::string message;
    if (reason == FileErrorReason::kBinaryData && line > 0) {
        message = "not a text statistics file (binary data at line " + std::to_string(line) + ")";
    } else {
        message = ReasonText(reason);
    }
    StatusCode code = StatusCode::kIoError;
    switch (reason) {
        case FileErrorReason::kNotFound:
            code = StatusCode::kNotFound;
            break;
        case FileErrorReason::kNotRegularFile:
        case FileErrorReason::kFolder:
        case FileErrorReason::kNamedPipe:
        case FileErrorReason::kDevice:
        case FileErrorReason::kSocket:
            code = StatusCode::kInvalidArgument;
            break;
        case FileErrorReason::kEmpty:
        case FileErrorReason::kDuplicatePoolRecord:
        case FileErrorReason::kBlankPoolName:
        case FileErrorReason::kBinaryData:
            code = StatusCode::kInvalidData;
            break;
        case FileErrorReason::kCancelled:
            code = StatusCode::kCancelled;
            break;
        case FileErrorReason::kNoAccess:
        case FileErrorReason::kReadFailed:
        case FileErrorReason::kTooLarge:
        case FileErrorReason::kChangedWhileRead:
            code = StatusCode::kIoError;
            break;
    }
    return Status(code, std::move(message), std::move(path), line, static_cast<int>(reason));
}

FileErrorReason LoadFailureReason(const Status& status) {
    assert(!status.ok());
    return static_cast<FileErrorReason>(status.detail());
}

std::string LoadFailureDetail(const Status& status) {
    std::string detail = "File: " + status.path() + "\nReason: " + status.message();
    if (status.line() > 0) {
        detail += "\nLine: " + std::to_string(status.line());
    }
    return detail;
}

bool CheckHeaderLine(std::string_view line) { return Contains(line, "ENV"); }

std::string DataSizeText(uint64_t bytes) {
    constexpr uint64_t kMiB = 1024 * 1024;
    // Whole and fractional Mb apart, so that bytes * 100 cannot overflow.
    const uint64_t hundredths = bytes / kMiB * 100 + ((bytes % kMiB) * 100 + kMiB / 2) / kMiB;
    char text[48];
    std::snprintf(text, sizeof text, "%llu.%02llu Mb",
                  static_cast<unsigned long long>(hundredths / 100),
                  static_cast<unsigned long long>(hundredths % 100));
    return text;
}

namespace {

// The state of one load that carries from one file to the next.
class Load {
public:
    Load(CoreTables& tables, LoadObserver& report, LoadResult& result)
        : m_tables(tables), m_report(report), m_result(result) {}

    // Reads file `fileNo` of lstSelectedFiles into the tables; stops at the first error.
    // `ahead`, when given, has read the files ahead in order.
    Status ReadFile(size_t fileNo, const FileSource& source, FilesAhead* ahead);

    void StorePoolNames() { m_poolNames.Store(m_tables); }

    // Fills fileRepeats: a file repeats an earlier one when both have the same size, the same
    // header line and the same stored lines. Only files of equal size are compared, from what
    // the load kept, so no file is read twice.
    void FindRepeatedFiles();

private:
    friend class FileRead;

    CoreTables& m_tables;
    LoadObserver& m_report;
    LoadResult& m_result;
    PoolNameCollector m_poolNames;
    std::vector<size_t> m_headerDigests;  // per file reached, a hash of its header line
};

// One file of a load as its pieces come: splits them into lines ending at CR, CR LF or a lone
// LF (a terminator is not part of the line; a last line without one still counts) and stores
// each line. A line that runs across pieces is gathered in a buffer of its own.
class FileRead : public FileReceiver {
public:
    FileRead(Load& load, size_t fileNo)
        : m_load(load),
          m_tables(load.m_tables),
          m_fileNo(fileNo),
          m_path(m_tables.lstSelectedFiles[fileNo]) {}

    Status error;

    bool Opened(uint64_t size) override {
        m_size = size;
        m_tables.fileBytes.push_back(size);
        m_load.m_report.FileOpened(m_fileNo, size);
        // The size passes through a single-precision progress maximum before it is added.
        m_load.m_result.totalBytes += static_cast<uint64_t>(static_cast<float>(size));
        return true;
    }

    bool Piece(std::string_view bytes) override {
        if (!m_reserved) {
            m_reserved = true;
            Reserve(bytes);
        }
        const char* data = bytes.data();
        const size_t size = bytes.size();
        // One scan for the piece; the line that holds the byte fails when it is reached, so
        // that the lines before it are kept as with any other error.
        const void* nul = std::memchr(data, '\0', size);
        const size_t nulAt = nul ? static_cast<size_t>(static_cast<const char*>(nul) - data) : size;
        size_t pos = 0;
        if (m_afterCr) {
            m_afterCr = false;
            pos = size > 0 && data[0] == '\n' ? 1 : 0;
        }
        while (pos < size) {
            const size_t end = FindLineEnd(data, pos, size);
            if (end == size) {
                m_partial.append(data + pos, size - pos);
                m_partialBinary = m_partialBinary || nulAt < size;
                return true;
            }
            std::string_view line(data + pos, end - pos);
            bool binary = nulAt < end;
            if (!m_partial.empty()) {
                m_partial.append(line);
                line = m_partial;
                binary = binary || m_partialBinary;
            }
            if (!Line(line, binary)) {
                return false;
            }
            m_partial.clear();
            m_partialBinary = false;
            pos = end + 1;
            if (data[end] == '\r') {
                if (pos == size) {
                    m_afterCr = true;
                } else if (data[pos] == '\n') {
                    ++pos;
                }
            }
        }
        return true;
    }

    // After the last piece: the last line when it had no terminator, and the file's end.
    void Finish() {
        if (!m_partial.empty() && !Line(m_partial, m_partialBinary)) {
            return;
        }
        if (m_lineNo == 0 && !Line({}, false)) {  // no header line at all
            return;
        }
        m_load.m_report.Progress(m_charactersRead);
        // The file's last pool row ends at the file's last line, whatever its kind. A row of an
        // earlier file never reaches into this one: an object line belongs to the pool of the
        // nearest BPS line above it in the same file.
        if (m_currentRow && !m_tables.lstData.empty()) {
            m_tables.lvControl[*m_currentRow].EndObjectIndex =
                static_cast<int32_t>(m_tables.lstData.size() - 1);
        }
    }

private:
    // Room for the lines still to come, estimated from the first 64 KiB, so that the line store
    // grows once; at least doubling, since a room of exactly this file's lines would copy the
    // store once per file, quadratic in the number of files.
    void Reserve(std::string_view first) {
        constexpr size_t kSample = 64 * 1024;
        const size_t sample = std::min(kSample, first.size());
        size_t ends = 0;
        for (size_t i = 0; i < sample; ++i) {
            ends += first[i] == '\n' || first[i] == '\r';
        }
        size_t estimate = 0;
        if (sample > 0) {
            const double lines = static_cast<double>(ends + 1) * static_cast<double>(m_size) /
                                 static_cast<double>(sample);
            // A sample of short lines says little about the rest: never reserve for lines
            // shorter than 16 bytes on average; growth takes care of a file that has them.
            estimate = std::min(static_cast<size_t>(lines), static_cast<size_t>(m_size / 16 + 1));
        }
        auto& lstData = m_tables.lstData;
        auto& workFileLines = m_tables.workFileLinesBefore;
        const size_t expected = lstData.size() + estimate;
        if (expected > lstData.capacity()) {
            lstData.reserve(std::max(expected, 2 * lstData.capacity()));
        }
        if (expected + 1 > workFileLines.capacity()) {
            workFileLines.reserve(std::max(expected + 1, 2 * workFileLines.capacity()));
        }
        if (workFileLines.empty()) {
            workFileLines.push_back(0);
        }
    }

    bool Fail(FileErrorReason reason) {
        error = LoadFailure(m_path, reason, m_lineNo);
        return false;
    }

    // Takes the next line of the file; false once the load must stop.
    bool Line(std::string_view line, bool binary) {
        ++m_lineNo;
        if (binary) {
            return Fail(FileErrorReason::kBinaryData);
        }
        if (m_lineNo == 1) {
            m_tables.fileFirstLine.push_back(m_tables.lstData.size());
            m_tables.fileHeaderAccepted.push_back(CheckHeaderLine(line));
            m_load.m_headerDigests.push_back(std::hash<std::string_view>{}(line));
            if (!m_tables.fileHeaderAccepted.back()) {
                m_load.m_result.headerWarnings.push_back(m_path);
                m_load.m_report.HeaderWarning(m_fileNo, m_path);
            }
            return true;
        }
        auto& lstData = m_tables.lstData;
        if (lstData.size() >= static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
            return Fail(FileErrorReason::kTooLarge);
        }
        const RecordKind kind = ClassifyRecord(line);
        // The file's first stored line is its lead record, whose collection time lies past the
        // columns an object line keeps: it stays whole whatever its kind.
        const bool lead = lstData.size() == m_tables.fileFirstLine.back();
        if (kind == RecordKind::kBpd && !lead &&
            line.size() > static_cast<size_t>(kObjectHeadColumns)) {
            const auto tailAt = static_cast<size_t>(kObjectTail.start - 1);
            const std::string_view tail =
                tailAt < line.size() ? line.substr(tailAt, static_cast<size_t>(kObjectTail.length))
                                     : std::string_view();
            lstData.push_back(
                {m_tables.KeepText(line.substr(0, static_cast<size_t>(kObjectHeadColumns)), tail),
                 0, true});
        } else {
            lstData.push_back({m_tables.KeepText(line), 0, false});
        }
        auto& workFileLines = m_tables.workFileLinesBefore;
        workFileLines.push_back(workFileLines.back() + (NamesWorkFileObject(line) ? 1 : 0));
        const auto index = static_cast<int32_t>(lstData.size() - 1);
        if (kind == RecordKind::kBps) {
            m_rangeOpen = true;
            if (m_objectSeen) {
                m_objectSeen = false;
                if (m_currentRow) {
                    m_tables.lvControl[*m_currentRow].EndObjectIndex =
                        static_cast<int32_t>(m_lastObject - 1);
                }
            }
            const std::string_view pool = Trim(ExtractField(line, BPSLayout, bps_field::kPoolName));
            if (pool.empty()) {
                return Fail(FileErrorReason::kBlankPoolName);
            }
            m_load.m_poolNames.AddPoolName(line);
            // The stored line, not the piece, which is gone with the next one.
            const std::string_view keyText = lstData.back().stored.substr(0, kRowKeyCharacters);
            if (!m_rowKeys.insert(keyText).second) {
                return Fail(FileErrorReason::kDuplicatePoolRecord);
            }
            PoolRow row;
            row.key = std::to_string(m_fileNo) + std::string(keyText);
            row.FileNo = static_cast<int32_t>(m_fileNo);
            row.BPool = std::string(pool);
            row.CacheAll = false;
            row.bpsLineIndex = index;
            m_tables.lvControl.push_back(std::move(row));
            m_currentRow = m_tables.lvControl.size() - 1;
        } else if (kind == RecordKind::kBpd) {
            m_objectSeen = true;
            m_lastObject = static_cast<int64_t>(lstData.size());
            if (m_rangeOpen) {
                m_rangeOpen = false;
                m_tables.lvControl[*m_currentRow].StartObjectIndex = index;
            }
        }
        m_charactersRead += line.size();
        if (m_charactersRead >= m_nextProgress) {
            m_load.m_report.Progress(m_charactersRead);
            m_nextProgress = m_charactersRead + kProgressStep;
            if (m_load.m_report.CancelRequested()) {
                return Fail(FileErrorReason::kCancelled);
            }
        }
        return true;
    }

    Load& m_load;
    CoreTables& m_tables;
    const size_t m_fileNo;
    const std::string& m_path;
    uint64_t m_size = 0;
    bool m_reserved = false;
    int64_t m_lineNo = 0;
    std::string m_partial;  // the start of a line that runs on into the next piece
    bool m_partialBinary = false;
    bool m_afterCr = false;  // the last piece ended in CR: a LF opening the next one belongs to it
    bool m_rangeOpen = false;
    bool m_objectSeen = false;
    int64_t m_lastObject = 0;            // line-store index + 1 of the last BPD line read
    std::optional<size_t> m_currentRow;  // the last pool row created in this file
    std::unordered_set<std::string_view> m_rowKeys;
    uint64_t m_charactersRead = 0;
    uint64_t m_nextProgress = kProgressStep;
};

Status Load::ReadFile(size_t fileNo, const FileSource& source, FilesAhead* ahead) {
    const std::string& path = m_tables.lstSelectedFiles[fileNo];
    if (m_report.CancelRequested()) {
        return LoadFailure(path, FileErrorReason::kCancelled);
    }
    m_report.FileStarting(fileNo, path);
    FileRead file(*this, fileNo);
    FilesAhead::File readAhead;
    readAhead.left = true;
    if (ahead) {
        readAhead = ahead->Next();
    }
    if (!readAhead.left) {
        if (readAhead.failure) {
            return LoadFailure(path, *readAhead.failure);
        }
        file.Opened(readAhead.size);
        file.Piece(readAhead.bytes);
    } else if (const auto failure = source.ReadPieces(path, file); failure && file.error.ok()) {
        return LoadFailure(path, *failure);
    }
    if (file.error.ok()) {
        file.Finish();
    }
    return file.error;
}

void Load::FindRepeatedFiles() {
    const std::vector<size_t>& first = m_tables.fileFirstLine;
    const size_t files =
        std::min({first.size(), m_tables.fileBytes.size(), m_headerDigests.size()});
    m_tables.fileRepeats.assign(files, std::nullopt);
    const auto linesOf = [&](size_t fileNo) {
        const size_t end = fileNo + 1 < first.size() ? first[fileNo + 1] : m_tables.lstData.size();
        return std::pair{first[fileNo], end};
    };
    // Files of equal size next to each other, in list order within a size.
    std::vector<size_t> order(files);
    for (size_t f = 0; f < files; ++f) {
        order[f] = f;
    }
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return m_tables.fileBytes[a] < m_tables.fileBytes[b];
    });
    std::vector<std::pair<size_t, size_t>> digests;  // (digest of the stored lines, FileNo)
    for (size_t i = 0; i < files;) {
        size_t j = i + 1;
        while (j < files && m_tables.fileBytes[order[j]] == m_tables.fileBytes[order[i]]) {
            ++j;
        }
        if (j - i > 1) {
            digests.clear();
            for (size_t k = i; k < j; ++k) {
                const size_t fileNo = order[k];
                const auto [begin, end] = linesOf(fileNo);
                // A sample of the lines tells different files apart; the lines of files whose
                // samples agree are compared whole below. Hashing every line of many files of
                // one size would cost a good part of the load.
                constexpr size_t kSampledLines = 64;
                const size_t step = std::max<size_t>(1, (end - begin) / kSampledLines);
                size_t digest = m_headerDigests[fileNo] ^ (end - begin);
                for (size_t line = begin; line < end; line += step) {
                    digest = digest * 1099511628211u ^
                             std::hash<std::string_view>{}(m_tables.lstData[line].stored);
                }
                digests.emplace_back(digest, fileNo);
            }
            std::sort(digests.begin(), digests.end());
            size_t sameDigestFrom = 0;
            for (size_t a = 0; a < digests.size(); ++a) {
                if (digests[a].first != digests[sameDigestFrom].first) {
                    sameDigestFrom = a;
                }
                const size_t fileNo = digests[a].second;
                for (size_t b = sameDigestFrom; b < a && !m_tables.fileRepeats[fileNo]; ++b) {
                    const size_t earlier = digests[b].second;
                    if (m_tables.fileRepeats[earlier] ||
                        m_headerDigests[earlier] != m_headerDigests[fileNo]) {
                        continue;
                    }
                    const auto [from, to] = linesOf(fileNo);
                    const auto [earlierFrom, earlierTo] = linesOf(earlier);
                    bool same = to - from == earlierTo - earlierFrom;
                    for (size_t n = 0; same && from + n < to; ++n) {
                        same = m_tables.lstData[from + n].stored ==
                               m_tables.lstData[earlierFrom + n].stored;
                    }
                    if (same) {
                        m_tables.fileRepeats[fileNo] = earlier;
                    }
                }
            }
        }
        i = j;
    }
}

}  // namespace

LoadResult LoadDataFiles(CoreTables& tables, const FileSource& source, LoadObserver* observer) {
    LoadObserver quiet;
    LoadResult result;
    tables.ClearLines();
    tables.lstPools.clear();
    tables.lstSharedPools.clear();
    tables.lvControl.clear();
    tables.lvSharedPools.clear();

    Load load(tables, observer ? *observer : quiet, result);
    std::optional<FilesAhead> ahead;
    if (tables.lstSelectedFiles.size() > 1) {
        ahead.emplace(source, tables.lstSelectedFiles);
    }
    for (size_t fileNo = 0; fileNo < tables.lstSelectedFiles.size() && result.ok(); ++fileNo) {
        try {
            result.status = load.ReadFile(fileNo, source, ahead ? &*ahead : nullptr);
        } catch (const std::bad_alloc&) {
            // A file of millions of empty lines needs far more memory for its lines than its size.
            result.status =
                LoadFailure(tables.lstSelectedFiles[fileNo], FileErrorReason::kTooLarge);
        }
    }
    load.StorePoolNames();
    if (result.ok()) {
        load.FindRepeatedFiles();
        tables.FilesChanged = false;
        result.dataSizeText = DataSizeText(result.totalBytes);
    }
    return result;
}

void CountWorkFileObjects(CoreTables& tables) {
    const auto& before = tables.workFileLinesBefore;
    const bool counted = before.size() == tables.lstData.size() + 1;
    for (PoolRow& row : tables.lvControl) {
        const ObjectLineSpan span = ObjectLines(tables, row);
        int64_t count = 0;
        if (span.empty()) {
            count = 0;
        } else if (counted) {
            count = before[span.end] - before[span.begin];
        } else {
            for (size_t k = span.begin; k < span.end; ++k) {
                count += NamesWorkFileObject(tables.lstData[k].Head()) ? 1 : 0;
            }
        }
        row.DSNDB07s = static_cast<int32_t>(count);
    }
}

}  // namespace core
