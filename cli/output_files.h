// Where the batch sizer's outputs go: checked before the run reads a data file, and written
// whole at its end, only once every check has passed, so that a refused run writes nothing.
#ifndef CLI_OUTPUT_FILES_H_
#define CLI_OUTPUT_FILES_H_

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace core {
class Status;
}

namespace cli {

struct BatchOutput;
struct Options;

// True for "-" and for no path at all: the output goes to standard output.
bool IsStandardOutput(const QString& path);

// The one-line reason to refuse the run before anything is read or written: an output
// (--output, --cfrm, --save-plan) that is one of `dataFiles`, an --output or --cfrm that is the
// --plan file, or two outputs that are the same file. Files are compared as the disk sees them
// (the same file through any link or path), or by their absolute paths where one is absent.
std::optional<QString> OutputPathProblem(const Options& options, const QStringList& dataFiles);

// A file the run writes at its end.
struct PendingFile {
    QString path;  // as given on the command line
    std::string bytes;
    int failureExit = 0;
    // The line (without "loomstead-cli: ") that says why the file was not written.
    std::function<QString(const core::Status&)> failure;
};

// Writes each file whole, in order, and stops at the first failure: then `output` takes its
// exit code and line, and loses what it held for standard output. True when all were written.
bool WritePendingFiles(const std::vector<PendingFile>& files, BatchOutput& output);

}  // namespace cli

#endif  // CLI_OUTPUT_FILES_H_
