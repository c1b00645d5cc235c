// What the loaded tables tell about each data file: its path, its size, its collection time, read
// from its own lead record (its first stored line), and whether it repeats an earlier file.
#ifndef CORE_INPUT_FILES_H_
#define CORE_INPUT_FILES_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace core {

class CoreTables;

struct InputFile {
    std::string path;               // as lstSelectedFiles holds it
    std::string collectionTime;     // columns 142-149 of the file's first stored line, as they
                                    // stand (Latin-1); empty when the file stored no line
    int64_t lines = 0;              // lines stored, the header line not counted
    std::optional<uint64_t> bytes;  // its size as the load opened it; none when not reached
    std::optional<size_t> repeats;  // FileNo of the earlier file whose bytes it repeats
    bool givesPools = false;        // at least one pool row comes from the file
};

// The files of the last load, in lstSelectedFiles order, from what the load kept of each (a file
// the load did not reach gets no time and no size).
std::vector<InputFile> DescribeInputFiles(const CoreTables& tables);

}  // namespace core

#endif  // CORE_INPUT_FILES_H_
