// Feeds arbitrary bytes as one or two data files through the loader and the work-file count,
// then checks what the tables promise every later page: ranges inside the line store, pool
// names listed once in alphabetical order, counts that fit their ranges.
//
// Input: the last byte chooses the shape (bit 0: two files; bit 1: the second file is missing;
// bits 2-7: the files are loaded a second time in pieces of 1 to 64 bytes, which must give the
// same tables).
// With two files the first runs up to the first backslash not followed by another backslash
// ("\\" stands for one backslash in it) and the second is the rest. A sample file with a line
// end as its last byte is thus a one-file input as it stands.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "core/loader.h"
#include "fuzz/memory_file_source.h"
#include "core/tables.h"
#include "core/text.h"

namespace {

using fuzz::Check;
using fuzz::MemoryFileSource;

void CheckTables(const core::CoreTables& tables, bool loadOk) {
    const auto lineCount = static_cast<int64_t>(tables.lstData.size());
    // Touch every byte of every line, so that a view into freed storage shows under ASan.
    unsigned sum = 0;
    for (const core::DataLine& line : tables.lstData) {
        Check(!line.partial ||
              line.stored.size() <= core::kObjectHeadColumns + core::kObjectTail.length);
        for (const char c : line.stored) {
            sum += static_cast<unsigned char>(c);
            Check(c != '\r');  // a carriage return always ends a line
        }
    }
    (void)sum;

    for (const core::PoolRow& row : tables.lvControl) {
        Check(row.FileNo >= 0 && static_cast<size_t>(row.FileNo) < tables.lstSelectedFiles.size());
        Check(row.bpsLineIndex >= 0 && row.bpsLineIndex < lineCount);
        Check(core::Trim(row.BPool) == row.BPool);
        if (row.StartObjectIndex) {
            Check(*row.StartObjectIndex >= 0 && *row.StartObjectIndex < lineCount);
        }
        if (row.EndObjectIndex) {
            Check(*row.EndObjectIndex >= 0 && *row.EndObjectIndex < lineCount);
        }
        if (row.HasObjectRange()) {
            Check(*row.StartObjectIndex <= *row.EndObjectIndex + 1);
            if (loadOk) {
                Check(row.DSNDB07s >= 0 && row.DSNDB07s <= row.ObjectCount());
            }
        }
        if (loadOk) {
            Check(core::FindListEntry(tables.lstPools, row.BPool) >= 0);
        }
    }

    for (size_t i = 1; i < tables.lstPools.size(); ++i) {
        Check(core::CompareIgnoreCase(tables.lstPools[i - 1], tables.lstPools[i]) < 0);
    }
    Check(tables.lvSharedPools.empty() && tables.lstSharedPools.empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider provider(data, size);
    const uint8_t shape = provider.ConsumeIntegral<uint8_t>();
    const bool twoFiles = (shape & 1) != 0;
    const bool secondMissing = (shape & 2) != 0;

    MemoryFileSource source;
    core::CoreTables tables;
    uint64_t expectedBytes = 0;
    if (twoFiles) {
        source.files["/fuzz/one.sta"] = provider.ConsumeRandomLengthString(size);
        tables.lstSelectedFiles.push_back("/fuzz/one.sta");
        tables.lstSelectedFiles.push_back("/fuzz/two.sim");
        if (!secondMissing) {
            source.files["/fuzz/two.sim"] = provider.ConsumeRemainingBytesAsString();
        }
    } else {
        source.files["/fuzz/one.sta"] = provider.ConsumeRemainingBytesAsString();
        tables.lstSelectedFiles.push_back("/fuzz/one.sta");
    }
    for (const auto& [path, bytes] : source.files) {
        expectedBytes += bytes.size();
    }
    tables.FilesChanged = true;

    const core::LoadResult result = core::LoadDataFiles(tables, source);
    Check(!(twoFiles && secondMissing) || !result.ok());
    if (result.ok()) {
        Check(!tables.FilesChanged);
        Check(result.totalBytes == expectedBytes);
        core::CountWorkFileObjects(tables);
    } else {
        Check(tables.FilesChanged);
        Check(!core::LoadFailureDetail(result.status).empty());
    }
    CheckTables(tables, result.ok());

    source.pieceBytes = 1 + (shape >> 2);
    core::CoreTables again;
    again.lstSelectedFiles = tables.lstSelectedFiles;
    const core::LoadResult inPieces = core::LoadDataFiles(again, source);
    Check(inPieces.ok() == result.ok());
    Check(inPieces.ok() ||
          (core::LoadFailureReason(inPieces.status) == core::LoadFailureReason(result.status) &&
           inPieces.status.line() == result.status.line()));
    Check(again.lstData.size() == tables.lstData.size());
    for (size_t i = 0; i < tables.lstData.size(); ++i) {
        Check(again.lstData[i].stored == tables.lstData[i].stored);
        Check(again.lstData[i].partial == tables.lstData[i].partial);
    }
    Check(again.lvControl.size() == tables.lvControl.size() && again.lstPools == tables.lstPools);
    return 0;
}
