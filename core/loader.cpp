#include "loader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <unordered_set>

#include "record_layouts.h"
#include "tables.h"
#include "text.h"

namespace core {
namespace {

constexpr size_t kRowKeyCharacters = 60;
constexpr uint64_t kProgressStep = 256 * 1024;

// Splits a buffer into lines ending at CR, CR LF or a lone LF. A terminator is not part of the
// line; a last line without one still counts. Two forward memchr scans, one per terminator, keep
// the cost at a few passes over the bytes however the lines end.
class LineSplitter {
public:
    LineSplitter(const char* data, size_t size) : m_data(data), m_size(size) {}

    bool Next(std::string_view& line) {
        if (m_pos >= m_size) {
            return false;
        }
        const size_t lf = NextOf('\n', m_nextLf);
        const size_t cr = NextOf('\r', m_nextCr);
        const size_t end = lf < cr ? lf : cr;
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

private:
    // Position of the next `c` at or after m_pos (m_size when none), remembered in `cached`.
    size_t NextOf(char c, size_t& cached) {
        if (cached < m_pos || cached == kUnknown) {
            const void* hit = std::memchr(m_data + m_pos, c, m_size - m_pos);
            cached = hit ? static_cast<size_t>(static_cast<const char*>(hit) - m_data) : m_size;
        }
        return cached;
    }

    static constexpr size_t kUnknown = static_cast<size_t>(-1);
    const char* m_data;
    size_t m_size;
    size_t m_pos = 0;
    size_t m_nextLf = kUnknown;
    size_t m_nextCr = kUnknown;
};

// The pool names of one load: the first spelling of each name (letter case ignored), put in
// alphabetical order once at the end rather than one insertion at a time, which would move the
// list for every name of a file with many thousand pools.
class PoolNameCollector {
public:
    void Add(std::string_view bpsLine) {
        const std::string_view name = Trim(ExtractField(bpsLine, BPSLayout, bps_field::kPoolName));
        std::string folded(name);
        for (char& c : folded) {
            c = FoldCase(c);
        }
        if (m_seen.insert(std::move(folded)).second) {
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

bool CheckHeaderLine(std::string_view line) { return IsFlatFileHeader(line); }

void AddPoolName(CoreTables& tables, std::string_view bpsLine) {
    const std::string_view name = Trim(ExtractField(bpsLine, BPSLayout, bps_field::kPoolName));
    // lstPools is kept in order, so the look-up can halve instead of scanning every name.
    auto& pools = tables.lstPools;
    const auto it = std::lower_bound(pools.begin(), pools.end(), name,
                                     [](const std::string& entry, std::string_view n) {
                                         return CompareIgnoreCase(entry, n) < 0;
                                     });
    if (it != pools.end() && EqualsIgnoreCase(*it, name)) {
        return;
    }
    pools.insert(it, std::string(name));
}

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
    if (!CheckHeaderLine(line)) {
        m_result.headerWarnings.push_back(path);
        m_report.HeaderWarning(fileNo, path);
    }

    auto& lstData = m_tables.lstData;
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
        const auto index = static_cast<int32_t>(lstData.size() - 1);
        if (IsBpsRecord(line)) {
            rangeOpen = true;
            if (objectSeen) {
                objectSeen = false;
                if (m_currentRow) {
                    m_tables.lvControl[*m_currentRow].EndObjectIndex =
                        static_cast<int32_t>(m_lastObject - 1);
                }
            }
            m_poolNames.Add(line);
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
        } else if (IsBpdRecord(line)) {
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
        result.error = load.ReadFile(fileNo, source);
    }
    load.StorePoolNames();
    if (!result.error) {
        tables.FilesChanged = false;
        result.dataSizeText = DataSizeText(result.totalBytes);
    }
    return result;
}

void CountWorkFileObjects(CoreTables& tables) {
    for (PoolRow& row : tables.lvControl) {
        int32_t count = 0;
        if (row.HasObjectRange()) {
            const int64_t end = *row.EndObjectIndex;
            for (int64_t k = *row.StartObjectIndex; k <= end; ++k) {
                // The lines lie far apart in memory; ask for one a few steps ahead.
                constexpr int64_t kAhead = 8;
                if (k + kAhead <= end) {
                    __builtin_prefetch(tables.lstData[static_cast<size_t>(k + kAhead)].text.data() +
                                       BPDLayout[bpd_field::kObjectName - 1].start - 1);
                }
                const std::string_view name = ExtractField(
                    tables.lstData[static_cast<size_t>(k)].text, BPDLayout, bpd_field::kObjectName);
                if (Contains(name, "DSNDB07")) {
                    ++count;
                }
            }
        }
        row.DSNDB07s = count;
    }
}

}  // namespace core
