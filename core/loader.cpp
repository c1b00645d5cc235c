#include "loader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
#include <unordered_set>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define LOOMSTEAD_HAVE_AVX2_DISPATCH 1
#endif

#include "pool_rows.h"
#include "record_layouts.h"
#include "tables.h"
#include "text.h"

namespace core {
namespace {

constexpr size_t kRowKeyCharacters = 60;
constexpr uint64_t kProgressStep = 256 * 1024;

// Position of the first CR or LF at or after `from`; `size` when there is none. One pass over the
// bytes finds either terminator, 32 bytes a step with AVX2, 16 with SSE2, or by memchr.
size_t FindLineEndPortable(const char* data, size_t from, size_t size) {
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    size_t i = from;
    for (; i + 16 <= size; i += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        const int hits =
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(chunk, cr), _mm_cmpeq_epi8(chunk, lf)));
        if (hits != 0) {
            return i + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(hits)));
        }
    }
    for (; i < size; ++i) {
        if (data[i] == '\r' || data[i] == '\n') {
            return i;
        }
    }
    return size;
#else
    const void* lf = std::memchr(data + from, '\n', size - from);
    const size_t lfAt = lf ? static_cast<size_t>(static_cast<const char*>(lf) - data) : size;
    const void* cr = std::memchr(data + from, '\r', lfAt - from);
    return cr ? static_cast<size_t>(static_cast<const char*>(cr) - data) : lfAt;
#endif
}

#if defined(LOOMSTEAD_HAVE_AVX2_DISPATCH)
__attribute__((target("avx2"))) size_t FindLineEndAvx2(const char* data, size_t from, size_t size) {
    const __m256i cr = _mm256_set1_epi8('\r');
    const __m256i lf = _mm256_set1_epi8('\n');
    size_t i = from;
    for (; i + 32 <= size; i += 32) {
        const __m256i chunk = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + i));
        const auto hits = static_cast<unsigned>(_mm256_movemask_epi8(
            _mm256_or_si256(_mm256_cmpeq_epi8(chunk, cr), _mm256_cmpeq_epi8(chunk, lf))));
        if (hits != 0) {
            return i + static_cast<size_t>(__builtin_ctz(hits));
        }
    }
    return FindLineEndPortable(data, i, size);
}
#endif

using LineEndFinder = size_t (*)(const char*, size_t, size_t);

// The widest scan this processor runs, chosen once.
LineEndFinder ChooseLineEndFinder() {
#if defined(LOOMSTEAD_HAVE_AVX2_DISPATCH)
    __builtin_cpu_init();  // this runs during static initialisation
    if (__builtin_cpu_supports("avx2")) {
        return FindLineEndAvx2;
    }
#endif
    return FindLineEndPortable;
}

const LineEndFinder FindLineEnd = ChooseLineEndFinder();

// Splits a buffer into lines ending at CR, CR LF or a lone LF. A terminator is not part of the
// line; a last line without one still counts.
class LineSplitter {
public:
    LineSplitter(const char* data, size_t size) : m_data(data), m_size(size) {}

    bool Next(std::string_view& line) {
        if (m_pos >= m_size) {
            return false;
        }
        const size_t end = FindLineEnd(m_data, m_pos, m_size);
        line = std::string_view(m_data + m_pos, end - m_pos);
        m_pos = end;
        if (m_pos < m_size) {
            ++m_pos;
            if (m_data[end] == '\r' && m_pos < m_size && m_data[m_pos] == '\n') {
                ++m_pos;
            }
        }
        return true;
    }

    // Lines still to come, estimated from the next 64 KiB, so that the line store grows once.
    size_t EstimateRemainingLines() const {
        constexpr size_t kSample = 64 * 1024;
        const size_t sample = std::min(kSample, m_size - m_pos);
        size_t ends = 0;
        for (size_t i = m_pos; i < m_pos + sample; ++i) {
            ends += m_data[i] == '\n' || m_data[i] == '\r';
        }
        if (sample == 0) {
            return 0;
        }
        const double estimate = static_cast<double>(ends + 1) *
                                static_cast<double>(m_size - m_pos) / static_cast<double>(sample);
        // A sample of short lines says little about the rest: never reserve for lines shorter
        // than 16 bytes on average; growth takes care of a file that has them.
        return std::min(static_cast<size_t>(estimate), (m_size - m_pos) / 16 + 1);
    }

private:
    const char* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

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

std::string LoadError::Detail() const {
    std::string detail = "File: " + path + "\nReason: " + std::string(ReasonText(reason));
    if (line > 0) {
        detail += "\nLine: " + std::to_string(line);
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
    std::optional<LoadError> ReadFile(size_t fileNo, const FileSource& source);

    void StorePoolNames() { m_poolNames.Store(m_tables); }

private:
    CoreTables& m_tables;
    LoadObserver& m_report;
    LoadResult& m_result;
    int64_t m_lastObject = 0;            // line-store index + 1 of the last BPD line read
    std::optional<size_t> m_currentRow;  // carries over from one file to the next
    PoolNameCollector m_poolNames;
};

std::optional<LoadError> Load::ReadFile(size_t fileNo, const FileSource& source) {
    bool rangeOpen = false;
    bool objectSeen = false;
    const std::string path(Trim(m_tables.lstSelectedFiles[fileNo]));
    if (m_report.CancelRequested()) {
        return LoadError{path, FileErrorReason::kCancelled, 0};
    }
    m_report.FileStarting(fileNo, path);

    FileContents contents;
    if (const auto failure = source.Read(path, contents)) {
        return LoadError{path, *failure, 0};
    }
    m_report.FileOpened(fileNo, contents.size);
    // The size passes through a single-precision progress maximum before it is added.
    m_result.totalBytes += static_cast<uint64_t>(static_cast<float>(contents.size));

    const char* data = contents.data();
    m_tables.AdoptBuffer(std::move(contents.bytes));
    LineSplitter lines(data, contents.size);
    std::string_view line;
    lines.Next(line);
    m_tables.fileFirstLine.push_back(m_tables.lstData.size());
    m_tables.fileHeaderAccepted.push_back(CheckHeaderLine(line));
    if (!m_tables.fileHeaderAccepted.back()) {
        m_result.headerWarnings.push_back(path);
        m_report.HeaderWarning(fileNo, path);
    }

    auto& lstData = m_tables.lstData;
    auto& workFileLines = m_tables.workFileLinesBefore;
    const size_t expected = lstData.size() + lines.EstimateRemainingLines();
    lstData.reserve(expected);
    workFileLines.reserve(expected + 1);
    if (workFileLines.empty()) {
        workFileLines.push_back(0);
    }
    std::unordered_set<std::string_view> rowKeys;
    int64_t lineNo = 1;
    uint64_t charactersRead = 0;
    uint64_t nextProgress = kProgressStep;
    while (lines.Next(line)) {
        ++lineNo;
        if (lstData.size() >= static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
            return LoadError{path, FileErrorReason::kTooLarge, lineNo};
        }
        lstData.push_back({line, 0});
        workFileLines.push_back(workFileLines.back() + (NamesWorkFileObject(line) ? 1 : 0));
        const auto index = static_cast<int32_t>(lstData.size() - 1);
        const RecordKind kind = ClassifyRecord(line);
        if (kind == RecordKind::kBps) {
            rangeOpen = true;
            if (objectSeen) {
                objectSeen = false;
                if (m_currentRow) {
                    m_tables.lvControl[*m_currentRow].EndObjectIndex =
                        static_cast<int32_t>(m_lastObject - 1);
                }
            }
            m_poolNames.AddPoolName(line);
            const std::string_view keyText = line.substr(0, kRowKeyCharacters);
            if (!rowKeys.insert(keyText).second) {
                return LoadError{path, FileErrorReason::kDuplicatePoolRecord, lineNo};
            }
            PoolRow row;
            row.key = std::to_string(fileNo) + std::string(keyText);
            row.FileNo = static_cast<int32_t>(fileNo);
            row.BPool = std::string(Trim(ExtractField(line, BPSLayout, bps_field::kPoolName)));
            row.CacheAll = false;
            row.bpsLineIndex = index;
            m_tables.lvControl.push_back(std::move(row));
            m_currentRow = m_tables.lvControl.size() - 1;
        } else if (kind == RecordKind::kBpd) {
            objectSeen = true;
            m_lastObject = static_cast<int64_t>(lstData.size());
            if (rangeOpen) {
                rangeOpen = false;
                m_tables.lvControl[*m_currentRow].StartObjectIndex = index;
            }
        }
        charactersRead += line.size();
        if (charactersRead >= nextProgress) {
            m_report.Progress(charactersRead);
            nextProgress = charactersRead + kProgressStep;
            if (m_report.CancelRequested()) {
                return LoadError{path, FileErrorReason::kCancelled, lineNo};
            }
        }
    }
    m_report.Progress(charactersRead);
    // The last pool row read so far ends at the last line of this file, whatever its kind.
    if (m_currentRow && !lstData.empty()) {
        m_tables.lvControl[*m_currentRow].EndObjectIndex = static_cast<int32_t>(lstData.size() - 1);
    }
    return std::nullopt;
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
    for (size_t fileNo = 0; fileNo < tables.lstSelectedFiles.size() && !result.error; ++fileNo) {
        try {
            result.error = load.ReadFile(fileNo, source);
        } catch (const std::bad_alloc&) {
            // A file of millions of empty lines needs far more memory for its lines than its size.
            result.error = LoadError{std::string(Trim(tables.lstSelectedFiles[fileNo])),
                                     FileErrorReason::kTooLarge, 0};
        }
    }
    load.StorePoolNames();
    if (!result.error) {
        tables.FilesChanged = false;
        result.dataSizeText = DataSizeText(result.totalBytes);
    }
    return result;
}

void CountWorkFileObjects(CoreTables& tables) {
    const std::vector<int32_t>& before = tables.workFileLinesBefore;
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
                count += NamesWorkFileObject(tables.lstData[k].text) ? 1 : 0;
            }
        }
        row.DSNDB07s = static_cast<int32_t>(count);
    }
}

}  // namespace core
