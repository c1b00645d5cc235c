// Where each data file's lines begin in the line store, noted while the files load, and what
// that tells about each file afterwards: its collection time, from its own lead record.
#ifndef CORE_INPUT_FILES_H_
#define CORE_INPUT_FILES_H_

#include <string>
#include <vector>

#include "loader.h"

namespace core {

class CoreTables;

// Passes every call on to `next` and notes, as each file starts, the size of lstData: the
// index of the file's first stored line. `tables` and `next` must outlive the recorder.
class FileStartRecorder : public LoadObserver {
public:
    FileStartRecorder(const CoreTables& tables, LoadObserver& next)
        : m_tables(tables), m_next(next) {}

    void FileStarting(size_t fileNo, std::string_view path) override;
    void FileOpened(size_t fileNo, uint64_t sizeBytes) override {
        m_next.FileOpened(fileNo, sizeBytes);
    }
    void Progress(uint64_t charactersRead) override { m_next.Progress(charactersRead); }
    void HeaderWarning(size_t fileNo, std::string_view path) override {
        m_next.HeaderWarning(fileNo, path);
    }
    bool CancelRequested() override { return m_next.CancelRequested(); }

    // Indexed by FileNo; valid once the load has returned.
    const std::vector<size_t>& firstLines() const { return m_firstLines; }

private:
    const CoreTables& m_tables;
    LoadObserver& m_next;
    std::vector<size_t> m_firstLines;
};

struct InputFile {
    std::string path;            // as lstSelectedFiles holds it
    std::string collectionTime;  // columns 142-149 of the file's first stored line, as they
                                 // stand (Latin-1); empty when the file stored no line
};

// The files of lstSelectedFiles with their collection times, from the first lines a
// FileStartRecorder noted for them (a file past the end of `firstLines` gets no time).
std::vector<InputFile> DescribeInputFiles(const CoreTables& tables,
                                          const std::vector<size_t>& firstLines);

}  // namespace core

#endif  // CORE_INPUT_FILES_H_
