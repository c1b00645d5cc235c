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

LoadResult LoadDataFiles(CoreTables& tables, const FileSource& source, LoadObserver* observer) {
    LoadObserver quiet;
    LoadObserver& report = observer ? *observer : quiet;
    LoadResult result;

    tables.ClearLines();
    tables.lstPools.clear();
    tables.lstSharedPools.clear();
    tables.lvControl.clear();
    tables.lvSharedPools.clear();

    // The last line store index + 1 of a BPD line; the current pool row carries over from one
    // file to the next.
    int64_t lastObject = 0;
    std::optional<size_t> currentRow;

    for (size_t fileNo = 0; fileNo < tables.lstSelectedFiles.size(); ++fileNo) {
        bool rangeOpen = false;
        bool objectSeen = false;
        const std::string path(Trim(tables.lstSelectedFiles[fileNo]));
        report.FileStarting(fileNo, path);

        FileContents contents;
        if (const auto failure = source.Read(path, contents)) {
            result.error = LoadError{path, *failure, 0};
            return result;
        }
        report.FileOpened(fileNo, contents.size);
        // The size passes through a single-precision progress maximum before it is added.
        result.totalBytes += static_cast<uint64_t>(static_cast<float>(contents.size));

        const char* data = contents.data();
        tables.AdoptBuffer(std::move(contents.bytes));
        LineSplitter lines(data, contents.size);
        std::string_view line;
        lines.Next(line);
        if (!CheckHeaderLine(line)) {
            result.headerWarnings.push_back(path);
            report.HeaderWarning(fileNo, path);
        }

        std::unordered_set<std::string_view> rowKeys;
        int64_t lineNo = 1;
        uint64_t charactersRead = 0;
        uint64_t nextProgress = kProgressStep;
        while (lines.Next(line)) {
            ++lineNo;
            if (tables.lstData.size() >= static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
                result.error = LoadError{path, FileErrorReason::kTooLarge, lineNo};
                return result;
            }
            tables.lstData.push_back({line, 0});
            const auto index = static_cast<int32_t>(tables.lstData.size() - 1);
            if (IsBpsRecord(line)) {
                rangeOpen = true;
                if (objectSeen) {
                    objectSeen = false;
                    if (currentRow) {
                        tables.lvControl[*currentRow].EndObjectIndex =
                            static_cast<int32_t>(lastObject - 1);
                    }
                }
                AddPoolName(tables, line);
                const std::string_view keyText = line.substr(0, kRowKeyCharacters);
                if (!rowKeys.insert(keyText).second) {
                    result.error = LoadError{path, FileErrorReason::kDuplicatePoolRecord, lineNo};
                    return result;
                }
                PoolRow row;
                row.key = std::to_string(fileNo) + std::string(keyText);
                row.FileNo = static_cast<int32_t>(fileNo);
                row.BPool = std::string(Trim(ExtractField(line, BPSLayout, bps_field::kPoolName)));
                row.CacheAll = false;
                row.bpsLineIndex = index;
                tables.lvControl.push_back(std::move(row));
                currentRow = tables.lvControl.size() - 1;
            } else if (IsBpdRecord(line)) {
                objectSeen = true;
                lastObject = static_cast<int64_t>(tables.lstData.size());
                if (rangeOpen) {
                    rangeOpen = false;
                    tables.lvControl[*currentRow].StartObjectIndex = index;
                }
            }
            charactersRead += line.size();
            if (charactersRead >= nextProgress) {
                report.Progress(charactersRead);
                nextProgress = charactersRead + kProgressStep;
            }
        }
        report.Progress(charactersRead);
        if (currentRow && !tables.lstData.empty()) {
            tables.lvControl[*currentRow].EndObjectIndex =
                static_cast<int32_t>(tables.lstData.size() - 1);
        }
    }

    tables.FilesChanged = false;
    result.dataSizeText = DataSizeText(result.totalBytes);
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
