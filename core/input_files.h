// What the loaded tables tell about each data file: its path and its collection time, read from
// its own lead record (its first stored line).
#ifndef CORE_INPUT_FILES_H_
#define CORE_INPUT_FILES_H_

#include <string>
#include <vector>

namespace core {

class CoreTables;

struct InputFile {
    std::string path;            // as lstSelectedFiles holds it
    std::string collectionTime;  // columns 142-149 of the file's first stored line, as they
                                 // stand (Latin-1); empty when the file stored no line
    bool storedLines = false;    // the file stored at least one line
};

// The files of the last load, in lstSelectedFiles order, from CoreTables::fileFirstLine (a file
// the load did not reach gets no time).
std::vector<InputFile> DescribeInputFiles(const CoreTables& tables);

}  // namespace core

#endif  // CORE_INPUT_FILES_H_
