// The batch sizer: loads the files, shares and caches as the options say, in a fixed order, and
// sizes (or lists the tables). What it prints is returned, so that main only writes it out.
#ifndef CLI_BATCH_SIZER_H_
#define CLI_BATCH_SIZER_H_

#include <QStringList>
#include <string>

namespace core {
class FileSource;
}

namespace cli {

struct Options;

inline constexpr int kExitOk = 0;
inline constexpr int kExitLoadFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitWriteFailed = 3;  // an output file could not be written

struct BatchOutput {
    int exitCode = kExitOk;
    std::string out;  // UTF-8, for standard output; empty unless the exit code is kExitOk
    std::string err;  // UTF-8, for standard error
};

// Steps, whatever the order of the options: add the files; load and count work-file objects;
// each --share, then --share-all; each --cache-pool, --uncache-pool, --cache-object,
// --uncache-object; then size, unless --list. A refused pool is reported on `err` and is no
// error. A load failure gives kExitLoadFailed; a pool or object key the tables do not offer
// gives kExitUsage with a one-line reason. Data files are read through `source`. With an
// output path other than "-", the output goes to that file instead of `out`; with --cfrm the
// policy goes to its file, or to `out` ("-"), alone there when the report would go there too.
// Outputs are written only after every check passed, each whole or not at all, --save-plan
// first, then --cfrm, then --new-policy, then --output; the first that cannot be written stops
// the run with kExitWriteFailed (kExitLoadFailed for --save-plan) and a reason on `err`,
// leaving the old file as it was. An output that names an input or another output gives
// kExitUsage at once. The running group's texts are read before the data files: one that
// cannot be read or holds nothing recognised gives kExitLoadFailed.
BatchOutput RunBatch(const Options& options, const core::FileSource& source);

// Reads the command line (program name first) and runs it; --help and --version print to `out`.
BatchOutput RunCommandLine(const QStringList& arguments, const core::FileSource& source);

}  // namespace cli

#endif  // CLI_BATCH_SIZER_H_
