// One sizing run as every output shows it: the files it read, the figures, what was noticed
// along the way and the two texts it was sized for. A plain value: it holds no reference to the
// tables, so that a report can be made from it after the tables have changed.
#ifndef CORE_SIZING_RUN_H_
#define CORE_SIZING_RUN_H_

#include <string>
#include <vector>

#include "core/input_files.h"
#include "core/pool_sharing.h"
#include "core/sizing.h"
#include "core/sweep.h"
#include "core/warnings.h"

namespace core {

struct SizingRun {
    std::vector<InputFile> files;             // the load's files: path, bytes, collection time
    std::string dataSizeText;                 // "1.50 Mb"
    SizingResult result;                      // the figures
    std::vector<Warning> warnings;            // those the caller gave, then the results' own
    std::vector<ShareRefusal> refusals;       // pools the user's shares left out, in order
    std::vector<SweepPoint> sweep;            // the growth points, when asked for; else empty
    std::string membersText;                  // "No Of Shared DB2" as the sizing read it
    std::string ecsaText;                     // "ECSA Size for IRLM " as the sizing read it
};

}  // namespace core

#endif  // CORE_SIZING_RUN_H_
