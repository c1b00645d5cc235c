// The line scanner: finds where a line of a data file ends, with the widest vector scan the
// processor runs. The loader spends most of a load of a large file here.
#ifndef CORE_IO_LINE_SCANNER_H_
#define CORE_IO_LINE_SCANNER_H_

#include <cstddef>

namespace core {

using LineEndFinder = size_t (*)(const char* data, size_t from, size_t size);

// The scan chosen for this processor during static initialisation; not to be called before
// main starts. Use it through FindLineEnd.
extern const LineEndFinder kLineEndFinder;

// Position of the first CR or LF in data[from, size); `size` when there is none.
// REQUIRES: from <= size; data[0, size) readable. Reads no byte at or past `size`.
inline size_t FindLineEnd(const char* data, size_t from, size_t size) {
    return kLineEndFinder(data, from, size);
}

}  // namespace core

#endif  // CORE_IO_LINE_SCANNER_H_
