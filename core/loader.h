// The loader: reads the chosen data files into the line store, the pool table and the list of
// available pools, then counts the work-file (DSNDB07) objects of every pool row.
#ifndef CORE_LOADER_H_
#define CORE_LOADER_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/io/file_source.h"
#include "core/status.h"

namespace core {

class CoreTables;

// A failed load: the file as given in lstSelectedFiles, ReasonText(reason) as the message (with
// the line where the reason needs it to make sense), the 1-based line where reading stopped (0
// when none applies), and `reason` as the detail. The code follows from the reason.
Status LoadFailure(std::string path, FileErrorReason reason, int64_t line = 0);

// The reason a LoadFailure was made with. REQUIRES: `status` came from LoadFailure.
FileErrorReason LoadFailureReason(const Status& status);

// "File: <path>\nReason: <message>[\nLine: <n>]" of a LoadFailure, the detail shown beside
// kReadErrorText.
std::string LoadFailureDetail(const Status& status);

struct LoadResult {
    Status status;                            // a LoadFailure when the load failed
    std::vector<std::string> headerWarnings;  // paths whose header line lacks "ENV", in order
    uint64_t totalBytes = 0;                  // sum of the file lengths, header lines included
    std::string dataSizeText;                 // status bar panel 2: "1.50 Mb"; empty after an error

    bool ok() const { return status.ok(); }
};

// Told of the loader's progress, so that a window can show it and let pending events run.
class LoadObserver {
public:
    virtual ~LoadObserver() = default;
    // Before the file is opened.
    virtual void FileStarting(size_t fileNo, std::string_view path) {
        (void)fileNo;
        (void)path;
    }
    // The file is open; sizeBytes is the progress maximum.
    virtual void FileOpened(size_t fileNo, uint64_t sizeBytes) {
        (void)fileNo;
        (void)sizeBytes;
    }
    // Characters of line text read so far in the current file (terminators not counted).
    // Called every few hundred kilobytes and once at the end of each file.
    virtual void Progress(uint64_t charactersRead) { (void)charactersRead; }
    // The file's header line lacks "ENV"; reading goes on.
    virtual void HeaderWarning(size_t fileNo, std::string_view path) {
        (void)fileNo;
        (void)path;
    }
    // Asked before each file and at each progress report, possibly from the loading thread:
    // true ends the load with the reason kCancelled.
    virtual bool CancelRequested() { return false; }
};

// Reads the files of tables.lstSelectedFiles, in order, into lstData, lvControl and lstPools,
// replacing them, and empties lvSharedPools and lstSharedPools. Clears FilesChanged when it
// completes. On failure: a LoadFailure naming the file, the reason and the line if any;
// FilesChanged stays set and the tables keep what was read up to the failing line.
[[nodiscard]] LoadResult LoadDataFiles(CoreTables& tables, const FileSource& source,
                                       LoadObserver* observer = nullptr);

// Fills DSNDB07s of every pool row: object lines of its range whose object-name field holds
// "DSNDB07". A row without a full range gets 0.
void CountWorkFileObjects(CoreTables& tables);

// The header test of one file: true when the line holds "ENV" (exact case) anywhere, which
// accepts it as a flat-file header.
bool CheckHeaderLine(std::string_view line);

// "1.50 Mb": bytes / 1024 / 1024 with two decimals, a half rounded up.
std::string DataSizeText(uint64_t bytes);

}  // namespace core

#endif  // CORE_LOADER_H_
