#include "core/input_files.h"

#include "core/record_layouts.h"
#include "core/tables.h"

namespace core {

std::vector<InputFile> DescribeInputFiles(const CoreTables& tables) {
    const std::vector<size_t>& firstLines = tables.fileFirstLine;
    std::vector<InputFile> files;
    for (size_t fileNo = 0; fileNo < tables.lstSelectedFiles.size(); ++fileNo) {
        InputFile file;
        file.path = tables.lstSelectedFiles[fileNo];
        if (fileNo < tables.fileBytes.size()) {
            file.bytes = tables.fileBytes[fileNo];
        }
        if (fileNo < tables.fileRepeats.size()) {
            file.repeats = tables.fileRepeats[fileNo];
        }
        if (fileNo < firstLines.size()) {
            const size_t first = firstLines[fileNo];
            // The next file's first line, or the end of the store, bounds this file's lines.
            const size_t end =
                fileNo + 1 < firstLines.size() ? firstLines[fileNo + 1] : tables.lstData.size();
            file.lines = static_cast<int64_t>(end > first ? end - first : 0);
            if (first < end && first < tables.lstData.size()) {
                file.collectionTime = std::string(
                    tables.lstData[first].Field(LeadLayout, lead_field::kCollectionTime));
            }
        }
        files.push_back(std::move(file));
    }
    for (const PoolRow& row : tables.lvControl) {
        if (row.FileNo >= 0 && static_cast<size_t>(row.FileNo) < files.size()) {
            files[static_cast<size_t>(row.FileNo)].givesPools = true;
        }
    }
    return files;
}

}  // namespace core
