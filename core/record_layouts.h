// Fixed-column layouts of the three record kinds of a data file (lead, BPS, BPD) and the tests
// that recognise a record's kind. Columns count from 1; every field reader takes its start and
// length from these tables.
#ifndef CORE_RECORD_LAYOUTS_H_
#define CORE_RECORD_LAYOUTS_H_

#include <array>
#include <cstdint>
#include <string_view>

namespace core {

struct FieldLayout {
    int32_t start;   // 1-based column
    int32_t length;  // characters
};

namespace detail {
template <size_t N>
constexpr std::array<FieldLayout, N> RunOfTens(std::array<FieldLayout, N> fields, size_t from,
                                               size_t count, int32_t start) {
    for (size_t i = 0; i < count; ++i) {
        fields[from + i] = {start + static_cast<int32_t>(10 * i), 10};
    }
    return fields;
}
}  // namespace detail

// The lead record, entry 0 of the line store. Field 14 lies right of field 15 in the line.
inline constexpr std::array<FieldLayout, 17> LeadLayout = {{{5, 16},
                                                            {21, 8},
                                                            {29, 8},
                                                            {37, 4},
                                                            {41, 4},
                                                            {45, 10},
                                                            {55, 8},
                                                            {63, 4},
                                                            {67, 5},
                                                            {72, 10},
                                                            {82, 10},
                                                            {92, 10},
                                                            {102, 10},
                                                            {122, 10},
                                                            {112, 10},
                                                            {132, 10},
                                                            {142, 8}}};

// Buffer pool statistics record: 48 fields over columns 5 to 458.
inline constexpr std::array<FieldLayout, 48> BPSLayout =
    detail::RunOfTens<48>(detail::RunOfTens<48>({{{5, 16},
                                                  {21, 8},
                                                  {29, 5},
                                                  {34, 10},
                                                  {44, 6},
                                                  {50, 10},
                                                  {60, 6},
                                                  {66, 1},
                                                  {67, 10},
                                                  {},
                                                  {},
                                                  {},
                                                  {},
                                                  {},
                                                  {},
                                                  {},
                                                  {147, 6},
                                                  {153, 6}}},
                                                9, 7, 77),
                          18, 30, 159);

// Object record: 44 fields over columns 5 to 448.
inline constexpr std::array<FieldLayout, 44> BPDLayout =
    detail::RunOfTens<44>(detail::RunOfTens<44>({{{5, 16},
                                                  {21, 8},
                                                  {29, 1},
                                                  {30, 27},
                                                  {57, 10},
                                                  {},
                                                  {},
                                                  {},
                                                  {},
                                                  {},
                                                  {},
                                                  {},
                                                  {137, 6},
                                                  {143, 6}}},
                                                5, 7, 67),
                          14, 30, 149);

// 1-based field numbers of the fields the program reads.
namespace lead_field {
inline constexpr int kCollectionTime = 17;  // columns 142-149
}
namespace bps_field {
inline constexpr int kPoolName = 2;          // columns 21-28
inline constexpr int kVpSize = 4;            // columns 34-43
inline constexpr int kHpSize = 6;            // columns 50-59
inline constexpr int kRatioDenominator = 9;  // columns 67-76
inline constexpr int kRatioNumerator = 38;   // columns 349-358
}  // namespace bps_field
namespace bpd_field {
inline constexpr int kObjectKind = 3;   // column 29
inline constexpr int kObjectName = 4;   // columns 30-56
inline constexpr int kStatisticA = 5;   // columns 57-66
inline constexpr int kStatisticB = 34;  // columns 339-348
}  // namespace bpd_field

// The columns of an object line that the program reads: 1 to kObjectHeadColumns (record kind,
// object kind and name, statistic A) and kObjectTail (statistic B). The line store keeps only
// these of an object line.
inline constexpr int32_t kObjectHeadColumns =
    BPDLayout[bpd_field::kStatisticA - 1].start + BPDLayout[bpd_field::kStatisticA - 1].length - 1;
inline constexpr FieldLayout kObjectTail = BPDLayout[bpd_field::kStatisticB - 1];

// The field's text in `line`: fewer characters when the line ends inside the field, empty when
// it ends before. Not trimmed.
template <size_t N>
constexpr std::string_view ExtractField(std::string_view line,
                                        const std::array<FieldLayout, N>& layout, int fieldNo) {
    const FieldLayout f = layout[static_cast<size_t>(fieldNo - 1)];
    const auto start = static_cast<size_t>(f.start - 1);
    if (start >= line.size()) {
        return {};
    }
    return line.substr(start, static_cast<size_t>(f.length));
}

enum class RecordKind { kOther, kBps, kBpd };

// A record is BPS when its columns 1 to 10 hold "BPS" in any letter case; BPD when they hold
// "BPD" and not "BPS". Every line of a load passes here, so the test is one inline scan.
inline RecordKind ClassifyRecord(std::string_view line) {
    constexpr size_t kKindColumns = 10;
    const size_t n = line.size() < kKindColumns ? line.size() : kKindColumns;
    bool bpd = false;
    for (size_t i = 0; i + 3 <= n; ++i) {
        // Setting bit 0x20 lower-cases exactly B, P, S and D among all byte values here.
        if ((line[i] | 0x20) == 'b' && (line[i + 1] | 0x20) == 'p') {
            const char third = static_cast<char>(line[i + 2] | 0x20);
            if (third == 's') {
                return RecordKind::kBps;
            }
            bpd = bpd || third == 'd';
        }
    }
    return bpd ? RecordKind::kBpd : RecordKind::kOther;
}

inline bool IsBpsRecord(std::string_view line) { return ClassifyRecord(line) == RecordKind::kBps; }
inline bool IsBpdRecord(std::string_view line) { return ClassifyRecord(line) == RecordKind::kBpd; }

// The object-name field (columns 30-56) holds "DSNDB07", exact case: a work-file object.
bool NamesWorkFileObject(std::string_view line);

}  // namespace core

#endif  // CORE_RECORD_LAYOUTS_H_
