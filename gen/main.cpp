// loomstead-gen: writes a synthetic statistics data file (see --help).
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "gen/sample_generator.h"

namespace {

constexpr std::string_view kUsage =
    R"(Usage: loomstead-gen [options] [OUTPUT]

Writes a synthetic buffer-pool statistics data file: a header line holding ENV,
a lead record with the collection time, then per pool one BPS record followed
by its BPD object records. Without OUTPUT (or with -) the file goes to stdout.
The same options and seed always give the same bytes.

Options:
  --seed N               random seed (default 1)
  --member NAME          DB2 member named in the file (default DB1A)
  --lines N              total lines, header included (default 300); met exactly
                         unless below one object per pool
  --pools LIST           comma-separated pools in file order
                         (default BP0,BP1,BP2,BP3,BP7,BP32K)
  --work-file-only LIST  pools holding only DSNDB07 work files (default BP7;
                         an empty LIST for none)
  --mixed-work-files LIST
                         pools holding a few DSNDB07 work files among ordinary
                         objects (default BP0; an empty LIST for none)
  --time HH.MM.SS        collection time in the lead record (default 14.30.00)
  --line-ending E        crlf (default), lf or cr
  --trailer              end with a TRL record (it falls inside the last pool's
                         object range)
  --help                 show this text
)";

std::vector<std::string> SplitList(std::string_view text) {
    std::vector<std::string> items;
    std::string item;
    for (const char c : text) {
        if (c != ',') {
            item += c;
        } else if (!item.empty()) {
            items.push_back(std::move(item));
            item.clear();
        }
    }
    if (!item.empty()) {
        items.push_back(std::move(item));
    }
    return items;
}

bool ParseCount(std::string_view text, uint64_t& value) {
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    const std::string copy(text);
    value = std::strtoull(copy.c_str(), &end, 10);
    return *end == '\0' && copy[0] != '-';
}

int Fail(std::string_view message) {
    std::cerr << "loomstead-gen: " << message << "\nTry 'loomstead-gen --help'.\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    samplegen::Options options;
    std::string output = "-";
    bool outputGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        auto value = [&]() { return std::string_view(argv[++i]); };
        uint64_t number = 0;
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        } else if (arg == "--trailer") {
            options.trailer = true;
        } else if (arg == "--seed" && hasValue) {
            if (!ParseCount(value(), options.seed)) {
                return Fail("--seed needs a non-negative integer");
            }
        } else if (arg == "--lines" && hasValue) {
            if (!ParseCount(value(), number) || number > 100'000'000) {
                return Fail("--lines needs an integer from 0 to 100000000");
            }
            options.lines = static_cast<int64_t>(number);
        } else if (arg == "--member" && hasValue) {
            options.member = value();
        } else if (arg == "--pools" && hasValue) {
            options.pools = SplitList(value());
        } else if (arg == "--work-file-only" && hasValue) {
            options.workFileOnlyPools = SplitList(value());
        } else if (arg == "--mixed-work-files" && hasValue) {
            options.mixedWorkFilePools = SplitList(value());
        } else if (arg == "--time" && hasValue) {
            options.collectionTime = value();
        } else if (arg == "--line-ending" && hasValue) {
            const std::string_view ending = value();
            if (ending == "crlf") {
                options.lineEnding = samplegen::LineEnding::kCrLf;
            } else if (ending == "lf") {
                options.lineEnding = samplegen::LineEnding::kLf;
            } else if (ending == "cr") {
                options.lineEnding = samplegen::LineEnding::kCr;
            } else {
                return Fail("--line-ending takes crlf, lf or cr");
            }
        } else if (arg.starts_with("--")) {
            return Fail("unknown option or missing value: " + std::string(arg));
        } else if (!outputGiven) {
            output = arg;
            outputGiven = true;
        } else {
            return Fail("more than one OUTPUT given");
        }
    }
    if (options.pools.empty()) {
        return Fail("--pools needs at least one pool");
    }

    if (output == "-") {
        const std::string bytes = samplegen::GenerateDataFile(options);
        const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
        return written && std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (!samplegen::WriteDataFile(output, options)) {
        std::cerr << "loomstead-gen: cannot write " << output << '\n';
        return 1;
    }
    return 0;
}
