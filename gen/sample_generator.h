// Synthetic buffer-pool statistics files: a header line, a lead record, and per pool one BPS
// record followed by its BPD object records, at fixed columns. The same options and seed give
// the same bytes on every platform, so tests, samples and benchmarks can rebuild their inputs.
// Plain C++20 with the standard library only; the column positions are written out here on
// their own rather than taken from core, so that tests reading the lines back with core's
// layout tables check one against the other.
#ifndef GEN_SAMPLE_GENERATOR_H_
#define GEN_SAMPLE_GENERATOR_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace samplegen {

enum class LineEnding { kCrLf, kLf, kCr };

struct Options {
    uint64_t seed = 1;
    std::string member = "DB1A";  // DB2 member named in the header, lead and records (<= 8)
    // Total lines of the file, header included. Met exactly unless it is below the smallest
    // file the pools allow (one object per pool); then that smallest file is written.
    int64_t lines = 300;
    // Pools in file order; names longer than 8 characters are cut.
    std::vector<std::string> pools = {"BP0", "BP1", "BP2", "BP3", "BP7", "BP32K"};
    // Pools whose objects are all DSNDB07 work files. Keep such a pool off the end of the list
    // when a trailer is written: the trailer line falls inside the last pool's object range.
    std::vector<std::string> workFileOnlyPools = {"BP7"};
    // Pools holding a few DSNDB07 work files among their ordinary objects.
    std::vector<std::string> mixedWorkFilePools = {"BP0"};
    std::string collectionTime = "14.30.00";  // lead record columns 142-149
    LineEnding lineEnding = LineEnding::kCrLf;
    bool trailer = false;  // a closing "TRL" record after the last object line
};

// The read fields of a BPS record. Unread fields hold 0 (text fields blank).
struct BpsFields {
    std::string poolName = "BP0";  // columns 21-28, left-aligned, cut at 8
    int64_t vpSizePages = 0;       // columns 34-43, right-aligned
    int64_t hpSizePages = 0;       // columns 50-59
    int64_t ratioDenominator = 0;  // columns 67-76
    int64_t ratioNumerator = 0;    // columns 349-358
};

// The read fields of a BPD record. Unread fields hold 0 (text fields blank).
struct BpdFields {
    std::string poolName = "BP0";  // columns 21-28, as on the pool's BPS record
    char kind = 'T';               // column 29: 'T' table space, 'I' index space
    std::string objectName;        // columns 30-56, left-aligned, cut at 27
    int64_t statisticA = 0;        // columns 57-66, right-aligned
    int64_t statisticB = 0;        // columns 339-348
};

enum class Align { kLeft, kRight };

// Writes text into columns startColumn..startColumn+length-1 (1-based) of line, padded with
// blanks to the length and cut when longer; a shorter line is first padded with blanks.
void PutColumns(std::string& line, int startColumn, int length, std::string_view text, Align align);

// "BPS" at column 1; 458 columns.
std::string BpsLine(const BpsFields& fields);
// "BPD" at column 1; 448 columns.
std::string BpdLine(const BpdFields& fields);
// "LEAD" at column 1, collectionTime at columns 142-149; 149 columns.
std::string LeadLine(std::string_view collectionTime, std::string_view member = "DB1A");
// A first line holding "ENV", naming the member.
std::string HeaderLine(std::string_view member);

// The whole file as bytes, line ends included (the last line too).
std::string GenerateDataFile(const Options& options);

// Writes the file, streaming it (a million-line file is never held in memory). Returns false
// when the file cannot be created or written; a partial file may then be left behind.
[[nodiscard]] bool WriteDataFile(const std::string& path, const Options& options);

}  // namespace samplegen

#endif  // GEN_SAMPLE_GENERATOR_H_
